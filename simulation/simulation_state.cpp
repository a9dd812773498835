#include "simulation_state.h"

#include <algorithm>

#include "time_steps.h"

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

std::optional<double> SimulationState::regularTimeStep() const {
    if (!rows) return std::nullopt;
    const int32_t inUse = usableRows();
    if (timeStepMemo_.version != rows->version() || timeStepMemo_.rows != inUse)
        timeStepMemo_ = {rows->version(), inUse, RegularTimeStep(*rows, inUse)};
    return timeStepMemo_.step;
}
