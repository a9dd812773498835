#include "animation/playback_commands.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "animation/animation_commands.h"
#include "animation/playback_range.h"
#include "animation/playback_speed.h"
#include "animation/shown_row.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "simulation/host.h"

namespace {

constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

/// The timer period the window runs: at least 1 ms.
int32_t EffectiveDelay(const SimulationState& s) { return std::max(s.playback.delayMs, 1); }

}  // namespace

bool PlayNow(SimulationState& s, Host& host) {
    const int32_t pending = s.playback.stopRequested;
    s.playback.stopRequested = 0;
    if (StartAnimation(s, host)) return true;
    s.playback.stopRequested = pending;
    return false;
}

bool PlayBackwards(SimulationState& s, Host& host) {
    if (!s.loaded().dataLoaded) {
        host.messageBox("No data loaded");
        return false;
    }
    const std::optional<int32_t> from = RowToPlayBackFrom(s);
    if (!from) {
        host.messageBox(kStartOfSimulation);
        return false;
    }
    s.playback.position = *from;
    s.playback.direction = -1;
    s.playback.stopRequested = 0;
    s.playback.startRequested = 1;
    return true;
}

bool PauseAfterTick(SimulationState& s) { return StopAnimation(s); }

bool SeekToRow(SimulationState& s, int32_t row) {
    RequestStop(s);
    s.playback.position = std::clamp(row, 0, LastPlayableRow(s));
    return true;
}

bool StepRows(SimulationState& s, int direction) {
    const int64_t by = direction > 0 ? s.playback.step : direction < 0 ? -int64_t(s.playback.step) : 0;
    const int64_t target = std::clamp<int64_t>(int64_t(s.playback.position) + by, 0, LastPlayableRow(s));
    return SeekToRow(s, int32_t(target));
}

bool GoToStartRow(SimulationState& s) { return SeekToRow(s, s.loaded().fields.startRow); }

bool GoToLastRow(SimulationState& s) { return SeekToRow(s, LastReachedRow(s)); }

namespace {

/// The first row, in file order, whose time is at or after `t`; none when
/// no row's time is.
std::optional<int32_t> FirstRowAtOrAfter(const SimulationState& s, double t) {
    const int32_t rows = s.loaded().usableRows();
    for (int32_t r = 0; r < rows; ++r)
        if (s.loaded().rows->time(r) >= t) return r;
    return std::nullopt;
}

}  // namespace

int32_t RowAtOrAfterTime(const SimulationState& s, double t) {
    if (!s.loaded().rows) return 0;
    return std::min(FirstRowAtOrAfter(s, t).value_or(kIntMax), LastPlayableRow(s));
}

bool GoToTime(SimulationState& s, double t) { return SeekToRow(s, RowAtOrAfterTime(s, t)); }

std::string GoToTimeNote(const SimulationState& s, double t) {
    if (!s.loaded().dataLoaded || !s.loaded().rows ||
        FirstRowAtOrAfter(s, t).value_or(kIntMax) <= LastPlayableRow(s))
        return {};
    return Format("No row at or after t = %g: at the last row the playback reaches", t);
}

bool DoubleSpeed(SimulationState& s) {
    const int32_t delay = EffectiveDelay(s);
    if (delay % 2 == 0) {
        s.playback.delayMs = delay / 2;
    } else if (s.playback.step <= kIntMax / 2) {
        s.playback.delayMs = delay;
        s.playback.step = std::max(s.playback.step, 1) * 2;
    }
    return false;
}

bool HalveSpeed(SimulationState& s) {
    const int32_t delay = EffectiveDelay(s);
    if (s.playback.step > 1 && s.playback.step % 2 == 0) {
        s.playback.delayMs = delay;
        s.playback.step /= 2;
    } else if (delay <= kIntMax / 2) {
        s.playback.delayMs = delay * 2;
        s.playback.step = std::max(s.playback.step, 1);
    }
    return false;
}

double RowsPerSecond(const SimulationState& s) {
    return double(s.playback.step) * 1000.0 / EffectiveDelay(s);
}

namespace {

/// " yr" for the time unit, nothing without one.
std::string UnitAfter(const SimulationState& s) {
    return s.loaded().fields.timeUnit.empty() ? std::string() : " " + s.loaded().fields.timeUnit;
}

}  // namespace

std::string PlaybackReadout(const SimulationState& s) {
    const std::optional<ShownRow> shown =
        s.loaded().dataLoaded ? RowShown(s, s.playback.position) : std::nullopt;
    if (!shown) return {};
    return Format("t = %.3f%s \u00B7 row %d of %d", shown->time, UnitAfter(s).c_str(), shown->row,
                  s.loaded().rowsInData());
}

std::string EndOfDataReadout(const SimulationState& s) {
    const std::optional<ShownRow> shown =
        s.loaded().dataLoaded ? RowShown(s, s.playback.position) : std::nullopt;
    if (!shown) return {};
    return Format("End of data: row %d, t = %.3f%s", shown->row, shown->time, UnitAfter(s).c_str());
}

std::string SpeedReadout(const SimulationState& s) { return SpeedNumber(s) + " " + SpeedUnit(s); }
