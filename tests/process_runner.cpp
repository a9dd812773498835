#include "process_runner.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ProcessResult RunOrbivex(const std::string& args, const std::string& folder, const std::string& scratch,
                         const std::string& environment) {
    const std::string out = scratch + "/stdout.txt", err = scratch + "/stderr.txt";
    // The user's own settings are never read nor written: the settings
    // folder is the scratch folder unless `environment` names another.
    const std::string command = "cd " + ShellQuote(folder) + " && XDG_CONFIG_HOME=" + ShellQuote(scratch) +
                                " " + environment + " timeout 20 " + ShellQuote(ORBIVEX_BINARY) + " " + args +
                                " >" + ShellQuote(out) + " 2>" + ShellQuote(err);
    const int raw = std::system(command.c_str());
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return {status == 124 ? -1 : status, Slurp(out), Slurp(err)};
}
