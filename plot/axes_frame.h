#pragma once
#include <string>

#include "base/colour.h"
#include "plot/axis_ticks.h"

class PlotBox;
class DrawingSurface;

/// Sizes of the publication look that follow from its text size, in pixels
/// of the view.
struct TextMetrics {
    double font = 12;
    double lineHeight = 14;  ///< the height of a line of text
    double pad = 4;          ///< between a label and what it labels
    double tick = 5;         ///< tick mark length
};

/// The metrics of text of `font` pixels as `surface` measures it.
TextMetrics TextMetricsFor(const DrawingSurface& surface, double font);

/// A rectangle in pixels of the view, not rounded.
struct ViewRect {
    double left = 0, top = 0, right = 0, bottom = 0;
};

/// What is written around a plot's box: the axes' titles, the plot's title
/// (each left out when empty), and whether the x axis is labelled (a plot
/// stacked over another sharing its x axis is not). `band` is the part of
/// the view the labels and titles keep within.
struct FrameTexts {
    std::string x, y, title;
    bool xLabels = true;
    ViewRect band;
};

/// The frame of `box`, the ticks `x` and `y` pointing in on all four sides,
/// the labels of the bottom and left edges (every one inside the band and
/// none over another) and the titles, in the publication look's ink.
void DrawAxesFrame(const PlotBox& plot, DrawingSurface& surface, const ViewRect& box, const AxisTicks& x,
                   const AxisTicks& y, const TextMetrics& m, const FrameTexts& texts);

/// The publication look's ink of frames, ticks and text, and its grid's
/// and zero lines' colours.
inline constexpr ColourRef kFrameInk = 0x262626, kGridColour = 0xE4E4E4, kZeroLineColour = 0x9A9A9A;

/// Maps the plot's box onto the view's pixels [left, right) x [top,
/// bottom), whatever its viewport, which it keeps.
void MapOnto(PlotBox& plot, int left, int top, int right, int bottom);
