#pragma once
#include "plot/device_types.h"

struct SimulationState;
class PlotBox;

/// Whether the view shows the framed plot (with room for labels around the
/// box) rather than the plot filling the view.
bool ShowsFramedPlot(const SimulationState& state);

/// In the framed plot, the notes a configuration's optional lines ask for:
/// a legend of each named body's colour disc and name, in the corner of the
/// box that hides the fewest positions of the data, and the length unit
/// under the bottom labels. Draws nothing without names or unit, or in the
/// full view. With `placeAnew` the corner is chosen and kept in the plot
/// (a full paint); without it the kept corner is used (a tick, which only
/// mends what the erase cut into).
void DrawPlotNotes(const SimulationState& state, PlotBox& plot, bool placeAnew);

/// The top-left pixel of a `width` x `height` rectangle `inset` pixels
/// inside the box's corner `corner`: 0 top right, 1 top left, 2 bottom
/// right, 3 bottom left.
DevicePoint BoxCorner(const PlotBox& plot, int corner, int width, int height, int inset);

/// The corner where such a rectangle hides the fewest positions of the data
/// (sampled over the rows); top right on a tie.
int QuietestCorner(const SimulationState& state, const PlotBox& plot, int width, int height, int inset);
