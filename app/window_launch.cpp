#include "app/window_launch.h"

#include <cstdio>

#include "animation/playback_commands.h"
#include "animation/playback_speed.h"
#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/simulation_app.h"

int RunWindow(int& argc, char** argv, const CommandOptions& options) {
    // The arguments were read already: the toolkit sees only the program's
    // name, so that it takes none of them for its own (--style is ours).
    (void)argc;
    static int programOnly = 1;
    SimulationApp app(programOnly, argv);
    app.InitInstance(
        options.config,
        [&options](CMainFrame& frame) {
            frame.applyViewChoices(options);
            if (options.follow) frame.runCommand(ID_FOLLOW_DATA);
        },
        !options.noSettings);
    CMainFrame& frame = *app.mainFrame();
    // What needs the data applies once a file is shown, with the renderer's answers.
    if (frame.state().loaded().dataLoaded) {
        // A run that cannot be loaded has said why; the window shows the others.
        if (!options.runs.empty()) frame.addRuns(options.runs, options.runNames);
        if (const std::string problem = frame.applyToLoaded(options); !problem.empty()) {
            std::fprintf(stderr, "orbivex: %s\n", problem.c_str());
            return 2;
        }
    }
    return app.exec();
}
