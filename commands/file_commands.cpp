#include "commands/file_commands.h"

#include "animation/animation_commands.h"
#include "animation/simulation_loading.h"
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

bool LoadConfigurationFile(const FileCommandContext& c) {
    RequestStop(c.state);
    if (!Choose(c, "Open config file", kConfigDescription, kConfigPattern, c.state.configPath)) return false;
    LoadConfiguration(c.state, c.plot, c.host, c.state.configPath);
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
