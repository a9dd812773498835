#include "animation/playback_range.h"

#include <algorithm>
#include <limits>

#include "animation/simulation_state.h"

int64_t TrailReserve(const SimulationState& s) {
    return s.view.trailMode == TrailMode::Behind ? 0 : int64_t(s.view.trailLength);
}

namespace {

/// The first position at which the playback stops: a tick that lands there
/// or further is the last one.
int64_t EndPosition(const SimulationState& s) {
    return int64_t(s.loaded().rowsInData()) - TrailReserve(s) - s.playback.step;
}

}  // namespace

bool PlaybackGoesOn(const SimulationState& s) { return int64_t(s.playback.position) < EndPosition(s); }

int32_t LastPlayableRow(const SimulationState& s) {
    // Where a tick stops: it goes on while position < rows - reserve - step,
    // so the last tick lands at rows - reserve - 1 at the furthest. A
    // negative trail would put that past the data, where no row is shown.
    const int64_t reserve = std::max<int64_t>(TrailReserve(s), 0);
    return int32_t(std::max<int64_t>(int64_t(s.loaded().rowsInData()) - reserve - 1, 0));
}

int32_t LastReachedRow(const SimulationState& s) {
    const int64_t start = LoopStartRow(s), end = EndPosition(s), step = s.playback.step;
    if (step <= 0 || start >= end) return LastPlayableRow(s);
    const int64_t landed = start + (end - start + step - 1) / step * step;
    return int32_t(std::min<int64_t>(landed, LastPlayableRow(s)));
}

bool MayStartAt(const SimulationState& s, int64_t row) {
    return row <= int64_t(s.loaded().rowsInData()) - TrailReserve(s) - 2;
}

int32_t LoopStartRow(const SimulationState& s) {
    return std::clamp(s.loaded().fields.startRow, 0, LastPlayableRow(s));
}

std::optional<int32_t> RowToPlayFrom(const SimulationState& s) {
    if (MayStartAt(s, s.playback.position)) return s.playback.position;
    if (s.view.loopPlayback && s.loaded().dataLoaded && MayStartAt(s, LoopStartRow(s)))
        return LoopStartRow(s);
    return std::nullopt;
}

bool PlaysBackward(const SimulationState& s) { return s.playback.direction < 0; }

bool BackwardGoesOn(const SimulationState& s) { return s.playback.position > 0; }

bool TickGoesOn(const SimulationState& s) { return PlaysBackward(s) ? BackwardGoesOn(s) : PlaybackGoesOn(s); }

bool TickWraps(const SimulationState& s) { return s.view.loopPlayback && !TickGoesOn(s); }

int32_t NextTickRow(const SimulationState& s) {
    const bool back = PlaysBackward(s);
    if (TickWraps(s)) return back ? LastPlayableRow(s) : LoopStartRow(s);
    constexpr int64_t kLowest = std::numeric_limits<int32_t>::min(),
                      kHighest = std::numeric_limits<int32_t>::max();
    if (back)
        return int32_t(std::clamp<int64_t>(int64_t(s.playback.position) - s.playback.step, 0, kHighest));
    return int32_t(std::clamp<int64_t>(int64_t(s.playback.position) + s.playback.step, kLowest, kHighest));
}

std::optional<int32_t> RowToPlayBackFrom(const SimulationState& s) {
    if (BackwardGoesOn(s)) return s.playback.position;
    if (s.view.loopPlayback && s.loaded().dataLoaded && LastPlayableRow(s) > 0) return LastPlayableRow(s);
    return std::nullopt;
}

std::optional<int64_t> TicksToEnd(const SimulationState& s) {
    // Tick k lands at position + k * step, held within the int range, and is
    // the last when it lands at or past the end position.
    const int64_t end = EndPosition(s);
    if (s.playback.step <= 0) {
        // Never forward: the first landing is the furthest one.
        const int64_t first = std::max<int64_t>(int64_t(s.playback.position) + s.playback.step,
                                                std::numeric_limits<int32_t>::min());
        return first >= end ? std::optional<int64_t>(1) : std::nullopt;
    }
    const int64_t room = end - s.playback.position;
    if (room <= s.playback.step) return 1;
    if (end > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return (room + s.playback.step - 1) / s.playback.step;
}

std::optional<int64_t> FramesOfPlayback(const SimulationState& s, std::optional<int64_t> ticks) {
    const std::optional<int64_t> toEnd = TicksToEnd(s);
    if (ticks) {
        if (s.view.loopPlayback) return *ticks + 1;
        return std::min(*ticks, toEnd.value_or(*ticks)) + 1;
    }
    if (s.view.loopPlayback && !PlaybackGoesOn(s)) return 1;  // the first tick goes round
    if (!toEnd) return std::nullopt;
    return *toEnd + 1;
}

bool TickEnds(const SimulationState& s, bool goesOn) { return !goesOn && !s.view.loopPlayback; }

TimerRequest TimerAnswer(SimulationState& s, bool goesOn, bool wraps) {
    const bool ends = TickEnds(s, goesOn);
    if (!ends && !s.playback.stopRequested) return {.repaint = wraps};
    s.playback.stopRequested = 0;
    return {.start = false, .stop = true, .repaint = !ends && wraps};
}
