#include "app/command_line.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(CommandLine, ModesAndTheirTexts) {
    const std::pair<const char*, CommandMode> cases[] = {
        {"", CommandMode::Window},
        {"run.ovx --fade", CommandMode::Window},
        {"--render a.png c.ovx", CommandMode::Picture},
        {"--frames d c.ovx", CommandMode::Frames},
        {"--video a.webm c.ovx", CommandMode::Video},
        // --help and --version win over anything else, the first given.
        {"--render a.png --bogus --help", CommandMode::Help},
        {"--version --help", CommandMode::Version},
        {"--help=1", CommandMode::Error},
        {"--bogus", CommandMode::Error},
    };
    for (const auto& [args, mode] : cases) EXPECT_EQ(ParseCommandLine(Words(args)).mode, mode) << args;
    const CommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.help.rfind("Usage: orbivex [options] CONFIG.ovx", 0), 0u) << line.help;
    EXPECT_EQ(line.version.rfind("Orbivex ", 0), 0u);
    // The defaults differ by what is opened, and the help says both.
    const auto words = [](std::string text) {
        std::string out;
        for (std::istringstream in(text); in >> text;) out += (out.empty() ? "" : " ") + text;
        return out;
    };
    for (const char* said : {"(default: classic for a classic configuration, publication for a table)",
                             "(default: ahead for a classic configuration, behind for a table)"})
        EXPECT_NE(words(line.help).find(said), std::string::npos) << said << " in\n" << line.help;
}

TEST(CommandLine, ValuesReachTheirOptions) {
    const CommandLine line = ParseCommandLine(
        Words("--render out.svg --size 20x30 --size 640x480 --row -3 --ticks 0 --trail both --framed --yes "
              "--equal-aspect --fade --loop --box -1,-2.5,1e1,0x10 --trail-length 0 c.ovx"));
    ASSERT_EQ(line.mode, CommandMode::Picture) << line.error;
    const CommandOptions& o = line.options;
    EXPECT_EQ(o.output, "out.svg");
    EXPECT_EQ(o.config, "c.ovx");
    EXPECT_EQ(std::make_pair(o.width, o.height), std::make_pair(640, 480));  // the last given
    EXPECT_EQ(o.row, -3);
    EXPECT_EQ(o.ticksGiven, 0);
    EXPECT_EQ(o.trail, TrailMode::Both);
    EXPECT_EQ(o.trailLength, 0);
    EXPECT_TRUE(o.framed && o.yes && o.equalAspect && o.fade && o.loop && !o.follow);
    EXPECT_EQ(o.box, (std::array<double, 4>{-1, -2.5, 10, 16}));
    EXPECT_EQ(o.scale, 1);

    const CommandLine video =
        ParseCommandLine({"--video", "v.gif", "--fps", " 12.5 ", "--time", "+2", "c.ovx"});
    ASSERT_EQ(video.mode, CommandMode::Video) << video.error;
    EXPECT_EQ(video.options.fps, 12.5);  // reals take blanks and '+'
    EXPECT_EQ(video.options.time, 2.0);
    EXPECT_FALSE(video.options.ticksGiven.has_value());

    const CommandLine page = ParseCommandLine(Words("--html p.HTML --size 1280x720 --frame rotate:1 c.ovx"));
    ASSERT_EQ(page.mode, CommandMode::Page) << page.error;
    EXPECT_EQ(page.options.output, "p.HTML");
    EXPECT_EQ(page.options.width, 1280);
    EXPECT_EQ(page.options.frame, "rotate:1");

    const CommandLine viewer = ParseCommandLine(Words("--follow --trail behind --no-settings"));
    ASSERT_EQ(viewer.mode, CommandMode::Window) << viewer.error;
    EXPECT_TRUE(viewer.options.follow);
    EXPECT_TRUE(viewer.options.noSettings);
    EXPECT_EQ(viewer.options.trail, TrailMode::Behind);
    EXPECT_EQ(viewer.options.config, "");
    EXPECT_EQ(viewer.options.plane, TablePlane::XY);

    // A speed in the data's time, or in rows per second with r after it; the last given.
    const std::pair<const char*, std::optional<std::pair<double, bool>>> speeds[] = {
        {"", std::nullopt},
        {"--speed 0.5", std::pair{0.5, false}},
        {"--speed 200r", std::pair{200.0, true}},
        {"--speed 1 --speed 3rows/s", std::pair{3.0, true}},
    };
    for (const auto& [args, speed] : speeds) {
        const CommandLine line = ParseCommandLine(Words(std::string("--frames d ") + args + " c.ovx"));
        ASSERT_EQ(line.mode, CommandMode::Frames) << line.error;
        EXPECT_EQ(line.options.speed.has_value(), speed.has_value()) << args;
        if (line.options.speed && speed) {
            EXPECT_EQ(std::pair(line.options.speed->value, line.options.speed->rows), *speed) << args;
        }
    }
    EXPECT_TRUE(ParseCommandLine(Words("--speed 2 c.ovx")).options.speed.has_value());  // the viewer too

    const CommandLine table = ParseCommandLine(Words("--write-config out.ovx --plane yz run.csv"));
    ASSERT_EQ(table.mode, CommandMode::WriteConfig) << table.error;
    EXPECT_EQ(table.options.output, "out.ovx");
    EXPECT_EQ(table.options.config, "run.csv");
    EXPECT_EQ(table.options.plane, TablePlane::YZ);
    EXPECT_EQ(ParseCommandLine(Words("--plane xz --framed r.csv")).options.plane, TablePlane::XZ);

    // Files after the first are runs compared, by whole paths: reading the
    // first enters its folder.
    const CommandLine runs = ParseCommandLine(
        {"--render", "a.png", "--run-names", " dt 1 ,dt 3,x", "a.csv", "sub/b.csv", "/data/c.ovx"});
    ASSERT_EQ(runs.mode, CommandMode::Picture) << runs.error;
    EXPECT_EQ(runs.options.config, "a.csv");
    EXPECT_EQ(
        runs.options.runs,
        (std::vector<std::string>{(std::filesystem::current_path() / "sub/b.csv").string(), "/data/c.ovx"}));
    EXPECT_EQ(runs.options.runNames, (std::vector<std::string>{"dt 1", "dt 3", "x"}));
    EXPECT_EQ(ParseCommandLine(Words("a.csv b.csv")).mode, CommandMode::Window);
    for (const auto& [args, columns] :
         {std::pair{"r.csv", TableColumns::Unsaid},
          {"--columns xyz r.csv", TableColumns::XYZ},
          {"--write-config o.ovx --columns xy r.csv", TableColumns::XY},
          {"--render a.png --columns xy --columns xyz r.csv", TableColumns::XYZ}})
        EXPECT_EQ(ParseCommandLine(Words(args)).options.columns, columns) << args;
}

TEST(CommandLine, TheFiguresOptions) {
    const CommandLine line =
        ParseCommandLine({"--render", "a.png", "--title", "Inner planets", "--names", "Mercury, Venus,Earth",
                          "--colours", "#0072B2,red,NAVY", "--sun", "off", "--time-unit", "d",
                          "--length-unit", "km", "--bodies", "7,1-3,2", "--write-config", "x.ovx", "c.csv"});
    EXPECT_EQ(line.mode, CommandMode::Error);  // a picture or a configuration, not both
    const CommandLine good = ParseCommandLine(
        {"--render", "a.png", "--title", "Inner planets", "--names", "Mercury, Venus,Earth", "--colours",
         "#0072B2,red,NAVY", "--sun", "off", "--time-unit", "d", "--bodies", "7,1-3,2", "c.csv"});
    ASSERT_EQ(good.mode, CommandMode::Picture) << good.error;
    const FigureRequest& f = good.options.figure;
    EXPECT_EQ(f.title, "Inner planets");
    EXPECT_EQ(f.names, (std::vector<std::string>{"Mercury", "Venus", "Earth"}));
    EXPECT_EQ(f.colours, (std::vector<ColourRef>{Rgb(0, 0x72, 0xB2), Rgb(255, 0, 0), Rgb(0, 0, 128)}));
    EXPECT_EQ(f.sunSize, 0);
    EXPECT_EQ(f.timeUnit, "d");
    EXPECT_FALSE(f.lengthUnit);
    EXPECT_EQ(f.bodies, (std::vector<int32_t>{1, 2, 3, 7}));
    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{"--names", "a b,c"}, "--names wants one word a body, separated by commas"},
        {{"--names", "a,,c"}, "--names wants one word a body, separated by commas"},
        {{"--colours", "#12345"}, "--colours: '#12345' is not a colour (a name such as red, or #rrggbb)"},
        {{"--colours", "red,#gg0000"}, "--colours: '#gg0000' is not a colour"},
        {{"--sun", "101"}, "--sun wants on, off or a radius in pixels from 0 to 100, not '101'"},
        {{"--sun", "yes"}, "--sun wants on, off or a radius"},
        {{"--bodies", "0"}, "--bodies: '0' is not a body number or a range such as 1-4"},
        {{"--bodies", "4-2"}, "--bodies: '4-2' is not a body number or a range such as 1-4"},
        {{"--bodies", "1,,2"}, "--bodies: '' is not a body number"},
        {{"--bodies", "1-2000000"},
         "--bodies: '1-2000000' names a body past the last a table can hold, body 1000"},
        {{"--bodies", "1-1000000000"}, "--bodies: '1-1000000000' names a body past the last"},
        {{"--bodies", "99999999999999999999999"},
         "--bodies: '99999999999999999999999' names a body past the last"},
        {{"--disc-size", "0.4"}, "--disc-size wants a number of pixels from 0.5 to 200"},
    };
    for (const auto& [args, error] : refused) {
        std::vector<std::string> words{"--render", "a.png"};
        words.insert(words.end(), args.begin(), args.end());
        words.push_back("c.ovx");
        const CommandLine bad = ParseCommandLine(words);
        EXPECT_EQ(bad.mode, CommandMode::Error) << args[1];
        EXPECT_EQ(bad.error.rfind(error, 0), 0u) << bad.error;
    }
}

TEST(CommandLine, ComplaintsName) {
    constexpr const char* kGmWanted =
        "--gm wants a finite number above 0, and not below 2.2e-308 (the doubles' least in full)";
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--render", "a.png", "--row", "+3", "c.ovx"}, "--row wants a whole number"},
        {{"--render", "a.png", "--row", " 3", "c.ovx"}, "--row wants a whole number"},
        {{"--render", "a.png", "--ticks", "99999999999", "c.ovx"}, "--ticks wants a number from 0"},
        {{"--render", "a.png", "--size", "16385x1", "c.ovx"}, "--size wants WxH with sides from 1 to 16384"},
        {{"--render", "a.png", "--size", "+5x5", "c.ovx"}, "--size wants WxH with sides from 1 to 16384"},
        {{"--render", "a.png", "--size", "5x5x5", "c.ovx"}, "--size wants WxH with sides from 1 to 16384"},
        {{"--render", "a.png", "--scale", "2", "c.ovx"}, ""},
        {{"--render", "a.bmp", "c.ovx"}, "--render wants a file ending in .png, .svg or .pdf"},
        {{"--render", "a.PDF", "c.ovx"}, ""},
        {{"--render", "a.png", "--time", "1e400", "c.ovx"}, "--time wants a finite number"},
        {{"--render", "a.png", "--"}, "no configuration file given"},
        {{"--render", "a.png", "a.ovx", "b.ovx"}, ""},  // runs compared
        {{"--render", "a.png", "--run-names", "x", "a.ovx", "b.ovx"},
         "--run-names gives 1 name for 2 files: one for each"},
        {{"--run-names", "x,y"}, "--run-names goes with several files"},
        {{"--follow", "a.csv", "b.csv"}, ""},  // the first followed, the others as loaded
        {{"--render", "a.png", "--frames", "d", "c.ovx"}, "only one of --render and --frames may be given"},
        {{"--scale", "2", "c.ovx"},
         "--scale does not go with the viewer: it goes with --render, --frames, --video or --html"},
        {{"--fps", "25", "c.ovx"}, "--fps does not go with the viewer: it goes with --video"},
        {{"--render", "a.png", "--follow", "c.ovx"},
         "--follow does not go with --render: it goes with the viewer"},
        {{"--video", "a.mp4", "--no-settings", "c.ovx"},
         "--no-settings does not go with --video: it goes with the viewer"},
        {{"--write-config", "a.ovx", "--no-settings", "c.csv"},
         "--no-settings does not go with --write-config: it goes with the viewer"},
        {{"--frames", "d", "--trail", "AHEAD", "c.ovx"}, "--trail wants ahead, behind or both, not 'AHEAD'"},
        {{"--export-series", "s.csv", "--plot", "r:1", "c.ovx"}, ""},
        {{"--export-series", "s.csv", "c.ovx"}, "--export-series needs --plot, the series to write"},
        {{"--export-series", "s.csv", "--plot", "r:1", "--render", "a.png", "c.ovx"},
         "--export-series cannot be given with --render, --frames, --video, --html or --write-config, nor "
         "twice"},
        {{"--export-series", "s.csv", "--plot", "r:1", "--size", "9x9", "c.ovx"},
         "--size does not go with --export-series: it goes with --render, --frames, --video or --html"},
        {{"--export-series", "s.csv", "--plot", "diff:1", "a.ovx", "b.ovx"}, ""},
        {{"--export-series", "s.csv", "--plot", "r:1"},
         "--export-series wants a configuration or data table"},
        {{"--render", "a.png", "--plot", "r:1", "--panel-only", "--panel-height", "90", "c.ovx"}, ""},
        {{"--video", "a.mp4", "--plot", "r:1", "c.ovx"},
         "--plot does not go with --video: it goes with the viewer, --render, --html or --export-series"},
        {{"--render", "a.png", "--panel-only", "c.ovx"}, "--panel-only needs --render and --plot"},
        {{"--plot", "r", "--panel-height", "90", "c.ovx"},
         "--panel-height does not go with the viewer: it goes with --render"},
        {{"--render", "a.png", "--plot", "r", "--panel-height", "0", "c.ovx"},
         "--panel-height wants a number of pixels from 1 to 16384"},
        {{"--export-series", "s.csv", "--plot", "r:1", "--gm", "0", "c.ovx"}, kGmWanted},
        {{"--export-series", "s.csv", "--plot", "r:1", "--gm", "inf", "c.ovx"}, kGmWanted},
        // A mu whose inverse is past the doubles' range gives no elements.
        {{"--export-series", "s.csv", "--plot", "r:1", "--gm", "1e-320", "c.ovx"}, kGmWanted},
        {{"--trail-length", "-1", "c.ovx"}, "--trail-length wants a number of rows from 0"},
        {{"--render", "a.png", "--plane", "XY", "c.csv"},
         "--plane wants xy, xz, yz, ecliptic, invariable or orbit:N, not 'XY'"},
        {{"--columns", "xz", "c.csv"}, "--columns wants xy or xyz, not 'xz'"},
        {{"--write-config", "a.ovx", "--render", "a.png", "c.csv"},
         "--write-config cannot be given with --render, --frames, --video or --html, nor twice"},
        {{"--write-config", "a.ovx", "--framed", "c.csv"}, "--framed does not go with --write-config"},
        {{"--html", "a.png", "c.ovx"}, "--html wants a file ending in .html"},
        {{"--html", "a.html", "a.csv", "b.csv"},
         "--html makes the page of one run: give one file, not several"},
        {{"--html", "a.html", "--render", "a.png", "c.ovx"},
         "--html cannot be given with --render, --frames or --video, nor twice"},
        {{"--html", "a.html", "--html", "b.htm", "c.ovx"},
         "--html cannot be given with --render, --frames or --video, nor twice"},
        {{"--write-config", "a.ovx", "--html", "a.html", "c.csv"},
         "--write-config cannot be given with --render, --frames, --video or --html, nor twice"},
        {{"--write-config", "a.ovx", "a.csv", "b.csv"},
         "--write-config writes the configuration of one data table, and a configuration names one data "
         "file: give one run, not several"},
        {{"--write-config", "a.ovx", "--speed", "2", "c.csv"}, "--speed does not go with --write-config"},
        {{"--video", "a.mp4", "--speed", "0", "c.ovx"},
         "--speed wants a number above 0, or rows per second as 200r"},
        {{"--frames", "d", "--speed", "2 yr/s", "c.ovx"},
         "--speed wants a number above 0, or rows per second as 200r"},
        {{"--render", "a.png", "--box", "0,0,1,1e400", "c.ovx"},
         "--box wants XMIN,YMIN,XMAX,YMAX: four finite numbers with XMIN < XMAX and YMIN < YMAX"},
        {{"--render", "a.png", "--box", "1,0,1.0000000000000002,1", "c.ovx"},
         "--box wants XMIN,YMIN,XMAX,YMAX: four finite numbers with XMIN < XMAX and YMIN < YMAX"},
    };
    for (const auto& [args, error] : cases) {
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.error, error) << args.at(2);
        EXPECT_EQ(line.mode == CommandMode::Error, *error != '\0') << args.at(2);
    }
}

}  // namespace
