#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "plot/drawing_surface.h"

/// Cuts the line through `points` (`count` of them) into the pieces a
/// dashed line draws: `pattern` gives the lengths drawn and left out in
/// turn, in the points' units, and the line starts `phase` into it. Each
/// piece, two points or more, goes to `piece` in the line's order. An empty
/// pattern draws the line whole. Returns the phase where the line ends, so
/// that a line drawn in parts goes on with the pattern.
double ForEachDash(const ViewPoint* points, std::size_t count, const std::vector<double>& pattern,
                   double phase, const std::function<void(const ViewPoint*, std::size_t)>& piece);
