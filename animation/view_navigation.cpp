#include "animation/view_navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

namespace {

/// Sets the box exactly when it is finite with both axes increasing.
bool SetCheckedBox(PlotBox& plot, double xmin, double ymin, double xmax, double ymax) {
    for (const double v : {xmin, ymin, xmax, ymax})
        if (!std::isfinite(v)) return false;
    if (!(xmin < xmax && ymin < ymax)) return false;
    plot.SetExactBox(xmin, ymin, xmax, ymax);
    return true;
}

}  // namespace

void ZoomAbout(PlotBox& plot, double factor, int px, int py) {
    if (!(factor > 0.0) || !std::isfinite(factor)) return;
    double xmin, ymin, xmax, ymax;
    plot.GetBox(xmin, ymin, xmax, ymax);
    // Scaling the box asked for about a point scales the widened box of equal
    // aspect about the same point too, so the point stays put either way.
    const double x = plot.WorldX(px, (xmin + xmax) * 0.5);
    const double y = plot.WorldY(py, (ymin + ymax) * 0.5);
    SetCheckedBox(plot, x + (xmin - x) * factor, y + (ymin - y) * factor, x + (xmax - x) * factor,
                  y + (ymax - y) * factor);
}

void PanByPixels(PlotBox& plot, int dx, int dy) {
    double xmin, ymin, xmax, ymax;
    plot.GetBox(xmin, ymin, xmax, ymax);
    // The picture moves by (dx, dy), so the box moves the other way.
    const double wx = plot.WorldWidth(-double(dx));
    const double wy = plot.WorldHeight(-double(dy));
    SetCheckedBox(plot, xmin + wx, ymin + wy, xmax + wx, ymax + wy);
}

bool FitToData(const SimulationState& s, PlotBox& plot) {
    if (!s.dataLoaded || !s.rows) return false;
    constexpr double inf = std::numeric_limits<double>::infinity();
    double lo[2] = {inf, inf}, hi[2] = {-inf, -inf};
    const int32_t rows = s.usableRows();
    const auto take = [&](const double* xy) {
        for (int axis = 0; axis < 2; ++axis) {
            if (!std::isfinite(xy[axis])) continue;
            lo[axis] = std::min(lo[axis], xy[axis]);
            hi[axis] = std::max(hi[axis], xy[axis]);
        }
    };
    for (int body = 1; body <= s.usableBodies(); ++body) {
        const double* xy = s.shownRows()->track(body, 0);
        for (int32_t r = 0; r < rows; ++r, xy += 2) take(xy);
    }
    // A sun that moves in the frame is part of the data shown.
    for (int32_t r = 0; s.sunMoves() && r < rows; ++r) take(&s.framedSun[std::size_t(2 * r)]);
    if (!(lo[0] <= hi[0] && lo[1] <= hi[1])) return false;
    for (int axis = 0; axis < 2; ++axis) {
        if (lo[axis] == hi[axis]) lo[axis] -= 0.5, hi[axis] += 0.5;
        const double margin = (hi[axis] - lo[axis]) * 0.05;
        lo[axis] -= margin;
        hi[axis] += margin;
    }
    return SetCheckedBox(plot, lo[0], lo[1], hi[0], hi[1]);
}

void RestoreConfiguredBox(const SimulationState& s, PlotBox& plot) {
    plot.SetBox(s.configBox[0], s.configBox[1], s.configBox[2], s.configBox[3]);
}
