// Drives the real window: the pictures per second while the view is turned
// by a drag with the right button, on the largest scenes in the publication
// look (30 bodies with trails of 10,000 rows; a table of 1,000 bodies with
// trails of 300), and the ticks per second of the same scene not turned,
// alternated with the scene never turned. Each picture is a drag step sent
// to the view and the paint it asks for, as the screen gets it.
//
//   turn_bench [SECONDS] [WxH]

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

struct Scene {
    int bodies;
    int trail;
};

void Send(SimulationView& view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)), button, held, {});
    QApplication::sendEvent(&view, &event);
}

/// Pictures per second while dragging for `seconds`, in a window of
/// `width` x `height`.
double DragPicturesPerSecond(const Scene& scene, double seconds, int width, int height) {
    SimulationState state;
    PlotBox plot;
    SilentServices silent;
    CMainFrame frame(state, plot, silent, silent, silent);
    InitialiseDefaults(state, plot);
    MakeOrbitScene(state, scene.bodies, scene.trail + 100, scene.trail);
    for (int k = 1; k <= scene.bodies; ++k)
        state.loaded().fields.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
    ResolveBodyColours(state.loaded());
    state.playback.position = scene.trail;
    frame.runCommand(ID_STYLE_PUBLICATION);
    frame.resize(width, height);
    frame.show();
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
    for (const Scene scene : {Scene{30, 10000}, Scene{1000, 300}}) {
        std::vector<double> rates;
        for (int round = 0; round < 3; ++round)
            rates.push_back(DragPicturesPerSecond(scene, seconds, width, height));
        std::sort(rates.begin(), rates.end());
        std::printf(
            "median of 3 rounds at %dx%d, %d bodies with trails of %d rows, publication look: %.1f "
            "pictures/s while turning (%.1f to %.1f)\n",
            width, height, scene.bodies, scene.trail, rates[1], rates[0], rates[2]);
    }
    return 0;
}
