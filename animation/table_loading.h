#pragma once
#include <string>
#include <vector>

#include "simulation/read_finish.h"
#include "simulation/table_layout.h"
#include "simulation/view_axes.h"

struct SimulationState;
struct LoadedSimulation;
struct ViewChoices;
class PlotBox;
class Host;

/// True when the file `path` holds a plain table of numbers rather than a
/// configuration, by its content whatever its name.
bool IsTableFile(const std::string& path);

/// What a file holds, by its content whatever its name.
enum class FileKind {
    Table,          ///< a plain table of numbers
    Configuration,  ///< text with a "=" in its head (or a file named .ovx), for the configuration reader
    Other,          ///< nothing to open: no such file, a folder, a picture, an empty file
};
FileKind KindOfFile(const std::string& path);

/// Opens the plain data table `path` directly, with a configuration found
/// from it (InferTableConfiguration), showing `plane` of a table with three
/// coordinates per body, equal aspect on. A table that cannot be read is
/// reported through `host` (the message names its line and column) and
/// leaves the simulation loaded before as it was. Returns 1 when loaded.
int LoadTable(SimulationState& state, PlotBox& plot, Host& host, const std::string& path, ViewPlane plane);
/// What LoadTable reads, into `fresh`, with `columns` as the view chose
/// them; nothing is shown. Commands wait for the read (`control.loading`
/// is set meanwhile). False when it cannot be read, which was said.
bool ReadTableInto(LoadedSimulation& fresh, Host& host, const std::string& path, ViewPlane plane,
                   TableColumns columns, ReadControl control);

/// Loads `path` as what its content says it is: a plain table (LoadTable,
/// on the view's plane) or a configuration with its data file
/// (LoadSimulation); a file that is neither is read as a table, whose
/// message names the line and column where it fails. Every command that
/// opens a file comes here.
int LoadFile(SimulationState& state, PlotBox& plot, Host& host, const std::string& path);
/// What LoadFile reads, into `fresh`, for `view`'s plane and columns;
/// nothing is shown. Every run, the first or another, is read here.
bool ReadFileInto(LoadedSimulation& fresh, Host& host, const std::string& path, const ViewChoices& view,
                  ReadControl control);

/// Says, after a configuration `path` was refused, what to do when the file
/// holds a table of numbers instead: "run.dat holds numbers, not a
/// configuration: open it with File > Open Data… or `orbivex run.dat`", as
/// a note. Nothing for any other file.
void HintAtTable(Host& host, const std::string& path);
