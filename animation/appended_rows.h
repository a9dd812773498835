#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct SimulationState;

/// Adds complete rows (row after row of `columnCount` values) after the rows
/// in the data, growing the table when it has no room: to twice its rows at
/// the least, so that a file that keeps growing is copied only a logarithmic
/// number of times. The line count follows. False when the memory for a
/// larger table cannot be had (nothing is added then).
/// `rowsToCome`, when known, is about how many rows will follow soon (an
/// append still being read): a table grown now makes room for them too, so
/// that a large append grows it once.
/// With a depth table, `depths` gives each row's depths (one a body, row
/// after row), which follow the rows, growth and all; without them the rows
/// added have none (not a number); so too with a velocity table and
/// `velocities` (three a body a row).
bool AppendRows(SimulationState& state, const double* values, const double* depths, const double* velocities,
                std::size_t count, int64_t rowsToCome = 0);
bool AppendRows(SimulationState& state, const std::vector<double>& values,
                const std::vector<double>& depths = {}, const std::vector<double>& velocities = {});
