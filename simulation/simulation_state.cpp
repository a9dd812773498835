#include "simulation_state.h"

#include <algorithm>

#include "plot/plot_box.h"

int32_t SimulationState::usableBodies() const {
    int32_t n = std::clamp(bodyCount, 0, kMaxBodies);
    return rows ? std::min(n, rows->bodyColumns()) : n;
}

int32_t SimulationState::usableRows() const {
    if (!rows) return 0;
    return std::clamp(lineCount, 0, rows->rowCount());
}

void InitialiseDefaults(SimulationState& state, PlotBox& plot) {
    state.configPath = "defovx.ovx";
    state.dataLoaded = 0;
    state.startRequested = 0;
    plot.SetViewport(0, 0, 100, 100);
    plot.SetBox(-3.0, -3.0, 3.0, 3.0);
    plot.axisStyle = 1;
    plot.title = kStartupTitle;
    plot.fillColour = 0xF0F0F0;
}
