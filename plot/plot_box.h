#pragma once
#include <cstdint>
#include <string>

#include "base/colour.h"
#include "plot/device_types.h"
#include "plot/drawing_surface.h"
#include "plot/plot_mapping.h"

class DrawingSurface;

/// A two-dimensional plotting surface: a world box, a viewport given as
/// percentages of the device rectangle, the linear world-to-pixel mapping
/// that follows from the two, and a frame with labels, a title and pixel,
/// disc, line and cross primitives. The mapping is recomputed only by
/// ComputeMapping (at the start of every paint), so box and viewport changes
/// take effect at the next paint.
class PlotBox {
public:
    PlotBox() = default;
    virtual ~PlotBox() = default;

    // --- Geometry -------------------------------------------------------

    /// Stores the viewport after replacing bad percentages: a left or top edge
    /// outside 0..100 or not before its opposite edge becomes 1, a right or
    /// bottom edge outside 0..100 or not after the (corrected) first becomes 100.
    void SetViewport(int left, int top, int right, int bottom);
    /// Stores the world box, rounded outward first when `roundBox` is set.
    void SetBox(double xmin, double ymin, double xmax, double ymax);
    /// Stores the world box as given, never rounded: for small zoom and pan
    /// steps, which rounding would turn into jumps.
    void SetExactBox(double xmin, double ymin, double xmax, double ymax);
    /// Copies the box last set out in the order xmin, ymin, xmax, ymax: with
    /// `equalAspect` the box asked for, not the widened one on show.
    void GetBox(double& xmin, double& ymin, double& xmax, double& ymax) const;
    /// Rounds lo down and hi up to whole units of a tenth of the range's order
    /// of magnitude. A bound whose count of hundredths of a unit does not fit
    /// 32 bits, or whose result is not finite, is left as it was.
    static void RoundRange(double& lo, double& hi);
    /// Remembers the device rectangle and computes scales and offsets for the
    /// current box and viewport. An empty world range gets the scale 0, so the
    /// whole axis maps onto the box's first column (or bottom row). With
    /// `equalAspect`, the box shown is first made anew from the box asked
    /// for, widened about its centre on one axis so that a world unit spans
    /// as many pixels across as up; frame, labels, clip and mapping then all
    /// describe the widened box. A box with an empty, reversed or infinite
    /// range, or a viewport without pixels, is shown as asked.
    void ComputeMapping(int left, int top, int right, int bottom);
    /// Converts a world point with the last mapping; (0, 0) when disabled or
    /// when `clip` is set and the point lies outside the closed box.
    DevicePoint ToDevice(double x, double y, int clip) const {
        if (!enabled) return {};
        if (clip && IsOutside(x, y)) return {};
        return Map(x, y);
    }
    /// The box's device rectangle: top-left and bottom-right corners.
    DeviceRect BoxCorners() const;

    /// The closed-box world clip; NaN coordinates lie outside.
    bool IsOutside(double x, double y) const { return !(x <= xMax && x >= xMin && y <= yMax && y >= yMin); }
    /// Unchecked world-to-pixel conversion: add 0.5, truncate toward zero.
    DevicePoint Map(double x, double y) const {
        return {SaturatingTrunc(x * xScale - xOffset + 0.5), SaturatingTrunc(y * yScale - yOffset + 0.5)};
    }
    /// The world point's place in the view, not rounded: the exact inverse
    /// of WorldX and WorldY, for shapes drawn smooth.
    ViewPoint MapExact(double x, double y) const { return {x * xScale - xOffset, y * yScale - yOffset}; }
    /// The inverse of Map on one axis: the world coordinate that maps to the
    /// middle of device column `px` (row `py`), so that Map gives the pixel
    /// back wherever it is not negative; `fallback` when the axis has no
    /// mapping (an empty range, or no mapping computed yet).
    double WorldX(double px, double fallback) const {
        return xScale != 0.0 ? (px + xOffset) / xScale : fallback;
    }
    double WorldY(double py, double fallback) const {
        return yScale != 0.0 ? (py + yOffset) / yScale : fallback;
    }
    /// The world distance that `pixels` device pixels span on one axis; 0
    /// when the axis has no mapping.
    double WorldWidth(double pixels) const { return xScale != 0.0 ? pixels / xScale : 0.0; }
    double WorldHeight(double pixels) const { return yScale != 0.0 ? pixels / yScale : 0.0; }
    /// The last mapping as a value, for telling whether it changed.
    PlotMapping Mapping() const {
        return {xMin, xMax, yMin, yMax, xScale, yScale, xOffset, yOffset, enabled};
    }

    // --- Primitives -----------------------------------------------------

    /// Makes `surface` the target of every later primitive; not owned.
    void AttachDC(DrawingSurface* surface) { deviceContext = surface; }
    /// Sets the current point to the world point's pixel; draws nothing.
    void MoveTo(double x, double y);
    /// Draws a line from the current point to the world point, which becomes
    /// the current point; with `clip`, a point outside the box draws nothing.
    void LineTo(double x, double y, int clip);
    /// Sets one pixel; returns 1 if it was handed to the surface.
    int PlotPoint(double x, double y, ColourRef colour, int clip);
    /// Sets the pixels of a filled disc; with `clip` only those strictly
    /// inside the box's device rectangle. 0 if disabled or the centre is
    /// clipped, otherwise 1.
    int PlotDisc(double x, double y, int radius, ColourRef colour, int clip);
    /// Lines through (x0, y0) across the whole box; keeps the current point.
    void DrawCross(double x0, double y0);

    // --- Frame ----------------------------------------------------------

    /// Paints the whole plot box on `surface` for the given device rectangle:
    /// attaches it, recomputes the mapping, then frame, title and fill.
    void Draw(DrawingSurface* surface, int left, int top, int right, int bottom);
    /// Paints the box's inside with `fillColour`.
    void FillBox();
    /// Draws the title centred above the box.
    void DrawTitle();
    /// Frame with ticks along the bottom and left edges and labels at every
    /// second tick.
    void DrawTickedFrame();
    /// Frame with three labels under the bottom edge and three left of it.
    void DrawCornerLabelledFrame();

    // --- Fields ---------------------------------------------------------

    ColourRef fillColour = 0xFFFFFF;
    int roundBox = 1;
    int drawTicks = 1;
    int drawLabels = 1;
    int axisStyle = 0;
    int doubleFrame = 1;
    int enabled = 1;
    /// Non-zero: ComputeMapping widens the box so that both axes have the same scale.
    int equalAspect = 0;
    std::string title;
    int currentX = 100;
    int currentY = 0;
    DrawingSurface* deviceContext = nullptr;
    double xMin = -0.5, xMax = 1.0, yMin = -1.0, yMax = 1.0;
    double xScale = 0, yScale = 0;
    double xOffset = 0, yOffset = 0;
    int leftPct = 50, rightPct = 90, topPct = 10, bottomPct = 90;
    int xTickCount = 4, yTickCount = 8;
    int yTickScale = 4, xTickScale = 4;
    int xLabelFormat = 2, yLabelFormat = 2;
    DeviceRect deviceRect{};
    /// The box corner (0 to 3) where the last full paint of the classic
    /// look put a legend, so that ticks mend it in place; -1 before the
    /// first. Kept with the mapping it was chosen for: a copy of the plot
    /// painted elsewhere leaves this one's alone.
    int legendCorner = -1;

private:
    /// Makes xMin..yMax the box asked for, widened to the viewport's shape
    /// of `width` x `height` pixels.
    void WidenToAspect(double width, double height);

    /// The box asked for while xMin..yMax hold its widened form.
    double requested_[4] = {};
    bool widened_ = false;

    void DrawFrameRectangles(const DeviceRect& box);
    void Text(int64_t x, int64_t y, const std::string& text);
    void Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
};

/// Formats a frame label with the pattern chosen by `format` ("%.0f", "%.1f",
/// "%.2f", "%.3f" for 3 to 5, "%.2f" for anything else); returns the text and
/// stores its length in characters in `length`.
std::string FormatLabel(double value, int format, int& length);
