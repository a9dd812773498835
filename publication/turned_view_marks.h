#pragma once
#include <string>

#include "plot/axes_frame.h"

struct SimulationState;
class PlotBox;
class DrawingSurface;

/// The length a scale bar of a turned view shows for a box `span` wide:
/// 1, 2 or 5 times a power of ten, the largest at most a fifth of it.
double ScaleBarLength(double span);

/// What a turned view shows in place of the axes' ticks: the data's axes x,
/// y and z as a small triad in the lower left corner of the box, and a scale
/// bar in the data's unit in the lower right.
void DrawTurnedViewMarks(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                         const ViewRect& box, const TextMetrics& m);
