// Drives the real window: the pictures per second while the view is turned
// by a drag with the right button, on the largest scenes in the publication
// look (30 bodies with trails of 10,000 rows; a table of 1,000 bodies with
// trails of 300), and on a table file of MEGABYTES MB of 30 bodies in space
// opened as a user opens it. Each picture is a drag step sent to the view
// and the paint it asks for, as the screen gets it.
//
//   turn_bench [SECONDS] [WxH] [MEGABYTES] [SCENE]
//
// With SCENE, only the scenes whose name holds it.

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/simulation_view.h"
#include "plot/plot_box.h"
#include "scenes/orbit_scene.h"
#include "silent_services.h"
#include "simulation/configuration_reader.h"
#include "simulation/table_palette.h"

namespace {

/// What a round loads into a window.
using Setup = std::function<void(SimulationState&, CMainFrame&)>;

void OrbitScene(SimulationState& state, int bodies, int trail) {
    MakeOrbitScene(state, bodies, trail + 100, trail);
    for (int k = 1; k <= bodies; ++k)
        state.loaded().fields.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
    ResolveBodyColours(state.loaded());
    state.playback.position = trail;
}

/// Writes about `megabytes` MB of a table to `path`: a time column and x, y
/// and z of 30 bodies on circles inclined up to 30 degrees, the innermost
/// once round in 2,000 rows. Returns the rows written.
int WriteSpaceTable(const std::string& path, double megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::fprintf(out, "t");
    for (int k = 1; k <= 30; ++k) std::fprintf(out, ",x%d,y%d,z%d", k, k, k);
    std::fputc('\n', out);
    int rows = 0;
    for (; std::ftell(out) < megabytes * 1e6; ++rows) {
        std::fprintf(out, "%.6f", rows * 0.001);
        for (int k = 1; k <= 30; ++k) {
            const double radius = 1 + 0.3 * k, angle = 2 * M_PI * rows / (2000 * std::pow(radius, 1.5));
            const double tilt = M_PI / 6 * k / 30, node = k;
            const double x = radius * std::cos(angle), y = radius * std::sin(angle);
            std::fprintf(out, ",%.9g,%.9g,%.9g", x * std::cos(node) - y * std::cos(tilt) * std::sin(node),
                         x * std::sin(node) + y * std::cos(tilt) * std::cos(node), y * std::sin(tilt));
        }
        std::fputc('\n', out);
    }
    std::fclose(out);
    return rows;
}

void Send(SimulationView& view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)), button, held, {});
    QApplication::sendEvent(&view, &event);
}

/// Pictures per second while dragging for `seconds`, in a window of
/// `width` x `height`.
double DragPicturesPerSecond(const Setup& setup, double seconds, int width, int height) {
    SimulationState state;
    PlotBox plot;
    SilentServices silent;
    CMainFrame frame(state, plot, silent, silent, silent);
    InitialiseDefaults(state, plot);
    setup(state, frame);
    frame.runCommand(ID_STYLE_PUBLICATION);
    frame.resize(width, height);
    frame.show();
    // The first window of a process can take a moment to be on the screen.
    QElapsedTimer shown;
    shown.start();
    while (!frame.windowHandle()->isExposed() && shown.elapsed() < 5000) QApplication::processEvents();
    SimulationView& view = *frame.view();
    view.repaint();
    QApplication::processEvents();
    int pictures = 0;
    QObject::connect(&view, &SimulationView::framePresented, [&] { ++pictures; });
    QPoint at(width / 2, height / 2);
    Send(view, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    QElapsedTimer clock;
    clock.start();
    for (int step = 0; clock.elapsed() < seconds * 1000; ++step) {
        // Round and round: 4 pixels right a step, and up and down by turns.
        at += QPoint(4, (step / 20) % 2 ? 2 : -2);
        if (at.x() > width - 10) at.setX(10);
        Send(view, QEvent::MouseMove, at, Qt::NoButton, Qt::RightButton);
        view.repaint();
    }
    const double elapsed = clock.elapsed() / 1000.0;
    Send(view, QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    return pictures / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int programOnly = 1;
    QApplication app(programOnly, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    int width = 1920, height = 1080;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) return 2;
    const double megabytes = argc > 3 ? std::atof(argv[3]) : 300;
    struct Scene {
        std::string name;
        Setup setup;
    };
    std::vector<Scene> scenes;
    for (const auto [bodies, trail] : {std::pair{30, 10000}, std::pair{1000, 300}})
        scenes.push_back(
            {std::to_string(bodies) + " bodies with trails of " + std::to_string(trail) + " rows",
             [bodies, trail](SimulationState& s, CMainFrame&) { OrbitScene(s, bodies, trail); }});
    QTemporaryDir folder;
    const std::string table = folder.filePath("space.csv").toStdString();
    if (megabytes > 0) {
        const int rows = WriteSpaceTable(table, megabytes);
        // With the trail of the largest scene, only the table's size
        // differs; then with the trail the table infers (its outermost
        // body once round).
        for (const int trail : {10000, 0}) {
            char name[160];
            std::snprintf(name, sizeof name, "a %.0f MB table of 30 bodies in space (%d rows), trails of %s",
                          megabytes, rows, trail ? "10000 rows" : "one orbit of the outermost");
            scenes.push_back({name, [table, trail](SimulationState& s, CMainFrame& frame) {
                                  frame.openAtStart(table);
                                  while (s.playback.loading) QApplication::processEvents();
                                  if (!s.loaded().dataLoaded) std::exit(1);
                                  if (trail) s.view.trailLength = trail;
                                  s.playback.position = s.loaded().usableRows() / 2;
                              }});
        }
    }
    const std::string only = argc > 4 ? argv[4] : "";
    for (const Scene& scene : scenes) {
        if (scene.name.find(only) == std::string::npos) continue;
        std::vector<double> rates;
        for (int round = 0; round < 3; ++round)
            rates.push_back(DragPicturesPerSecond(scene.setup, seconds, width, height));
        std::sort(rates.begin(), rates.end());
        std::printf(
            "median of 3 rounds at %dx%d, %s, publication look: %.1f pictures/s while turning (%.1f to "
            "%.1f)\n",
            width, height, scene.name.c_str(), rates[1], rates[0], rates[2]);
        std::fflush(stdout);
    }
    return 0;
}
