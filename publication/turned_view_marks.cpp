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

TurnedMarks LayOutTurnedMarks(const SimulationState& s, const PlotBox& plot, const ViewRect& box,
                              const TextMetrics& m) {
    TurnedMarks k;
    k.arm = 2.2 * m.lineHeight, k.width = std::max(1.0, m.font / 12);
    k.centre = {box.left + m.pad + k.arm + m.lineHeight * 0.6,
                box.bottom - m.pad - k.arm - m.lineHeight * 0.6};
    k.labelReach = k.arm + m.lineHeight * 0.5, k.labelSize = m.font * 0.85;
    k.tick = m.tick, k.font = m.font;
    k.barLength = ScaleBarLength(plot.xMax - plot.xMin);
    if (!(k.barLength > 0)) return k.barLength = 0, k;
    k.barPixels = plot.MapExact(plot.xMin + k.barLength, 0).x - plot.MapExact(plot.xMin, 0).x;
    k.barRight = box.right - m.pad - m.lineHeight, k.barY = box.bottom - m.pad - m.lineHeight * 0.8;
    const std::string& unit = s.loaded().fields.lengthUnit;
    k.barText = Format("%g", k.barLength) + (unit.empty() ? "" : " " + unit);
    return k;
}

void DrawTurnedViewMarks(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                         const ViewRect& box, const TextMetrics& m) {
    const ViewAxes axes = AxesShown(s.view);
    const TurnedMarks k = LayOutTurnedMarks(s, plot, box, m);
    static const char* const kNames[] = {"x", "y", "z"};
    // Each data axis as the picture shows it: its across and up parts; y
    // down on the device.
    for (int i = 0; i < 3; ++i) {
        const double across = axes.m[0][std::size_t(i)], up = axes.m[1][std::size_t(i)];
        Segment(surface, k.centre, {k.centre.x + k.arm * across, k.centre.y - k.arm * up}, k.width);
        surface.DrawText({k.centre.x + k.labelReach * across, k.centre.y - k.labelReach * up}, kNames[i],
                         {.size = k.labelSize, .colour = kMarkInk, .anchor = TextStyle::Centre});
    }
    if (!(k.barLength > 0)) return;
    const double left = k.barRight - k.barPixels, y = k.barY;
    Segment(surface, {left, y}, {k.barRight, y}, 1.5 * k.width);
    Segment(surface, {left, y - k.tick}, {left, y + k.tick}, k.width);
    Segment(surface, {k.barRight, y - k.tick}, {k.barRight, y + k.tick}, k.width);
    surface.DrawText({k.barRight - k.barPixels / 2, y - m.pad}, k.barText,
                     {.size = m.font, .colour = kMarkInk, .anchor = TextStyle::BottomCentre});
}
