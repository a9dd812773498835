#pragma once
#include <string>

#include "simulation/configuration_reader.h"
#include "simulation/data_reader.h"

struct LoadedSimulation;
struct SimulationState;
struct ViewChoices;
class PlotBox;
class Host;

/// How a read of the shown state's data runs: followed or not, and the
/// playback's loading flag set while a large read lets events run.
ReadControl ReadControlOf(SimulationState& state);

/// Leaves out of `fresh` the bodies its document asked to leave out; when
/// they cannot be, every body stays and `host` is told why.
void KeepBodiesAsked(LoadedSimulation& fresh, Host& host);

/// The end of every load that succeeded: `fresh` becomes the simulation
/// shown, whole; the playback stands at its first row with no start
/// pending; the plot gets its title and box (and equal aspect when a table
/// or the configuration asks for it); the frame chosen is kept, fitted to
/// the new data, or, when the data cannot have it, dropped with a note.
void ShowLoaded(SimulationState& state, PlotBox& plot, Host& host, LoadedSimulation&& fresh);

/// The look a document is shown in. Each choice the user made (`chosen`)
/// stays; the others take what the document asks for, else, for a table,
/// what was remembered (`remembered`), else its kind's default: the classic
/// look, trail ahead, the configuration's aspect, no grid and no panel for a
/// classic configuration; the publication look, the trail behind the bodies
/// (so that the playback reaches the last row) and equal aspect for a table.
void ApplyDocumentLook(ViewChoices& view, PlotBox& plot, const LoadedSimulation& loaded);

/// Shows the loaded positions in the frame chosen again after their table
/// was replaced (a load, a re-read while following), fitting the box; when
/// the data cannot have the frame the view goes back to the inertial frame
/// and `host` is told why. False when there was nothing to do.
bool KeepFrame(SimulationState& state, PlotBox& plot, Host& host);

/// Reads a configuration file in place of the shown one's fields, keeping
/// the table; only a file read to its end is taken, and it gives the plot the
/// configured box and the title "N planet simulation".
ConfigResult LoadConfiguration(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);

/// Loads a whole simulation: reads the configuration, makes a table of its
/// shape and reads the data into it, all into a fresh simulation that is
/// shown only when both files were read (ShowLoaded). Every failure is
/// reported through `host` and leaves the simulation shown as it was.
/// Returns 1 when both files were read, 0 otherwise.
int LoadSimulation(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);
/// What LoadSimulation reads, into `fresh`; nothing is shown.
bool ReadSimulationInto(LoadedSimulation& fresh, Host& host, const std::string& path, ReadControl control);

/// Reads the shown simulation's data file again in place, as its fields
/// say (Open data file, a plane chosen for a configured table, a followed
/// file started again); after a good read the playback stands at its first
/// row.
DataResult ReadShownData(SimulationState& state, Host& host);
