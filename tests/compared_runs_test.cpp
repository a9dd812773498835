// Runs compared on one clock: aligned by time whatever their steps, bodies
// matched by name or number, the differences between runs against a
// direct computation, frames applied to every run, and what a run that
// cannot be added leaves.

#include "animation/compared_runs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "animation/appended_rows.h"
#include "animation/frame_view.h"
#include "animation/series_source.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "animation/view_request.h"
#include "plot/plot_box.h"
#include "simulation/body_subset.h"
#include "simulation/derived_series.h"
#include "test_support.h"

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

/// A table of two circular orbits about a sun of mu 4 pi^2 (AU and yr):
/// Earth at 1 AU and Mars at 1.5, rows `every` steps of 0.01 yr apart up to
/// `rows` steps; Mars's columns first when `marsFirst`, Earth moved by
/// `shift` along x.
std::string Orbits(int rows, int every, bool marsFirst = false, double shift = 0) {
    std::string text = marsFirst ? "t [yr],mars_x [AU],mars_y [AU],earth_x [AU],earth_y [AU]\n"
                                 : "t [yr],earth_x [AU],earth_y [AU],mars_x [AU],mars_y [AU]\n";
    char line[256];
    for (int step = 0; step < rows; step += every) {
        const double t = step * 0.01, mars = kTwoPi * t / std::pow(1.5, 1.5);
        const double ex = std::cos(kTwoPi * t) + shift, ey = std::sin(kTwoPi * t);
        const double mx = 1.5 * std::cos(mars), my = 1.5 * std::sin(mars);
        if (marsFirst)
            std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g,%.17g,%.17g\n", t, mx, my, ex, ey);
        else
            std::snprintf(line, sizeof line, "%.17g,%.17g,%.17g,%.17g,%.17g\n", t, ex, ey, mx, my);
        text += line;
    }
    return text;
}

struct ComparedRunsTest : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void SetUp() override { InitialiseDefaults(state, plot); }
    void Open(const std::string& text) { ASSERT_TRUE(LoadFile(state, plot, host, dir.write("a.csv", text))); }
    bool Add(const std::string& name, const std::string& text) {
        return AddRun(state, plot, host, dir.write(name, text));
    }
    /// The values of the series `list` names, each column over the rows.
    std::vector<std::vector<double>> Series(const std::string& list) {
        const QuantityList asked =
            ParseQuantities(list, state.loaded().usableBodies(), state.loaded().fields.bodyNames);
        EXPECT_EQ(asked.error, "");
        const SeriesSource source = SeriesSourceOf(state, std::nullopt);
        std::vector<std::vector<double>> values(asked.quantities.size(),
                                                std::vector<double>(std::size_t(source.rows)));
        std::vector<double*> outs;
        for (auto& column : values) outs.push_back(column.data());
        ComputeSeries(source, asked.quantities, 0, source.rows, outs);
        return values;
    }
};

TEST_F(ComparedRunsTest, RunsOfOtherStepsOverlayExactlyAtSharedTimes) {
    // Every step against every third, Mars's columns first in the second:
    // matched by name, its rows nearest in time, Earth's place the same
    // where the times are.
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(301, 3, true)));
    ASSERT_EQ(state.others().size(), 1u);
    const ::Run& run = state.runs[1];
    EXPECT_EQ(run.name, "b.csv");
    EXPECT_EQ(run.alignment.bodyOf, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(run.loaded.bodyColour[1], state.loaded().bodyColour[2]);  // Mars keeps its colour
    EXPECT_EQ(run.loaded.bodyColour[2], state.loaded().bodyColour[1]);
    for (int32_t row : {0, 3, 150, 299, 300}) {
        state.playback.position = row;
        const int32_t own = RunAt(state, 1).playback.position;
        EXPECT_EQ(own, (row + 1) / 3) << row;  // the nearest, the earlier of two as near
        if (row % 3 != 0) continue;
        const double* earth = state.loaded().rows->track(1, row);
        const double* there = run.loaded.rows->track(2, own);
        EXPECT_EQ(earth[0], there[0]) << row;
        EXPECT_EQ(earth[1], there[1]) << row;
    }
    // Its trail spans as long a time in its own rows; the view is the first's.
    state.view.trailLength = 90;
    state.view.trailMode = TrailMode::Both;
    EXPECT_EQ(RunAt(state, 1).trail, 30);
    EXPECT_EQ(&RunAt(state, 1).view, &state.view);
}

TEST_F(ComparedRunsTest, ARunAtTheClocksRowIsItsNearestRowWithTheClocksViewAndATrailAsLong) {
    // Every step against every third: a row of the second is three of the
    // first, and its trail a third as many rows, one at least.
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(301, 3)));
    struct Case {
        int32_t row, trail, direction;
        int32_t own, ownTrail;
    };
    const Case cases[] = {
        {0, 90, 1, 0, 30},   {151, 90, 1, 50, 30}, {152, 90, -1, 51, 30},  // the nearer, either way
        {300, 7, 1, 100, 2}, {301, 7, 1, 100, 2},  {-5, 7, 1, 0, 2},       // clamped to the clock's rows
        {10, 0, 1, 3, 1},    {10, 1, 1, 3, 1},     {10, 2, 1, 3, 1},      {10, 5, 1, 3, 2},
    };
    for (const Case& c : cases) {
        state.playback.position = c.row, state.playback.direction = c.direction;
        state.view.trailLength = c.trail;
        const RunAt run(state, 1);
        EXPECT_EQ(run.playback.position, c.own) << c.row;
        EXPECT_EQ(run.trail, c.ownTrail) << c.trail;
        EXPECT_EQ(run.playback.direction, c.direction);
        EXPECT_EQ(&run.view, &state.view);
        EXPECT_EQ(&run.run, &state.runs[1]);
        const RunAt clock(state);
        EXPECT_EQ(clock.playback.position, c.row);
        EXPECT_EQ(clock.trail, c.trail);
    }
    // A run with no rows aligned stands nowhere.
    state.runs[1].alignment.rowOf.clear();
    EXPECT_EQ(RunAt(state, 1).playback.position, -1);
}

TEST_F(ComparedRunsTest, AShorterRunStaysAtItsEndAndTheBoxHoldsBoth) {
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("short.csv", Orbits(101, 1, false, 2)));  // to t = 1, Earth 2 AU further right
    state.playback.position = 250;
    EXPECT_EQ(RunAt(state, 1).playback.position, 100);
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    plot.GetBox(xmin, ymin, xmax, ymax);
    EXPECT_GE(xmax, 3.0);  // Earth of the second run reaches x = 3
    EXPECT_LE(xmin, -1.5);
}

TEST_F(ComparedRunsTest, DifferencesAgainstADirectComputation) {
    Open(Orbits(301, 1));
    // With itself: nothing differs, to the bit.
    ASSERT_TRUE(Add("same.csv", Orbits(301, 1)));
    for (const auto& column : Series("diff,diff-a,diff-e"))
        for (double v : column) ASSERT_EQ(v, 0);
    state.runs.resize(1);
    // Earth moved 0.001 along x: the distance is 0.001 at every row.
    ASSERT_TRUE(Add("moved.csv", Orbits(301, 1, false, 0.001)));
    const auto moved = Series("diff:earth,diff:mars");
    for (std::size_t r = 0; r < moved[0].size(); ++r) {
        ASSERT_NEAR(moved[0][r], 0.001, 1e-15) << r;
        ASSERT_EQ(moved[1][r], 0) << r;
    }
    state.runs.resize(1);
    // Every third row: exact at shared times, and between them the cubic
    // in time errs far less than a line would (4e-3 AU here).
    ASSERT_TRUE(Add("third.csv", Orbits(301, 3, true)));
    const auto third = Series("diff:1,diff-a:1");
    double worst = 0;
    for (std::size_t r = 0; r < third[0].size(); ++r) {
        if (r % 3 == 0) ASSERT_EQ(third[0][r], 0) << r;
        worst = std::max(worst, third[0][r]);
        EXPECT_LT(std::fabs(third[1][r]), 1e-4) << r;  // a of each is 1
    }
    EXPECT_LT(worst, 1e-4);
    EXPECT_GT(worst, 0);
}

TEST_F(ComparedRunsTest, TheFrameOfABodyFollowsItInEveryRun) {
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(301, 3, true)));
    ASSERT_EQ(ShowInFrame(state, plot, "centre:earth"), "");
    const ::Run& run = state.runs[1];
    EXPECT_EQ(run.frame.kind, ReferenceFrame::Kind::Centred);
    EXPECT_EQ(run.frame.body, 2);  // its Earth
    ASSERT_TRUE(run.framed());
    for (int32_t row : {0, 50, 100}) {
        EXPECT_NEAR(run.shownRows()->track(2, row)[0], 0, 1e-12);
        EXPECT_NEAR(run.shownRows()->track(2, row)[1], 0, 1e-12);
    }
    // A run added in a frame is shown in it; one without the body is not added.
    ASSERT_TRUE(Add("c.csv", Orbits(301, 1)));
    EXPECT_EQ(state.runs.back().frame.body, 1);
    host.messages.clear();
    EXPECT_FALSE(Add("moons.csv", "t,io_x,io_y\n0,1,0\n1,0,1\n"));
    EXPECT_EQ(state.others().size(), 2u);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages.front(),
              "moons.csv cannot be shown in the frame chosen: no body of it matches body 1");
}

TEST_F(ComparedRunsTest, ARunMadeFirstTakesTheClockAndTheFrameAndGivesThemBack) {
    // Every third step, Mars's columns first, made first in a frame centred
    // on Earth: the clock is its rows, at its row nearest the time shown,
    // and the frame follows its Earth; the first run is compared instead.
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(301, 3, true)));
    ASSERT_EQ(ShowInFrame(state, plot, "centre:earth"), "");
    const ColourRef earth = state.loaded().bodyColour[1];
    state.playback.position = 151;  // t = 1.51, nearest 1.50
    state.view.trailLength = 90;
    ASSERT_EQ(MakeRunFirst(state, plot, 0), "");
    EXPECT_EQ(state.view.trailLength, 30);  // as long a time in the new clock's rows
    EXPECT_EQ(state.loaded().usableRows(), 101);
    EXPECT_EQ(state.playback.position, 50);
    EXPECT_EQ(state.view.frame.body, 2);
    EXPECT_EQ(state.loaded().bodyColour[2], earth);
    EXPECT_EQ(state.first().name, "b.csv");
    ASSERT_EQ(state.others().size(), 1u);
    const ::Run& was = state.runs[1];
    EXPECT_EQ(was.name, "a.csv");
    EXPECT_EQ(was.alignment.bodyOf, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(RunAt(state, 1).playback.position, 150);
    EXPECT_EQ(was.frame.body, 1);
    EXPECT_NEAR(state.shownRows()->track(2, 50)[0], 0, 1e-12);
    EXPECT_NEAR(was.shownRows()->track(1, 150)[1], 0, 1e-12);
    // Made first again, it is as it was.
    ASSERT_EQ(MakeRunFirst(state, plot, 0), "");
    EXPECT_EQ(state.loaded().usableRows(), 301);
    EXPECT_EQ(state.view.trailLength, 90);
    EXPECT_EQ(state.playback.position, 150);
    EXPECT_EQ(state.view.frame.body, 1);
    EXPECT_EQ(state.runs[1].alignment.bodyOf, (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(RunAt(state, 1).playback.position, 50);
}

TEST_F(ComparedRunsTest, BodiesLeftOutOfTheFirstRunAreMatchedAgain) {
    // Mars alone shown of the first run: its body 1 is now the second run's Mars.
    Open(Orbits(301, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(301, 3, true)));
    ASSERT_EQ(KeepBodies(state.loaded(), {2}), "");
    AlignRuns(state);
    EXPECT_EQ(state.runs[1].alignment.bodyOf, (std::vector<int>{0, 1, 0}));
    const auto mars = Series("diff:1");
    for (std::size_t r = 0; r < mars[0].size(); r += 3) ASSERT_EQ(mars[0][r], 0) << r;
}

TEST_F(ComparedRunsTest, ColoursAndNamesGivenAfterTheRunsReachTheirBodies) {
    Open(Orbits(31, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(31, 1, true)));  // Mars, then Earth
    FigureRequest figure;
    figure.colours = {Rgb(1, 2, 3), Rgb(4, 5, 6)};
    ASSERT_EQ(ApplyFigure(state, plot, figure), "");
    const LoadedSimulation& run = state.runs[1].loaded;
    EXPECT_EQ(run.bodyColour[1], Rgb(4, 5, 6));
    EXPECT_EQ(run.bodyColour[2], Rgb(1, 2, 3));
    // Names given match the bodies anew, and the colours go with them.
    figure = {};
    figure.names = {"mars", "earth"};
    ASSERT_EQ(ApplyFigure(state, plot, figure), "");
    EXPECT_EQ(state.runs[1].alignment.bodyOf, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.bodyColour[1], Rgb(1, 2, 3));
}

TEST_F(ComparedRunsTest, ANewLoadDropsTheRunsAndDifferencesSayWhatTheyNeed) {
    Open(Orbits(31, 1));
    ASSERT_TRUE(Add("b.csv", Orbits(31, 1)));
    EXPECT_FALSE(Add("missing.csv", std::string()));  // refused with the reader's message
    EXPECT_EQ(state.others().size(), 1u);
    Open(Orbits(31, 1));
    EXPECT_FALSE(state.compared());
    EXPECT_NE(SeriesLack(QuantityKind::RunDistance, SeriesSourceOf(state, std::nullopt)).find("a second run"),
              std::string::npos);
}

TEST_F(ComparedRunsTest, ARunThatCannotBeReadIsNamedTheOthersStayAndRowsFollowedKeepTheDifferences) {
    Open(Orbits(31, 1));
    const std::vector<std::string> paths{dir.write("b.csv", Orbits(31, 1)),
                                         dir.write("bad.csv", "t,x,y\n0,1,2\n1,x,3\n"),
                                         dir.write("c.csv", Orbits(31, 2))};
    EXPECT_FALSE(AddRuns(state, plot, host, paths, {}));
    ASSERT_EQ(state.others().size(), 2u);
    EXPECT_EQ(state.runs[2].name, "c.csv");
    EXPECT_EQ(host.messages, std::vector<std::string>{"bad.csv: Line 3, column 2: 'x' is not a number"});
    // A row the first run gains as it is followed: the differences are
    // asked for against runs aligned again.
    ASSERT_TRUE(AppendRows(state, {0.31, 1, 0, 1.5, 0}));
    ViewRequest request;
    request.plot = "diff:1,diff-a:2";
    EXPECT_EQ(ApplyToLoaded(state, plot, request), "");
    EXPECT_TRUE(state.runs[1].alignment.madeFor(state.loaded()));
}

}  // namespace
