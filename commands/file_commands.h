#pragma once
#include <string>

#include "simulation/table_layout.h"
#include "simulation/view_axes.h"

struct SimulationState;
class PlotBox;
class Host;
class FileDialog;
class ExternalEditor;

/// What the file commands work with.
struct FileCommandContext {
    SimulationState& state;
    PlotBox& plot;
    Host& host;
    FileDialog& dialog;
    ExternalEditor& editor;
};

/// Each command stops a running animation where it loads or opens data, and
/// returns true when the view must be repainted (false after a cancelled
/// dialog). Picking a file moves the process into its folder, so that a
/// relative data file name in a configuration is found beside it.

/// Asks for a configuration file (or a table) and opens it as OpenFile does.
bool NewSimulation(const FileCommandContext& context);
/// Opens `path` as what its content says it is: a plain data table with a
/// configuration found from it, or a configuration with its data file. The
/// process moves into the file's folder. For every command that opens a
/// file: New Simulation, Open Data, Examples, a file given on the command
/// line or dropped on the window.
bool OpenFile(const FileCommandContext& context, const std::string& path);
/// Asks for one of the examples, starting in `folder`, and opens it as
/// OpenFile does: a configuration with its data, or a table.
bool OpenExample(const FileCommandContext& context, const std::string& folder);
/// Asks for a plain data table (CSV, TSV, text) and opens it as OpenFile does.
bool OpenDataTable(const FileCommandContext& context);
/// Shows a table with three coordinates per body on `plane`, the camera back
/// on it: its positions are projected again (the file is not read), the row
/// and bodies shown kept; a plane that cannot be had is told.
bool ChoosePlane(const FileCommandContext& context, const ViewPlane& plane);
/// Adds `path` as a run compared with the document shown, on its view and
/// clock (AddRun); a file that cannot be added is said and adds nothing.
/// Without a document shown it is opened as OpenFile does.
bool AddRunFile(const FileCommandContext& context, const std::string& path);
/// Asks for a configuration or a table and adds it as AddRunFile does.
bool AddRunAsked(const FileCommandContext& context);
/// Asks for a configuration file and reads it alone; the table stays.
bool LoadConfigurationFile(const FileCommandContext& context);
/// Asks for a data file and reads it into the table.
bool ReloadDataFile(const FileCommandContext& context);
/// Loads the file shown again, as OpenFile does.
bool ReloadSimulation(const FileCommandContext& context);
/// Opens the configuration file in the editor; a running animation goes on.
/// When no editor can be started, a message says so and names the variable
/// that chooses one.
bool EditConfigurationFile(const FileCommandContext& context);
/// Opens the data file in the editor, as above; a running animation stops.
bool EditDataFile(const FileCommandContext& context);

/// What the editor commands say when no editor could be started for `path`.
std::string EditorFailureMessage(const std::string& path);
