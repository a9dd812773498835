#include "publication/turned_view_marks.h"

#include <cmath>

#include "animation/simulation_state.h"
#include "base/format.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

constexpr ColourRef kMarkInk = kFrameInk;

void Segment(DrawingSurface& surface, ViewPoint a, ViewPoint b, double width) {
    const ViewPoint points[] = {a, b};
    surface.StrokePolyline(points, 2, kMarkInk, width);
}

}  // namespace

double ScaleBarLength(double span) {
    if (!(span > 0) || !std::isfinite(span)) return 0;
    const double most = span / 5;
    double unit = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * unit <= most * (1 + 1e-12)) return step * unit;
    return unit;
}

void DrawTurnedViewMarks(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                         const ViewRect& box, const TextMetrics& m) {
    const ViewAxes axes = AxesShown(s.view);
    const double arm = 2.2 * m.lineHeight, width = std::max(1.0, m.font / 12);
    const ViewPoint centre{box.left + m.pad + arm + m.lineHeight * 0.6,
                           box.bottom - m.pad - arm - m.lineHeight * 0.6};
    static const char* const kNames[] = {"x", "y", "z"};
    // Each data axis as the picture shows it: its across and up parts; y
    // down on the device.
    for (int k = 0; k < 3; ++k) {
        const double across = axes.m[0][std::size_t(k)], up = axes.m[1][std::size_t(k)];
        const ViewPoint tip{centre.x + arm * across, centre.y - arm * up};
        Segment(surface, centre, tip, width);
        const ViewPoint label{centre.x + (arm + m.lineHeight * 0.5) * across,
                              centre.y - (arm + m.lineHeight * 0.5) * up};
        surface.DrawText(label, kNames[k],
                         {.size = m.font * 0.85, .colour = kMarkInk, .anchor = TextStyle::Centre});
    }
    const double length = ScaleBarLength(plot.xMax - plot.xMin);
    if (!(length > 0)) return;
    const double pixels = plot.MapExact(plot.xMin + length, 0).x - plot.MapExact(plot.xMin, 0).x;
    const double right = box.right - m.pad - m.lineHeight, y = box.bottom - m.pad - m.lineHeight * 0.8;
    Segment(surface, {right - pixels, y}, {right, y}, 1.5 * width);
    Segment(surface, {right - pixels, y - m.tick}, {right - pixels, y + m.tick}, width);
    Segment(surface, {right, y - m.tick}, {right, y + m.tick}, width);
    const std::string& unit = s.loaded().fields.lengthUnit;
    const std::string text = Format("%g", length) + (unit.empty() ? "" : " " + unit);
    surface.DrawText({right - pixels / 2, y - m.pad}, text,
                     {.size = m.font, .colour = kMarkInk, .anchor = TextStyle::BottomCentre});
}
