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
    app.InitInstance(options.config, [&options](CMainFrame& frame) {
        frame.setPlane(options.plane);
        frame.setLook(options.look);
        if (options.style == ViewStyle::Publication) frame.runCommand(ID_STYLE_PUBLICATION);
        if (options.framed) frame.runCommand(ID_TOGGLE_FULL_WINDOW);
        if (options.equalAspect) frame.runCommand(ID_EQUAL_ASPECT);
        if (options.fade) frame.runCommand(ID_FADE_TRAILS);
        if (options.loop) frame.runCommand(ID_LOOP);
        if (options.follow) frame.runCommand(ID_FOLLOW_DATA);
        const int trail[] = {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH};
        frame.runCommand(trail[static_cast<int>(options.trail)]);
    });
    CMainFrame& frame = *app.mainFrame();
    if (options.trailLength) frame.setTrailLength(*options.trailLength);
    if (!options.frame.empty()) {
        if (const std::string problem = frame.showFrame(options.frame); !problem.empty()) {
            std::fprintf(stderr, "orbivex: --frame %s: %s\n", options.frame.c_str(), problem.c_str());
            return 2;
        }
    }
    if (options.box) frame.placeBox(*options.box);
    if (options.row) frame.goToRow(*options.row);
    if (options.time) frame.goToRow(RowAtOrAfterTime(frame.state(), *options.time));
    if (options.speed) SetSpeed(app.state(), *options.speed);
    return app.exec();
}
