#pragma once
#include <vector>

struct SimulationState;

/// Adds complete rows (row after row of `columnCount` values) after the rows
/// in the data, growing the table when it has no room: to twice its rows at
/// the least, so that a file that keeps growing is copied only a logarithmic
/// number of times. The line count follows. False when the memory for a
/// larger table cannot be had (nothing is added then).
bool AppendRows(SimulationState& state, const std::vector<double>& values);
