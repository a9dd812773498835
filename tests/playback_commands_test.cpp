#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "animation/animation_commands.h"
#include "animation/playback_commands.h"
#include "animation/playback_range.h"
#include "animation/shown_row.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"
#include "recording_surface.h"
#include "test_support.h"

namespace {

std::vector<double> Times(int rows, double dt) {
    std::vector<double> times;
    for (int r = 0; r < rows; ++r) times.push_back(r * dt);
    return times;
}

TEST(PlaybackCommands, LastPlayableRowIsWhereThePlaybackStops) {
    for (const TrailMode mode : {TrailMode::Ahead, TrailMode::Behind, TrailMode::Both}) {
        for (const int step : {1, 4, 9}) {
            SimulationState s;
            PlotBox plot;
            RecordingSurface surface;
            InitialiseDefaults(s, plot);
            LoadOneBody(s, Times(100, 0.5), 10);
            s.view.trailMode = mode;
            s.playback.step = step;
            while (!TickView(s, plot, surface).stop) {
            }
            const int32_t last = LastPlayableRow(s);
            EXPECT_EQ(last, mode == TrailMode::Behind ? 99 : 89);
            EXPECT_LE(s.playback.position, last);
            EXPECT_GT(s.playback.position, last - step);
            // A start is refused exactly from the last playable row on.
            ScriptedHost host;
            s.playback.position = last;
            EXPECT_FALSE(StartAnimation(s, host));
            s.playback.position = last - 1;
            EXPECT_TRUE(StartAnimation(s, host));
        }
    }
    SimulationState s;
    EXPECT_EQ(LastPlayableRow(s), 0);  // no data
    LoadOneBody(s, Times(100, 1), 500);
    EXPECT_EQ(LastPlayableRow(s), 0);  // a trail longer than the data
}

TEST(PlaybackCommands, PlayNowDropsAPendingStopUnlessRefused) {
    SimulationState s;
    ScriptedHost host;
    s.playback.stopRequested = 1;
    EXPECT_FALSE(PlayNow(s, host));
    EXPECT_EQ(host.messages.back(), "End of Simulation - use Refresh");
    EXPECT_EQ(s.playback.stopRequested, 1);
    LoadOneBody(s, Times(100, 1), 10);
    EXPECT_TRUE(PlayNow(s, host));
    EXPECT_EQ(s.playback.stopRequested, 0);
    EXPECT_EQ(s.playback.startRequested, 1);
    EXPECT_FALSE(PauseAfterTick(s));
    EXPECT_EQ(s.playback.stopRequested, 1);
}

TEST(PlaybackCommands, PlayBackwardsStartsTowardRowZeroAndAForwardStartTurnsItRound) {
    struct Case {
        bool data, loop;
        int32_t position;
        const char* refusal;  // empty: it starts
        int32_t from;
    };
    // 100 rows with a trail of 10 ahead: row 89 is the last the playback reaches.
    const Case cases[] = {
        {true, false, 40, "", 40},
        {true, false, 95, "", 95},  // past the last row a forward start allows
        {true, false, 0, kStartOfSimulation, 0},
        {true, true, 0, "", 89},  // a loop begins the next round at the end
        {false, false, 40, "No data loaded", 40},
        {false, true, 0, "No data loaded", 0},
    };
    for (const Case& c : cases) {
        SimulationState s;
        ScriptedHost host;
        if (c.data) LoadOneBody(s, Times(100, 1), 10);
        s.view.loopPlayback = c.loop;
        s.playback.position = c.position;
        s.playback.stopRequested = 1;
        const bool starts = !*c.refusal;
        EXPECT_EQ(PlayBackwards(s, host), starts) << c.position;
        EXPECT_EQ(host.messages, starts ? std::vector<std::string>{} : std::vector<std::string>{c.refusal})
            << c.position;
        // A refused start leaves everything as it was.
        EXPECT_EQ(std::make_tuple(s.playback.position, s.playback.direction, s.playback.stopRequested,
                                  s.playback.startRequested),
                  starts ? std::make_tuple(c.from, -1, 0, 1) : std::make_tuple(c.position, 1, 1, 0))
            << c.position;
    }
    SimulationState s;
    ScriptedHost host;
    LoadOneBody(s, Times(100, 1), 10);
    s.playback.position = 50;
    ASSERT_TRUE(PlayBackwards(s, host));
    ASSERT_TRUE(PlayNow(s, host));
    EXPECT_EQ(s.playback.direction, 1);
    ASSERT_TRUE(PlayBackwards(s, host));
    ASSERT_TRUE(StartAnimation(s, host));
    EXPECT_EQ(s.playback.direction, 1);
}

TEST(PlaybackCommands, MovesStayWithinThePlayableRowsAndStop) {
    SimulationState s;
    LoadOneBody(s, Times(100, 1), 10);  // rows 0 to 89 are playable with a trail ahead
    s.playback.step = 7;
    s.playback.position = 85;
    s.playback.startRequested = 1;
    EXPECT_TRUE(StepRows(s, 1));
    EXPECT_EQ(std::make_tuple(s.playback.position, s.playback.stopRequested, s.playback.startRequested),
              std::make_tuple(89, 1, 0));
    StepRows(s, -1);
    EXPECT_EQ(s.playback.position, 82);
    s.playback.position = 3;
    StepRows(s, -1);
    EXPECT_EQ(s.playback.position, 0);
    s.loaded().fields.startRow = 95;
    GoToStartRow(s);
    EXPECT_EQ(s.playback.position, 89);
    s.view.trailMode = TrailMode::Behind;
    GoToLastRow(s);
    EXPECT_EQ(s.playback.position, 99);  // no playback runs from row 95: the last row
    // End goes where a playback from the start row stops, on its grid of steps.
    for (const auto& [start, mode, last] : {std::tuple{0, TrailMode::Behind, 98},
                                            {4, TrailMode::Behind, 95},
                                            {0, TrailMode::Ahead, 84},
                                            {3, TrailMode::Ahead, 87}}) {
        s.loaded().fields.startRow = start, s.view.trailMode = mode;
        GoToLastRow(s);
        EXPECT_EQ(s.playback.position, last) << start;
        s.playback.stopRequested = 0;
        s.playback.position = LoopStartRow(s);
        while (PlaybackGoesOn(s)) s.playback.position = NextTickRow(s);
        EXPECT_EQ(s.playback.position, last) << start;
    }
    SeekToRow(s, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(s.playback.position, 0);
}

TEST(PlaybackCommands, RowAtOrAfterTimeTakesTheFirstRowInFileOrder) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    SimulationState s;
    EXPECT_EQ(RowAtOrAfterTime(s, 1.0), 0);
    std::vector<double> times = {0, 5, 3, nan, 8, 2, 12};
    for (int r = 7; r < 30; ++r) times.push_back(1);  // the tail goes back in time
    times.push_back(20);                              // and ahead again, past the playable rows
    LoadOneBody(s, times, 3);                         // 31 rows: the last playable is 27
    struct Case {
        double t;
        int row;
    };
    const Case cases[] = {{-inf, 0}, {0, 0},  {0.5, 1}, {4, 1},    {5, 1},   {5.5, 4},
                          {9, 6},    {12, 6}, {13, 27}, {nan, 27}, {inf, 27}};
    for (const Case& c : cases) EXPECT_EQ(RowAtOrAfterTime(s, c.t), c.row) << c.t;
    s.playback.position = 10;
    EXPECT_TRUE(GoToTime(s, 6));
    EXPECT_EQ(s.playback.position, 4);
    EXPECT_EQ(s.playback.stopRequested, 1);
}

TEST(PlaybackCommands, GoToTimeNotesATimePastThePlayableRows) {
    SimulationState s;
    EXPECT_EQ(GoToTimeNote(s, 5), "");  // nothing loaded: nothing to say
    LoadOneBody(s, Times(100, 1), 10);  // rows 0 to 89 are playable
    const std::string atTheEnd = "No row at or after t = 1000: at the last row the playback reaches";
    const std::pair<double, std::string> cases[] = {
        {12.5, ""},
        {89, ""},
        {1000, atTheEnd},
        {89.5, "No row at or after t = 89.5: at the last row the playback reaches"}};
    for (const auto& [t, note] : cases) EXPECT_EQ(GoToTimeNote(s, t), note) << t;
    s.view.trailMode = TrailMode::Behind;  // row 90 and on are playable now
    EXPECT_EQ(GoToTimeNote(s, 89.5), "");
}

TEST(PlaybackCommands, StartWithALoopAtTheEndStartsAgainFromTheStartRow) {
    struct Case {
        bool loop, data;
        int32_t startRow, position;
        bool starts;
        int32_t then;  // the row afterwards
    };
    const std::string end = "End of Simulation - use Refresh";
    // 100 rows with a trail of 10 ahead: a start is allowed up to row 88.
    const Case cases[] = {
        {false, true, 20, 89, false, 89},  // without a loop: refused as ever
        {true, true, 20, 89, true, 20},    // at the last row: from the start row
        {true, true, 20, 88, true, 88},    // before it: from where it is
        {true, true, 95, 89, false, 89},   // a start row at the end is no better
        {true, false, 0, 0, false, 0},     // nothing loaded
    };
    for (const Case& c : cases) {
        for (const bool now : {false, true}) {
            SimulationState s;
            ScriptedHost host;
            if (c.data) LoadOneBody(s, Times(100, 1), 10);
            s.view.loopPlayback = c.loop;
            s.loaded().fields.startRow = c.startRow;
            s.playback.position = c.position;
            EXPECT_EQ(now ? PlayNow(s, host) : StartAnimation(s, host), c.starts) << c.position;
            EXPECT_EQ(s.playback.position, c.then) << c.position;
            EXPECT_EQ(host.messages, c.starts ? std::vector<std::string>{} : std::vector<std::string>{end})
                << c.position;
        }
    }
}

TEST(PlaybackCommands, DoubleAndHalveSpeedAreExactInverses) {
    // Odd and even steps and periods; a period of 0 runs as 1 ms.
    for (const auto& [step, delay] : {std::pair{1, 0}, {1, 1}, {3, 15}, {6, 20}, {1000001, 7}}) {
        for (const bool up : {true, false}) {
            SimulationState s;
            s.playback.step = step;
            s.playback.delayMs = delay;
            const double speed = RowsPerSecond(s);
            up ? DoubleSpeed(s) : HalveSpeed(s);
            EXPECT_EQ(RowsPerSecond(s), up ? speed * 2 : speed / 2) << step << "/" << delay;
            up ? HalveSpeed(s) : DoubleSpeed(s);
            EXPECT_EQ(RowsPerSecond(s), speed) << step << "/" << delay;
        }
    }
    // Any walk of doublings and halvings lands on the start speed times a
    // power of two, exactly.
    SimulationState walk;
    walk.playback.step = 3;
    walk.playback.delayMs = 40;
    int doublings = 0;
    unsigned seed = 12345;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        const bool up = (seed >> 16) % 2 == 0 ? doublings < 20 : doublings <= -20;
        up ? DoubleSpeed(walk) : HalveSpeed(walk);
        doublings += up ? 1 : -1;
        ASSERT_EQ(RowsPerSecond(walk), std::ldexp(75.0, doublings)) << i;
    }
    // At the limits nothing changes.
    SimulationState s;
    s.playback.delayMs = 3;
    s.playback.step = 1073741824;
    DoubleSpeed(s);
    EXPECT_EQ(s.playback.step, 1073741824);
    EXPECT_EQ(s.playback.delayMs, 3);
    s.playback.step = 1;
    s.playback.delayMs = 1073741824;
    HalveSpeed(s);
    EXPECT_EQ(s.playback.delayMs, 1073741824);
}

TEST(PlaybackCommands, TheBarAndTheEndNoteNameTheRowAndTimeOfRowShown) {
    // One table of cases: each readout names the row and time RowShown gives,
    // and nothing for a row that cannot be read.
    SimulationState s;
    LoadOneBody(s, Times(5000, 0.01), 10);
    s.loaded().fields.timeUnit = "yr";
    const struct {
        int position;
        const char* bar;
        const char* end;
    } cases[] = {
        {1234, "t = 12.340 yr \xC2\xB7 row 1234 of 5000", "End of data: row 1234, t = 12.340 yr"},
        {0, "t = 0.000 yr \xC2\xB7 row 0 of 5000", "End of data: row 0, t = 0.000 yr"},
        {4999, "t = 49.990 yr \xC2\xB7 row 4999 of 5000", "End of data: row 4999, t = 49.990 yr"},
        {5000, "", ""},
        {-1, "", ""},
    };
    for (const auto& c : cases) {
        s.playback.position = c.position;
        EXPECT_EQ(PlaybackReadout(s), c.bar) << c.position;
        EXPECT_EQ(EndOfDataReadout(s), c.end) << c.position;
        EXPECT_EQ(RowShown(s, c.position).has_value(), *c.bar != 0) << c.position;
    }
}

TEST(PlaybackCommands, Readouts) {
    SimulationState s;
    EXPECT_EQ(PlaybackReadout(s), "");
    LoadOneBody(s, Times(5000, 0.01), 10);
    s.playback.position = 1234;
    EXPECT_EQ(PlaybackReadout(s), "t = 12.340 \xC2\xB7 row 1234 of 5000");
    s.playback.position = 5000;
    EXPECT_EQ(PlaybackReadout(s), "");
    s.loaded().rows->set(2, 0, 0.025);  // uneven times: the speed in rows per second
    const struct {
        int step, delay;
        const char* text;
    } speeds[] = {{1, 20, "50 rows/s"},    {1, 30, "33.33 rows/s"},   {3, 0, "3000 rows/s"},
                  {1, 2000, "0.5 rows/s"}, {1, 3000, "0.333 rows/s"}, {5, 8, "625 rows/s"}};
    for (const auto& speed : speeds) {
        s.playback.step = speed.step;
        s.playback.delayMs = speed.delay;
        EXPECT_EQ(SpeedReadout(s), speed.text);
    }
}

}  // namespace
