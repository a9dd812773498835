#include "animation/drawing_routines.h"

#include <algorithm>

#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

namespace {

/// Rows [first, last) of the trail that exist in the table and in use.
struct RowRange {
    int64_t first;
    int64_t last;
};

RowRange TrailRows(const SimulationState& s) {
    const int64_t first = std::max<int64_t>(s.position, 0);
    const int64_t last = std::min<int64_t>(int64_t(s.position) + std::max(s.pointsPerOrbit, 0), s.usableRows());
    return {first, last};
}

/// The trail with direct pixel access: the same clip and mapping as
/// PlotPoint, without a call per pixel.
void DrawTrailOnRaster(const PixelRaster& raster, const PlotBox& plot, const double* values,
                       std::ptrdiff_t stride, int64_t count, ColourRef colour) {
    const uint32_t pixel = ToRasterPixel(colour);
    for (int64_t k = 0; k < count; ++k, values += stride) {
        const double x = values[0], y = values[1];
        if (plot.IsOutside(x, y)) continue;
        const DevicePoint p = plot.Map(x, y);
        if (raster.contains(p.x, p.y)) raster.at(p.x, p.y) = pixel;
    }
}

}  // namespace

void DrawOrbit(const SimulationState& s, PlotBox& plot, int body, ColourRef colour) {
    if (!s.drawOrbits || body < 1 || body > s.usableBodies()) return;
    const RowRange rows = TrailRows(s);
    if (rows.first >= rows.last) return;
    const std::ptrdiff_t stride = s.rows->columnCount();
    const double* values = s.rows->row(int32_t(rows.first)) + 2 * body - 1;
    const PixelRaster* raster = plot.deviceContext ? plot.deviceContext->raster() : nullptr;
    if (raster && plot.enabled) {
        DrawTrailOnRaster(*raster, plot, values, stride, rows.last - rows.first, colour);
        return;
    }
    for (int64_t r = rows.first; r < rows.last; ++r, values += stride) plot.PlotPoint(values[0], values[1], colour, 1);
}

void DrawPlanets(const SimulationState& s, PlotBox& plot, int visible) {
    if (!s.drawPlanets) return;
    if (s.position < 0 || s.position >= s.usableRows()) return;
    const double* row = s.rows->row(s.position);
    for (int i = 1; i <= s.usableBodies(); ++i) {
        const ColourRef colour = visible ? s.bodyColour[std::size_t(i)] : plot.fillColour;
        plot.PlotDisc(row[2 * i - 1], row[2 * i], s.bodySize[std::size_t(i)], colour, 1);
    }
}

void DrawSunAndAxes(const SimulationState& s, PlotBox& plot) {
    if (s.sunSize) plot.PlotDisc(0.0, 0.0, s.sunSize, kSunColour, 1);
    if (s.drawAxes) plot.DrawCross(0.0, 0.0);
}

void DrawSystem(const SimulationState& s, PlotBox& plot, int visible) {
    if (visible) {
        DrawSunAndAxes(s, plot);
        for (int i = 1; i <= s.usableBodies(); ++i) DrawOrbit(s, plot, i, s.bodyColour[std::size_t(i)]);
        DrawPlanets(s, plot, 1);
        return;
    }
    for (int i = 1; i <= s.usableBodies(); ++i) DrawOrbit(s, plot, i, plot.fillColour);
    DrawPlanets(s, plot, 0);
}
