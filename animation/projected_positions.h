#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "simulation/depth_table.h"
#include "simulation/trajectory_table.h"
#include "simulation/view_axes.h"

struct Run;

/// A run's positions in its frame as the picture shows them when the view
/// looks onto another plane than the data's xy or is turned: the picture's
/// x and y of each body; the sun's place in the picture, x and y of row r
/// at [2r] and [2r + 1] (empty when it stays at the origin). Derived: made
/// from the table whose version `from` holds, for `axes`; only rows
/// [madeFrom, upTo) are made. They are all the rows in use but while a drag
/// turns the view (`partial`), when each picture needs only those it shows.
struct ProjectedPositions {
    std::unique_ptr<TrajectoryTable> rows;
    std::vector<double> sun;
    ViewAxes axes;
    const TrajectoryTable* source = nullptr;
    uint64_t from = 0;
    int32_t madeFrom = 0;
    int32_t upTo = 0;
    bool partial = false;

    /// Whether these are made from `table`: for its rows below `rowsInUse`,
    /// or for some of them when partial.
    bool madeFor(const TrajectoryTable* table, int32_t rowsInUse) const {
        return rows && table && table == source && table->version() == from && (partial || upTo >= rowsInUse);
    }
    std::array<double, 2> sunAt(int32_t row) const {
        if (row < 0 || std::size_t(2 * int64_t(row) + 1) >= sun.size()) return {0, 0};
        return {sun[std::size_t(2 * row)], sun[std::size_t(2 * row + 1)]};
    }
};

/// Rows [first, last) of a run.
struct RowSpan {
    int32_t first = 0, last = 0;
};

/// Brings `run`'s projected positions up to its rows in use for `axes`: all
/// afresh when the axes, the frame's positions or the table changed, else
/// only rows added since or not made yet. With `only`, rows outside it are
/// left unmade where they are not made already. With the identity axes,
/// nothing is projected and the run shows its positions in the frame as
/// they are. False, nothing projected, when the memory cannot be had.
bool UpdateRunProjection(Run& run, const ViewAxes& axes, std::optional<RowSpan> only = std::nullopt);
