#pragma once
#include <string>

struct SimulationState;
class PlotBox;

/// True when the data shown comes from a table the classic reader cannot
/// read (commas or semicolons, a header of names): saving its configuration
/// then offers to write a classic data file as well.
bool OffersClassicData(const SimulationState& state);

/// Writes a configuration to `ovxPath` that shows the loaded simulation as
/// the view shows it now: the 14 fields and the names, units and title, the
/// plane and equal aspect. With `classicData`, the rows go to a classic data
/// file beside it (the configuration's name with ".dat"), which the
/// configuration names; otherwise the configuration names the data file
/// loaded, relative to its own folder where it can, and reads it as a table.
/// Nothing is left half written. Returns an error text, empty on success.
std::string SaveConfiguration(const SimulationState& state, const PlotBox& plot, const std::string& ovxPath,
                              bool classicData);
