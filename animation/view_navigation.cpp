#include "animation/view_navigation.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/simulation_state.h"
#include "plot/plot_box.h"

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

namespace {

/// Spans up to this fraction of the largest coordinate count as none: far
/// above the few units in the last place a frame's transform leaves, far
/// below any span a picture can show.
constexpr double kFlatSpan = 1e-12;

}  // namespace

bool FitToData(const RunAt& s, PlotBox& plot) {
    if (!s.loaded().dataLoaded || !s.loaded().rows) return false;
    constexpr double inf = std::numeric_limits<double>::infinity();
    double lo[2] = {inf, inf}, hi[2] = {-inf, -inf};
    const auto [first, rows] = s.run.shownRowSpan();
    // Runs of pairs, finite values only; written without branches so that
    // the compiler can take several values at once.
    const auto take = [&](const double* xy, int32_t count) {
        constexpr double most = std::numeric_limits<double>::max();
        for (int32_t i = 0; i < 2 * count; i += 2)
            for (int axis = 0; axis < 2; ++axis) {
                const double v = xy[i + axis];
                const bool finite = std::fabs(v) <= most;
                lo[axis] = finite && v < lo[axis] ? v : lo[axis];
                hi[axis] = finite && v > hi[axis] ? v : hi[axis];
            }
    };
    const TrajectoryTable& shown = *s.shownRows();
    for (int body = 1; body <= s.loaded().usableBodies(); ++body)
        take(shown.track(body, first), rows - first);
    // A sun that moves in the frame is part of the data shown.
    if (s.sunMoves())
        take(s.run.sunTrack().data() + 2 * std::size_t(first),
             int32_t(std::clamp<int64_t>(int64_t(s.run.sunTrack().size() / 2) - first, 0, rows - first)));
    if (!(lo[0] <= hi[0] && lo[1] <= hi[1])) return false;
    // A span within rounding of the data's size is no span: a body that a
    // turning frame holds on its axis would otherwise fill the box with the
    // noise of its transform.
    const double size = std::max({std::fabs(lo[0]), std::fabs(hi[0]), std::fabs(lo[1]), std::fabs(hi[1])});
    for (int axis = 0; axis < 2; ++axis) {
        if (hi[axis] - lo[axis] <= kFlatSpan * size) {
            const double centre = lo[axis] == hi[axis] ? lo[axis] : 0.5 * (lo[axis] + hi[axis]);
            lo[axis] = centre - 0.5, hi[axis] = centre + 0.5;
        }
        const double margin = (hi[axis] - lo[axis]) * 0.05;
        lo[axis] -= margin;
        hi[axis] += margin;
    }
    return SetCheckedBox(plot, lo[0], lo[1], hi[0], hi[1]);
}

void RestoreConfiguredBox(const RunAt& s, PlotBox& plot) {
    plot.SetBox(s.loaded().fields.box[0], s.loaded().fields.box[1], s.loaded().fields.box[2],
                s.loaded().fields.box[3]);
}
