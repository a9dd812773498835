#include "animation/animation_commands.h"

#include <optional>

#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "plot/plot_box.h"
#include "simulation/host.h"

namespace {

/// Rows added or removed by one speed command, chosen from the current step.
int SpeedIncrement(int step) {
    if (step <= 10) return 1;
    if (step <= 30) return 5;
    return 10;
}

}  // namespace

bool StartAnimation(SimulationState& s, Host& host) {
    const std::optional<int32_t> from = RowToPlayFrom(s);
    if (!from) {
        host.messageBox("End of Simulation - use Refresh");
        return false;
    }
    if (!s.loaded().dataLoaded) {
        host.messageBox("No data loaded");
        return false;
    }
    s.playback.position = *from;
    s.playback.direction = 1;
    s.playback.startRequested = 1;
    return true;
}

bool StopAnimation(SimulationState& s) {
    s.playback.stopRequested = 1;
    return false;
}

void RequestStop(SimulationState& s) {
    s.playback.stopRequested = 1;
    s.playback.startRequested = 0;
}

bool ResetPosition(SimulationState& s) {
    RequestStop(s);
    s.playback.position = 0;
    return true;
}

bool ToggleFullWindow(SimulationState& s, PlotBox& plot) {
    if (s.view.fullWindowToggle % 2 != 0)
        plot.SetViewport(10, 10, 90, 90);
    else
        plot.SetViewport(0, 0, 100, 100);
    if (s.view.fullWindowToggle < 2147483647)
        ++s.view.fullWindowToggle;
    else
        s.view.fullWindowToggle = 2;  // the next even value, without overflowing
    return true;
}

bool IncreaseSpeed(SimulationState& s) {
    const int increment = SpeedIncrement(s.playback.step);
    if (s.playback.step < s.loaded().fields.lineCount / 50) s.playback.step += increment;
    return false;
}

bool DecreaseSpeed(SimulationState& s) {
    const int increment = SpeedIncrement(s.playback.step);
    if (s.playback.step < 2) {
        if (s.playback.delayMs <= 2147483647 - 10) s.playback.delayMs += 10;
    } else {
        s.playback.step -= increment;
    }
    if (s.playback.step < 1) s.playback.step = 1;
    return false;
}
