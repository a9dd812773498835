#include "animation/projected_positions.h"

#include <algorithm>

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

void ProjectBlock(const Source& from, ProjectedPositions& to, int32_t first, int32_t last) {
    const ViewAxes& a = to.axes;
    for (int32_t r = first; r < last; ++r) to.rows->writableTimes()[r] = from.rows->time(r);
    for (int k = 1; k <= from.rows->bodyColumns(); ++k) {
        const double* in = from.rows->track(k, first);
        const double* z = from.depth ? from.depth->track(k, first) : nullptr;
        double* out = to.rows->writableTrack(k, first);
        double* toward = to.toward->writableTrack(k, first);
        for (int32_t i = 0; i < last - first; ++i) {
            const double x = in[2 * i], y = in[2 * i + 1], d = z ? z[i] : 0.0;
            out[2 * i] = Along(a, 0, x, y, d);
            out[2 * i + 1] = Along(a, 1, x, y, d);
            toward[i] = Along(a, 2, x, y, d);
        }
    }
    if (!to.sun.empty())
        for (int32_t r = first; r < last; ++r) {
            const std::size_t i = std::size_t(r);
            const double x = (*from.sun)[2 * i], y = (*from.sun)[2 * i + 1];
            const double z = i < from.sunZ->size() ? (*from.sunZ)[i] : 0.0;
            to.sun[2 * i] = Along(a, 0, x, y, z);
            to.sun[2 * i + 1] = Along(a, 1, x, y, z);
        }
}

void Drop(ProjectedPositions& p) {
    p.rows.reset();
    p.toward.reset();
    p.sun.clear();
    p.source = nullptr;
    p.upTo = 0;
}

}  // namespace

bool UpdateRunProjection(Run& run, const ViewAxes& axes) {
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
    if (fresh) {
        // A table of the same shape is written over: turning the view makes
        // one afresh for every picture.
        if (!shown.rows || shown.rows->rowCount() != from.rows->rowCount() ||
            shown.rows->columnCount() != from.rows->columnCount()) {
            shown.rows = AllocateTable(from.rows->rowCount(), from.rows->columnCount());
            shown.toward =
                shown.rows ? AllocateDepth(from.rows->rowCount(), from.rows->bodyColumns()) : nullptr;
            if (!shown.rows || !shown.toward) {
                Drop(shown);
                return false;
            }
        }
        shown.axes = axes;
        shown.source = from.rows;
        shown.from = from.rows->version();
        shown.upTo = 0;
        shown.sun.assign(from.sun && !from.sun->empty() ? from.sun->size() : 0, 0.0);
    }
    if (shown.upTo < rows) {
        if (!shown.sun.empty() && from.sun->size() != shown.sun.size())
            shown.sun.resize(from.sun->size(), 0.0);
        constexpr int32_t kLeastRows = 4096;
        const int32_t first = shown.upTo;
        ParallelFor(
            first, rows, WorkerCount(uint64_t(rows - first), kLeastRows),
            [&](int64_t begin, int64_t end) { ProjectBlock(from, shown, int32_t(begin), int32_t(end)); });
        shown.upTo = rows;
    }
    if (fresh) shown.rows->Changed();
    return true;
}
