#include "plot/axes_frame.h"

#include <algorithm>
#include <vector>

#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

void Line(DrawingSurface& surface, ViewPoint a, ViewPoint b, ColourRef colour, double width) {
    const ViewPoint points[] = {a, b};
    surface.StrokePolyline(points, 2, colour, width);
}

}  // namespace

void MapOnto(PlotBox& plot, int left, int top, int right, int bottom) {
    const int saved[] = {plot.leftPct, plot.topPct, plot.rightPct, plot.bottomPct};
    plot.leftPct = 0, plot.topPct = 0, plot.rightPct = 100, plot.bottomPct = 100;
    // The viewport spans the whole rectangle, whose corner the mapping
    // then moves to.
    plot.ComputeMapping(left, top, right, bottom);
    plot.xOffset -= left;
    plot.yOffset -= top;
    plot.leftPct = saved[0], plot.topPct = saved[1], plot.rightPct = saved[2], plot.bottomPct = saved[3];
}

TextMetrics TextMetricsFor(const DrawingSurface& surface, double font) {
    TextMetrics m;
    m.font = font;
    m.lineHeight = surface.TextExtent("0", font).y;
    m.pad = 0.4 * font;
    m.tick = 0.5 * font;
    return m;
}

void DrawAxesFrame(const PlotBox& plot, DrawingSurface& surface, const ViewRect& box, const AxisTicks& xTicks,
                   const AxisTicks& yTicks, const TextMetrics& m, const FrameTexts& texts) {
    const ColourRef ink = kFrameInk;
    const double width = std::max(1.0, m.font / 14);
    for (const double v : xTicks.values) {
        const double x = plot.MapExact(v, 0).x;
        Line(surface, {x, box.bottom}, {x, box.bottom - m.tick}, ink, width);
        Line(surface, {x, box.top}, {x, box.top + m.tick}, ink, width);
    }
    for (const double v : yTicks.values) {
        const double y = plot.MapExact(0, v).y;
        Line(surface, {box.left, y}, {box.left + m.tick, y}, ink, width);
        Line(surface, {box.right, y}, {box.right - m.tick, y}, ink, width);
    }
    const ViewPoint frame[] = {{box.left, box.top},
                               {box.right, box.top},
                               {box.right, box.bottom},
                               {box.left, box.bottom},
                               {box.left, box.top}};
    surface.StrokePolyline(frame, 5, ink, width);

    const ViewRect& band = texts.band;
    const TextStyle label{.size = m.font, .colour = ink, .anchor = TextStyle::TopCentre};
    std::vector<double> centres, widths;
    std::vector<std::string> labels;
    // The x labels' room, which a y label near the bottom corner gives way to.
    double xLabelsLeft = band.right, xLabelsRight = band.left;
    if (texts.xLabels) {
        for (const double v : xTicks.values) {
            labels.push_back(TickLabel(v, xTicks.decimals));
            widths.push_back(surface.TextExtent(labels.back(), m.font).x);
            centres.push_back(ClampLabel(plot.MapExact(v, 0).x, widths.back(), band.left, band.right));
        }
        const std::vector<bool> shown = LabelsShown(centres, widths, m.pad * 2);
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (shown[i]) {
                surface.DrawText({centres[i], box.bottom + m.pad}, labels[i], label);
                xLabelsLeft = std::min(xLabelsLeft, centres[i] - widths[i] / 2);
                xLabelsRight = std::max(xLabelsRight, centres[i] + widths[i] / 2);
            }
    }
    centres.clear(), widths.clear(), labels.clear();
    for (const double v : yTicks.values) {
        labels.push_back(TickLabel(v, yTicks.decimals));
        widths.push_back(m.lineHeight);
        centres.push_back(ClampLabel(plot.MapExact(0, v).y, m.lineHeight, band.top, band.bottom));
    }
    const std::vector<bool> shown = LabelsShown(centres, widths, m.pad);
    TextStyle left = label;
    left.anchor = TextStyle::MiddleRight;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const double labelWidth = surface.TextExtent(labels[i], m.font).x;
        const bool meetsXLabels = centres[i] + m.lineHeight / 2 > box.bottom + m.pad &&
                                  box.left - m.pad > xLabelsLeft &&
                                  box.left - m.pad - labelWidth < xLabelsRight;
        if (shown[i] && !meetsXLabels) surface.DrawText({box.left - m.pad, centres[i]}, labels[i], left);
    }

    TextStyle title = label;
    if (!texts.x.empty()) {
        title.anchor = TextStyle::BottomCentre;
        surface.DrawText({(box.left + box.right) / 2, band.bottom - m.pad}, texts.x, title);
    }
    if (!texts.y.empty()) {
        title.anchor = TextStyle::TopCentre;
        title.upwards = true;
        surface.DrawText({band.left + m.pad, (box.top + box.bottom) / 2}, texts.y, title);
        title.upwards = false;
    }
    if (!texts.title.empty()) {
        title.anchor = TextStyle::BottomCentre;
        surface.DrawText({(box.left + box.right) / 2, box.top - m.pad}, texts.title, title);
    }
}
