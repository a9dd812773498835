#include "animation/appended_rows.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "animation/framed_positions.h"
#include "animation/simulation_state.h"

namespace {

/// Stores the `rows` rows after the `filled` ones of `n` values a row into
/// `table`: `values`, or not numbers without them.
template <class Table>
void StoreBeside(Table& table, std::size_t n, int64_t filled, int64_t rows, const double* values) {
    const std::size_t count = std::size_t(rows) * n;
    if (values) {
        table.Store(std::size_t(filled) * n, values, count);
    } else {
        const std::vector<double> none(count, std::numeric_limits<double>::quiet_NaN());
        table.Store(std::size_t(filled) * n, none.data(), count);
    }
}

}  // namespace

bool AppendRows(SimulationState& s, const std::vector<double>& values, const std::vector<double>& depths,
                const std::vector<double>& velocities) {
    return AppendRows(s, values.data(), depths.empty() ? nullptr : depths.data(),
                      velocities.empty() ? nullptr : velocities.data(), values.size());
}

bool AppendRows(SimulationState& s, const double* values, const double* depths, const double* velocities,
                std::size_t count, int64_t rowsToCome) {
    if (!s.loaded().rows || count == 0) return true;
    const int64_t columns = s.loaded().rows->columnCount();
    const int64_t filled = std::max(s.loaded().rowsInData(), 0);
    const int64_t wanted = filled + int64_t(count) / columns;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    if (wanted > s.loaded().rows->rowCount()) {
        const int64_t doubled =
            std::min<int64_t>(2 * int64_t(s.loaded().rows->rowCount()), std::numeric_limits<int32_t>::max());
        const int64_t room = std::min<int64_t>(wanted + std::max<int64_t>(rowsToCome, 0) * 17 / 16,
                                               std::numeric_limits<int32_t>::max());
        const auto capacity = int32_t(std::max({room, doubled, int64_t(64)}));
        // The depths and velocities grow first: a table grown alone would
        // leave them short.
        if (s.loaded().depth && !GrowDepth(s.loaded().depth, int32_t(filled), capacity)) return false;
        if (s.loaded().velocity && !s.loaded().velocity->Grow(int32_t(filled), capacity)) return false;
        if (!GrowTable(s.loaded().rows, int32_t(filled), capacity)) return false;
    }
    s.loaded().rows->StoreAppended(std::size_t(filled * columns), values,
                                   std::size_t(wanted - filled) * std::size_t(columns));
    if (DepthTable* depth = s.loaded().depth.get())
        StoreBeside(*depth, std::size_t(depth->bodyCount()), filled, wanted - filled, depths);
    if (VelocityTable* velocity = s.loaded().velocity.get())
        StoreBeside(*velocity, velocity->valuesPerRow(), filled, wanted - filled, velocities);
    s.loaded().fields.lineCount = int32_t(wanted);
    // The frame shown takes the new rows too (or, when the table was
    // replaced to grow, every row afresh); one that cannot be had any more
    // leaves the data's own positions shown.
    UpdateFramedRows(s);
    return true;
}
