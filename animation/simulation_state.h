#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "animation/framed_positions.h"
#include "animation/playback_state.h"
#include "animation/view_choices.h"
#include "simulation/loaded_simulation.h"
#include "simulation/run_alignment.h"

/// The state a window (or the renderer) works on, in four parts with their
/// own lifetimes: what the last load produced, what the user chose for the
/// view, where the playback stands, and the positions derived for the frame
/// chosen. Readers, commands and drawing routines take it whole.
struct ComparedRun;
struct SimulationState {
    LoadedSimulation loaded;
    ViewChoices view;
    Playback playback;
    FramedPositions inFrame;
    /// Other runs shown with this one on its clock, in the order shown;
    /// empty when one run is shown. This one is the first run: its rows and
    /// times are the playback's.
    std::vector<ComparedRun> runs;
    /// The first run's name in the legend when other runs are shown.
    std::string runName;

    /// Whether the positions in the frame are made for the table now loaded
    /// and every row in use.
    bool framed() const { return inFrame.madeFor(loaded); }
    /// The positions everything drawn reads: those in the frame while they
    /// are current, else the data's own.
    const TrajectoryTable* shownRows() const { return framed() ? inFrame.rows.get() : loaded.rows.get(); }
    /// Where the sun stands at `row` in the frame shown.
    std::array<double, 2> sunAt(int32_t row) const {
        return framed() ? inFrame.sunAt(row) : std::array<double, 2>{0, 0};
    }
    /// Whether the sun moves in the frame shown.
    bool sunMoves() const { return framed() && !inFrame.sun.empty(); }
};

/// A run compared with the first: its own load and frame, shown with the
/// first run's view at the row nearest the first run's time.
struct ComparedRun {
    std::string path;  ///< the file it was loaded from, whole
    std::string name;
    bool shown = true;
    /// Its line style and disc outline: 1 for the first run compared, and so on.
    int style = 1;
    /// Its load and positions in the frame; its view and row are the first
    /// run's, copied in by ShowRunsAt before every paint.
    SimulationState state;
    /// For each of the first run's rows in use, this run's row nearest in
    /// time, and where its time falls between this run's rows.
    std::vector<int32_t> rowOf;
    std::vector<RowBetween> between;
    /// For each of its bodies, the first run's body it is (0: none).
    std::vector<int> bodyOf;
    /// This run's rows per row of the first, from their time steps: its
    /// trail spans as long a time.
    double rowsPerRow = 1;
    /// The first run's table and rows the alignment was made for.
    const void* alignedTable = nullptr;
    int32_t alignedRows = -1, alignedOwn = -1;

    /// Whether the alignment was made for `first`'s table and rows in use.
    bool alignedWith(const LoadedSimulation& first) const {
        return alignedTable == first.rows.get() && alignedRows == first.usableRows();
    }
};
