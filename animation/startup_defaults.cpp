#include "animation/startup_defaults.h"

#include "animation/simulation_state.h"
#include "plot/plot_box.h"

void InitialiseDefaults(SimulationState& state, PlotBox& plot) {
    state.loaded().configPath = "defovx.ovx";
    state.loaded().dataLoaded = 0;
    state.playback.startRequested = 0;
    plot.SetViewport(0, 0, 100, 100);
    plot.SetBox(-3.0, -3.0, 3.0, 3.0);
    plot.axisStyle = 1;
    plot.title = kStartupTitle;
    plot.fillColour = 0xF0F0F0;
}
