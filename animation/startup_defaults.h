#pragma once

struct SimulationState;
class PlotBox;

/// Title the plot shows until a simulation is loaded.
inline constexpr const char* kStartupTitle =
    "Fix the size of application window (the box should seem as square)";

/// Start-up state of the simulation and the plot: default configuration name,
/// full-window viewport, box -3..3, corner-labelled frame, start-up title and
/// the light grey fill.
void InitialiseDefaults(SimulationState& state, PlotBox& plot);
