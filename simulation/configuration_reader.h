#pragma once
#include <cstdio>
#include <string>

#include "plot/colour.h"

struct SimulationState;
class PlotBox;
class Host;

/// The colour of body colour code `code`: codes 0 to 13 name fixed colours,
/// any other code gives light grey.
ColourRef BodyColourTable(int code);

/// Resolves `bodyColour` from `bodyColourCode` for bodies 1 to `bodyCount`;
/// every other slot becomes 0.
void ResolveBodyColours(SimulationState& state);

/// Reads a configuration file into `state`: 14 fields, each after the next
/// "=". Every value is stored the moment it is read; only a file read to its
/// end gives the plot its box and the title "N planet simulation". Returns 0,
/// or the failing field's negative code (-1 when the file cannot be opened).
int ReadConfiguration(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);

/// The same on an open stream (the caller closes it), for readers that feed
/// the file from memory.
int ReadConfigurationFrom(std::FILE* file, SimulationState& state, PlotBox& plot, Host& host);
