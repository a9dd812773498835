#pragma once
#include <string>

#include "plot/axes_frame.h"
#include "plot/drawing_surface.h"

struct SimulationState;
class PlotBox;

/// The length a scale bar of a turned view shows for a box `span` wide:
/// 1, 2 or 5 times a power of ten, the largest at most a fifth of it.
double ScaleBarLength(double span);

/// Where a turned view's marks stand: the triad's centre, the length of its
/// arms and how far out their names sit; the scale bar's length in the
/// data's unit, its right end and height, and its text. Laid out once, so
/// that the interactive page draws the marks the same paint decided.
struct TurnedMarks {
    ViewPoint centre;
    double arm = 0, labelReach = 0, width = 1, labelSize = 12;
    double barLength = 0;  ///< 0: no bar
    double barPixels = 0, barRight = 0, barY = 0, tick = 0, font = 12;
    std::string barText;
};
TurnedMarks LayOutTurnedMarks(const SimulationState& s, const PlotBox& plot, const ViewRect& box,
                              const TextMetrics& m);

/// What a turned view shows in place of the axes' ticks: the data's axes x,
/// y and z as a small triad in the lower left corner of the box, and a scale
/// bar in the data's unit in the lower right.
void DrawTurnedViewMarks(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                         const ViewRect& box, const TextMetrics& m);
