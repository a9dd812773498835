#include "simulation_state.h"

#include <algorithm>

int32_t SimulationState::usableBodies() const {
    int32_t n = std::clamp(bodyCount, 0, kMaxBodies);
    return rows ? std::min(n, rows->bodyColumns()) : n;
}

int32_t SimulationState::usableRows() const {
    if (!rows) return 0;
    return std::clamp(lineCount, 0, rows->rowCount());
}

int32_t SimulationState::rowsInData() const {
    return rows ? std::min(lineCount, rows->rowCount()) : lineCount;
}
