#include "animation/framed_positions.h"

#include <algorithm>

#include "animation/simulation_state.h"
#include "simulation/reference_frame.h"

namespace {

std::string DropFrame(SimulationState& s, std::string why) {
    s.view.frame = {};
    s.inFrame.rows.reset();
    s.inFrame.sun.clear();
    s.inFrame.upTo = 0;
    return why;
}

}  // namespace

std::string UpdateFramedRows(SimulationState& s) {
    const LoadedSimulation& loaded = s.loaded;
    const ReferenceFrame& frame = s.view.frame;
    FramedPositions& shown = s.inFrame;
    if (frame.kind == ReferenceFrame::Kind::Inertial || !loaded.rows) return DropFrame(s, {});
    const std::vector<double> masses = FrameMasses(loaded);
    const FrameChoice still = ParseFrame(FrameText(frame), loaded.usableBodies(), !masses.empty());
    if (!still.frame)
        return DropFrame(
            s, frame.kind == ReferenceFrame::Kind::Barycentre ? BarycentreProblem(loaded) : still.error);
    const TrajectoryTable& table = *loaded.rows;
    const int32_t rows = loaded.usableRows();
    // Rows appended to the same table are added; any other table is made afresh.
    const bool fresh =
        !shown.rows || table.version() != shown.from || shown.rows->rowCount() != table.rowCount();
    if (fresh) {
        // A table of the same shape is written over: memory touched for the
        // first time costs more than the positions do.
        std::unique_ptr<TrajectoryTable> framed = std::move(shown.rows);
        if (!framed || framed->rowCount() != table.rowCount() ||
            framed->columnCount() != table.columnCount()) {
            framed.reset();
            framed = AllocateTable(table.rowCount(), table.columnCount());
        }
        if (!framed) return DropFrame(s, "not enough memory for the positions in that frame");
        // A turning frame turns about the sun, which stays at its origin.
        shown.sun.clear();
        if (frame.kind != ReferenceFrame::Kind::Rotating)
            shown.sun.assign(std::size_t(2 * int64_t(table.rowCount())), 0.0);
        shown.rows = std::move(framed);
        shown.from = table.version();
        shown.upTo = 0;
    }
    if (shown.upTo < rows)
        TransformRows(table, *shown.rows, frame, masses, shown.upTo, rows,
                      shown.sun.empty() ? nullptr : shown.sun.data());
    shown.upTo = std::max(shown.upTo, rows);
    if (fresh) shown.rows->Changed();
    return {};
}
