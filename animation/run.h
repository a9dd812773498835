#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "animation/framed_positions.h"
#include "animation/projected_positions.h"
#include "simulation/loaded_simulation.h"
#include "simulation/reference_frame.h"
#include "simulation/run_alignment.h"

/// How a run's rows line up with the clock's, the first run's: made again
/// whenever either run's rows change.
struct RunAlignment {
    /// For each of the clock's rows in use, this run's row nearest in time,
    /// and where its time falls between this run's rows.
    std::vector<int32_t> rowOf;
    std::vector<RowBetween> between;
    /// For each of its bodies, the clock's body it is (0: none).
    std::vector<int> bodyOf;
    /// This run's rows per row of the clock, from their time steps: its
    /// trail spans as long a time.
    double rowsPerRow = 1;
    /// The clock's table and rows, and this run's rows, it was made for.
    const void* table = nullptr;
    int32_t rows = -1, own = -1;

    /// Whether it was made for `clock`'s table and rows in use.
    bool madeFor(const LoadedSimulation& clock) const {
        return table == clock.rows.get() && rows == clock.usableRows();
    }
    /// This run's row shown at the clock's row `row`; -1 when it has none.
    int32_t rowAt(int32_t row) const {
        return rowOf.empty() ? -1
                             : rowOf[std::size_t(std::clamp<int32_t>(row, 0, int32_t(rowOf.size()) - 1))];
    }
};

/// One run shown: what its load produced, its positions in the frame the
/// view chose, and how it lines up with the clock. It holds no view and no
/// playback: those are the state's, shared by every run.
struct Run {
    LoadedSimulation loaded;
    FramedPositions inFrame;
    /// Its positions in the frame as a plane other than xy or a turned view
    /// shows them.
    ProjectedPositions projected;
    /// The frame its positions are in: the view's, with a body of it named
    /// by this run's number for that body.
    ReferenceFrame frame;
    std::string path;  ///< the file it was loaded from, whole; empty for a lone run
    std::string name;  ///< its name in the legend; empty for a lone run
    bool shown = true;
    /// Its line style and disc outline: 0 for the clock's solid lines, 1
    /// for the first run compared, and so on.
    int style = 0;
    RunAlignment alignment;

    /// Whether the positions in the frame are made for the table now loaded
    /// and every row in use.
    bool framed() const { return inFrame.madeFor(loaded); }
    /// The positions in the frame, in the data's axes: those in the frame
    /// while they are current, else the data's own.
    const TrajectoryTable* framedRows() const { return framed() ? inFrame.rows.get() : loaded.rows.get(); }
    /// Their coordinates off the xy plane; null for planar data.
    const DepthTable* framedDepth() const { return framed() ? inFrame.depth.get() : loaded.depth.get(); }
    /// Whether the picture shows the positions projected (a plane other
    /// than xy, a turned view) and the projection is current.
    bool projectedShown() const { return projected.madeFor(framedRows(), loaded.usableRows()); }
    /// The positions everything drawn reads: in the frame and projected
    /// onto the picture.
    const TrajectoryTable* shownRows() const {
        return projectedShown() ? projected.rows.get() : framedRows();
    }
    /// The rows of shownRows() that hold positions: every row in use, but
    /// while a drag turns the view only those its pictures show.
    RowSpan shownRowSpan() const {
        const int32_t rows = loaded.usableRows();
        if (!projectedShown() || !projected.partial) return {0, rows};
        return {std::min(projected.madeFrom, rows), std::min(projected.upTo, rows)};
    }
    /// Where the sun stands at `row` in the picture.
    std::array<double, 2> sunAt(int32_t row) const {
        if (projectedShown()) return projected.sunAt(row);
        return framed() ? inFrame.sunAt(row) : std::array<double, 2>{0, 0};
    }
    /// Whether the sun moves in the frame shown.
    bool sunMoves() const { return framed() && !inFrame.sun.empty(); }
    /// The sun's places in the picture, x and y of row r at [2r] and
    /// [2r + 1]; empty when it stays at the origin.
    const std::vector<double>& sunTrack() const {
        static const std::vector<double> none;
        if (!sunMoves()) return none;
        return projectedShown() ? projected.sun : inFrame.sun;
    }
};
