#pragma once
#include <string>

#include "simulation/configuration_reader.h"

struct SimulationState;
class PlotBox;
class Host;

/// Reads a configuration file into `state`; only a file read to its end
/// gives the plot the configured box and the title "N planet simulation".
ConfigResult LoadConfiguration(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);

/// Loads a whole simulation: frees the old table, reads the configuration
/// (giving the plot its box and title), makes a table of its shape and reads
/// the data into it. Every failure is reported through `host`. Returns 1
/// when both files were read, 0 otherwise.
int LoadSimulation(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);
