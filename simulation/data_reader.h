#pragma once
#include <string>

struct SimulationState;
class PlotBox;
class Host;

/// Reads the data file named by `dataPath` into the table, row by row, each
/// row the time and every body's x and y. When the table is missing or has
/// another shape than the configuration now gives, a fresh one of that shape
/// is made first. A short file asks whether to keep the complete rows.
/// Returns 0 on success, -1 when the file cannot be read, -100 when the file
/// is short and the user declines.
int ReadData(SimulationState& state, Host& host);

/// Loads a whole simulation: frees the old table, reads the configuration,
/// makes a table of its shape and reads the data into it. Every failure is
/// reported through `host`. Returns 1 when both files were read, 0 otherwise.
int LoadSimulation(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);
