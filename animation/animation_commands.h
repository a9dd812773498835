#pragma once

struct SimulationState;
class PlotBox;
class Host;

/// The playback commands. None of them draws: each changes the state or the
/// plot's viewport and returns whether the view must be repainted.

/// Requests a start, or refuses with "End of Simulation - use Refresh" when
/// the trail would run past the data (with a trail behind: at the last row),
/// or "No data loaded". With a loop, a start at the end goes back to the
/// loop's start row first (see RowToPlayFrom). A start plays forward.
bool StartAnimation(SimulationState& state, Host& host);
/// Requests a stop at the next tick; a stop made while stopped stays pending.
bool StopAnimation(SimulationState& state);
/// What every command that loads, opens a dialog or resets does first: a
/// stop request, and no start at the repaint it asks for.
void RequestStop(SimulationState& state);
/// Goes back to row 0 and stops after one more tick.
bool ResetPosition(SimulationState& state);
/// Switches the plot between the full view and a frame of 10 to 90 percent.
bool ToggleFullWindow(SimulationState& state, PlotBox& plot);
/// Advances more rows per tick, while the step stays below lineCount / 50.
bool IncreaseSpeed(SimulationState& state);
/// Advances fewer rows per tick; at step 1, lengthens the timer period by 10 ms.
bool DecreaseSpeed(SimulationState& state);
