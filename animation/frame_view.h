#pragma once
#include <string>
#include <string_view>

struct SimulationState;
class PlotBox;

/// Shows the loaded positions in the frame `text` names ("inertial",
/// "centre:N", "rotate:N", "rotate:N,scaled", "barycentre"): computes them
/// for every row in use, once, and fits the box to them, with the body at
/// the box's centre in a centred frame. The inertial frame drops them and
/// gives back the configuration's box. Returns why the frame cannot be had,
/// the state and the plot then left as they were.
std::string ShowInFrame(SimulationState& state, PlotBox& plot, std::string_view text);
