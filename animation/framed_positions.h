#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simulation/depth_table.h"
#include "simulation/loaded_simulation.h"
#include "simulation/trajectory_table.h"

struct SimulationState;
struct Run;
struct ReferenceFrame;

/// The loaded positions shown in the frame the view chose (null in the
/// inertial frame, where the data's own are shown), made from the table
/// whose version `from` holds, and the sun's place in it, x and y of row r
/// at [2r] and [2r + 1] (empty when the sun stays at the origin); rows from
/// `upTo` on are not made yet. Derived: made again whenever the table or the
/// frame changes.
struct FramedPositions {
    std::unique_ptr<TrajectoryTable> rows;
    /// For data in space, each body's coordinate off the xy plane in the
    /// frame, row for row with `rows`; and the sun's, row for row with `sun`.
    std::unique_ptr<DepthTable> depth;
    uint64_t from = 0;
    int32_t upTo = 0;
    std::vector<double> sun;
    std::vector<double> sunZ;

    /// Whether these positions are made from `loaded`'s table, for every row
    /// in use. Asked whenever the positions shown are read, so inline.
    bool madeFor(const LoadedSimulation& loaded) const {
        return rows && loaded.rows && loaded.rows->version() == from &&
               rows->columnCount() == loaded.rows->columnCount() && upTo >= loaded.usableRows();
    }
    std::array<double, 2> sunAt(int32_t row) const {
        if (row < 0 || std::size_t(2 * int64_t(row) + 1) >= sun.size()) return {0, 0};
        return {sun[std::size_t(2 * row)], sun[std::size_t(2 * row + 1)]};
    }
};

/// Brings the state's positions in its frame up to the rows in use: all of
/// them afresh when there are none yet or the table they were made from was
/// replaced, otherwise only the rows added since, the version of the
/// positions then kept as appended rows keep the table's (so that what was
/// derived from the rows before stays valid). Nothing to do in the inertial
/// frame. Returns why the frame cannot be had for the data now loaded (a
/// body it names is gone, the masses are missing, no memory); the state is
/// then back in the inertial frame.
std::string UpdateFramedRows(SimulationState& state);
/// UpdateFramedRows for one run in `frame`, whose body is named by the
/// run's number for it: the run is left in the inertial frame when it
/// cannot have it.
std::string UpdateRunFrame(Run& run, const ReferenceFrame& frame);
