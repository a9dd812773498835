#pragma once
#include <array>
#include <cstdint>

#include "animation/framed_positions.h"
#include "animation/playback_state.h"
#include "animation/view_choices.h"
#include "simulation/loaded_simulation.h"

/// The state a window (or the renderer) works on, in four parts with their
/// own lifetimes: what the last load produced, what the user chose for the
/// view, where the playback stands, and the positions derived for the frame
/// chosen. Readers, commands and drawing routines take it whole.
struct SimulationState {
    LoadedSimulation loaded;
    ViewChoices view;
    Playback playback;
    FramedPositions inFrame;

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
