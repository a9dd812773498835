// Opening a plain data table directly: the configuration found from it, the
// choice between a table and a configuration by content, the simulation
// kept when a table cannot be read, and the lines a configuration written
// for a table adds.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>

#include "animation/frame_view.h"
#include "animation/series_source.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "plot/plot_box.h"
#include "simulation/data_extent.h"
#include "simulation/derived_series.h"
#include "simulation/table_inference.h"
#include "simulation/table_palette.h"
#include "test_support.h"

namespace {

/// A comma table with a header: body k on a circle of radius k about the
/// origin, once round in periods[k - 1] rows (0: standing still at (k, 0)).
std::string CircleTable(int rows, const std::vector<int>& periods) {
    std::ostringstream out;
    out.precision(17);
    out << "time";
    for (std::size_t k = 1; k <= periods.size(); ++k) out << ",body" << k << "_x,body" << k << "_y";
    out << "\r\n";
    for (int r = 0; r < rows; ++r) {
        out << r * 0.5;
        for (std::size_t k = 1; k <= periods.size(); ++k) {
            const double angle = periods[k - 1] ? 2 * std::numbers::pi * r / periods[k - 1] : 0.0;
            out << ',' << double(k) * std::cos(angle) << ',' << double(k) * std::sin(angle);
        }
        out << "\r\n";
    }
    return out.str();
}

struct TableOpen : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void SetUp() override { InitialiseDefaults(state, plot); }
};

TEST_F(TableOpen, FindsEveryFieldAConfigurationWouldGive) {
    const std::string path = dir.write("orbits.csv", CircleTable(600, {100, 250, 0}));
    ASSERT_EQ(LoadFile(state, plot, host, path), 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().fields.lineCount, 600);
    EXPECT_EQ(state.loaded().fields.bodyCount, 3);
    EXPECT_EQ(state.loaded().fields.bodyNames, (std::vector<std::string>{"body1", "body2", "body3"}));
    EXPECT_EQ(plot.title, "orbits.csv");
    EXPECT_EQ(plot.equalAspect, 1);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(state.loaded().fields.bodySize[k], 3);
        EXPECT_EQ(state.loaded().fields.bodyColourCode[k], TablePaletteCode(k));
    }
    // The box holds every position with a margin, symmetric about the sun
    // the bodies surround: body 3 stands at (3, 0), body 2 reaches ±2.
    EXPECT_DOUBLE_EQ(state.loaded().fields.box[0], -3.2);
    EXPECT_DOUBLE_EQ(state.loaded().fields.box[2], 3.2);
    EXPECT_DOUBLE_EQ(state.loaded().fields.box[1], -2.1);
    EXPECT_DOUBLE_EQ(state.loaded().fields.box[3], 2.1);
    // One revolution of the slowest body that goes round (body 3 stands still).
    EXPECT_NEAR(state.view.trailLength, 251, 1);
    EXPECT_EQ(state.playback.delayMs, 20);
    EXPECT_EQ(state.loaded().fields.sunSize, 6);
    EXPECT_EQ(
        state.loaded().fields.drawAxes + state.loaded().fields.drawPlanets + state.loaded().fields.drawOrbits,
        3);
    EXPECT_EQ(state.loaded().dataLoaded, 1);
}

TEST_F(TableOpen, TrailWithoutARevolutionAndBoxesWithoutAnInside) {
    const struct {
        int rows;
        std::vector<int> periods;
        int trail;
        std::array<double, 4> box;
    } cases[] = {
        // A still body: both ranges take 2, and 5 % beyond each end.
        {2000, {0}, kTrailWithoutRevolution, {-0.1, -1.1, 2.1, 1.1}},
        {300, {0, 0}, 150, {0.9, -0.6, 2.1, 0.6}},  // half the rows at most; y as wide as x
        {3, {4}, 1, {-1.1, -0.1, 1.1, 1.1}},        // a short table keeps a trail of 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        const std::string path = dir.write("still.csv", CircleTable(c.rows, c.periods));
        ASSERT_EQ(LoadTable(state, plot, host, path, TablePlane::XY), 1);
        EXPECT_EQ(state.view.trailLength, c.trail);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(state.loaded().fields.box[std::size_t(i)], c.box[std::size_t(i)], 1e-9);
    }
}

TEST_F(TableOpen, AnOrbitInSpaceGivesItsElementsWhateverPlaneIsShown) {
    // a = 1.3, e = 0.4, i = 35, node = 125, omega = 290 (degrees) about a
    // sun of mu = 1, 2,000 rows an orbit, written to 17 digits as t, x, y, z.
    const double a = 1.3, e = 0.4, i = 35, node = 125, omega = 290;
    const double toRadians = std::numbers::pi / 180, n = 1 / std::sqrt(a * a * a);
    std::ostringstream out;
    out.precision(17);
    out << "t,x,y,z\n";
    for (int r = 0; r < 2100; ++r) {
        const double t = r * 2 * std::numbers::pi / n / 2000;
        double big = n * t;
        for (int k = 0; k < 50; ++k) big -= (big - e * std::sin(big) - n * t) / (1 - e * std::cos(big));
        const double px = a * (std::cos(big) - e), py = a * std::sqrt(1 - e * e) * std::sin(big);
        const double w = omega * toRadians, o = node * toRadians, inc = i * toRadians;
        const double x1 = std::cos(w) * px - std::sin(w) * py, y1 = std::sin(w) * px + std::cos(w) * py;
        const double y2 = std::cos(inc) * y1;
        out << t << ',' << std::cos(o) * x1 - std::sin(o) * y2 << ',' << std::sin(o) * x1 + std::cos(o) * y2
            << ',' << std::sin(inc) * y1 << '\n';
    }
    const std::string path = dir.write("space.csv", out.str());
    for (const TablePlane plane : {TablePlane::XY, TablePlane::XZ, TablePlane::YZ}) {
        SCOPED_TRACE(int(plane));
        ASSERT_EQ(LoadTable(state, plot, host, path, plane), 1);
        const SeriesSource source = SeriesSourceOf(state, 1.0);
        ASSERT_TRUE(source.depth);
        for (const auto& [kind, want] : {std::pair{QuantityKind::SemiMajorAxis, a},
                                         {QuantityKind::Eccentricity, e},
                                         {QuantityKind::Inclination, i},
                                         {QuantityKind::Node, node},
                                         {QuantityKind::Pericentre, omega}}) {
            std::vector<double> got(std::size_t(source.rows));
            ComputeSeries(source, {kind, 1}, 0, source.rows, got.data());
            for (std::size_t r = 0; r < got.size(); r += 101) ASSERT_NEAR(got[r], want, 1e-7) << int(kind);
        }
    }
    // A planar table has no depth, and no inclination.
    ASSERT_EQ(LoadTable(state, plot, host, dir.write("flat.csv", CircleTable(50, {10})), TablePlane::XZ), 1);
    const SeriesSource flat = SeriesSourceOf(state, 1.0);
    EXPECT_FALSE(flat.depth);
}

TEST_F(TableOpen, ATableThatCannotBeReadKeepsTheSimulationShown) {
    const std::string good = dir.write("good.csv", CircleTable(50, {10}));
    ASSERT_EQ(LoadFile(state, plot, host, good), 1);
    const TrajectoryTable* table = state.loaded().rows.get();
    state.playback.position = 7;
    std::string text = CircleTable(50, {10, 20});
    text.replace(text.find("\r\n", text.find("\r\n", text.find("\r\n") + 2) + 2) + 2, 1, "x");
    const std::string bad = dir.write("bad.csv", text);
    ASSERT_EQ(LoadFile(state, plot, host, bad), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Line 4, column 1: 'x", 0), 0u) << host.messages[0];
    EXPECT_EQ(state.loaded().rows.get(), table);
    EXPECT_EQ(state.playback.position, 7);
    EXPECT_EQ(state.loaded().fields.bodyCount, 1);
    EXPECT_EQ(state.loaded().fields.dataPath, good);
    EXPECT_EQ(plot.title, "good.csv");
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_FALSE(state.playback.loading);
}

TEST_F(TableOpen, ContentDecidesBetweenATableAndAConfiguration) {
    dir.write("run.dat", DataText(20, 2));
    const std::string config = dir.write("run.ovx", ConfigText(dir.path() + "/run.dat", 20, 2));
    const std::string classicData = dir.path() + "/run.dat";
    const struct {
        std::string path;
        FileKind kind;
    } cases[] = {
        {config, FileKind::Configuration},
        {classicData, FileKind::Table},
        {dir.write("run.csv", "t,x,y\n0,1,0\n1,0,1\n"), FileKind::Table},
        {dir.write("config.txt", ConfigText("run.dat", 20, 2)), FileKind::Configuration},
        {dir.write("broken.OVX", "not yet written"),
         FileKind::Configuration},  // refused by the reader, with its code
        {dir.write("words.txt", "some words\nmore words\n"), FileKind::Other},
        {dir.write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR=", 17)), FileKind::Other},
        {dir.write("empty.csv", ""), FileKind::Other},
        {dir.write("header.csv", "t,x,y\n"), FileKind::Table},
        {dir.path(), FileKind::Other},
        {dir.path() + "/missing.csv", FileKind::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(KindOfFile(c.path), c.kind) << c.path;
    // A header alone is refused as a table, not as a configuration.
    EXPECT_EQ(LoadFile(state, plot, host, dir.path() + "/header.csv"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Line 1: a header without data lines after it"});
    host.messages.clear();
    // A file that is neither is refused as a table, by line and column,
    // never with a configuration's code.
    const std::pair<std::string, std::string> neither[] = {
        {dir.path() + "/words.txt", "Line 2, column 1: 'more' is not a number"},
        {dir.write("bad.csv", "t,x,y\n0,1,abc\n"), "Line 2, column 3: 'abc' is not a number"},
        {dir.write("mixed.csv", "t;x;y\n0;1,5;2\n1;1.5;2\n"),
         "Line 3, column 2: '1.5' has a decimal point where the file's numbers have decimal commas"},
        {dir.path() + "/picture.png", "Line 2, column 1: '\uFFFD' is not a number"},
        {dir.path() + "/empty.csv", "No data lines in the file"},
    };
    for (const auto& [path, message] : neither) {
        EXPECT_EQ(LoadFile(state, plot, host, path), 0);
        EXPECT_EQ(host.messages, std::vector<std::string>{message}) << path;
        host.messages.clear();
    }

    ASSERT_EQ(LoadFile(state, plot, host, config), 1);
    EXPECT_EQ(state.loaded().fields.dataFormat, DataFormat::Stream);
    EXPECT_EQ(plot.equalAspect, 0);
    const double classicValue = state.loaded().rows->value(19, 4);

    // The same data file opened directly gives the same values.
    ASSERT_EQ(LoadFile(state, plot, host, classicData), 1);
    EXPECT_EQ(state.loaded().fields.dataFormat, DataFormat::Table);
    EXPECT_EQ(state.loaded().rows->value(19, 4), classicValue);
    EXPECT_EQ(state.loaded().fields.lineCount, 20);
}

TEST_F(TableOpen, EveryLoadThatFailsLeavesTheSimulationShownAsItWas) {
    dir.write("run.dat", DataText(20, 2));
    const std::string shown =
        dir.write("run.ovx", ConfigText(dir.path() + "/run.dat", 20, 2) + "masses = 1 2\n");
    ASSERT_EQ(LoadFile(state, plot, host, shown), 1);
    state.playback.position = 7;
    const ConfigurationFields fields = state.loaded().fields;
    const TrajectoryTable* table = state.loaded().rows.get();
    const std::string title = plot.title;
    dir.write("short.dat", DataText(5, 2));
    dir.write("wide.dat", DataText(20, 3));
    const std::string failing[] = {
        dir.path() + "/missing.ovx",
        dir.write("many.ovx", "data file = run.dat\nnumber of data lines = 20\nnumber of planets = 31\n"),
        dir.write("code.ovx", "data file = " + dir.path() + "/run.dat\nnumber of data lines = x\n"),
        dir.write("nodata.ovx", ConfigText(dir.path() + "/none.dat", 20, 2)),
        dir.write("short.ovx", ConfigText(dir.path() + "/short.dat", 20, 2)),  // the question is answered No
        dir.write("bad.csv", "t,x,y\n0,1,0\n1,x,1\n"),
        dir.write("header.csv", "t,x,y\n"),
        dir.write("wide.ovx", ConfigText(dir.path() + "/wide.dat", 20, 40)),
    };
    for (const std::string& path : failing) {
        host.answers = {Host::Answer::No};
        EXPECT_EQ(LoadFile(state, plot, host, path), 0) << path;
        EXPECT_EQ(state.loaded().fields, fields) << path;
        EXPECT_EQ(state.loaded().configPath, shown) << path;
        EXPECT_EQ(state.loaded().rows.get(), table) << path;
        EXPECT_EQ(state.loaded().dataLoaded, 1) << path;
        EXPECT_EQ(state.playback.position, 7) << path;
        EXPECT_EQ(plot.title, title) << path;
    }
}

TEST_F(TableOpen, ATableOpenedAfterAConfigurationWeighsNothingOfIt) {
    dir.write("run.dat", DataText(20, 2));
    ASSERT_EQ(LoadFile(state, plot, host,
                       dir.write("run.ovx", ConfigText(dir.path() + "/run.dat", 20, 2) + "masses = 1 2\n")),
              1);
    ASSERT_EQ(ShowInFrame(state, plot, "barycentre"), "");
    ASSERT_EQ(LoadFile(state, plot, host, dir.write("orbits.csv", CircleTable(50, {10, 20}))), 1);
    EXPECT_TRUE(state.loaded().fields.bodyMasses.empty());
    EXPECT_EQ(state.view.frame, ReferenceFrame{});
    EXPECT_FALSE(state.framed());
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0].rfind(
                  "The view is back in the inertial frame: the barycentre frame cannot be shown here (the "
                  "barycentre needs a mass for each of the 2 bodies",
                  0),
              0u)
        << host.notes[0];
    // A centred frame the table can have stays, fitted to it.
    ASSERT_EQ(ShowInFrame(state, plot, "centre:2"), "");
    ASSERT_EQ(LoadFile(state, plot, host, dir.write("more.csv", CircleTable(60, {10, 30}))), 1);
    EXPECT_EQ(FrameText(state.view.frame), "centre:2");
    EXPECT_TRUE(state.framed());
}

TEST_F(TableOpen, ADataFileLoadedAsAConfigurationSaysHowToOpenIt) {
    const std::string data = dir.write("run.dat", DataText(20, 2));
    const std::string prose = dir.write("notes.txt", "just some words\nand more words\n");
    EXPECT_EQ(LoadSimulation(state, plot, host, data), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Error -2 in Config File " + data});
    EXPECT_EQ(host.notes, std::vector<std::string>{"run.dat holds numbers, not a configuration: open it "
                                                   "with File > Open Data\u2026 or `orbivex run.dat`"});
    host.notes.clear();
    EXPECT_EQ(LoadSimulation(state, plot, host, prose), 0);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(TableOpen, AConfigurationForATableReadsItAsOneAndSetsItsView) {
    dir.write("xyz.csv", "t,a_x,a_y,a_z\n0,1,2,3\n1,4,5,6\n2,7,8,9\n");
    std::string config = ConfigText(dir.path() + "/xyz.csv", 3, 1);
    config += "data format = Table\nplane = yz\nequal aspect = 1\n";
    ASSERT_EQ(LoadSimulation(state, plot, host, dir.write("xyz.ovx", config)), 1) << host.messages[0];
    EXPECT_EQ(state.loaded().fields.dataFormat, DataFormat::Table);
    EXPECT_EQ(state.loaded().fields.plane, TablePlane::YZ);
    EXPECT_EQ(plot.equalAspect, 1);
    EXPECT_EQ(state.shownRows()->value(2, 1), 8.0);  // y shown across
    EXPECT_EQ(state.shownRows()->value(2, 2), 9.0);  // z shown up
    EXPECT_EQ(state.view.trailLength, 10);           // the configuration's fields stand

    // A classic configuration read afterwards is classic again.
    dir.write("run.dat", DataText(5, 1));
    ASSERT_EQ(
        LoadSimulation(state, plot, host, dir.write("run.ovx", ConfigText(dir.path() + "/run.dat", 5, 1))),
        1);
    EXPECT_EQ(state.loaded().fields.dataFormat, DataFormat::Stream);
    EXPECT_EQ(state.loaded().fields.plane, TablePlane::XY);
}

}  // namespace

namespace {

TEST(FigureBox, AMarginAndRoundEndsSymmetricAboutASunTheDataSurrounds) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        std::array<double, 4> data, shown;
    } cases[] = {
        // Inner planets about the sun: symmetric, 5 % beyond Mars, two digits.
        {{-1.666, -1.5, 1.39, 1.6}, {-1.8, -1.7, 1.8, 1.7}},
        // Both ends on one side of the sun: 5 % of the span beyond each end.
        {{0.5, -1.5, 2.5, 0.5}, {0.4, -1.6, 2.6, 0.6}},
        {{-3e7, -2e7, -1e7, -0.5e7}, {-3.1e7, -2.1e7, -0.9e7, -0.4e7}},
        // An end on the sun's axis is not surrounded.
        {{0, -1, 2, 1}, {-0.1, -1.1, 2.1, 1.1}},
        // An end already round still moves out.
        {{-1, -1, 1, 1}, {-1.1, -1.1, 1.1, 1.1}},
        // Boxes that cannot be widened stay as they are.
        {{-1.7e308, -1, 1.7e308, 1}, {-1.7e308, -1, 1.7e308, 1}},
        {{-1e-320, -1e-320, 1e-320, 1e-320}, {-1e-320, -1e-320, 1e-320, 1e-320}},
        {{-inf, -1, 1, 1}, {-inf, -1, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data[0]);
        const std::array<double, 4> shown = FigureBox(c.data);
        for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(shown[std::size_t(i)], c.shown[std::size_t(i)]);
        EXPECT_TRUE(shown[0] <= c.data[0] && shown[1] <= c.data[1] && shown[2] >= c.data[2] &&
                    shown[3] >= c.data[3]);
    }
}

TEST(DocumentLook, EachKindItsDefaultsWhatItAsksAndTheUsersChoiceOverBoth) {
    const struct {
        SourceKind kind;
        std::optional<ViewStyle> asksStyle;
        std::optional<TrailMode> asksTrail;
        bool asksAspect;
        ChosenByUser chosen;
        ViewStyle style;
        TrailMode trail;
        int aspect;
    } cases[] = {
        {SourceKind::ClassicConfiguration, {}, {}, false, {}, ViewStyle::Classic, TrailMode::Ahead, 0},
        {SourceKind::ClassicConfiguration,
         ViewStyle::Publication,
         TrailMode::Both,
         true,
         {},
         ViewStyle::Publication,
         TrailMode::Both,
         1},
        {SourceKind::PlainTable, {}, {}, false, {}, ViewStyle::Publication, TrailMode::Behind, 1},
        {SourceKind::TableConfiguration, {}, {}, false, {}, ViewStyle::Publication, TrailMode::Behind, 0},
        {SourceKind::TableConfiguration,
         ViewStyle::Classic,
         TrailMode::Ahead,
         true,
         {},
         ViewStyle::Classic,
         TrailMode::Ahead,
         1},
        // What the user chose (here the view's values before the load) stays.
        {SourceKind::PlainTable, {}, {}, false, {true, true, true}, ViewStyle::Classic, TrailMode::Both, 0},
        {SourceKind::ClassicConfiguration,
         ViewStyle::Publication,
         {},
         true,
         {true, false, false},
         ViewStyle::Classic,
         TrailMode::Ahead,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        ViewChoices view;
        view.style = ViewStyle::Classic, view.trailMode = TrailMode::Both, view.chosen = c.chosen;
        PlotBox plot;
        plot.equalAspect = 0;
        LoadedSimulation loaded;
        loaded.kind = c.kind;
        loaded.fields.style = c.asksStyle, loaded.fields.trailMode = c.asksTrail;
        loaded.fields.equalAspect = c.asksAspect;
        ApplyDocumentLook(view, plot, loaded);
        EXPECT_EQ(view.style, c.style);
        EXPECT_EQ(view.trailMode, c.trail);
        EXPECT_EQ(plot.equalAspect, c.aspect);
    }
}

TEST(DocumentLook, RememberedChoicesStandInForWhatATableDoesNotSayAndNeverForAClassicConfiguration) {
    const RememberedLook all{ViewStyle::Classic, TrailMode::Both, false, true, true};
    const struct {
        SourceKind kind;
        std::optional<ViewStyle> asksStyle;
        std::optional<TrailMode> asksTrail;
        bool asksAspect;
        ChosenByUser chosen;
        RememberedLook remembered;
        ViewStyle style;
        TrailMode trail;
        int aspect;
        bool grid, panel;
    } cases[] = {
        {SourceKind::PlainTable, {}, {}, false, {}, all, ViewStyle::Classic, TrailMode::Both, 0, true, true},
        {SourceKind::PlainTable,
         {},
         {},
         false,
         {},
         {},
         ViewStyle::Publication,
         TrailMode::Behind,
         1,
         false,
         false},
        {SourceKind::TableConfiguration,
         {},
         {},
         false,
         {},
         all,
         ViewStyle::Classic,
         TrailMode::Both,
         0,
         true,
         true},
        // What a table's configuration says wins.
        {SourceKind::TableConfiguration,
         ViewStyle::Publication,
         TrailMode::Ahead,
         true,
         {},
         all,
         ViewStyle::Publication,
         TrailMode::Ahead,
         1,
         true,
         true},
        // A classic configuration says its whole look.
        {SourceKind::ClassicConfiguration,
         {},
         {},
         false,
         {},
         all,
         ViewStyle::Classic,
         TrailMode::Ahead,
         0,
         false,
         false},
        {SourceKind::ClassicConfiguration,
         {},
         {},
         false,
         {},
         {ViewStyle::Publication, {}, true, {}, {}},
         ViewStyle::Classic,
         TrailMode::Ahead,
         0,
         false,
         false},
        // The user's own choices stay (here the view's before the load: no
        // grid, the panel shown).
        {SourceKind::PlainTable,
         {},
         {},
         false,
         {.grid = true, .panel = true},
         all,
         ViewStyle::Classic,
         TrailMode::Both,
         0,
         false,
         true},
        {SourceKind::ClassicConfiguration,
         {},
         {},
         false,
         {.trailMode = true, .panel = true},
         all,
         ViewStyle::Classic,
         TrailMode::Both,
         0,
         false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        ViewChoices view;
        view.style = ViewStyle::Classic, view.trailMode = TrailMode::Both;
        view.look.grid = false, view.panel.shown = true;
        view.chosen = c.chosen, view.remembered = c.remembered;
        PlotBox plot;
        LoadedSimulation loaded;
        loaded.kind = c.kind;
        loaded.fields.style = c.asksStyle, loaded.fields.trailMode = c.asksTrail;
        loaded.fields.equalAspect = c.asksAspect;
        ApplyDocumentLook(view, plot, loaded);
        EXPECT_EQ(view.style, c.style);
        EXPECT_EQ(view.trailMode, c.trail);
        EXPECT_EQ(plot.equalAspect, c.aspect);
        EXPECT_EQ(view.look.grid, c.grid);
        EXPECT_EQ(view.panel.shown, c.panel);
    }
}

}  // namespace
