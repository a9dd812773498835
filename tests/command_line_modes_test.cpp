// Every option in every mode of the command line: accepted, or refused with
// its message. The table `command_line_modes.txt` holds what each gives, so
// that the checks can be rearranged without changing a word of what a user
// is told. ORBIVEX_RECORD_MODES=PATH writes the answers found to PATH.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "test_support.h"

namespace {

/// Each mode as a command line starts it, and each option with a value it
/// takes (where it takes one).
const char* const kModes[] = {
    "",
    "--render p.png",
    "--render p.svg",
    "--frames d",
    "--video v.mp4",
    "--html p.html",
    "--write-config c.ovx",
    "--export-series s.csv --plot r",
};
const char* const kOptions[] = {
    "",
    "--fps 10",
    "--size 100x80",
    "--scale 2",
    "--framed",
    "--row 3",
    "--time 1.5",
    "--ticks 2",
    "--yes",
    "--equal-aspect",
    "--trail behind",
    "--trail-length 5",
    "--fade",
    "--loop",
    "--box -1,-1,1,1",
    "--follow",
    "--no-settings",
    "--plane xz",
    "--columns xyz",
    "--style publication",
    "--line-width 2",
    "--disc-size 3",
    "--grid",
    "--font-size 12",
    "--clock off",
    "--frame rotate:1",
    "--speed 2",
    "--title T",
    "--names a,b",
    "--colours red,blue",
    "--time-unit yr",
    "--length-unit AU",
    "--sun off",
    "--bodies 1",
    "--plot r",
    "--gm 1",
    "--panel-only",
    "--panel-height 100",
    "--run-names a,b",
};

const char* ModeName(CommandMode mode) {
    switch (mode) {
        case CommandMode::Window:
            return "window";
        case CommandMode::Picture:
            return "picture";
        case CommandMode::Frames:
            return "frames";
        case CommandMode::Video:
            return "video";
        case CommandMode::Page:
            return "page";
        case CommandMode::WriteConfig:
            return "write-config";
        case CommandMode::ExportSeries:
            return "export-series";
        case CommandMode::Help:
            return "help";
        case CommandMode::Version:
            return "version";
        case CommandMode::Error:
            return "error";
    }
    return "?";
}

/// What a command line gives: its mode, or the error's text.
std::string Answer(const std::string& args) {
    const CommandLine line = ParseCommandLine(Words(args));
    return line.mode == CommandMode::Error ? "refused: " + line.error : ModeName(line.mode);
}

TEST(CommandLineModes, EveryOptionInEveryModeIsAcceptedOrRefusedAsTheTableSays) {
    std::map<std::string, std::string> expected;
    std::ifstream table(ORBIVEX_TEST_DATA "/command_line_modes.txt");
    ASSERT_TRUE(table) << "no table of answers";
    for (std::string line; std::getline(table, line);) {
        const std::size_t bar = line.find(" => ");
        if (line.empty() || line.front() == '#' || bar == std::string::npos) continue;
        expected[line.substr(0, bar)] = line.substr(bar + 4);
    }
    std::ostringstream found;
    found << "# command line => mode, or the message it is refused with\n";
    for (const char* mode : kModes)
        for (const char* option : kOptions) {
            // Two files, for the run names; one otherwise.
            const std::string files =
                std::string(option).starts_with("--run-names") ? "a.csv b.csv" : "a.csv";
            std::string args;
            for (const std::string part : {std::string(mode), std::string(option), files})
                if (!part.empty()) args += (args.empty() ? "" : " ") + part;
            const std::string answer = Answer(args);
            found << args << " => " << answer << "\n";
            const auto it = expected.find(args);
            if (it == expected.end())
                ADD_FAILURE() << args << ": not in the table; gives " << answer;
            else
                EXPECT_EQ(answer, it->second) << args;
        }
    if (const char* path = std::getenv("ORBIVEX_RECORD_MODES")) std::ofstream(path) << found.str();
}

}  // namespace
