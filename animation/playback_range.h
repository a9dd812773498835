#pragma once
#include <cstdint>
#include <optional>

struct SimulationState;

/// Where the playback may run: the rows a trail ahead keeps after the
/// current row, and the end of the data that follows from them. Every
/// command, tick and dialog that asks how far the playback goes asks here.
/// Sums are taken in 64 bits, so no field value overflows them.

/// Rows the playback keeps after its row for the trail: `pointsPerOrbit` as
/// it is (a negative length stays negative) with a trail ahead (Ahead,
/// Both), 0 with a trail only behind, which lets the playback reach the last
/// row of the data.
int64_t TrailReserve(const SimulationState& state);

/// Whether the playback goes on at `position`: the trail and one more step
/// fit before the end of the rows in the data (position < rows - reserve -
/// step). With a trail behind only the step must fit, so the playback
/// reaches the last row.
bool PlaybackGoesOn(const SimulationState& state);

/// The last row the playback can reach in the current trail mode, and so the
/// last row any command moves to: rows - reserve - 1, with a negative
/// reserve counted as 0. Ahead and Both: where a tick stops (its trail ends
/// at the row before the last one). Behind: the last row of the data. Never
/// below 0.
int32_t LastPlayableRow(const SimulationState& state);

/// Whether a start is allowed with the playback at `row`: at least one tick
/// and the trail fit before the end (row <= rows - reserve - 2).
bool MayStartAt(const SimulationState& state, int64_t row);

/// Where a loop goes back to: the start row, moved into 0 to LastPlayableRow.
int32_t LoopStartRow(const SimulationState& state);

/// The row a start plays from: the current row when MayStartAt allows a
/// start there; otherwise, with a loop and data loaded, the loop's start row
/// when a start is allowed there (a start at the end begins the next round);
/// none when neither is.
std::optional<int32_t> RowToPlayFrom(const SimulationState& state);

/// The ticks a playback from `position` runs until the end of the data, the
/// tick that reaches it included (a loop goes back to its start on the tick
/// after it); always at least 1, since a tick advances before it tests.
/// None when the playback never reaches the end: a step of 0 or less whose
/// first tick does not land there, or an end beyond the highest row a
/// position can hold.
std::optional<int64_t> TicksToEnd(const SimulationState& state);

/// The frames a recording of the playback from `position` shows, as the
/// frame loop plays it: the first paint and one per tick. With `ticks`,
/// that many ticks, fewer when the playback ends before them without a
/// loop. Without, until the playback ends, or with a loop until it goes back
/// to its start (that tick shows no frame, so a loop at the end shows the
/// first paint only). None when the playback never ends.
std::optional<int64_t> FramesOfPlayback(const SimulationState& state, std::optional<int64_t> ticks);
