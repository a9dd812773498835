#include "trajectory_table.h"

#include <limits>
#include <new>

std::unique_ptr<TrajectoryTable> AllocateTable(int32_t rows, int32_t columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) return nullptr;
    const std::size_t limit = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(double);
    const std::size_t count = std::size_t(rows) * std::size_t(columns);
    if (columns != 0 && count / std::size_t(columns) != std::size_t(rows)) return nullptr;
    if (count > limit) return nullptr;
    // Left uninitialised on purpose: pages of a large table are only touched
    // as the reader fills them.
    std::unique_ptr<double[]> values(new (std::nothrow) double[count == 0 ? 1 : count]);
    if (!values) return nullptr;
    return std::make_unique<TrajectoryTable>(rows, columns, std::move(values));
}

void FreeTable(std::unique_ptr<TrajectoryTable>& table) { table.reset(); }
