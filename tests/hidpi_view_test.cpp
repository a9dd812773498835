#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QSet>

#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/simulation_view.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"
#include "test_support.h"

namespace {

struct Quiet : FileDialog, ExternalEditor {
    bool PromptForFile(const std::string&, const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool Open(const std::string&) override { return false; }
};

/// Distinct colours in `image`.
int Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return int(colours.size());
}

TEST(HighDensityView, DrawsAtTheScreensRatioAndKeepsTheRasterForExport) {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    Quiet quiet;
    TempDir dir;
    CMainFrame frame(state, plot, host, quiet, quiet);
    InitialiseDefaults(state, plot);
    frame.show();
    QApplication::processEvents();
    dir.write("sim.dat", DataText(100, 2));
    frame.openAtStart(dir.write("sim.ovx", ConfigText("sim.dat", 100, 2, 1, 20, 0, "-3 -3 3 3")));
    frame.runCommand(ID_TOGGLE_FULL_WINDOW);
    frame.view()->repaint();
    ASSERT_GE(frame.view()->devicePixelRatioF(), 2.0);

    const QImage* raster = frame.view()->frame();
    ASSERT_TRUE(raster);
    const QImage shown = frame.view()->grab(frame.view()->contentsRect()).toImage();
    EXPECT_EQ(shown.size(), raster->size() * 2);
    // The raster has a handful of flat colours, and stretched it keeps them;
    // drawn at the ratio, the smooth edges of text and discs add many more.
    EXPECT_LT(Colours(*raster), 10);
    EXPECT_GT(Colours(shown), 50);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
