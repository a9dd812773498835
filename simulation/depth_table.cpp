#include "depth_table.h"

#include <algorithm>
#include <cstring>

namespace {

/// Values in `rows` rows of `bodies` bodies, or none when they do not fit in memory sizes.
bool CountOf(int32_t rows, int32_t bodies, std::size_t& count) {
    if (rows < 0 || bodies < 0) return false;
    count = std::size_t(rows) * std::size_t(bodies);
    return bodies == 0 || count / std::size_t(bodies) == std::size_t(rows);
}

}  // namespace

void DepthTable::Store(std::size_t first, const double* values, std::size_t n) {
    if (bodies_ <= 0) return;
    const std::size_t bodies = std::size_t(bodies_), rows = std::size_t(rows_);
    std::size_t r = first / bodies, k = first % bodies;
    double* const out = values_.get();
    for (std::size_t i = 0; i < n; ++i) {
        out[k * rows + r] = values[i];
        if (++k == bodies) {
            k = 0;
            ++r;
        }
    }
}

void DepthTable::CopyRowsFrom(const DepthTable& from, int32_t rows) {
    const std::size_t n = std::size_t(std::max(rows, 0));
    for (int32_t body = 1; body <= bodies_; ++body)
        std::memcpy(writableTrack(body, 0), from.track(body, 0), n * sizeof(double));
}

std::unique_ptr<DepthTable> AllocateDepth(int32_t rows, int32_t bodies) {
    rows = std::max(rows, 0);
    std::size_t count = 0;
    if (!CountOf(rows, bodies, count)) return nullptr;
    TrajectoryTable::Values values = AllocateValues(count);
    if (!values) return nullptr;
    return std::make_unique<DepthTable>(rows, bodies, std::move(values));
}

std::unique_ptr<DepthTable> AllocateDepthCapacity(int32_t rowsBound, int32_t bodies, int64_t rowsExpected) {
    std::size_t count = 0;
    if (!CountOf(rowsBound, bodies, count)) return nullptr;
    const std::size_t expected =
        std::size_t(std::clamp<int64_t>(rowsExpected, 1, std::max(rowsBound, 1))) * std::size_t(bodies);
    TrajectoryTable::Values values = AllocateValuesCapacity(count, expected);
    if (!values) return nullptr;
    const bool mapped = values.get_deleter().mapped;
    auto depth = std::make_unique<DepthTable>(rowsBound, bodies, std::move(values));
    // Huge pages over the rows each body will almost surely fill, as the
    // trajectory table asks for them.
    const std::size_t sure = std::size_t(std::clamp<int64_t>(rowsExpected, 0, rowsBound)) * 15 / 16;
    if (mapped)
        for (int32_t body = 1; body <= bodies; ++body) AdviseHugePages(depth->writableTrack(body, 0), sure);
    return depth;
}

bool GrowDepth(std::unique_ptr<DepthTable>& depth, int32_t keep, int32_t capacity) {
    keep = std::clamp(keep, 0, depth->rowCount());
    std::unique_ptr<DepthTable> grown = AllocateDepth(std::max(capacity, keep), depth->bodyCount());
    if (!grown) return false;
    grown->CopyRowsFrom(*depth, keep);
    depth = std::move(grown);
    return true;
}

std::unique_ptr<DepthTable> DepthOfBodies(const DepthTable& all, const std::vector<int32_t>& kept) {
    const int32_t rows = all.rowCount();
    std::unique_ptr<DepthTable> depth = AllocateDepth(rows, int32_t(kept.size()));
    if (!depth) return nullptr;
    for (std::size_t k = 0; k < kept.size(); ++k)
        std::memcpy(depth->writableTrack(int32_t(k + 1), 0), all.track(kept[k], 0),
                    std::size_t(rows) * sizeof(double));
    return depth;
}
