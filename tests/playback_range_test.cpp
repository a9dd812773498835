#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "animation/playback_range.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "recording_surface.h"
#include "simulation/simulation_state.h"

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
    s.trailMode = c.mode;
    s.lineCount = c.rows;
    s.pointsPerOrbit = c.trail;
    s.step = c.step;
    s.position = c.position;
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
        s.bodyCount = 1;
        s.columnCount = 3;
        s.rows = AllocateTable(c.rows, 3);
        s.dataLoaded = 1;
        PlotBox plot;
        RecordingSurface surface;
        int64_t ticks = 1;
        while (!TickView(s, plot, surface).stop && ticks <= c.ticks) ++ticks;
        EXPECT_EQ(ticks, c.ticks) << "mode " << int(c.mode) << ", rows " << c.rows << ", trail " << c.trail
                                  << ", step " << c.step << ", at " << c.position;
    }
}

TEST(PlaybackRange, TheReserveFollowsTheTrailMode) {
    SimulationState s;
    s.pointsPerOrbit = -7;
    const std::pair<TrailMode, int64_t> cases[] = {
        {TrailMode::Ahead, -7}, {TrailMode::Both, -7}, {TrailMode::Behind, 0}};
    for (const auto& [mode, reserve] : cases) {
        s.trailMode = mode;
        EXPECT_EQ(TrailReserve(s), reserve) << int(mode);
    }
}

}  // namespace
