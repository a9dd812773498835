#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/simulation_view.h"
#include "app/video_recording.h"
#include "page/packed_positions.h"
#include "publication/frame_loop.h"
#include "recording_surface.h"
#include "window_fixture.h"

namespace {

/// A shown window with two bodies loaded, framed (labels and title).
struct ExportFixture : FrameFixture {
    void SetUp() override {
        FrameFixture::SetUp();
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
    ASSERT_TRUE(state.loaded().dataLoaded);
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

TEST_F(ExportFixture, APageFromTheWindowPlaysItsRowsAtItsSize) {
    frame->goToRow(100);
    frame->view()->repaint();
    ASSERT_EQ(frame->exportPage(Path("view.html")), "");
    QFile page(Path("view.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray text = page.readAll();
    const QSize size = frame->view()->frame()->size();
    EXPECT_TRUE(text.startsWith("<!DOCTYPE html>"));
    for (const QByteArray& part : {QByteArray("\"row\":100,"), QByteArray("\"rows\":300,"),
                                   "\"width\":" + QByteArray::number(size.width()) + ",",
                                   "\"height\":" + QByteArray::number(size.height()) + ","})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    EXPECT_EQ(text.count("class=\"ovx-part\""), 3) << "the times and two bodies";
    EXPECT_FALSE(frame->exportPage(Path("missing/view.html")).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/missing"));
}

TEST_F(ExportFixture, APageWhoseDataCannotBeCompressedIsNotWritten) {
    // zlib short of memory: the page that was there stays, nothing is left beside it.
    dir.write("view.html", "the page before");
    {
        StarvedCompression starved;
        EXPECT_EQ(frame->exportPage(Path("view.html")),
                  "Cannot write " + dir.path() +
                      "/view.html: its data could not be compressed (zlib: "
                      "insufficient memory)");
    }
    QFile kept(Path("view.html"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll().toStdString(), "the page before");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"sim.dat", "sim.ovx", "view.html"}));
    EXPECT_EQ(frame->exportPage(Path("view.html")), "");
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

/// Limits the size of the files this process (and what it starts) writes,
/// with the signal that would end it ignored, while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*signal_)(int) = nullptr;
};

TEST_F(ExportFixture, AFailedWriteSaysWhyAndLeavesNoFile) {
    const bool encoder = !QStandardPaths::findExecutable("ffmpeg").isEmpty();
    const std::string tooLarge = std::strerror(EFBIG);
    std::vector<std::pair<std::string, std::string>> made;  // the output and what came of it
    {
        const FileSizeLimit limit(1024);
        for (const char* name : {"one.png", "view.svg", "view.pdf"})
            made.emplace_back(name, frame->exportPicture(Path(name), 1));
        made.emplace_back("two.png", frame->exportPicture(Path("two.png"), 2));
        if (encoder) made.emplace_back("clip.mp4", frame->exportVideo(Path("clip.mp4"), 5, 25));
    }
    for (const auto& [name, problem] : made) {
        EXPECT_EQ(problem, "Cannot write " + Path(name.c_str()).toStdString() + ": " + tooLarge);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().find(name), std::string::npos) << entry.path();
    }
}

TEST_F(ExportFixture, PlannedFramesAreTheFramesARecordingWrites) {
    struct Case {
        bool loop;
        TrailMode mode;
        int32_t position;
        std::optional<int> ticks;
    };
    // 300 rows with a trail of 20: ahead the playback ends at row 279.
    const Case cases[] = {
        {false, TrailMode::Ahead, 0, std::nullopt},
        {false, TrailMode::Ahead, 270, 50},
        {false, TrailMode::Ahead, 270, 5},
        {false, TrailMode::Ahead, 279, 4},
        {false, TrailMode::Behind, 290, 30},
        {true, TrailMode::Ahead, 270, std::nullopt},
        {true, TrailMode::Ahead, 279, std::nullopt},
        {true, TrailMode::Ahead, 270, 50},
        {true, TrailMode::Behind, 299, std::nullopt},
    };
    for (const Case& c : cases) {
        state.view.loopPlayback = c.loop;
        state.view.trailMode = c.mode;
        state.playback.position = c.position;
        const int planned = PlannedFrames(state, {.ticks = c.ticks});
        PlotBox copy = plot;
        RecordingSurface surface;
        int frames = 0;
        RunFrameLoop(state, copy, surface, 100, 100, nullptr, c.ticks, [&](int) { return ++frames < 1000; });
        EXPECT_EQ(planned, frames) << "loop " << c.loop << ", mode " << int(c.mode) << ", from " << c.position
                                   << ", ticks " << c.ticks.value_or(-1);
    }
}

TEST_F(ExportFixture, VideoFromTheWindowKeepsTheViewAsItWas) {
    if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) GTEST_SKIP() << "ffmpeg is not installed";
    frame->goToRow(40);
    frame->view()->repaint();
    frame->runCommand(ID_PLAY_PAUSE);
    frame->view()->repaint();
    ASSERT_TRUE(frame->view()->timerRunning());
    const int row = state.playback.position;
    ASSERT_TRUE(frame->exportVideo(Path("clip.gif"), 9, 25).empty());
    EXPECT_EQ(state.playback.position, row);
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

/// Answers File > Export Video's save dialog with `path`, typed as a user
/// does, and its video dialog with `act`.
void AnswerVideoDialogs(FrameFixture& fixture, const QString& path, std::function<void(QDialog&)> act) {
    fixture.OnNextDialog([&fixture, path, act](QDialog& files) {
        auto* name = files.findChild<QLineEdit*>("fileNameEdit");
        if (!name) {
            ADD_FAILURE() << "no file name field in " << files.windowTitle();
            return files.reject();
        }
        name->setText(path);
        fixture.OnNextDialog([act](QDialog& video) {
            if (video.findChild<QRadioButton*>("forTicks")) return act(video);
            ADD_FAILURE() << "not the video dialog: " << video.windowTitle();
            video.reject();
        });
        files.accept();
    });
}

TEST_F(ExportFixture, TheVideoDialogsChoiceReachesTheRecording) {
    AnswerVideoDialogs(*this, Path("none.gif"), [](QDialog& d) { d.reject(); });
    frame->runCommand(ID_EXPORT_VIDEO);
    EXPECT_FALSE(std::filesystem::exists(Path("none.gif").toStdString()));

    if (QStandardPaths::findExecutable("ffprobe").isEmpty()) GTEST_SKIP() << "ffprobe is not installed";
    AnswerVideoDialogs(*this, Path("ticks.gif"), [](QDialog& d) {
        d.findChild<QRadioButton*>("forTicks")->setChecked(true);
        d.findChild<QSpinBox*>("ticks")->setValue(9);
        d.findChild<QDoubleSpinBox*>("fps")->setValue(12.5);  // not the default rate
        d.accept();
    });
    frame->runCommand(ID_EXPORT_VIDEO);
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                            "stream=nb_read_frames:format=duration", "-of", "csv=p=0", Path("ticks.gif")});
    ASSERT_TRUE(probe.waitForFinished(20000));
    // Ten frames (the start and 9 ticks) of 80 ms each.
    EXPECT_EQ(probe.readAllStandardOutput().simplified(), "10 0.800000");
}

}  // namespace
