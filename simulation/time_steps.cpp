#include "time_steps.h"

#include <algorithm>
#include <cmath>

#include "trajectory_table.h"

std::optional<double> RegularTimeStep(const TrajectoryTable& table, int32_t rows) {
    rows = std::min(rows, table.rowCount());
    if (rows < 2) return std::nullopt;
    const double first = table.time(0);
    const double step = (table.time(rows - 1) - first) / (rows - 1);
    if (!std::isfinite(first) || !std::isfinite(step) || !(step > 0)) return std::nullopt;
    const double tolerance = kTimeStepTolerance * step;
    for (int32_t r = 1; r < rows; ++r) {
        // Written so that a time that is not a number strays too.
        if (!(std::fabs(table.time(r) - (first + r * step)) <= tolerance)) return std::nullopt;
    }
    return step;
}
