#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTimer>
#include <cmath>
#include <filesystem>

#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/picture_export.h"
#include "app/simulation_view.h"
#include "app/video_recording.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"
#include "test_support.h"

namespace {

class NoDialog : public FileDialog {
public:
    bool PromptForFile(const std::string&, const std::string&, const std::string&, std::string&) override {
        return false;
    }
};
class NoEditor : public ExternalEditor {
public:
    bool Open(const std::string&) override { return false; }
};

struct ExportFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    NoDialog dialog;
    NoEditor editor;
    TempDir dir;
    std::unique_ptr<CMainFrame> frame;

    void SetUp() override {
        frame = std::make_unique<CMainFrame>(state, plot, host, dialog, editor);
        InitialiseDefaults(state, plot);
        frame->show();
        QApplication::processEvents();
        dir.write("sim.dat", DataText(300, 2));
        frame->openAtStart(dir.write("sim.ovx", ConfigText("sim.dat", 300, 2, 1, 20)));
        frame->runCommand(ID_TOGGLE_FULL_WINDOW);  // framed: labels and title
        frame->view()->repaint();
    }
    QString Path(const char* name) const { return QString::fromStdString(dir.path() + "/" + name); }
};

/// Pixels near `rgb`.
int CountNear(const QImage& image, QRgb rgb) {
    const QColor want(rgb);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                         std::abs(c.blue() - want.blue()) <
                     60;
        }
    return count;
}

TEST_F(ExportFixture, PicturesFromTheWindow) {
    ASSERT_TRUE(state.dataLoaded);
    frame->goToRow(100);
    frame->view()->repaint();
    ASSERT_EQ(frame->exportPicture(Path("one.png"), 1), "");
    EXPECT_EQ(QImage(Path("one.png")).convertToFormat(QImage::Format_RGB32), *frame->view()->frame());

    ASSERT_TRUE(frame->exportPicture(Path("two.png"), 2).empty());
    const QImage one = *frame->view()->frame(), two(Path("two.png"));
    ASSERT_EQ(two.size(), one.size() * 2);
    // The sun's disc (the bodies are off the box by now): twice the radius is four times the area.
    const QRgb sun = qRgb(0xF0, 0xF0, 0x00);
    const int area = CountNear(one, sun);
    ASSERT_GT(area, 80);
    EXPECT_NEAR(std::sqrt(double(CountNear(two, sun)) / area), 2.0, 0.1);

    ASSERT_TRUE(frame->exportPicture(Path("view.svg"), 1).empty());
    QSvgRenderer svg(Path("view.svg"));
    EXPECT_TRUE(svg.isValid());
    QFile svgFile(Path("view.svg"));
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray svgText = svgFile.readAll();
    EXPECT_TRUE(svgText.contains(">2 planet simulation<")) << "the title as text";
    EXPECT_TRUE(svgText.contains(">-2.00<") && svgText.contains(">2.00<")) << "the labels as text";

    ASSERT_TRUE(frame->exportPicture(Path("view.pdf"), 1).empty());
    QFile pdf(Path("view.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray pdfText = pdf.readAll();
    EXPECT_TRUE(pdfText.startsWith("%PDF-"));
    EXPECT_EQ(pdfText.count("/Type /Page\n") + pdfText.count("/Type /Page "), 1);
    EXPECT_TRUE(pdfText.contains("/Font")) << "text drawn as text, with its font";
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    QProcess extract;
    extract.start("pdftotext", {Path("view.pdf"), "-"});
    ASSERT_TRUE(extract.waitForFinished(20000));
    const QByteArray words = extract.readAllStandardOutput();
    EXPECT_TRUE(words.contains("2 planet simulation") && words.contains("-2.00")) << words.toStdString();
}

TEST_F(ExportFixture, FailedExportsLeaveNoFile) {
    EXPECT_FALSE(frame->exportPicture(Path("missing/a.svg"), 1).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/missing"));
    // A cancel at the third frame stops the encoder and removes what it wrote.
    int calls = 0;
    const std::string problem = RecordVideo(state, plot, {.width = 64, .height = 64, .fps = 10, .ticks = 50},
                                            Path("cut.mp4"), [&](int, int) { return ++calls < 3; });
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) GTEST_SKIP() << "ffmpeg is not installed";
    EXPECT_EQ(problem, "cancelled");
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path()) == std::filesystem::directory_iterator(),
              false);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find("cut.mp4"), std::string::npos) << entry.path();
}

TEST_F(ExportFixture, VideoFromTheWindowKeepsTheViewAsItWas) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) GTEST_SKIP() << "ffmpeg is not installed";
    frame->goToRow(40);
    frame->view()->repaint();
    frame->runCommand(ID_PLAY_PAUSE);
    frame->view()->repaint();
    ASSERT_TRUE(frame->view()->timerRunning());
    const int row = state.position;
    ASSERT_TRUE(frame->exportVideo(Path("clip.gif"), 9, 25).empty());
    EXPECT_EQ(state.position, row);
    EXPECT_TRUE(frame->view()->timerRunning());
    if (QStandardPaths::findExecutable("ffprobe").isEmpty()) GTEST_SKIP() << "ffprobe is not installed";
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                            "stream=width,height,nb_read_frames", "-of", "csv=p=0", Path("clip.gif")});
    ASSERT_TRUE(probe.waitForFinished(20000));
    const QSize size = frame->view()->frame()->size();
    EXPECT_EQ(probe.readAllStandardOutput().trimmed(),
              QString("%1,%2,10").arg(size.width()).arg(size.height()).toLatin1());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
