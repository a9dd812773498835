#include "animation/animation_commands.h"

#include <optional>

#include "animation/playback_range.h"
#include "plot/plot_box.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

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
    if (!s.dataLoaded) {
        host.messageBox("No data loaded");
        return false;
    }
    s.position = *from;
    s.direction = 1;
    s.startRequested = 1;
    return true;
}

bool StopAnimation(SimulationState& s) {
    s.stopRequested = 1;
    return false;
}

void RequestStop(SimulationState& s) {
    s.stopRequested = 1;
    s.startRequested = 0;
}

bool ResetPosition(SimulationState& s) {
    RequestStop(s);
    s.position = 0;
    return true;
}

bool ToggleFullWindow(SimulationState& s, PlotBox& plot) {
    if (s.fullWindowToggle % 2 != 0)
        plot.SetViewport(10, 10, 90, 90);
    else
        plot.SetViewport(0, 0, 100, 100);
    if (s.fullWindowToggle < 2147483647)
        ++s.fullWindowToggle;
    else
        s.fullWindowToggle = 2;  // the next even value, without overflowing
    return true;
}

bool IncreaseSpeed(SimulationState& s) {
    const int increment = SpeedIncrement(s.step);
    if (s.step < s.lineCount / 50) s.step += increment;
    return false;
}

bool DecreaseSpeed(SimulationState& s) {
    const int increment = SpeedIncrement(s.step);
    if (s.step < 2) {
        if (s.frameDelayMs <= 2147483647 - 10) s.frameDelayMs += 10;
    } else {
        s.step -= increment;
    }
    if (s.step < 1) s.step = 1;
    return false;
}
