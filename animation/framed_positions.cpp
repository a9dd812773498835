#include "animation/framed_positions.h"

#include <algorithm>

#include "animation/simulation_state.h"
#include "animation/view_projection.h"
#include "simulation/reference_frame.h"

namespace {

std::string DropFrame(Run& run, std::string why) {
    run.frame = {};
    run.inFrame.rows.reset();
    run.inFrame.depth.reset();
    run.inFrame.sun.clear();
    run.inFrame.sunZ.clear();
    run.inFrame.upTo = 0;
    return why;
}

}  // namespace

std::string UpdateFramedRows(SimulationState& s) {
    const std::string why = UpdateRunFrame(s.first(), s.view.frame);
    if (!why.empty()) s.view.frame = {};
    UpdateProjections(s);
    return why;
}

std::string UpdateRunFrame(Run& run, const ReferenceFrame& frame) {
    const LoadedSimulation& loaded = run.loaded;
    FramedPositions& shown = run.inFrame;
    if (frame.kind == ReferenceFrame::Kind::Inertial || !loaded.rows) return DropFrame(run, {});
    run.frame = frame;
    const std::vector<double> masses = FrameMasses(loaded);
    const FrameChoice still = ParseFrame(FrameText(frame), loaded.usableBodies(), !masses.empty());
    if (!still.frame)
        return DropFrame(
            run, frame.kind == ReferenceFrame::Kind::Barycentre ? BarycentreProblem(loaded) : still.error);
    const TrajectoryTable& table = *loaded.rows;
    const int32_t rows = loaded.usableRows();
    // Rows appended to the same table are added; any other table is made afresh.
    const bool fresh =
        !shown.rows || table.version() != shown.from || shown.rows->columnCount() != table.columnCount();
    // The positions take room for the rows in use, not for all the table
    // could hold (a table read while it is written has room for many more);
    // rows appended beyond it move them to twice the room.
    if (fresh || shown.rows->rowCount() < rows) {
        const int32_t room =
            fresh ? rows
                  : int32_t(std::min<int64_t>(std::max<int64_t>(rows, 2 * int64_t(shown.rows->rowCount())),
                                              table.rowCount()));
        // A table of the same shape is written over: memory touched for the
        // first time costs more than the positions do.
        std::unique_ptr<TrajectoryTable> framed;
        if (fresh && shown.rows && shown.rows->rowCount() == room &&
            shown.rows->columnCount() == table.columnCount())
            framed = std::move(shown.rows);
        else
            framed = AllocateTable(room, table.columnCount());
        std::unique_ptr<DepthTable> depth;
        if (loaded.depth) depth = AllocateDepth(room, table.bodyColumns());
        if (!framed || (loaded.depth && !depth))
            return DropFrame(run, "not enough memory for the positions in that frame");
        if (fresh) {
            shown.upTo = 0;
            shown.from = table.version();
            // A turning frame turns about the sun, which stays at its origin.
            shown.sun.clear();
            shown.sunZ.clear();
        } else {
            framed->CopyRowsFrom(*shown.rows, shown.upTo);
            if (depth && shown.depth) depth->CopyRowsFrom(*shown.depth, shown.upTo);
        }
        if (frame.kind != ReferenceFrame::Kind::Rotating) {
            shown.sun.resize(std::size_t(2 * int64_t(room)), 0.0);
            if (loaded.depth) shown.sunZ.resize(std::size_t(room), 0.0);
        }
        shown.rows = std::move(framed);
        shown.depth = std::move(depth);
    }
    if (shown.upTo < rows)
        TransformRows({&table, loaded.depth.get(), rows},
                      {shown.rows.get(), shown.depth.get(), shown.sun.empty() ? nullptr : shown.sun.data(),
                       shown.sunZ.empty() ? nullptr : shown.sunZ.data()},
                      frame, masses, shown.upTo, rows);
    shown.upTo = std::max(shown.upTo, rows);
    if (fresh) shown.rows->Changed();
    return {};
}
