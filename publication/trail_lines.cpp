#include "publication/trail_lines.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/simulation_state.h"
#include "plot/plot_box.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Finite(ViewPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

double StepSquared(ViewPoint a, ViewPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return dx * dx + dy * dy;
}

}  // namespace

bool StepJoins(const ViewPoint* before, ViewPoint a, ViewPoint b, const ViewPoint* after) {
    if (!Finite(a) || !Finite(b)) return false;
    const double step = StepSquared(a, b);
    const double previous = before && Finite(*before) ? StepSquared(*before, a) : -1;
    const double next = after && Finite(*after) ? StepSquared(b, *after) : -1;
    const double neighbour = std::max(previous, next);
    return !(neighbour >= 0 && step > 4 * 4 && step > 8 * 8 * neighbour);
}

void TrailLines::Prepare(const RunAt& s, const PlotBox& plot, int64_t first, int64_t last) {
    const int bodies = s.loaded().usableBodies();
    const Key key{s.loaded().rows ? s.shownRows()->version() : 0, s.loaded().usableRows(), bodies,
                  plot.Mapping()};
    if (key == key_ && std::max<int64_t>(first - 1, 0) >= first_ && std::min(last + 1, key.rows) <= end_)
        return;
    key_ = key;
    // Room for the rows to move by as many again either way before the
    // next mapping.
    const int64_t margin = std::max<int64_t>(last - first, kPiece);
    first_ = std::max<int64_t>(first - margin, 0);
    end_ = std::min<int64_t>(last + margin, key.rows);
    first_ -= first_ % kPiece;  // whole pieces from the first row held
    const std::size_t held = this->held();
    pieces_ = (held + kPiece - 1) / kPiece, parts_ = (held + kPart - 1) / kPart;
    points_.resize(held * std::size_t(bodies));
    joins_.resize(held * std::size_t(bodies));
    pieceBoxes_.resize(pieces_ * std::size_t(bodies));
    partBoxes_.resize(parts_ * std::size_t(bodies));
    const RowSpan made = s.run.shownRowSpan();
    for (int body = 1; body <= bodies; ++body) {
        ViewPoint* p = &points_[std::size_t(body - 1) * held];
        const auto mapped = [&](int64_t row) {
            // Rows not projected yet (a drag's) are none: they lie beyond
            // those the picture shows.
            if (row < made.first || row >= made.last) return ViewPoint{kNaN, kNaN};
            const double* xy = s.shownRows()->track(body, int32_t(row));
            return plot.MapExact(xy[0], xy[1]);
        };
        for (int64_t row = first_; row < end_; ++row) p[row - first_] = mapped(row);
        // Rows just outside those held still decide the steps beside them.
        const auto point = [&](int64_t row) {
            return row >= first_ && row < end_ ? p[row - first_] : mapped(row);
        };
        uint8_t* joins = &joins_[std::size_t(body - 1) * held];
        for (int64_t row = first_; row < end_; ++row) {
            if (row == 0) {
                joins[0] = 0;
                continue;
            }
            const ViewPoint before = row >= 2 ? point(row - 2) : ViewPoint{};
            const ViewPoint after = row + 1 < key.rows ? point(row + 1) : ViewPoint{};
            joins[row - first_] = StepJoins(row >= 2 ? &before : nullptr, point(row - 1), p[row - first_],
                                            row + 1 < key.rows ? &after : nullptr);
        }
        const auto boxes = [&](std::size_t length, std::size_t count, Box* out) {
            for (std::size_t k = 0; k < count; ++k) {
                Box box{INFINITY, INFINITY, -INFINITY, -INFINITY};
                const std::size_t from = k * length, to = std::min(held, from + length + 1);
                for (std::size_t i = from; i < to; ++i)
                    if (Finite(p[i]))
                        box = {std::min(box.left, p[i].x), std::min(box.top, p[i].y),
                               std::max(box.right, p[i].x), std::max(box.bottom, p[i].y)};
                out[k] = box;
            }
        };
        boxes(kPiece, pieces_, &pieceBoxes_[std::size_t(body - 1) * pieces_]);
        boxes(kPart, parts_, &partBoxes_[std::size_t(body - 1) * parts_]);
    }
}
