#include "loaded_simulation.h"

#include <algorithm>

#include "time_steps.h"

int32_t LoadedSimulation::usableBodies() const {
    const int32_t slots = int32_t(std::min({fields.bodySize.size(), fields.bodyColourCode.size(),
                                            bodyColour.size(), std::size_t(kMaxTableBodies) + 1}));
    const int32_t n = std::clamp(fields.bodyCount, 0, std::max(slots - 1, 0));
    return rows ? std::min(n, rows->bodyColumns()) : n;
}

ViewPlane LoadedSimulation::planeShown() const {
    return fields.dataFormat == DataFormat::Table && tableLayout.threeDimensional() ? fields.plane
                                                                                    : ViewPlane();
}

int32_t LoadedSimulation::usableRows() const {
    if (!rows) return 0;
    return std::clamp(fields.lineCount, 0, rows->rowCount());
}

int32_t LoadedSimulation::rowsInData() const {
    return rows ? std::min(fields.lineCount, rows->rowCount()) : fields.lineCount;
}

std::optional<double> LoadedSimulation::regularTimeStep() const {
    if (!rows) return std::nullopt;
    const int32_t inUse = usableRows();
    if (timeStepMemo_.version != rows->version() || timeStepMemo_.rows != inUse)
        timeStepMemo_ = {rows->version(), inUse, RegularTimeStep(*rows, inUse)};
    return timeStepMemo_.step;
}
