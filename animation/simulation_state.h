#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "animation/playback_state.h"
#include "animation/run.h"
#include "animation/view_choices.h"

/// The state a window (or the renderer) works on, in parts with their own
/// lifetimes: the runs shown (what each load produced and its positions in
/// the frame chosen), what the user chose for the view, and where the
/// playback stands. Readers, commands and drawing routines take it whole.
struct SimulationState {
    /// The runs shown, in the order shown; never empty. The first is the
    /// clock: its rows and times are the playback's, and the others are
    /// shown at their rows nearest its time.
    std::vector<Run> runs = std::vector<Run>(1);
    ViewChoices view;
    Playback playback;

    Run& first() { return runs.front(); }
    const Run& first() const { return runs.front(); }
    /// What the clock's load produced.
    LoadedSimulation& loaded() { return runs.front().loaded; }
    const LoadedSimulation& loaded() const { return runs.front().loaded; }
    /// The runs compared with the first, in the order shown.
    std::span<Run> others() { return {runs.data() + 1, runs.size() - 1}; }
    std::span<const Run> others() const { return {runs.data() + 1, runs.size() - 1}; }
    /// Whether other runs are shown with the first.
    bool compared() const { return runs.size() > 1; }

    bool framed() const { return first().framed(); }
    const TrajectoryTable* shownRows() const { return first().shownRows(); }
    std::array<double, 2> sunAt(int32_t row) const { return first().sunAt(row); }
    bool sunMoves() const { return first().sunMoves(); }
};

/// A run as it is drawn at the clock's row: the run, the view's choices, the
/// playback with the run's own row, and its trail's length in its own rows
/// (the clock's scaled to span as long a time). Made from the state for each
/// drawing, never kept: nothing is copied into a run.
struct RunAt {
    const Run& run;
    const ViewChoices& view;
    Playback playback;
    int trail = 0;
    /// Its line style: 0 for the clock's solid lines.
    int style = 0;

    /// The clock's run, as it stands.
    RunAt(const SimulationState& state);  // NOLINT: every drawing of the clock takes the state
    /// Run `run` of `state` at its row nearest the clock's time.
    RunAt(const SimulationState& state, std::size_t run);

    const LoadedSimulation& loaded() const { return run.loaded; }
    bool framed() const { return run.framed(); }
    const TrajectoryTable* shownRows() const { return run.shownRows(); }
    std::array<double, 2> sunAt(int32_t row) const { return run.sunAt(row); }
    bool sunMoves() const { return run.sunMoves(); }
};
