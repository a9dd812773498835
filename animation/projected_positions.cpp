#include "animation/projected_positions.h"

#include <algorithm>
#include <utility>

#include "animation/run.h"
#include "base/parallel_for.h"

namespace {

struct Source {
    const TrajectoryTable* rows = nullptr;
    const DepthTable* depth = nullptr;
    const std::vector<double>* sun = nullptr;
    const std::vector<double>* sunZ = nullptr;
};

Source SourceOf(const Run& run) {
    if (run.framed())
        return {run.inFrame.rows.get(), run.inFrame.depth.get(), &run.inFrame.sun, &run.inFrame.sunZ};
    return {run.loaded.rows.get(), run.loaded.depth.get(), nullptr, nullptr};
}

/// One of the picture's axes as it applies to a point: a copy of one of
/// the data's coordinates (ViewAxes::Along's rule, to the bit) or a sum.
struct AxisRule {
    int copy = -1;  ///< the coordinate copied (times `sign`), or -1
    double sign = 1;
    std::array<double, 3> m{};
    double operator()(double x, double y, double z) const {
        if (copy >= 0) return sign * (copy == 0 ? x : copy == 1 ? y : z);
        return m[0] * x + m[1] * y + m[2] * z;
    }
};

AxisRule RuleOf(const ViewAxes& axes, int row) {
    AxisRule rule{.m = axes.m[std::size_t(row)]};
    for (int k = 0; k < 3; ++k) {
        const double v = rule.m[std::size_t(k)];
        const bool others = rule.m[std::size_t((k + 1) % 3)] == 0 && rule.m[std::size_t((k + 2) % 3)] == 0;
        if (others && (v == 1 || v == -1)) rule.copy = k, rule.sign = v;
    }
    return rule;
}

void ProjectBlock(const Source& from, ProjectedPositions& to, int32_t first, int32_t last) {
    const AxisRule across = RuleOf(to.axes, 0), up = RuleOf(to.axes, 1);
    for (int32_t r = first; r < last; ++r) to.rows->writableTimes()[r] = from.rows->time(r);
    for (int k = 1; k <= from.rows->bodyColumns(); ++k) {
        const double* in = from.rows->track(k, first);
        const double* z = from.depth ? from.depth->track(k, first) : nullptr;
        double* out = to.rows->writableTrack(k, first);
        for (int32_t i = 0; i < last - first; ++i) {
            const double x = in[2 * i], y = in[2 * i + 1], d = z ? z[i] : 0.0;
            out[2 * i] = across(x, y, d);
            out[2 * i + 1] = up(x, y, d);
        }
    }
    if (!to.sun.empty())
        for (int32_t r = first; r < last; ++r) {
            const std::size_t i = std::size_t(r);
            const double x = (*from.sun)[2 * i], y = (*from.sun)[2 * i + 1];
            const double z = i < from.sunZ->size() ? (*from.sunZ)[i] : 0.0;
            to.sun[2 * i] = across(x, y, z);
            to.sun[2 * i + 1] = up(x, y, z);
        }
}

void Drop(ProjectedPositions& p) {
    p.rows.reset();
    p.sun.clear();
    p.source = nullptr;
    p.madeFrom = p.upTo = 0;
    p.partial = false;
}

/// Readies `shown` to be made afresh from `from`: false when the memory
/// for it cannot be had.
bool StartAfresh(const Source& from, const ViewAxes& axes, ProjectedPositions& shown) {
    // A table of the same shape is written over: turning the view makes
    // one afresh for every picture.
    if (!shown.rows || shown.rows->rowCount() != from.rows->rowCount() ||
        shown.rows->columnCount() != from.rows->columnCount()) {
        shown.rows = AllocateTable(from.rows->rowCount(), from.rows->columnCount());
        if (!shown.rows) return false;
    }
    shown.axes = axes;
    shown.source = from.rows;
    shown.from = from.rows->version();
    shown.madeFrom = shown.upTo = 0;
    shown.partial = false;
    shown.sun.assign(from.sun && !from.sun->empty() ? from.sun->size() : 0, 0.0);
    return true;
}

void Project(const Source& from, ProjectedPositions& to, int32_t first, int32_t last) {
    constexpr int32_t kLeastRows = 4096;
    if (first >= last) return;
    ParallelFor(first, last, WorkerCount(uint64_t(last - first), kLeastRows),
                [&](int64_t begin, int64_t end) { ProjectBlock(from, to, int32_t(begin), int32_t(end)); });
}

}  // namespace

bool UpdateRunProjection(Run& run, const ViewAxes& axes, std::optional<RowSpan> only) {
    ProjectedPositions& shown = run.projected;
    const Source from = SourceOf(run);
    if (axes.identity() || !from.rows) {
        Drop(shown);
        return true;
    }
    const int32_t rows = run.loaded.usableRows();
    const bool fresh = !shown.rows || shown.axes != axes || shown.source != from.rows ||
                       shown.from != from.rows->version() ||
                       shown.rows->columnCount() != from.rows->columnCount() || shown.rows->rowCount() < rows;
    if (fresh && !StartAfresh(from, axes, shown)) {
        Drop(shown);
        return false;
    }
    RowSpan want{0, rows};
    if (only) {
        want.first = std::clamp(only->first, 0, rows);
        want.last = std::clamp(only->last, want.first, rows);
    }
    if (!shown.sun.empty() && from.sun->size() != shown.sun.size()) shown.sun.resize(from.sun->size(), 0.0);
    const bool wasPartial = shown.partial;
    // Rows wanted next to those made join them; rows apart from them
    // replace them.
    if (fresh || want.last < shown.madeFrom || want.first > shown.upTo)
        shown.madeFrom = shown.upTo = want.first;
    const bool more = want.first < shown.madeFrom || want.last > shown.upTo;
    if (want.first < shown.madeFrom)
        Project(from, shown, want.first, std::exchange(shown.madeFrom, want.first));
    if (want.last > shown.upTo) Project(from, shown, std::exchange(shown.upTo, want.last), want.last);
    shown.partial = shown.madeFrom > 0 || shown.upTo < rows;
    // Rows appended to a whole projection extend what was drawn from it;
    // anything else is new to every picture made from it.
    if (fresh || (more && (wasPartial || shown.partial))) shown.rows->Changed();
    return true;
}
