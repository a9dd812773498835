#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"
#include "recording_surface.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kNever = -1;

struct Case {
    TrailMode mode;
    int32_t rows, trail, step, position;
    bool goesOn;
    int32_t last;
    bool mayStart;
    int64_t ticks;  // kNever: the playback never reaches the end
};

// Ahead with 100 rows and a trail of 10 stops where position >= 89 - step;
// a start is allowed up to row 88.
const Case kCases[] = {
    {TrailMode::Ahead, 100, 10, 1, 0, true, 89, true, 89},
    {TrailMode::Ahead, 100, 10, 1, 88, true, 89, true, 1},    // the last row a start is allowed at
    {TrailMode::Ahead, 100, 10, 1, 89, false, 89, false, 1},  // one further: refused
    {TrailMode::Ahead, 100, 10, 4, 0, true, 89, true, 22},    // lands on 88
    {TrailMode::Ahead, 100, 10, 200, 0, false, 89, true, 1},  // a step larger than the room
    {TrailMode::Both, 100, 10, 3, 80, true, 89, true, 3},
    {TrailMode::Behind, 100, 10, 1, 0, true, 99, true, 99},
    {TrailMode::Behind, 100, 10, 1, 98, true, 99, true, 1},
    {TrailMode::Behind, 100, 10, 1, 99, false, 99, false, 1},
    // No rows, or a trail longer than the data: nothing to play.
    {TrailMode::Ahead, 0, 10, 1, 0, false, 0, false, 1},
    {TrailMode::Behind, 0, 10, 1, 0, false, 0, false, 1},
    {TrailMode::Both, 100, 500, 1, 0, false, 0, false, 1},
    {TrailMode::Behind, 100, 500, 1, 0, true, 99, true, 99},
    {TrailMode::Ahead, 100, kMax, 1, 0, false, 0, false, 1},
    // A negative trail reserves negative rows: the tick and the start run
    // past the data, while the commands' last row stays in it.
    {TrailMode::Ahead, 100, -5, 1, 0, true, 99, true, 104},
    {TrailMode::Both, 100, -5, 1, 100, true, 99, true, 4},
    {TrailMode::Ahead, kMax, kMin, 1, 0, true, kMax - 1, true, kNever},  // the end is past the int range
    // Steps that do not move forward end only where the first tick lands.
    {TrailMode::Ahead, 100, 10, 0, 5, true, 89, true, kNever},
    {TrailMode::Ahead, 100, 10, 0, 95, false, 89, false, 1},
    {TrailMode::Ahead, 100, 10, -3, 95, false, 89, false, kNever},
    // Sums that would overflow 32 bits.
    {TrailMode::Ahead, kMax, 0, 1000, kMax - 5, false, kMax - 1, true, 1},
    {TrailMode::Ahead, 100, 10, kMax, kMax, false, 89, false, 1},
    {TrailMode::Ahead, -5, 10, 1, kMin, true, 0, true, 2147483632},
};

SimulationState StateOf(const Case& c) {
    SimulationState s;
    s.view.trailMode = c.mode;
    s.loaded().fields.lineCount = c.rows;
    s.view.trailLength = c.trail;
    s.playback.step = c.step;
    s.playback.position = c.position;
    return s;
}

TEST(PlaybackRange, Cases) {
    for (const Case& c : kCases) {
        const SimulationState s = StateOf(c);
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << ", rows " << c.rows << ", trail "
                                        << c.trail << ", step " << c.step << ", at " << c.position);
        EXPECT_EQ(PlaybackGoesOn(s), c.goesOn);
        EXPECT_EQ(LastPlayableRow(s), c.last);
        EXPECT_EQ(MayStartAt(s, c.position), c.mayStart);
        EXPECT_EQ(TicksToEnd(s), c.ticks == kNever ? std::nullopt : std::optional<int64_t>(c.ticks));
    }
}

TEST(PlaybackRange, TicksToEndAreTheTicksAPlaybackRuns) {
    for (const Case& c : kCases) {
        if (c.ticks == kNever || c.rows < 0 || c.rows > 1000 || c.ticks > 1000) continue;
        SimulationState s = StateOf(c);
        s.loaded().fields.bodyCount = 1;
        s.loaded().columnCount = 3;
        s.loaded().rows = AllocateTable(c.rows, 3);
        s.loaded().dataLoaded = 1;
        PlotBox plot;
        RecordingSurface surface;
        int64_t ticks = 1;
        while (!TickView(s, plot, surface).stop && ticks <= c.ticks) ++ticks;
        EXPECT_EQ(ticks, c.ticks) << "mode " << int(c.mode) << ", rows " << c.rows << ", trail " << c.trail
                                  << ", step " << c.step << ", at " << c.position;
    }
}

/// A playback going back over `rows` rows with a trail of 10 ahead.
SimulationState BackwardState(int32_t rows, int32_t step, int32_t position) {
    SimulationState s;
    s.loaded().fields.lineCount = rows;
    s.view.trailLength = 10;
    s.playback.step = step;
    s.playback.position = position;
    s.playback.direction = -1;
    return s;
}

TEST(PlaybackRange, GoingBackEndsAtRowZeroOrGoesRoundToTheLastPlayableRow) {
    // 100 rows and a trail of 10 ahead: row 89 is the last the playback reaches.
    constexpr int32_t kNone = -1;
    struct Case {
        int32_t rows, step, position;
        bool loop, goesOn;
        int32_t next, from;  // the next tick's row; where a start plays from (kNone: refused)
    };
    const Case cases[] = {
        {100, 1, 50, false, true, 49, 50},
        {100, 4, 6, false, true, 2, 6},
        {100, 4, 3, false, true, 0, 3},  // the last step is cut short at row 0
        {100, 4, 1, true, true, 0, 1},
        {100, 1, 0, false, false, 0, kNone},  // at row 0 it ends, and a start is refused
        {100, 1, 0, true, false, 89, 89},     // with a loop: round to the last row it reaches
        {100, 1, 95, false, true, 94, 95},    // past that row a backward start is fine
        {5, 1, 0, true, false, 0, kNone},     // a trail longer than the data leaves no round
        {kMax, kMax, kMax, false, true, 0, kMax},
        {100, 1, kMin, false, false, 0, kNone},
    };
    for (const Case& c : cases) {
        SimulationState s = BackwardState(c.rows, c.step, c.position);
        s.view.loopPlayback = c.loop;
        s.loaded().dataLoaded = 1;  // a loop's round needs data
        SCOPED_TRACE(testing::Message() << "rows " << c.rows << ", step " << c.step << ", at " << c.position
                                        << (c.loop ? ", loop" : ""));
        EXPECT_TRUE(PlaysBackward(s));
        EXPECT_EQ(TickGoesOn(s), c.goesOn);
        EXPECT_EQ(TickWraps(s), c.loop && !c.goesOn);
        EXPECT_EQ(NextTickRow(s), c.next);
        EXPECT_EQ(RowToPlayBackFrom(s).value_or(kNone), c.from);
        // Forward, the same state plays by the forward rules.
        s.playback.direction = 1;
        EXPECT_EQ(TickGoesOn(s), PlaybackGoesOn(s));
    }
}

TEST(PlaybackRange, BackwardTicksShowEveryStepDownToRowZero) {
    SimulationState s = BackwardState(100, 4, 50);
    s.loaded().fields.bodyCount = 1;
    s.loaded().columnCount = 3;
    s.loaded().rows = AllocateTable(100, 3);
    for (int32_t r = 0; r < 100; ++r)
        for (int32_t c = 0; c < 3; ++c) s.loaded().rows->set(r, c, r * 0.5);
    s.loaded().dataLoaded = 1;
    PlotBox plot;
    RecordingSurface surface;
    std::vector<int32_t> shown;
    TimerRequest request;
    while (!(request = TickView(s, plot, surface)).stop) shown.push_back(s.playback.position);
    EXPECT_EQ(shown, (std::vector<int32_t>{46, 42, 38, 34, 30, 26, 22, 18, 14, 10, 6, 2}));
    EXPECT_EQ(s.playback.position, 0);
    EXPECT_FALSE(request.repaint);
    // With a loop the tick after row 0 goes round to row 89 and asks for a full paint.
    s.view.loopPlayback = 1;
    request = TickView(s, plot, surface);
    EXPECT_EQ(s.playback.position, 89);
    EXPECT_TRUE(request.repaint && !request.stop);
    EXPECT_FALSE(TickView(s, plot, surface).repaint);
    EXPECT_EQ(s.playback.position, 85);
}

TEST(PlaybackRange, TheReserveFollowsTheTrailMode) {
    SimulationState s;
    s.view.trailLength = -7;
    const std::pair<TrailMode, int64_t> cases[] = {
        {TrailMode::Ahead, -7}, {TrailMode::Both, -7}, {TrailMode::Behind, 0}};
    for (const auto& [mode, reserve] : cases) {
        s.view.trailMode = mode;
        EXPECT_EQ(TrailReserve(s), reserve) << int(mode);
    }
}

}  // namespace
