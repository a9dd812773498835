#include "animation/startup_defaults.h"

#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

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
