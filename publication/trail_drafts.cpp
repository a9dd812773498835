#include "publication/trail_drafts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "animation/simulation_state.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

using Point = std::array<double, 3>;

/// Rows left out in a row at most: a bound on the time a choice takes,
/// each row left out being measured against every line that passes it.
constexpr std::size_t kMostLeftOut = 16;

bool Known(const Point& p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

/// The distance from `p` to the segment from `a` to `b`.
double DistanceToSegment(const Point& p, const Point& a, const Point& b) {
    Point ab{}, ap{};
    double along = 0, length = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        ab[i] = b[i] - a[i], ap[i] = p[i] - a[i];
        along += ab[i] * ap[i], length += ab[i] * ab[i];
    }
    const double t = length > 0 ? std::clamp(along / length, 0.0, 1.0) : 0.0;
    double squared = 0;
    for (std::size_t i = 0; i < 3; ++i) squared += (ap[i] - t * ab[i]) * (ap[i] - t * ab[i]);
    return std::sqrt(squared);
}

Point PositionAt(const RunAt& r, int body, int64_t row) {
    const double* xy = r.run.framedRows()->track(body, int32_t(row));
    const DepthTable* depth = r.run.framedDepth();
    return {xy[0], xy[1], depth ? depth->at(body, int32_t(row)) : 0.0};
}

}  // namespace

std::vector<int64_t> TrailDrafts::ChooseRows(const RunAt& r, int body, int64_t first, int64_t last,
                                             double tolerance) {
    std::vector<int64_t> kept;
    if (first >= last) return kept;
    kept.push_back(first);
    Point from = PositionAt(r, body, first);
    // The rows left out since the last kept, each within `tolerance` of the
    // line from it to the next row.
    std::vector<Point> leftOut;
    for (int64_t row = first + 1; row + 1 < last; ++row) {
        const Point here = PositionAt(r, body, row), next = PositionAt(r, body, row + 1);
        leftOut.push_back(here);
        bool within = leftOut.size() <= kMostLeftOut && Known(from) && Known(next);
        for (std::size_t i = 0; within && i < leftOut.size(); ++i)
            within = Known(leftOut[i]) && DistanceToSegment(leftOut[i], from, next) <= tolerance;
        if (within) continue;
        kept.push_back(row);
        from = here;
        leftOut.clear();
    }
    if (last - first > 1) kept.push_back(last - 1);
    return kept;
}

void TrailDrafts::Draw(const RunAt& r, const PlotBox& plot, DrawingSurface& surface, int64_t first,
                       int64_t last) {
    const TrajectoryTable* table = r.run.framedRows();
    if (!table) return;
    const int bodies = r.loaded().usableBodies();
    // A quarter of a view pixel: half a device pixel at a ratio of 2.
    const double scale = std::max(std::fabs(plot.xScale), std::fabs(plot.yScale));
    const double tolerance = scale > 0 ? 0.25 / scale : 0.0;
    const Key key{table, table->version(), r.run.framedDepth(), first, last, bodies, tolerance};
    if (!(key == key_)) {
        key_ = key;
        points_.clear();
        starts_.assign(1, 0);
        for (int body = 1; body <= bodies; ++body) {
            for (const int64_t row : ChooseRows(r, body, first, last, tolerance)) {
                Point p = PositionAt(r, body, row);
                if (!Known(p)) p[0] = std::numeric_limits<double>::quiet_NaN();
                points_.insert(points_.end(), p.begin(), p.end());
            }
            starts_.push_back(points_.size());
        }
    }
    const ViewAxes axes = AxesShown(r.view);
    std::vector<ViewPoint> line;
    for (int body = 1; body <= bodies; ++body) {
        const ColourRef colour = r.loaded().bodyColour[std::size_t(body)];
        const auto drawLine = [&] {
            if (line.size() >= 2) surface.DraftPolyline(line.data(), line.size(), colour);
            line.clear();
        };
        for (std::size_t i = starts_[std::size_t(body - 1)]; i < starts_[std::size_t(body)]; i += 3) {
            const double x = points_[i], y = points_[i + 1], z = points_[i + 2];
            if (std::isnan(x)) {
                drawLine();
                continue;
            }
            line.push_back(plot.MapExact(Along(axes, 0, x, y, z), Along(axes, 1, x, y, z)));
        }
        drawLine();
    }
}
