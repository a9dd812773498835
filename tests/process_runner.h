#pragma once
#include <string>

/// What a finished run of the program printed and returned.
struct ProcessResult {
    int status;  ///< exit status, -1 when it did not exit normally (or timed out)
    std::string out;
    std::string err;
};

/// Quotes `text` for the shell.
std::string ShellQuote(const std::string& text);

/// Runs the orbivex binary with `args` (already quoted as needed) from
/// `folder`, stopping it after 20 seconds, and collects what it printed
/// into files inside `scratch`, which is also its settings folder
/// (XDG_CONFIG_HOME). `environment` (NAME=VALUE words) is set for that run
/// only, after that.
ProcessResult RunOrbivex(const std::string& args, const std::string& folder, const std::string& scratch,
                         const std::string& environment = "");
