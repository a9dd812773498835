#include "animation/appended_rows.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "animation/framed_positions.h"
#include "animation/simulation_state.h"

bool AppendRows(SimulationState& s, const std::vector<double>& values, const std::vector<double>& depths) {
    return AppendRows(s, values.data(), depths.empty() ? nullptr : depths.data(), values.size());
}

bool AppendRows(SimulationState& s, const double* values, const double* depths, std::size_t count,
                int64_t rowsToCome) {
    if (!s.loaded.rows || count == 0) return true;
    const int64_t columns = s.loaded.rows->columnCount();
    const int64_t filled = std::max(s.loaded.rowsInData(), 0);
    const int64_t wanted = filled + int64_t(count) / columns;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    if (wanted > s.loaded.rows->rowCount()) {
        const int64_t doubled =
            std::min<int64_t>(2 * int64_t(s.loaded.rows->rowCount()), std::numeric_limits<int32_t>::max());
        const int64_t room = std::min<int64_t>(wanted + std::max<int64_t>(rowsToCome, 0) * 17 / 16,
                                               std::numeric_limits<int32_t>::max());
        const auto capacity = int32_t(std::max({room, doubled, int64_t(64)}));
        // The depths grow first: a table grown alone would leave them short.
        if (s.loaded.depth && !GrowDepth(s.loaded.depth, int32_t(filled), capacity)) return false;
        if (!GrowTable(s.loaded.rows, int32_t(filled), capacity)) return false;
    }
    s.loaded.rows->StoreAppended(std::size_t(filled * columns), values,
                                 std::size_t(wanted - filled) * std::size_t(columns));
    if (DepthTable* depth = s.loaded.depth.get()) {
        const auto bodies = std::size_t(depth->bodyCount());
        const std::size_t n = std::size_t(wanted - filled) * bodies;
        if (depths) {
            depth->Store(std::size_t(filled) * bodies, depths, n);
        } else {
            const std::vector<double> none(n, std::numeric_limits<double>::quiet_NaN());
            depth->Store(std::size_t(filled) * bodies, none.data(), n);
        }
    }
    s.loaded.fields.lineCount = int32_t(wanted);
    // The frame shown takes the new rows too (or, when the table was
    // replaced to grow, every row afresh); one that cannot be had any more
    // leaves the data's own positions shown.
    UpdateFramedRows(s);
    return true;
}
