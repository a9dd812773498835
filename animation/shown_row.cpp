#include "animation/shown_row.h"

#include "animation/simulation_state.h"

std::optional<ShownRow> RowShown(const SimulationState& s, int32_t row) {
    if (!s.loaded().rows || row < 0 || row >= s.loaded().usableRows()) return std::nullopt;
    return ShownRow{row, s.loaded().rows->time(row)};
}
