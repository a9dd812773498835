// Drives the real window offscreen: the ticks per second the view sustains
// with the largest scene at a timer period of 1 ms (counted from the first
// tick, after the window's first picture and the full paint that starts the
// playback, whose time is given apart), and the time from process
// start to the first painted frame of `orbivex CONFIG`. With a window size,
// the ticks per second are measured at 600x600 and at that size in turn
// (twice each), each line giving the view's size in pixels; under a real X
// server when DISPLAY is set, offscreen otherwise.
//
// With view options after the size (any of the command line's, such as
// --style publication or --frame rotate:1), the ticks per second at that size are measured
// with the defaults (or, with --frame, the same options in the inertial
// frame) and with those options in turn instead; with --backward first,
// forward and backward playback with the options that follow. With
// --table-bodies N first, the scene is a plain table of N named bodies in
// the table palette's colours, trails of 300 rows, played with the options
// that follow (such as --style publication) only. With --runs N first, the
// scene with N - 1 copies of it as runs compared, against it alone.
//
//   window_bench ORBIVEX_BINARY CONFIG [SECONDS] [WxH [VIEW OPTIONS...]]

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/main_frame.h"
#include "app/playback_bar.h"
#include "app/simulation_view.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "scenes/orbit_scene.h"
#include "silent_services.h"
#include "simulation/configuration_reader.h"
#include "simulation/host.h"
#include "simulation/table_palette.h"

namespace {

/// The scene played: bodies and trail rows, and whether it is a table's.
struct Scene {
    int bodies = 30;
    int trail = 10000;
    bool table = false;
};

/// Makes `state` a plain table of the scene's bodies, named b1, b2, ...,
/// coloured as a table's are, with room for `rows` rows.
void MakeTableScene(SimulationState& state, const Scene& scene, int rows) {
    MakeOrbitScene(state, scene.bodies, rows, scene.trail);
    state.loaded().kind = SourceKind::PlainTable;
    state.loaded().fields.dataFormat = DataFormat::Table;
    for (int k = 1; k <= scene.bodies; ++k) {
        state.loaded().fields.bodySize[std::size_t(k)] = 3;
        state.loaded().fields.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
        state.loaded().fields.bodyNames.push_back(std::string("b").append(std::to_string(k)));
    }
    ResolveBodyColours(state.loaded());
}

/// The runs played against one (--runs N, the bench's own): the scene and
/// copies of it, each body a little off, compared with it.
int gRuns = 1;

/// Plays the largest scene at 1 ms per tick for `seconds`, with the
/// playback bar shown or hidden, in a window of `width` x `height` when
/// given, and prints the ticks and frames per second and the view's size.
double TicksPerSecond(double seconds, bool playbackBar, int width = 0, int height = 0,
                      const CommandOptions* view = nullptr, bool backward = false, const Scene& scene = {},
                      int runs = 1) {
    SimulationState state;
    PlotBox plot;
    SilentServices silent;
    CMainFrame frame(state, plot, silent, silent, silent);
    frame.playbackBar()->setVisible(playbackBar);
    InitialiseDefaults(state, plot);
    // Room for the ticks of the slowest look measured; the fast ones wrap.
    const int rows = scene.trail + int(seconds * 1500) + 100;
    if (scene.table)
        MakeTableScene(state, scene, rows);
    else
        MakeOrbitScene(state, scene.bodies, rows, scene.trail);
    if (runs > 1) {
        // Copies of the scene as runs compared, their bodies a little off.
        for (int run = 1; run < runs; ++run) {
            SimulationState copy;
            PlotBox own;
            InitialiseDefaults(copy, own);
            copy.view = state.view;
            if (scene.table)
                MakeTableScene(copy, scene, rows);
            else
                MakeOrbitScene(copy, scene.bodies, rows, scene.trail);
            TrajectoryTable& t = *copy.loaded().rows;
            for (int b = 1; b <= t.bodyColumns(); ++b)
                for (int32_t r = 0; r < t.rowCount(); ++r) t.writableTrack(b, r)[0] *= 1.02;
            t.Changed();
            AddLoadedRun(state, plot, silent, std::move(copy.loaded()), "copy " + std::to_string(run), "");
        }
    }
    if (view) {
        frame.applyViewChoices(*view);
        if (!view->frame.empty() && !frame.showFrame(view->frame).empty()) std::abort();
    }
    state.playback.delayMs = 1;
    if (width > 0) frame.resize(width, height);
    frame.show();
    // The window's first picture on the screen, as when a file opens.
    int presented = 0;
    QObject::connect(frame.view(), &SimulationView::framePresented, [&] { ++presented; });
    QElapsedTimer waited;
    waited.start();
    while (presented == 0 && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const QSize shown = frame.view()->contentsRect().size();
    // Backward from the last row the playback reaches, as Play Backwards plays.
    const int32_t start = backward ? LastPlayableRow(state) : 0;
    if (backward) state.playback.position = start, state.playback.direction = -1;
    state.playback.startRequested = 1;
    frame.view()->invalidate();
    // Counted from the first tick: the playback itself, without the full
    // paint that starts it (given on its own).
    QElapsedTimer clock, opening;
    opening.start();
    double openingMs = 0;
    int32_t first = start;
    timespec cpuStart{};
    QObject::connect(frame.view(), &SimulationView::tickDrawn, [&] {
        if (clock.isValid()) return;
        clock.start();
        openingMs = opening.nsecsElapsed() / 1e6;
        first = state.playback.position;
        presented = 0;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuStart);
        QTimer::singleShot(int(seconds * 1000), [] { QCoreApplication::exit(0); });
    });
    QTimer neverTicked;  // gone with this round, unlike a single shot
    neverTicked.setSingleShot(true);
    QObject::connect(&neverTicked, &QTimer::timeout, [] { QCoreApplication::exit(0); });
    neverTicked.start(int(seconds * 1000) + 60000);
    QApplication::exec();
    const double elapsed = clock.elapsed() / 1000.0;
    timespec cpuEnd{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpuEnd);
    const double cpu = double(cpuEnd.tv_sec - cpuStart.tv_sec) + (cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
    const int32_t ticks = std::abs(state.playback.position - first);
    std::printf(
        "%s scene (%d bodies, trails of %d rows) at 1 ms, playback bar %s: %.0f ticks/s, %.0f "
        "frames presented/s, view %dx%d, %.1f ms of processor time a tick, %.0f ms to the first tick\n",
        scene.table ? "table" : "largest", scene.bodies, scene.trail, playbackBar ? "shown " : "hidden",
        ticks / elapsed, presented / elapsed, shown.width(), shown.height(),
        ticks > 0 ? 1000 * cpu / ticks : 0.0, openingMs);
    return ticks / elapsed;
}

double MillisecondsToFirstFrame(const std::string& binary, const std::string& config) {
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const std::string command =
        "ORBIVEX_FIRST_FRAME_PROBE=1 QT_QPA_PLATFORM=offscreen '" + binary + "' '" + config + "' 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    long long at = 0;
    if (!child || std::fscanf(child, "first-frame %lld", &at) != 1) return -1;
    pclose(child);
    return (at - (start.tv_sec * 1000000000LL + start.tv_nsec)) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench ORBIVEX_BINARY CONFIG [SECONDS]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int programOnly = 1;  // the view options are read here, not by the toolkit
    QApplication app(programOnly, argv);
    const double seconds = argc > 3 ? std::atof(argv[3]) : 3.0;
    int width = 0, height = 0;
    if (argc > 5 && std::sscanf(argv[4], "%dx%d", &width, &height) == 2) {
        // The defaults against the options given, alternated, at the size asked for.
        std::vector<std::string> args(argv + 5, argv + argc);
        // --table-bodies N (the bench's own) plays a table of N bodies with the options.
        Scene scene;
        if (args.size() > 2 && args.front() == "--table-bodies") {
            scene = {.bodies = std::clamp(std::atoi(args[1].c_str()), 1, int(kMaxTableBodies)),
                     .trail = 300,
                     .table = true};
            args.erase(args.begin(), args.begin() + 2);
        }
        // --runs N (the bench's own) adds copies of the scene as runs compared.
        if (args.size() > 2 && args.front() == "--runs") {
            gRuns = std::clamp(std::atoi(args[1].c_str()), 1, 8);
            args.erase(args.begin(), args.begin() + 2);
        }
        // --backward (the bench's own) plays the options backward against forward.
        const bool backward = args.front() == "--backward";
        if (backward) args.erase(args.begin());
        const CommandLine line = ParseCommandLine(args);
        if (line.mode != CommandMode::Window) {
            std::fprintf(stderr, "window_bench: %s\n", line.error.c_str());
            return 2;
        }
        // With a frame among the options, the baseline is the same options
        // in the data's own frame.
        CommandOptions inertial = line.options;
        inertial.frame.clear();
        const bool frameAsked = !line.options.frame.empty();
        std::string joined;
        for (const std::string& a : args) joined += " " + a;
        std::vector<double> plain, chosen;
        if (scene.table) {
            for (int round = 0; round < 3; ++round)
                chosen.push_back(TicksPerSecond(seconds, true, width, height, &line.options, false, scene));
            std::sort(chosen.begin(), chosen.end());
            std::printf(
                "median of 3 rounds at %dx%d: table of %d bodies, trails of %d rows,%s: %.0f ticks/s\n",
                width, height, scene.bodies, scene.trail, joined.c_str(), chosen[1]);
        }
        for (int round = 0; round < 3 && !scene.table; ++round) {
            // With --runs, one run against several, with the same options.
            plain.push_back(TicksPerSecond(seconds, true, width, height,
                                           backward || gRuns > 1 ? &line.options
                                           : frameAsked          ? &inertial
                                                                 : nullptr));
            chosen.push_back(
                TicksPerSecond(seconds, true, width, height, &line.options, backward, {}, gRuns));
        }
        if (!scene.table) {
            std::sort(plain.begin(), plain.end());
            std::sort(chosen.begin(), chosen.end());
            std::printf("median of 3 rounds at %dx%d: %s %.0f ticks/s,%s %.0f ticks/s (%.2fx)\n", width,
                        height,
                        backward     ? "forward"
                        : gRuns > 1  ? "one run"
                        : frameAsked ? "inertial frame"
                                     : "defaults",
                        plain[1],
                        (backward    ? " backward" + joined
                         : gRuns > 1 ? " " + std::to_string(gRuns) + " runs" + joined
                                     : joined)
                            .c_str(),
                        chosen[1], chosen[1] / plain[1]);
        }
    } else if (argc > 4 && std::sscanf(argv[4], "%dx%d", &width, &height) == 2) {
        // 600x600 against the size asked for, alternated, playback bar shown.
        double small = 0, large = 0;
        for (int round = 0; round < 2; ++round) {
            small += TicksPerSecond(seconds, true, 600, 600);
            large += TicksPerSecond(seconds, true, width, height);
        }
        std::printf("%dx%d window reaches %.2fx the ticks per second of 600x600\n", width, height,
                    large / small);
    } else {
        // Alternated, so that both see the same machine; the ratio is taken
        // within each pair, then the median of the pairs.
        constexpr int kRounds = 5;
        std::vector<double> shown, hidden, ratios;
        for (int round = 0; round < kRounds; ++round) {
            hidden.push_back(TicksPerSecond(seconds, false));
            shown.push_back(TicksPerSecond(seconds, true));
            ratios.push_back(shown.back() / hidden.back());
        }
        for (auto* v : {&shown, &hidden, &ratios}) std::sort(v->begin(), v->end());
        std::printf(
            "median of %d rounds: playback bar shown %.0f ticks/s, hidden %.0f ticks/s, shown/hidden %.2f\n",
            kRounds, shown[kRounds / 2], hidden[kRounds / 2], ratios[kRounds / 2]);
    }
    double best = 1e9, sum = 0;
    constexpr int kRuns = 5;
    for (int i = 0; i < kRuns; ++i) {
        const double ms = MillisecondsToFirstFrame(argv[1], argv[2]);
        best = std::min(best, ms);
        sum += ms;
    }
    std::printf("process start to first painted frame: best %.0f ms, mean %.0f ms of %d runs\n", best,
                sum / kRuns, kRuns);
    return 0;
}
