#include "appended_rows.h"

#include <algorithm>
#include <limits>

#include "simulation_state.h"

bool AppendRows(SimulationState& s, const std::vector<double>& values) {
    if (!s.rows || values.empty()) return true;
    const int64_t columns = s.rows->columnCount();
    const int64_t filled = std::max(s.rowsInData(), 0);
    const int64_t wanted = filled + int64_t(values.size()) / columns;
    if (wanted > std::numeric_limits<int32_t>::max()) return false;
    if (wanted > s.rows->rowCount()) {
        const int64_t doubled =
            std::min<int64_t>(2 * int64_t(s.rows->rowCount()), std::numeric_limits<int32_t>::max());
        if (!GrowTable(s.rows, int32_t(filled), int32_t(std::max({wanted, doubled, int64_t(64)}))))
            return false;
    }
    s.rows->StoreAppended(std::size_t(filled * columns), values.data(),
                          std::size_t(wanted - filled) * std::size_t(columns));
    s.lineCount = int32_t(wanted);
    return true;
}
