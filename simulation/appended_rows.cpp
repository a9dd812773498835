#include "appended_rows.h"

#include <algorithm>
#include <limits>

#include "reference_frame.h"
#include "simulation_state.h"

bool AppendRows(SimulationState& s, const std::vector<double>& values) {
    return AppendRows(s, values.data(), values.size());
}

bool AppendRows(SimulationState& s, const double* values, std::size_t count, int64_t rowsToCome) {
    if (!s.rows || count == 0) return true;
    const int64_t columns = s.rows->columnCount();
    const int64_t filled = std::max(s.rowsInData(), 0);
    const int64_t wanted = filled + int64_t(count) / columns;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    if (wanted > s.rows->rowCount()) {
        const int64_t doubled =
            std::min<int64_t>(2 * int64_t(s.rows->rowCount()), std::numeric_limits<int32_t>::max());
        const int64_t room = std::min<int64_t>(wanted + std::max<int64_t>(rowsToCome, 0) * 17 / 16,
                                               std::numeric_limits<int32_t>::max());
        if (!GrowTable(s.rows, int32_t(filled), int32_t(std::max({room, doubled, int64_t(64)}))))
            return false;
    }
    s.rows->StoreAppended(std::size_t(filled * columns), values,
                          std::size_t(wanted - filled) * std::size_t(columns));
    s.lineCount = int32_t(wanted);
    // The frame shown takes the new rows too (or, when the table was
    // replaced to grow, every row afresh); one that cannot be had any more
    // leaves the data's own positions shown.
    UpdateFramedRows(s);
    return true;
}
