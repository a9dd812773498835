#pragma once
#include <cstdint>
#include <optional>

struct SimulationState;

/// A row the view shows and its time: what the view's status line and the
/// playback bar's readout both name.
struct ShownRow {
    int32_t row = 0;
    double time = 0;
};

/// Row `row` with its time; none when the row cannot be read (nothing
/// loaded, or outside the rows in use).
std::optional<ShownRow> RowShown(const SimulationState& state, int32_t row);
