#include <cstdio>

#include "app/render_command.h"
#include "app/simulation_app.h"

int main(int argc, char** argv) {
    if (IsCommandLineMode(argc, argv)) return RunRenderCommand(argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "orbivex: give at most one configuration file; see orbivex --help\n");
        return 2;
    }
    SimulationApp app(argc, argv);
    app.InitInstance(argc == 2 ? argv[1] : "");
    return app.exec();
}
