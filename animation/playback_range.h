#pragma once
#include <cstdint>
#include <optional>

#include "animation/playback_state.h"

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

/// The row a playback from the start row reaches last: on the start row's
/// grid of steps, the first landing at or past the end. LastPlayableRow when
/// no playback runs from the start row. Where End goes.
int32_t LastReachedRow(const SimulationState& state);

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

/// Going back. A backward playback (`direction` below 0) runs toward row 0:
/// each tick moves `step` rows back, the last one cut short at row 0, so
/// that it always ends showing the first row (a forward playback keeps
/// whole steps and may end short of the last row, as it always has). With a
/// loop it goes round from row 0 to LastPlayableRow, where a forward
/// playback ends: going back, the first row is the end and the last row the
/// playback reaches is the start. The start row bounds only the forward loop.

/// Whether the playback runs back toward row 0.
bool PlaysBackward(const SimulationState& state);

/// Whether a backward playback goes on at `position`: a row lies before it.
bool BackwardGoesOn(const SimulationState& state);

/// Whether the playback goes on in its direction: PlaybackGoesOn forward,
/// BackwardGoesOn backward. A tick that lands where it does not is the
/// last, unless the playback loops.
bool TickGoesOn(const SimulationState& state);

/// Whether the next tick goes round the loop rather than stepping: a loop,
/// and a playback that does not go on from `position`.
bool TickWraps(const SimulationState& state);

/// Whether a tick that moved the playback is its last: it does not go on
/// (`goesOn`, TickGoesOn after the move) and the playback does not loop.
bool TickEnds(const SimulationState& state, bool goesOn);

/// What a tick that moved the playback asks of the timer: to stop when it
/// was the last (TickEnds) or a stop was asked for, which it takes; a full
/// paint, when it goes on or was stopped, after a loop went round (`wraps`).
TimerRequest TimerAnswer(SimulationState& state, bool goesOn, bool wraps);

/// The row the next tick shows. Forward: position + step, held in the int
/// range, or on a wrap the loop's start row. Backward: position - step but
/// not below 0, or on a wrap LastPlayableRow.
int32_t NextTickRow(const SimulationState& state);

/// The row a backward start plays from: the current row when a row lies
/// before it; otherwise, with a loop and data loaded, LastPlayableRow when
/// a row lies before that (a start at row 0 begins the next round); none
/// when neither.
std::optional<int32_t> RowToPlayBackFrom(const SimulationState& state);

/// Exports and the frame loop play forward: the counts below are those of a
/// forward playback, whatever `direction` says.

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
