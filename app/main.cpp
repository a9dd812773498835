#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/renderer.h"
#include "app/simulation_app.h"
#include "app/window_launch.h"

int main(int argc, char** argv) {
    // Several files are runs compared, read as a command line.
    if (!IsCommandLineMode(argc, argv) && argc <= 2) {
        SimulationApp app(argc, argv);
        app.InitInstance(argc == 2 ? argv[1] : "");
        return app.exec();
    }
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.mode) {
        case CommandMode::Help:
            std::fputs(line.help.c_str(), stdout);
            return 0;
        case CommandMode::Version:
            std::printf("%s\n", line.version.c_str());
            return 0;
        case CommandMode::Error:
            std::fprintf(stderr, "orbivex: %s\nTry 'orbivex --help'\n", line.error.c_str());
            return 2;
        case CommandMode::Window:
            return RunWindow(argc, argv, line.options);
        case CommandMode::Picture:
        case CommandMode::Frames:
        case CommandMode::Video:
        case CommandMode::Page:
        case CommandMode::WriteConfig:
        case CommandMode::ExportSeries:
            break;
    }
    return RunRenderer(argc, argv, line);
}
