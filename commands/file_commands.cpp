#include "commands/file_commands.h"

#include <algorithm>

#include "animation/animation_commands.h"
#include "animation/simulation_loading.h"
#include "animation/table_loading.h"
#include "base/format.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "commands/working_folder.h"
#include "simulation/data_reader.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

constexpr const char* kConfigDescription = "orbivex files";
constexpr const char* kConfigPattern = "*.ovx";
constexpr const char* kDataDescription = "orbivex data files";
constexpr const char* kDataPattern = "*.dat";
constexpr const char* kTableDescription = "data tables";
constexpr const char* kTablePattern = "*.csv *.tsv *.txt *.dat";
constexpr const char* kExampleDescription = "examples";
constexpr const char* kExamplePattern = "*.ovx *.csv *.txt";

/// True when the simulation shown was opened from a table directly, not
/// through a configuration.
bool OpenedAsTable(const SimulationState& s) {
    return s.dataFormat == DataFormat::Table && s.configPath == s.dataPath;
}

/// Asks for a file starting at `current`; on confirmation stores the chosen
/// path there and moves into its folder.
bool Choose(const FileCommandContext& c, const char* title, const char* description, const char* pattern,
            std::string& current) {
    std::string path = current;
    if (!c.dialog.PromptForFile(title, description, pattern, path)) return false;
    current = EnterFolderOf(path);
    return true;
}

void Edit(const FileCommandContext& c, const std::string& path) {
    if (!c.editor.Open(path)) c.host.messageBox(EditorFailureMessage(path));
}

}  // namespace

std::string EditorFailureMessage(const std::string& path) {
    const std::string what = path.empty() ? std::string("an editor") : "an editor for " + path;
    return Format("Could not start %s. Set ORBIVEX_EDITOR to the program to edit files with.", what.c_str());
}

bool NewSimulation(const FileCommandContext& c) {
    RequestStop(c.state);
    std::string path = c.state.configPath;
    if (!c.dialog.PromptForFile("NEW SIMULATION", kConfigDescription, kConfigPattern, path)) return false;
    return OpenSimulation(c, path);
}

bool OpenSimulation(const FileCommandContext& c, const std::string& path) {
    RequestStop(c.state);
    c.state.configPath = EnterFolderOf(path);
    LoadSimulation(c.state, c.plot, c.host, c.state.configPath);
    return true;
}

bool OpenFile(const FileCommandContext& c, const std::string& path) {
    RequestStop(c.state);
    const std::string file = EnterFolderOf(path);
    if (IsTableFile(file)) {
        LoadTable(c.state, c.plot, c.host, file, c.state.plane);
    } else {
        c.state.configPath = file;
        LoadSimulation(c.state, c.plot, c.host, file);
    }
    return true;
}

bool OpenExample(const FileCommandContext& c, const std::string& folder) {
    RequestStop(c.state);
    std::string path = folder;
    if (!c.dialog.PromptForFile("Examples", kExampleDescription, kExamplePattern, path)) return false;
    return OpenFile(c, path);
}

bool OpenDataTable(const FileCommandContext& c) {
    RequestStop(c.state);
    std::string path = c.state.dataPath;
    if (!c.dialog.PromptForFile("Open Data", kTableDescription, kTablePattern, path)) return false;
    LoadTable(c.state, c.plot, c.host, EnterFolderOf(path), c.state.plane);
    return true;
}

bool ChoosePlane(const FileCommandContext& c, TablePlane plane) {
    RequestStop(c.state);
    if (c.state.plane == plane) return false;
    if (!c.state.dataLoaded || c.state.dataFormat != DataFormat::Table) {
        c.state.plane = plane;  // for the next table opened
        return false;
    }
    const int32_t row = c.state.position;
    if (OpenedAsTable(c.state)) {
        if (!LoadTable(c.state, c.plot, c.host, c.state.dataPath, plane)) return true;
    } else {
        c.state.plane = plane;
        if (ReadData(c.state, c.host) != DataResult::Ok) return true;
    }
    c.state.position = std::clamp(row, 0, std::max(c.state.usableRows() - 1, 0));
    return true;
}

bool LoadConfigurationFile(const FileCommandContext& c) {
    RequestStop(c.state);
    if (!Choose(c, "Open config file", kConfigDescription, kConfigPattern, c.state.configPath)) return false;
    if (LoadConfiguration(c.state, c.plot, c.host, c.state.configPath) != ConfigResult::Ok)
        HintAtTable(c.host, c.state.configPath);
    return true;
}

bool ReloadDataFile(const FileCommandContext& c) {
    RequestStop(c.state);
    if (!Choose(c, "Open data file", kDataDescription, kDataPattern, c.state.dataPath)) return false;
    ReadData(c.state, c.host);
    return true;
}

bool ReloadSimulation(const FileCommandContext& c) {
    RequestStop(c.state);
    if (OpenedAsTable(c.state))
        LoadTable(c.state, c.plot, c.host, c.state.dataPath, c.state.plane);
    else
        LoadSimulation(c.state, c.plot, c.host, c.state.configPath);
    return true;
}

bool EditConfigurationFile(const FileCommandContext& c) {
    Edit(c, c.state.configPath);
    return true;
}

bool EditDataFile(const FileCommandContext& c) {
    RequestStop(c.state);
    Edit(c, c.state.dataPath);
    return true;
}
