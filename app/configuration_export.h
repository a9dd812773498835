#pragma once
#include <string>

struct SimulationState;
class PlotBox;

/// True when the data shown comes from a table the classic reader cannot
/// read (commas or semicolons, a header of names) and has no more bodies
/// than a classic configuration may: saving its configuration then offers
/// to write a classic data file as well.
bool OffersClassicData(const SimulationState& state);

/// What a classic data file made from the table shown leaves out: a classic
/// row holds two coordinates a body, so a table with z keeps only the plane
/// shown. Says which plane is kept and which coordinate is dropped; empty
/// when the table has no third coordinate.
std::string ClassicDataPlaneNote(const SimulationState& state);

/// Writes a configuration to `ovxPath` that shows the loaded simulation as
/// the view shows it now: the 14 fields and the names, units and title, the
/// plane and equal aspect. With `classicData`, the rows go to a classic data
/// file beside it (the configuration's name with ".dat"), which the
/// configuration names; otherwise the configuration names the data file
/// loaded, relative to its own folder where it can, and reads it as a table.
/// Nothing is left half written, and nothing is written when the
/// configuration or the classic data file would be the data file loaded
/// (the same file by device and inode: a hard link or another spelling of
/// its path). Returns an error text, empty on success.
std::string SaveConfiguration(const SimulationState& state, const PlotBox& plot, const std::string& ovxPath,
                              bool classicData);
