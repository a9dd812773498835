#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QStringList>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <utility>
#include <vector>

#include "base/format.h"
#include "process_runner.h"
#include "test_support.h"

namespace {

using Result = ProcessResult;

Result RunOrbivex(const std::string& args, const TempDir& dir) {
    return ::RunOrbivex(args, dir.path(), dir.path());
}

/// A refused command line prints its one line and where to look, not the whole help.
bool IsOneComplaint(const std::string& err) {
    const std::string tail = "\nTry 'orbivex --help'\n";
    return err.rfind("orbivex: ", 0) == 0 && err.ends_with(tail) &&
           err.find('\n') == err.size() - tail.size();
}

TEST(RenderCommand, HelpVersionAndBadArguments) {
    TempDir dir;
    const Result help = RunOrbivex("--help", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--render OUT.png"), std::string::npos);
    EXPECT_EQ(RunOrbivex("--version", dir).out, "Orbivex 1.0\n");
    for (const char* bad :
         {"--render", "--render out.png", "--render a.png --size 0x5 c.ovx", "--render a.png --size 10 c.ovx",
          "--render a.png --bogus c.ovx", "--render a.png --ticks -1 c.ovx",
          "--render a.png --frames d c.ovx", "--render a.png --run-names x a.ovx b.ovx"}) {
        const Result result = RunOrbivex(bad, dir);
        EXPECT_EQ(result.status, 2) << bad;
        EXPECT_TRUE(IsOneComplaint(result.err)) << bad << ": " << result.err;
    }
    const std::pair<const char*, const char*> refused[] = {
        {"--trail sideways", "orbivex: --trail wants ahead, behind or both"},
        {"--trail Both", "orbivex: --trail wants ahead, behind or both"},
        {"--time soon", "orbivex: --time wants a finite number"},
        {"--time inf", "orbivex: --time wants a finite number"},
        {"--time 2 --row 3", "orbivex: --row and --time cannot be given together"},
        {"--box 1,2,3", "orbivex: --box wants"},
        {"--box 0,0,1,1,", "orbivex: --box wants"},
        {"--box 0,0,1,nan", "orbivex: --box wants"},
        {"--box 2,0,1,1", "orbivex: --box wants"},
        {"--box 0,1,1,1", "orbivex: --box wants"},
        {"--box 0,0,x,1", "orbivex: --box wants"},
        {"--fade=1", "orbivex: Unexpected value after '--fade'"},
        {"--speed fast", "orbivex: --speed wants a number above 0, or rows per second as 200r"},
    };
    for (const auto& [args, line] : refused) {
        const Result result = RunOrbivex(std::string("--render a.png ") + args + " c.ovx", dir);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.err.rfind(line, 0), 0u) << args << ": " << result.err;
        EXPECT_TRUE(IsOneComplaint(result.err)) << args << ": " << result.err;
    }
}

TEST(RenderCommand, ViewOptionsWithoutAPictureOpenTheViewer) {
    TempDir dir;
    dir.write("run.dat", DataText(50, 2));
    dir.write("run.ovx", ConfigText("run.dat", 50, 2));
    // The viewer reports its first painted frame and leaves.
    const Result opened =
        ::RunOrbivex("--equal-aspect --trail behind --fade --loop --framed --time 3 --frame rotate:2 run.ovx",
                     dir.path(), dir.path(), "QT_QPA_PLATFORM=offscreen ORBIVEX_FIRST_FRAME_PROBE=1");
    EXPECT_EQ(opened.status, 0) << opened.err;
    EXPECT_EQ(opened.out.rfind("first-frame ", 0), 0u);
    for (const char* pictureOnly : {"--ticks 5 run.ovx", "--size 10x10 run.ovx", "--yes run.ovx"}) {
        const Result refused = RunOrbivex(pictureOnly, dir);
        EXPECT_EQ(refused.status, 2) << pictureOnly;
        EXPECT_NE(refused.err.find(
                      "does not go with the viewer: it goes with --render, --frames, --video or --html"),
                  std::string::npos)
            << pictureOnly;
    }
    // A frame the data cannot have is refused as the renderer refuses it.
    const Result noBody = ::RunOrbivex("--frame centre:3 run.ovx", dir.path(), dir.path(),
                                       "QT_QPA_PLATFORM=offscreen ORBIVEX_FIRST_FRAME_PROBE=1");
    EXPECT_EQ(noBody.status, 2);
    EXPECT_NE(noBody.err.find("orbivex: --frame centre:3: no body 3: the bodies are 1 to 2\n"),
              std::string::npos)
        << noBody.err;
}

/// Width and height in pixels of what `image` holds in `colour`.
std::pair<int, int> ExtentOf(const QImage& image, QRgb colour) {
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != colour) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    return {right - left, bottom - top};
}

TEST(RenderCommand, EqualAspectDrawsACircularOrbitRoundInAWideView) {
    TempDir dir;
    std::string data;
    for (int r = 0; r < 100; ++r)
        data += std::to_string(r) + " " + std::to_string(std::cos(r * M_PI / 48)) + " " +
                std::to_string(std::sin(r * M_PI / 48)) + "\n";
    dir.write("circle.dat", data);
    dir.write("circle.ovx",
              "data = circle.dat\nlines = 100\nbodies = 1\nradii = 3\ncolours = 1\nbox = -2 -2 2 2\n"
              "delay = 20\nstep = 1\npoints = 97\nstart = 0\nsun = 0\naxes = 0\nplanets = 0\norbits = 1\n");
    const QRgb trail = 0xFF8C4600;  // colour code 1
    for (const bool equal : {true, false}) {
        const std::string aspect = equal ? "--equal-aspect " : "";
        const Result result = RunOrbivex(
            "--render out.png --size 640x300 " + aspect + "--box -1.5,-1.5,1.5,1.5 circle.ovx", dir);
        ASSERT_EQ(result.status, 0) << result.err;
        const auto [width, height] = ExtentOf(QImage(QString::fromStdString(dir.path() + "/out.png")), trail);
        // The box's 3 units over 300 pixels: a circle of radius 1 is 200 pixels high.
        EXPECT_NEAR(height, 200, 2);
        EXPECT_NEAR(width, equal ? height : 640 * 2 / 3, equal ? 1 : 2);
    }
}

/// The centre of the pixels of `colour`, or (-1, -1) without any.
std::pair<double, double> CentreOf(const QImage& image, QRgb colour) {
    double x = 0, y = 0, n = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i)
            if (image.pixel(i, j) == colour) x += i, y += j, ++n;
    return n ? std::pair{x / n, y / n} : std::pair{-1.0, -1.0};
}

TEST(RenderCommand, AFrameHoldsItsBodyStillAndTheInertialOneDrawsAsWithout) {
    TempDir dir;
    std::string data;
    for (int r = 0; r < 120; ++r) {
        const double a1 = r * 0.05, a2 = r * 0.05 / std::pow(1.6, 1.5) + 1;
        data += std::to_string(r) + " " + std::to_string(std::cos(a1)) + " " + std::to_string(std::sin(a1)) +
                " " + std::to_string(1.6 * std::cos(a2)) + " " + std::to_string(1.6 * std::sin(a2)) + "\n";
    }
    dir.write("two.dat", data);
    const std::string config =
        "data = two.dat\nlines = 120\nbodies = 2\nradii = 3 3\ncolours = 4 5\nbox = -2 -2 2 2\n"
        "delay = 20\nstep = 1\npoints = 10\nstart = 0\nsun = 0\naxes = 0\nplanets = 1\norbits = 0\n";
    dir.write("two.ovx", config);
    const QRgb green = 0xFF007800, blue = 0xFF0000B4;  // codes 4 and 5
    const auto frames = [&](const std::string& frame) {
        std::filesystem::remove_all(dir.path() + "/f");
        const Result result =
            RunOrbivex("--frames f --size 201x201 --ticks 30 --frame " + frame + " two.ovx", dir);
        EXPECT_EQ(result.status, 0) << frame << ": " << result.err;
        std::vector<QImage> images;
        for (int k = 0; k <= 30; k += 6)
            images.emplace_back(QString::fromStdString(dir.path() + Format("/f/frame-%06d.png", k)));
        return images;
    };
    // Centred on the blue body: it stays in the middle of the view.
    for (const QImage& image : frames("centre:2")) {
        const auto [x, y] = CentreOf(image, blue);
        EXPECT_NEAR(x, 100, 1);
        EXPECT_NEAR(y, 100, 1);
    }
    // Turning with the green body: it stays on one pixel while the blue one goes round.
    const std::vector<QImage> turning = frames("rotate:1");
    for (const QImage& image : turning) EXPECT_EQ(CentreOf(image, green), CentreOf(turning.front(), green));
    EXPECT_NE(CentreOf(turning.back(), blue), CentreOf(turning.front(), blue));
    // The inertial frame is the data's own: the same frames as without the option.
    const std::vector<QImage> inertial = frames("inertial");
    std::filesystem::remove_all(dir.path() + "/f");
    ASSERT_EQ(RunOrbivex("--frames f --size 201x201 --ticks 30 two.ovx", dir).status, 0);
    for (int k = 0; k <= 30; k += 6)
        EXPECT_TRUE(inertial[std::size_t(k / 6)] ==
                    QImage(QString::fromStdString(dir.path() + Format("/f/frame-%06d.png", k))));
    // Frames that cannot be had say why, and write nothing.
    const std::pair<const char*, const char*> refused[] = {
        {"centre:3", "orbivex: --frame centre:3: no body 3: the bodies are 1 to 2\n"},
        {"barycentre",
         "orbivex: --frame barycentre: the barycentre needs a mass for each of the 2 bodies: give --masses "
         "M1,M2,... (and --sun-mass M), or a line \"masses = ...\" in the configuration, or a line \"# "
         "masses = "
         "...\" above a table's rows\n"},
        {"sideways",
         "orbivex: --frame sideways: 'sideways' is not a frame: inertial, centre:N, rotate:N, "
         "rotate:N,scaled or "
         "barycentre\n"},
    };
    for (const auto& [frame, says] : refused) {
        const Result result = RunOrbivex(std::string("--render no.png --frame ") + frame + " two.ovx", dir);
        EXPECT_EQ(result.status, 2) << frame;
        EXPECT_EQ(result.err, says);
        EXPECT_FALSE(std::filesystem::exists(dir.path() + "/no.png"));
    }
    dir.write("two.ovx", config + "masses = 1 1\n");
    EXPECT_EQ(RunOrbivex("--render yes.png --frame barycentre two.ovx", dir).status, 0);
}

TEST(RenderCommand, LoopRunsEveryTickAsked) {
    TempDir dir;
    dir.write("run.dat", DataText(20, 1));
    dir.write("run.ovx", ConfigText("run.dat", 20, 1, 1, 5, 3));
    const Result result = RunOrbivex("--frames frames --ticks 30 --loop --trail both --fade run.ovx", dir);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/frames/frame-000030.png"));
}

TEST(RenderCommand, RendersFramedPictureWithDataBesideTheConfiguration) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() + "/sim");
    dir.write("sim/run.dat", DataText(50, 2));
    dir.write("sim/run.ovx", ConfigText("run.dat", 50, 2, 1, 10, 0, "-60 -60 60 60"));
    const Result result = RunOrbivex("--render out.png --size 300x200 --framed --ticks 5 sim/run.ovx", dir);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const QImage image(QString::fromStdString(dir.path() + "/out.png"));
    ASSERT_EQ(image.size(), QSize(300, 200));
    EXPECT_EQ(image.pixel(2, 198), 0xFFFFFFFFu);    // outside the plot box
    EXPECT_EQ(image.pixel(270, 180), 0xFF000000u);  // the outer frame's bottom-right corner
    EXPECT_EQ(image.pixel(150, 100), 0xFF000000u);  // the axes cross over the sun
    EXPECT_EQ(image.pixel(152, 102), 0xFFF0F000u);  // the sun
    EXPECT_EQ(image.pixel(200, 60), 0xFFF0F0F0u);   // the box's fill
}

TEST(RenderCommand, LoadFailuresPrintTheMessagesAndWriteNothing) {
    TempDir dir;
    Result result = RunOrbivex("--render out.png missing.ovx", dir);
    EXPECT_EQ(result.status, 1);
    const std::string path = dir.path() + "/missing.ovx";
    EXPECT_EQ(result.err, "Config File " + path + " is not found\nError -1 in Config File " + path + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/out.png"));

    dir.write("short.dat", DataText(3, 1));
    dir.write("short.ovx", ConfigText("short.dat", 10, 1));
    result = RunOrbivex("--render out.png short.ovx", dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Data File error at line 3\nSet number of data equal to 3?\n");
    result = RunOrbivex("--render out.png --yes short.ovx", dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/out.png"));
}

/// The bytes of the file `name` in `dir`.
std::string FileBytes(const TempDir& dir, const std::string& name) {
    std::ifstream in(dir.path() + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RenderCommand, ATableOpensDirectlyAndItsWrittenConfigurationShowsTheSame) {
    TempDir dir;
    std::string table = "# made by hand\nt [yr],Earth_x [AU],Earth_y,Earth_z,Mars_x,Mars_y,Mars_z\n";
    for (int r = 0; r < 80; ++r)
        table += std::to_string(r) + "," + std::to_string(std::cos(r / 9.0)) + "," +
                 std::to_string(std::sin(r / 9.0)) + "," + std::to_string(r / 100.0) + "," +
                 std::to_string(1.5 * std::cos(r / 15.0)) + "," + std::to_string(1.5 * std::sin(r / 15.0)) +
                 ",0\n";
    dir.write("orbits.csv", table);
    for (const char* plane : {"xy", "xz"}) {
        SCOPED_TRACE(plane);
        const std::string view = std::string(" --plane ") + plane;
        Result result = RunOrbivex("--render direct.png --framed --ticks 9" + view + " orbits.csv", dir);
        ASSERT_EQ(result.status, 0) << result.err;
        result = RunOrbivex("--write-config orbits.ovx" + view + " orbits.csv", dir);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out + result.err, "");
        const std::string config = FileBytes(dir, "orbits.ovx");
        EXPECT_NE(config.find("data file = orbits.csv\n"), std::string::npos) << config;
        EXPECT_NE(config.find("names = Earth Mars\ntime unit = yr\nlength unit = AU\n"), std::string::npos);
        result = RunOrbivex("--render saved.png --framed --ticks 9 orbits.ovx", dir);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(FileBytes(dir, "direct.png"), FileBytes(dir, "saved.png"));
    }

    table.replace(table.find("\n3,") + 3, 1, "abc");
    dir.write("broken.csv", table);
    const Result broken = RunOrbivex("--render broken.png broken.csv", dir);
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.err.rfind("Line 6, column 2: 'abc", 0), 0u) << broken.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/broken.png"));
}

TEST(RenderCommand, SevenColumnsWithoutAHeaderAreReadAsTheColumnsOptionSaysAndTheConfigurationKeepsIt) {
    TempDir dir;
    std::string table;
    for (int r = 0; r < 40; ++r)
        table += Format("%d %g %g %g %g %g %g\n", r, std::cos(r / 5.0), std::sin(r / 5.0), 0.5,
                        2 * std::cos(r / 9.0), 2 * std::sin(r / 9.0), 0.0);
    dir.write("seven.txt", table);
    const std::string note =
        "7 columns read as the time and x, y of 3 bodies; --columns xyz reads them as x, y, z of 2\n";
    Result result = RunOrbivex("--render xy.png seven.txt", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, note);
    result = RunOrbivex("--render xyz.png --columns xyz seven.txt", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(FileBytes(dir, "xy.png"), FileBytes(dir, "xyz.png"));
    result = RunOrbivex("--write-config seven.ovx --columns xyz seven.txt", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(FileBytes(dir, "seven.ovx").find("\ncolumns = xyz\n"), std::string::npos);
    result = RunOrbivex("--render saved.png seven.ovx", dir);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(FileBytes(dir, "saved.png"), FileBytes(dir, "xyz.png"));
}

TEST(RenderCommand, AConfigurationIsNotWrittenOverTheDataItIsMadeFrom) {
    TempDir dir;
    std::string table = "t x y\n";
    for (int r = 0; r < 50; ++r) table += std::to_string(r) + " " + std::to_string(r % 7) + " 1\n";
    dir.write("t.txt", table);
    ASSERT_EQ(::link((dir.path() + "/t.txt").c_str(), (dir.path() + "/hard.ovx").c_str()), 0);
    dir.write("run.dat", DataText(20, 1));
    dir.write("run.ovx", ConfigText("run.dat", 20, 1));
    // The same file under its own name, another spelling and a hard link;
    // the data file of a classic configuration as well.
    const std::pair<std::string, const char*> cases[] = {
        {"t.txt t.txt", "t.txt"},    {"./t.txt t.txt", "t.txt"},  {dir.path() + "/t.txt t.txt", "t.txt"},
        {"hard.ovx t.txt", "t.txt"}, {"t.txt hard.ovx", "t.txt"}, {"run.dat run.ovx", "run.dat"},
    };
    for (const auto& [args, data] : cases) {
        SCOPED_TRACE(args);
        const std::string before = FileBytes(dir, data);
        const Result result = RunOrbivex("--write-config " + args, dir);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("would replace the data file"), std::string::npos) << result.err;
        EXPECT_EQ(FileBytes(dir, data), before);
    }
    // Another name beside it is written, and shows the table.
    const Result beside = RunOrbivex("--write-config t.ovx t.txt", dir);
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_NE(FileBytes(dir, "t.ovx").find("data file = t.txt\n"), std::string::npos);
}

TEST(RenderCommand, FramesStopWhereThePlaybackStops) {
    TempDir dir;
    dir.write("run.dat", DataText(20, 1));
    dir.write("run.ovx", ConfigText("run.dat", 20, 1, 1, 5));
    const Result result = RunOrbivex("--frames frames --ticks 100 --row 2 run.ovx", dir);
    EXPECT_EQ(result.status, 0) << result.err;
    // From row 2 the ticks reach rows 3 to 14; the one reaching 14 stops.
    int frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() + "/frames")) {
        (void)entry;
        ++frames;
    }
    EXPECT_EQ(frames, 1 + 12);
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/frames/frame-000012.png"));
    EXPECT_EQ(
        result.err,
        "The data ran out after 12 of 100 ticks, at row 14: the trail needs 5 rows after the row shown, "
        "and the data has 20 rows\n");
}

TEST(RenderCommand, SpeedSetsTheRowsEachFrameMoves) {
    TempDir dir;
    dir.write("run.dat", DataText(20, 1));  // rows one time unit apart
    dir.write("run.ovx", ConfigText("run.dat", 20, 1, 1, 5));
    // 300 time units a second is 300 rows a second: 3 rows each 10 ms.
    const std::pair<const char*, int> cases[] = {{"--speed 300", 4}, {"--speed 600r", 2}};
    for (const auto& [speed, ticks] : cases) {
        const Result result =
            RunOrbivex(std::string("--frames frames --ticks 100 --row 2 ") + speed + " run.ovx", dir);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err.rfind(Format("The data ran out after %d of 100 ticks, at row 14:", ticks), 0),
                  0u)
            << speed << ": " << result.err;
    }
}

TEST(RenderCommand, TheViewerAndTheRendererGiveTheSameAnswerToARowOutsideTheData) {
    TempDir dir;
    dir.write("run.dat", DataText(40, 1));
    dir.write("run.ovx", ConfigText("run.dat", 40, 1, 1, 5));
    const std::pair<const char*, const char*> cases[] = {
        {"--row 40", "orbivex: --row 40 is past the last row, 39\n"},
        {"--row 5000", "orbivex: --row 5000 is past the last row, 39\n"},
        {"--row -1", "orbivex: --row -1 is before the first row, 0\n"},
        {"--row 39", ""},  // the last row: shown, without a trail ahead
    };
    for (const auto& [args, err] : cases) {
        for (const char* output : {"--render out.png ", "--frames frames --ticks 2 ", ""}) {
            std::filesystem::remove_all(dir.path() + "/out.png");
            const std::string line = std::string(output) + args + " run.ovx";
            // The viewer reports its first painted frame and leaves.
            const Result result = ::RunOrbivex(line, dir.path(), dir.path(),
                                               "QT_QPA_PLATFORM=offscreen ORBIVEX_FIRST_FRAME_PROBE=1");
            EXPECT_EQ(result.status, *err ? 2 : 0) << line;
            // The toolkit may note things about the display before.
            if (*err) {
                EXPECT_TRUE(result.err.ends_with(err)) << line << ": " << result.err;
            }
            if (std::string(output).starts_with("--render")) {
                EXPECT_EQ(std::filesystem::exists(dir.path() + "/out.png"), !*err) << line;
            }
        }
    }
    // From the last row a tick lands past the data: the message names no row that is not there.
    EXPECT_EQ(
        RunOrbivex("--frames frames --ticks 2 --row 39 run.ovx", dir).err,
        "The data ran out after 1 of 2 ticks, past row 39, the last: the trail needs 5 rows after the row "
        "shown, and the data has 40 rows\n");
}

TEST(RenderCommand, AWrittenConfigurationKeepsEveryOptionalLine) {
    TempDir dir;
    dir.write("run.dat", DataText(40, 2));
    dir.write("run.ovx", ConfigText("run.dat", 40, 2) +
                             "names = Earth Moon\ntime unit = yr\nlength unit = AU\ntitle = Earth and Moon\n"
                             "masses = 3e-6 3.7e-8\nsun mass = 1.5\nequal aspect = 1\n");
    const Result saved = RunOrbivex("--write-config saved.ovx run.ovx", dir);
    ASSERT_EQ(saved.status, 0) << saved.err;
    // The barycentre weighs the masses saved.
    for (const char* file : {"run.ovx", "saved.ovx"}) {
        const Result framed =
            RunOrbivex(std::string("--render ") + file + ".png --frame barycentre " + file, dir);
        EXPECT_EQ(framed.status, 0) << file << ": " << framed.err;
    }
    const QImage original(QString::fromStdString(dir.path() + "/run.ovx.png"));
    EXPECT_FALSE(original.isNull());
    EXPECT_EQ(original, QImage(QString::fromStdString(dir.path() + "/saved.ovx.png")));
}

TEST(RenderCommand, BoxesAtTheEndsOfTheNumbersDrawInEveryLook) {
    // Under the sanitizers an overflow ends the program: these must draw.
    TempDir dir;
    dir.write("run.dat", DataText(40, 2));
    dir.write("run.ovx", ConfigText("run.dat", 40, 2) + "names = Inner Outer\n");
    for (const char* look : {"", "--style publication ", "--framed ", "--style publication --framed --grid "})
        for (const char* box :
             {"0,0,5e-324,5e-324", "-1e300,-1e300,1e300,1e300", "1e300,1e300,1.7e308,1.7e308"}) {
            const std::string line = std::string("--render out.png ") + look + "--box=" + box + " run.ovx";
            const Result result = RunOrbivex(line, dir);
            EXPECT_EQ(result.status, 0) << line << ": " << result.err;
        }
}

TEST(RenderCommand, SaysWhenTheLinesDoNotFitTheBodyCount) {
    TempDir dir;
    dir.write("run.dat", DataText(20, 2));
    dir.write("run.ovx", ConfigText("run.dat", 8, 1));
    const Result result = RunOrbivex("--render out.png run.ovx", dir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Data lines hold 5 values; 1 planet needs 3\n");
}

}  // namespace

namespace {

TEST(RenderCommand, PictureAndVideoOptionsRefuseBadValues) {
    TempDir dir;
    const std::pair<const char*, const char*> refused[] = {
        {"--render a.png --scale 0", "orbivex: --scale wants a whole number from 1 to 8"},
        {"--render a.png --scale 9", "orbivex: --scale wants a whole number from 1 to 8"},
        {"--render a.png --scale 2.5", "orbivex: --scale wants a whole number from 1 to 8"},
        {"--render a.svg --scale 2",
         "orbivex: --scale applies to PNG pictures, frames and videos, not to SVG"},
        {"--style modern", "orbivex: --style wants classic or publication, not 'modern'"},
        {"--render a.png --style classic --grid", "orbivex: --grid needs --style publication"},
        {"--render a.png --style classic --clock off", "orbivex: --clock needs --style publication"},
        {"--render a.png --style publication --clock maybe", "orbivex: --clock wants on or off, not 'maybe'"},
        {"--render a.png --style publication --line-width 0",
         "orbivex: --line-width wants a number of pixels"},
        {"--render a.png --style publication --font-size 3", "orbivex: --font-size wants a number of pixels"},
        {"--write-config a.ovx --grid", "orbivex: --grid does not go with --write-config"},
        {"--video a.avi", "orbivex: --video wants a file ending in .mp4, .webm or .gif"},
        {"--render a.bmp", "orbivex: --render wants a file ending in .png, .svg or .pdf"},
        {"--render a", "orbivex: --render wants a file ending in .png, .svg or .pdf"},
        {"--video a.mp4 --fps 0", "orbivex: --fps wants a number of frames per second from 0.01 to 240"},
        {"--video a.mp4 --fps 1e-300", "orbivex: --fps wants"},
        {"--video a.mp4 --fps 0.0099", "orbivex: --fps wants"},
        {"--video a.mp4 --fps 241", "orbivex: --fps wants"},
        {"--video a.mp4 --fps nan", "orbivex: --fps wants"},
        {"--render a.png --fps 25", "orbivex: --fps does not go with --render: it goes with --video"},
        {"--video a.mp4 --render b.png", "orbivex: only one of --render, --frames and --video may be given"},
    };
    for (const auto& [args, line] : refused) {
        const Result result = RunOrbivex(std::string(args) + " c.ovx", dir);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.err.rfind(line, 0), 0u) << args << ": " << result.err;
    }
}

TEST(RenderCommand, VectorAndScaledPicturesAndVideos) {
    TempDir dir;
    dir.write("run.dat", DataText(60, 2));
    dir.write("run.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60") +
                             "names = Inner Outer\ntitle = Two bodies\n");
    EXPECT_EQ(RunOrbivex("--render big.png --scale 3 --size 200x100 --framed run.ovx", dir).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.path() + "/big.png")).size(), QSize(600, 300));
    EXPECT_EQ(RunOrbivex("--render plot.svg --framed run.ovx", dir).status, 0);
    std::ifstream svg(dir.path() + "/plot.svg");
    const std::string text((std::istreambuf_iterator<char>(svg)), std::istreambuf_iterator<char>());
    for (const char* words : {">Two bodies<", ">Inner<", ">Outer<", ">-60.00<"})
        EXPECT_NE(text.find(words), std::string::npos) << words;

    // Control characters, NUL among them, in the free text still give XML.
    using namespace std::string_literals;
    const std::string controls =
        "names = In\x01ner Ou\x1Bter\ntitle = Two\x7F\tbod\x00ies\x0C here\nlength unit = A\x0BU \xEF\xBF\xBF\n"s;
    dir.write("controls.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60") + controls);
    ASSERT_EQ(RunOrbivex("--render controls.svg --framed controls.ovx", dir).status, 0);
    QFile file(QString::fromStdString(dir.path() + "/controls.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
            texts << xml.text().toString();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const char16_t* words : {u"In\uFFFDner", u"Ou\uFFFDter", u"Two\uFFFD\tbod\uFFFDies\uFFFD here"})
        EXPECT_TRUE(texts.contains(QString::fromUtf16(words))) << QString::fromUtf16(words).toStdString();

    // Without ffmpeg on the path: status 1, the package to install, no file.
    std::filesystem::create_directory(dir.path() + "/bin");
    std::filesystem::create_symlink("/usr/bin/timeout", dir.path() + "/bin/timeout");
    const Result missing = ::RunOrbivex("--video v.mp4 --ticks 3 run.ovx", dir.path(), dir.path(),
                                        "PATH=" + dir.path() + "/bin");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("install the Debian package ffmpeg"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/v.mp4"));

    // An encoder that gives up: its own last words follow.
    dir.write("bin/ffmpeg",
              "#!/bin/sh\necho 'Error while opening encoder' >&2\necho 'Conversion failed!' >&2\nexit 1\n");
    std::filesystem::permissions(dir.path() + "/bin/ffmpeg", std::filesystem::perms::owner_all);
    const Result stopped = ::RunOrbivex("--video v.mp4 --ticks 3 run.ovx", dir.path(), dir.path(),
                                        "PATH=" + dir.path() + "/bin");
    EXPECT_EQ(stopped.status, 1);
    EXPECT_EQ(stopped.err, "ffmpeg stopped before the video was complete: Conversion failed!\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/v.mp4"));

    if (std::system("command -v ffprobe > /dev/null") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    for (const char* name : {"v.mp4", "v.webm", "v.gif"}) {
        const Result made =
            RunOrbivex(std::string("--video ") + name + " --ticks 11 --size 160x120 run.ovx", dir);
        ASSERT_EQ(made.status, 0) << name << made.err;
        const std::string probe = "cd " + ShellQuote(dir.path()) +
                                  " && ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                  "stream=width,height,nb_read_frames -of csv=p=0 " +
                                  name + " > probe.txt";
        ASSERT_EQ(std::system(probe.c_str()), 0) << name;
        std::ifstream result(dir.path() + "/probe.txt");
        std::string line;
        std::getline(result, line);
        EXPECT_EQ(line, "160,120,12") << name;
    }
}

TEST(RenderCommand, APublicationTrailIsAsWideAsItsWidthHoweverDenseItsRows) {
    // A circle of radius 1 at 600 px, its trail 1.5 px wide, drawn black:
    // the ink across it near its top, where it runs along a row of pixels.
    // Each step's ends once reached half the width past its points, so
    // dense rows blended over each other into a line 1.95 px wide.
    TempDir dir;
    for (const int rows : {12, 200, 2000, 20000}) {
        std::string table = "t,x,y\n";
        for (int i = 0; i <= rows; ++i) {
            const double angle = 2 * M_PI * i / rows;
            table += Format("%.17g,%.17g,%.17g\n", double(i) / rows, std::cos(angle), std::sin(angle));
        }
        dir.write("circle.csv", table);
        const Result result = RunOrbivex("--render c.png --colours black --disc-size 0.5 --trail-length " +
                                             std::to_string(rows) + " --row " + std::to_string(rows) +
                                             " --box -1.3,-1.3,1.3,1.3 circle.csv",
                                         dir);
        ASSERT_EQ(result.status, 0) << result.err;
        const QImage image =
            QImage(QString::fromStdString(dir.path() + "/c.png")).convertToFormat(QImage::Format_Grayscale8);
        ASSERT_EQ(image.width(), 600);
        // The mean over columns left of the zero line, where the circle is
        // within a few degrees of level, and rows above the other zero line:
        // a column's share of a sloping edge varies by a few hundredths.
        double ink = 0;
        for (int x = 270; x < 290; ++x)
            for (int y = 40; y < 280; ++y) ink += (255 - qGray(image.pixel(x, y))) / 255.0;
        EXPECT_NEAR(ink / 20, 1.5, rows < 100 ? 0.1 : 0.03) << rows << " rows an orbit";
    }
}

TEST(RenderCommand, ThePublicationLookDrawsEachTrailAsOneLineInEveryOutputAndScalesFramesAndVideos) {
    TempDir dir;
    dir.write("run.dat", DataText(60, 2));
    dir.write("run.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60") +
                             "names = Inner Outer\nlength unit = AU\ntime unit = yr\n");
    ASSERT_EQ(RunOrbivex("--render pub.svg --style publication --font-size 17 --row 5 run.ovx", dir).status,
              0);
    QFile file(QString::fromStdString(dir.path() + "/pub.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    int trails = 0;
    QStringList texts, sizes;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"polyline")
            trails += xml.attributes().value("points").trimmed().split(u' ').size() == 10;
        if (xml.isStartElement() && xml.name() == u"text")
            sizes << xml.attributes().value("font-size").toString();
        if (xml.isCharacters() && !xml.isWhitespace()) texts << xml.text().toString().trimmed();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(trails, 2);  // the ten rows of each trail in one line
    for (const char* words : {"Inner", "Outer", "x [AU]", "y [AU]", "t = 5 yr", "-40", "40"})
        EXPECT_TRUE(texts.contains(words)) << words << " in " << texts.join('|').toStdString();
    sizes.removeDuplicates();
    EXPECT_EQ(sizes, QStringList{"17"});

    // Frames and videos take --scale; the classic look's frames stay the raster's.
    ASSERT_EQ(
        RunOrbivex("--frames f --ticks 1 --scale 2 --size 100x80 --style publication run.ovx", dir).status,
        0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.path() + "/f/frame-000001.png")).size(), QSize(200, 160));
    ASSERT_EQ(RunOrbivex("--frames c --ticks 1 --size 100x80 run.ovx", dir).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.path() + "/c/frame-000000.png")).size(), QSize(100, 80));
    if (std::system("command -v ffprobe > /dev/null") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    ASSERT_EQ(RunOrbivex("--video v.mp4 --ticks 3 --scale 2 --size 160x120 --style publication run.ovx", dir)
                  .status,
              0);
    const std::string probe =
        "cd " + ShellQuote(dir.path()) +
        " && ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of "
        "csv=p=0 v.mp4 > probe.txt";
    ASSERT_EQ(std::system(probe.c_str()), 0);
    std::ifstream result(dir.path() + "/probe.txt");
    std::string line;
    std::getline(result, line);
    EXPECT_EQ(line, "320,240");
}

}  // namespace

namespace {

std::string SlurpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

/// Every kind of output the renderer writes, as its arguments and the path
/// (inside the folder given) a failure names; `small` for one under a KiB.
struct OutputCase {
    const char* args;
    const char* named;
    bool video;
    bool small = false;
};
constexpr OutputCase kOutputs[] = {
    {"--render o.svg --ticks 5", "o.svg", false},
    {"--render o.pdf --ticks 5", "o.pdf", false},
    {"--render o.png --ticks 5", "o.png", false},
    {"--render o.png --scale 2 --ticks 5", "o.png", false},
    {"--frames f --ticks 5", "f/frame-000000.png", false},
    {"--video v.mp4 --ticks 5", "v.mp4", true},
    {"--video v.webm --ticks 5", "v.webm", true},
    {"--video v.gif --ticks 5", "v.gif", true},
    {"--html p.html", "p.html", false},
    {"--export-series s.csv --plot r,v", "s.csv", false},
    {"--write-config c.ovx", "c.ovx", false, true},
};

/// The names in `folder` and its subfolders, relative to it.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

/// A small file system filled to the last byte, mounted while it lives
/// (only root can mount one; `mounted` says whether it worked).
struct FullDisk {
    explicit FullDisk(const std::string& at) : path(at) {
        std::filesystem::create_directory(path);
        mounted = ::getuid() == 0 &&
                  std::system(
                      ("mount -t tmpfs -o size=64k tmpfs " + ShellQuote(path) + " 2>/dev/null").c_str()) == 0;
        if (mounted)
            std::system(
                ("head -c 100000 /dev/zero > " + ShellQuote(path + "/fill") + " 2>/dev/null").c_str());
    }
    ~FullDisk() {
        if (mounted) std::system(("umount " + ShellQuote(path)).c_str());
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    std::string path;
    bool mounted = false;
};

TEST(RenderCommand, AFailedWriteSaysWhyAndLeavesNoFile) {
    TempDir dir;
    dir.write("run.dat", DataText(60, 2));
    dir.write("run.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60"));
    const bool encoder = std::system("command -v ffmpeg > /dev/null") == 0;
    // Files of at most 1 KiB (SIGXFSZ ignored, so writes past it fail), as
    // any user can ask; and, for root, a full disk.
    std::filesystem::create_directory(dir.path() + "/small");
    FullDisk full(dir.path() + "/full");
    struct Condition {
        std::string folder, environment, reason;
    };
    std::vector<Condition> conditions{
        {dir.path() + "/small", "trap '' XFSZ; ulimit -f 1; LC_ALL=C", std::strerror(EFBIG)}};
    if (full.mounted) conditions.push_back({full.path, "LC_ALL=C", std::strerror(ENOSPC)});
    for (const Condition& condition : conditions) {
        const std::vector<std::string> before = NamesIn(condition.folder);
        for (const OutputCase& output : kOutputs) {
            if ((output.video && !encoder) || (output.small && condition.folder == dir.path() + "/small"))
                continue;
            const Result result = ::RunOrbivex(std::string(output.args) + " ../run.ovx", condition.folder,
                                               dir.path(), condition.environment);
            EXPECT_EQ(result.status, 1) << output.args << " in " << condition.folder;
            EXPECT_EQ(result.err, "Cannot write " + condition.folder + "/" + output.named + ": " +
                                      condition.reason + "\n")
                << output.args;
            std::error_code ignored;
            std::filesystem::remove(condition.folder + "/f", ignored);  // the frames' folder, empty
            EXPECT_EQ(NamesIn(condition.folder), before) << output.args << " left a file";
        }
    }
    if (!full.mounted) GTEST_SKIP() << "a full disk needs root to mount one; checked with a file size limit";
}

TEST(RenderCommand, WritesNeverGoThroughAPlantedName) {
    TempDir dir;
    dir.write("run.dat", DataText(60, 2));
    dir.write("run.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60"));
    const bool encoder = std::system("command -v ffmpeg > /dev/null") == 0;
    // A FIFO where the output goes is refused at once, not waited on.
    std::filesystem::create_directory(dir.path() + "/f");
    for (const OutputCase& output : kOutputs) {
        if (output.video && !encoder) continue;
        const std::string fifo = dir.path() + "/" + output.named;
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0) << fifo;
        const Result result = RunOrbivex(std::string(output.args) + " run.ovx", dir);
        EXPECT_EQ(result.status, 1) << output.args;
        EXPECT_EQ(result.err, fifo + " is not a regular file\n") << output.args;
        std::filesystem::remove(fifo);
    }
    // A link planted at the output, or at the name the video was once made
    // under, is never written through: its target stays as it was.
    dir.write("target", "precious");
    std::filesystem::create_symlink("target", dir.path() + "/o.png");
    std::filesystem::create_symlink("target", dir.path() + "/v.mp4.part");
    const std::string made = encoder ? "--video v.mp4" : "--render o.png";
    for (const std::string& args : {std::string("--render o.png"), made}) {
        const Result result = RunOrbivex(args + " --ticks 2 run.ovx", dir);
        EXPECT_EQ(result.status, 0) << args << ": " << result.err;
        std::ifstream target(dir.path() + "/target");
        const std::string text((std::istreambuf_iterator<char>(target)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "precious") << args;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.path() + "/o.png")));
    if (encoder) {
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.path() + "/v.mp4")));
    }
}

TEST(RenderCommand, NoOutputReplacesALoadedDataFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() + "/f");
    const std::string table = "t,a_x,a_y\n0,1,0\n1,0,1\n2,-1,0\n3,0,-1\n";
    const bool encoder = std::system("command -v ffmpeg > /dev/null") == 0;
    for (const OutputCase& output : kOutputs) {
        if (output.video && !encoder) continue;
        const std::string args = output.args, named = output.named;
        const bool config = args.rfind("--write-config", 0) == 0, frames = args.rfind("--frames", 0) == 0;
        // A page and a configuration are made of one run.
        const bool single = config || args.rfind("--html", 0) == 0;
        // A link of the output's own kind, to the data.
        const std::string link = "link" + std::filesystem::path(named).extension().string();
        std::string linked = args;
        if (!frames) linked.replace(linked.find(named), named.size(), link);
        // The output is the first run's data, the data of a run compared
        // under another spelling of its path, or a link to a run's data.
        // (A table named .ovx would be read as a configuration.)
        const std::string lines[] = {config ? "" : args + " " + named,
                                     single ? "" : args + " other.csv ./" + named,
                                     frames ? "" : linked + " other.csv"};
        for (const std::string& line : lines) {
            if (line.empty()) continue;
            dir.write(named, table);
            dir.write("other.csv", table);
            std::filesystem::remove(dir.path() + "/" + link);
            std::filesystem::create_symlink("other.csv", dir.path() + "/" + link);
            const Result result = RunOrbivex(line, dir);
            EXPECT_EQ(result.status, 1) << line << ": " << result.err;
            EXPECT_NE(result.err.find("the data file"), std::string::npos) << line << ": " << result.err;
            EXPECT_EQ(SlurpFile(dir.path() + "/" + named), table) << line;
            EXPECT_EQ(SlurpFile(dir.path() + "/other.csv"), table) << line;
            EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/" + link)) << line;
        }
    }
}

TEST(RenderCommand, AWriteRemovesWhatKilledWritesLeftOfItsFile) {
    TempDir dir;
    dir.write("run.dat", DataText(60, 2));
    dir.write("run.ovx", ConfigText("run.dat", 60, 2, 1, 10, 0, "-60 -60 60 60"));
    // A process that has ended gives a number no process has now.
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = "." + std::string("o.png.") + std::to_string(gone) + "-0123abcd.part";
    const std::string live = ".o.png." + std::to_string(::getpid()) + "-0123abcd.part";
    const std::string fresh = ".o.png." + std::to_string(gone) + "-fedcba98.part";
    const std::string other = ".other.png." + std::to_string(gone) + "-0123abcd.part";
    for (const std::string& name : {dead, live, fresh, other}) dir.write(name, "half a picture");
    // Left a minute ago or more, but the fresh one.
    const std::filesystem::file_time_type old =
        std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
    for (const std::string& name : {dead, live, other})
        std::filesystem::last_write_time(dir.path() + "/" + name, old);
    ASSERT_EQ(RunOrbivex("--render o.png run.ovx", dir).status, 0);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().front() == '.') left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    std::vector<std::string> kept{live, fresh, other};
    std::sort(kept.begin(), kept.end());
    // Only the neighbour of the file written, of a process gone, untouched for a minute.
    EXPECT_EQ(left, kept);
}

}  // namespace

namespace {

TEST(RenderCommand, TheRendererReadsNoSettingsAndTheViewerWithNoSettingsWritesNone) {
    TempDir dir, empty, remembered;
    dir.write("run.dat", DataText(50, 2));
    dir.write("run.ovx", ConfigText("run.dat", 50, 2));
    const std::string ini =
        "[view]\nstyle=publication\ntrailMode=both\nequalAspect=true\ngrid=true\n"
        "[window]\ngeometry=@ByteArray()\n";
    std::filesystem::create_directories(remembered.path() + "/orbivex");
    remembered.write("orbivex/orbivex.ini", ini);
    const std::string with = "XDG_CONFIG_HOME=" + ShellQuote(remembered.path());
    const std::string without = "XDG_CONFIG_HOME=" + ShellQuote(empty.path());
    const std::pair<std::string, std::string> runs[] = {
        {"--render plain.png --ticks 5 run.ovx", "plain.png"},
        {"--render framed.png --framed run.ovx", "framed.png"}};
    for (const auto& [args, name] : runs) {
        ASSERT_EQ(::RunOrbivex(args, dir.path(), dir.path(), without).status, 0) << args;
        std::filesystem::rename(dir.path() + "/" + name, dir.path() + "/bare-" + name);
        ASSERT_EQ(::RunOrbivex(args, dir.path(), dir.path(), with).status, 0) << args;
        EXPECT_EQ(SlurpFile(dir.path() + "/" + name), SlurpFile(dir.path() + "/bare-" + name)) << args;
    }
    EXPECT_EQ(SlurpFile(remembered.path() + "/orbivex/orbivex.ini"), ini);
    EXPECT_FALSE(std::filesystem::exists(empty.path() + "/orbivex"));

    // The viewer notes the file it opened; with --no-settings it writes nothing.
    const std::string probe = " QT_QPA_PLATFORM=offscreen ORBIVEX_FIRST_FRAME_PROBE=1";
    EXPECT_EQ(::RunOrbivex("--no-settings run.ovx", dir.path(), dir.path(), without + probe).status, 0);
    EXPECT_FALSE(std::filesystem::exists(empty.path() + "/orbivex"));
    EXPECT_EQ(::RunOrbivex("run.ovx", dir.path(), dir.path(), without + probe).status, 0);
    EXPECT_NE(SlurpFile(empty.path() + "/orbivex/orbivex.ini").find("run.ovx"), std::string::npos);
}

// The series a command line asks for, written as a table and read back:
// the distance is the data's own, the elements those of the circle, a row
// not finite a gap; what the data cannot give is refused with what to add.
TEST(RenderCommand, SeriesAreWrittenAsATableThatReadsBackAndGapsAreNan) {
    TempDir dir;
    std::string data;
    const double radius = 1.5, rate = 1 / std::sqrt(radius * radius * radius);  // mu = 1
    std::vector<double> xs, ys;
    for (int r = 0; r < 200; ++r) {
        const double t = 0.01 * r, angle = rate * t;
        xs.push_back(radius * std::cos(angle)), ys.push_back(radius * std::sin(angle));
        data +=
            Format("%.17g %.17g %.17g %.17g %.17g\n", t, xs.back(), ys.back(), r == 150 ? NAN : -1.0, 0.0);
    }
    dir.write("c.dat", data);
    const std::string fields =
        "data = c.dat\nlines = 200\nbodies = 2\nradii = 3 3\ncolours = 4 5\nbox = -2 -2 2 2\n"
        "delay = 20\nstep = 1\npoints = 10\nstart = 0\nsun = 6\naxes = 0\nplanets = 1\norbits = 1\n";
    dir.write("c.ovx", fields + "gm = 1\nlength unit = AU\n");
    const Result written =
        RunOrbivex("--export-series s.csv --plot \"r:1, a:1,e:1,sep:1-2\" --time-unit yr c.ovx", dir);
    ASSERT_EQ(written.status, 0) << written.err;
    std::ifstream in(dir.path() + "/s.csv");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "t [yr],r:1 [AU],a:1 [AU],e:1,sep:1-2 [AU]");
    int rows = 0;
    while (std::getline(in, line)) {
        double t = 0, r = 0, a = 0, e = 0;
        char rest[64] = {};
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%63s", &t, &r, &a, &e, rest) != 5)
            ADD_FAILURE() << line;
        const double x = xs[std::size_t(rows)], y = ys[std::size_t(rows)];
        EXPECT_DOUBLE_EQ(r, std::hypot(x, y)) << line;
        EXPECT_NEAR(a, radius, 1e-9) << line;
        EXPECT_NEAR(e, 0, 1e-9) << line;
        EXPECT_EQ(std::string(rest) == "nan", rows == 150) << line;
        if (rows != 150) EXPECT_NEAR(std::strtod(rest, nullptr), std::hypot(x + 1, y), 1e-12);
        ++rows;
    }
    EXPECT_EQ(rows, 200);
    // Without mu the elements are refused, saying what to give; without
    // masses the system's energy; a file that cannot be written leaves none.
    dir.write("bare.ovx", fields);
    const struct {
        std::string args;
        int status;
        const char* says;
    } refused[] = {
        {"--export-series x.csv --plot e:1 bare.ovx", 2, "give --gm, or a line \"gm = ...\""},
        {"--export-series x.csv --plot energy c.ovx", 2, "give --masses M1,M2,..."},
        {"--export-series x.csv --plot energy --masses 1 c.ovx", 2, "--masses gives 1 masses for 2 bodies"},
        {"--export-series x.csv --plot energy --masses 1,-2 c.ovx", 2, "--masses: '-2' is not a mass"},
        {"--export-series x.csv --plot energy --sun-mass none c.ovx", 2, "--sun-mass: none is not a mass"},
        {"--export-series no/x.csv --plot r:1 c.ovx", 1, "Cannot write"},
        {"--export-series x.csv --plot r:1 --frame centre:1 c.ovx", 2,
         "--frame does not go with --export-series"},
    };
    for (const auto& c : refused) {
        const Result result = RunOrbivex(c.args, dir);
        EXPECT_EQ(result.status, c.status) << c.args;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << c.args << ": " << result.err;
        EXPECT_FALSE(std::filesystem::exists(dir.path() + "/x.csv")) << c.args;
    }
    EXPECT_EQ(RunOrbivex("--export-series x.csv --plot e:1 --gm 1 bare.ovx", dir).status, 0);
}

TEST(RenderCommand, ATablesMassesComeFromItsCommentsOrTheCommandLineAndAConfigurationKeepsThem) {
    TempDir dir;
    std::string rows;
    for (int r = 0; r < 50; ++r)
        rows += Format("%d %g %g %g %g\n", r, std::cos(r * 0.1), std::sin(r * 0.1), 3 * std::cos(r * 0.03),
                       3 * std::sin(r * 0.03));
    // The numpy header comes after the masses' comments, which are not it.
    dir.write("noted.txt", "# Masses = 1e-3, 3e-4\n# sun mass = 2\n# t x1 y1 x2 y2\n" + rows);
    dir.write("plain.txt", rows);
    const Result bare = RunOrbivex("--render no.png --frame barycentre plain.txt", dir);
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("--masses M1,M2"), std::string::npos) << bare.err;
    for (const std::string& args : {"--write-config noted.ovx noted.txt",
                                    "--write-config given.ovx --masses 0.001,3e-4 --sun-mass 2 plain.txt",
                                    "--write-config over.ovx --masses 1e-3,3e-4 --sun-mass 2 noted.txt"}) {
        ASSERT_EQ(RunOrbivex(args, dir).status, 0) << args;
        const std::string out = dir.path() + "/" + args.substr(15, args.find(' ', 15) - 15);
        std::ifstream in(out);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find("masses = 0.001 3e-04\nsun mass = 2\n"), std::string::npos)
            << args << ": " << text;
        EXPECT_EQ(RunOrbivex("--render yes.png --frame barycentre " + out, dir).status, 0) << args;
    }
    EXPECT_EQ(RunOrbivex("--render yes.png --frame barycentre --masses 1,1 plain.txt", dir).status, 0);
}

/// The lines of the table `path` after its header, and the cell `column` of each.
std::vector<std::string> Column(const std::string& path, int column) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    std::vector<std::string> cells;
    while (std::getline(in, line)) {
        std::size_t from = 0;
        for (int k = 0; k < column; ++k) from = line.find(',', from) + 1;
        cells.push_back(line.substr(from, line.find(',', from) - from));
    }
    return cells;
}

// The export says which mu it took from which units, leaves out as nan the
// values the rows are too far apart for, and an infinite position's
// distance; a mu near the doubles' largest still gives a.
TEST(RenderCommand, SeriesWrittenSayWhichMuAndLeaveOutWhatCannotBeTrusted) {
    TempDir dir;
    // A planet on a circle of 1 AU, `rows` rows a year, in years.
    const auto circle = [&](const char* name, int rows, int infinite) {
        std::string text = "t [yr],x [AU],y [AU]\n";
        for (int r = 0; r < 2 * rows; ++r) {
            const double angle = 2 * std::numbers::pi * r / rows;
            text += r == infinite
                        ? Format("%.17g,inf,0\n", double(r) / rows)
                        : Format("%.17g,%.17g,%.17g\n", double(r) / rows, std::cos(angle), std::sin(angle));
        }
        dir.write(name, text);
    };
    circle("coarse.csv", 12, -1);
    const Result coarse = RunOrbivex("--export-series s.csv --plot r:1,a:1 coarse.csv", dir);
    ASSERT_EQ(coarse.status, 0) << coarse.err;
    EXPECT_NE(
        coarse.err.find("orbivex: \u03bc = 39.4769264 AU\u00b3/yr\u00b2, from AU and yr: k\u00b2 \u00d7 "
                        "365.25\u00b2 (k the Gaussian constant, years of 365.25 days)\n"),
        std::string::npos)
        << coarse.err;
    EXPECT_NE(coarse.err.find("orbivex: a:1: 24 of 24 values written as nan: the rows are too far apart"),
              std::string::npos)
        << coarse.err;
    for (const std::string& a : Column(dir.path() + "/s.csv", 2)) EXPECT_EQ(a, "nan");
    for (const std::string& r : Column(dir.path() + "/s.csv", 1)) EXPECT_NE(r, "nan");

    circle("fine.csv", 2000, 1000);
    ASSERT_EQ(RunOrbivex("--export-series s.csv --plot r:1,a:1 fine.csv", dir).status, 0);
    const std::vector<std::string> r = Column(dir.path() + "/s.csv", 1), a = Column(dir.path() + "/s.csv", 2);
    EXPECT_EQ(r[1000], "nan");
    // A circle once round a year: a = 1 / (2 - v^2 / mu) with v = 2 pi.
    const double mu = 2.959122082855911e-4 * 365.25 * 365.25;
    EXPECT_NEAR(std::stod(a[500]), 1 / (2 - 4 * std::numbers::pi * std::numbers::pi / mu), 1e-9);
    // a = 1 / (2 / r - v^2 / mu): a half for v far below sqrt(mu).
    ASSERT_EQ(RunOrbivex("--export-series s.csv --plot a:1 --gm 1e308 fine.csv", dir).status, 0);
    EXPECT_NEAR(std::stod(Column(dir.path() + "/s.csv", 1)[500]), 0.5, 1e-12);
}

}  // namespace
