#pragma once
#include <cstdint>
#include <string>

struct SimulationState;
class Host;

/// Commands that move the playback through the rows and set its speed, and
/// the texts that show where it is. None of them draws; each that returns a
/// bool returns whether the view must be fully repainted.

/// As StartAnimation, with the same refusals and messages, but a pending stop
/// request is dropped so that the playback runs on instead of stopping after
/// one tick. A refused start leaves the requests as they were.
bool PlayNow(SimulationState& state, Host& host);
/// Starts the playback back toward row 0 (see RowToPlayBackFrom), dropping
/// a pending stop request as PlayNow does. Refuses with "No data loaded", or
/// with kStartOfSimulation at row 0 without a loop; a refused start changes
/// nothing.
bool PlayBackwards(SimulationState& state, Host& host);
/// What Play Backwards says at row 0, as a forward start says "End of
/// Simulation - use Refresh" at the end.
inline constexpr const char* kStartOfSimulation = "Start of Simulation - nothing to play backwards";
/// Requests a stop after the next tick.
bool PauseAfterTick(SimulationState& state);

/// Requests a stop and moves `step` rows forward (`direction` > 0) or back
/// (`direction` < 0), within 0 to LastPlayableRow.
bool StepRows(SimulationState& state, int direction);
/// Requests a stop and moves to the start row, moved into 0 to LastPlayableRow.
bool GoToStartRow(SimulationState& state);
/// Requests a stop and moves to LastPlayableRow.
bool GoToLastRow(SimulationState& state);
/// Requests a stop and moves to `row`, moved into 0 to LastPlayableRow.
bool SeekToRow(SimulationState& state, int32_t row);

/// The first row, in file order, whose time is at or after `t`, moved into 0
/// to LastPlayableRow; LastPlayableRow when no row's time is. Times need not
/// increase: the first row that qualifies is taken. 0 without data.
int32_t RowAtOrAfterTime(const SimulationState& state, double t);
/// Requests a stop and moves to RowAtOrAfterTime(state, t).
bool GoToTime(SimulationState& state, double t);
/// What Go to Time tells in the status bar for `t`: "No row at or after t =
/// 12.5: at the last row the playback reaches" when no row up to
/// LastPlayableRow has a time at or after `t`; empty otherwise, and while
/// nothing is loaded.
std::string GoToTimeNote(const SimulationState& state, double t);

/// Doubles the rows per second exactly: halves the timer period while it
/// stays a whole number of milliseconds, at least 1, otherwise doubles the
/// step. Nothing changes when the step is at the int limit.
bool DoubleSpeed(SimulationState& state);
/// Halves the rows per second exactly: halves the step while it is even and
/// above 1, otherwise doubles the timer period. Nothing changes when the
/// period is at the int limit. DoubleSpeed and HalveSpeed undo each other.
bool HalveSpeed(SimulationState& state);
/// step * 1000 / period; the period counts as 1 ms at the least, as the
/// window's timer runs it.
double RowsPerSecond(const SimulationState& state);

/// "t = 12.345 · row 1234 of 5000": the time of the current row, the row and
/// the rows in the data; empty when the current row cannot be read.
std::string PlaybackReadout(const SimulationState& state);
/// What the bar and the status line say once a playback stopped at the end
/// of the data: "End of data: row 730, t = 2.000 yr", of the current
/// row (RowShown); empty when it cannot be read.
std::string EndOfDataReadout(const SimulationState& state);
/// "50 rows/s", with up to two decimals when the speed is not whole; when
/// the rows are evenly spaced in time, the simulation time per second
/// instead, "0.5 yr/s" (see SpeedUnit and SpeedNumber).
std::string SpeedReadout(const SimulationState& state);
