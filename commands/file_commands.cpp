#include "commands/file_commands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "animation/animation_commands.h"
#include "animation/compared_runs.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "animation/view_projection.h"
#include "base/format.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "commands/file_filters.h"
#include "commands/working_folder.h"
#include "simulation/data_reader.h"
#include "simulation/host.h"

namespace {

constexpr const char* kConfigDescription = "orbivex files";
constexpr const char* kConfigPattern = "*.ovx";
constexpr const char* kDataDescription = "orbivex data files";
constexpr const char* kDataPattern = "*.dat";
constexpr const char* kExampleDescription = "examples";
constexpr const char* kExamplePattern = "*.ovx *.csv *.txt";

/// Asks for a file starting at `current`; on confirmation stores the chosen
/// path there and moves into its folder.
bool Choose(const FileCommandContext& c, const char* title, const char* description, const char* pattern,
            std::string& current) {
    std::string path = current;
    if (!c.dialog.PromptForFile(title, {{description, pattern}}, path)) return false;
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
    std::string path = c.state.loaded().configPath;
    if (!c.dialog.PromptForFile("NEW SIMULATION", OpenFilters(), path)) return false;
    return OpenFile(c, path);
}

bool OpenFile(const FileCommandContext& c, const std::string& path) {
    RequestStop(c.state);
    LoadFile(c.state, c.plot, c.host, EnterFolderOf(path));
    return true;
}

bool AddRunFile(const FileCommandContext& c, const std::string& path) {
    if (!c.state.loaded().dataLoaded) return OpenFile(c, path);
    RequestStop(c.state);
    AddRun(c.state, c.plot, c.host, path);
    return true;
}

bool AddRunAsked(const FileCommandContext& c) {
    std::string path = c.state.compared() ? std::string() : c.state.loaded().configPath;
    if (!c.dialog.PromptForFile("Add Run", OpenFilters(), path)) return false;
    return AddRunFile(c, path);
}

bool OpenExample(const FileCommandContext& c, const std::string& folder) {
    RequestStop(c.state);
    std::string path = folder;
    if (!c.dialog.PromptForFile("Examples", {{kExampleDescription, kExamplePattern}}, path)) return false;
    return OpenFile(c, path);
}

bool OpenDataTable(const FileCommandContext& c) {
    RequestStop(c.state);
    std::string path = c.state.loaded().fields.dataPath;
    if (!c.dialog.PromptForFile("Open Data", OpenFilters(), path)) return false;
    return OpenFile(c, path);
}

bool ChoosePlane(const FileCommandContext& c, const ViewPlane& plane) {
    RequestStop(c.state);
    const bool tableShown =
        c.state.loaded().dataLoaded && c.state.loaded().fields.dataFormat == DataFormat::Table;
    const bool sameTurn = !c.state.view.turn.turned();
    if ((tableShown ? c.state.loaded().fields.plane : c.state.view.plane) == plane && sameTurn) return false;
    c.state.view.plane = plane;  // for the next table opened
    if (!tableShown) return false;
    // The positions are projected again; the file is not read again.
    if (const std::string why = ChooseViewPlane(c.state, c.plot, plane); !why.empty()) {
        c.host.messageBox("The view cannot look onto the plane " + ViewPlaneName(plane) + ": " + why);
        return false;
    }
    return true;
}

bool LoadConfigurationFile(const FileCommandContext& c) {
    RequestStop(c.state);
    std::string path = c.state.loaded().configPath;
    if (!Choose(c, "Open config file", kConfigDescription, kConfigPattern, path)) return false;
    if (LoadConfiguration(c.state, c.plot, c.host, path) != ConfigResult::Ok) HintAtTable(c.host, path);
    return true;
}

bool ReloadDataFile(const FileCommandContext& c) {
    RequestStop(c.state);
    if (!Choose(c, "Open data file", kDataDescription, kDataPattern, c.state.loaded().fields.dataPath))
        return false;
    ReadShownData(c.state, c.host);
    return true;
}

bool ReloadSimulation(const FileCommandContext& c) {
    RequestStop(c.state);
    // The runs compared are read again too, each as it was shown.
    struct Kept {
        std::string path, name;
        bool shown;
    };
    std::vector<Kept> runs;
    for (const Run& run : c.state.others()) runs.push_back({run.path, run.name, run.shown});
    const std::string firstName = c.state.first().name;
    if (!LoadFile(c.state, c.plot, c.host, c.state.loaded().configPath)) return true;
    for (const Kept& run : runs)
        if (AddRun(c.state, c.plot, c.host, run.path, run.name)) c.state.runs.back().shown = run.shown;
    if (c.state.compared()) c.state.first().name = firstName;
    return true;
}

bool EditConfigurationFile(const FileCommandContext& c) {
    Edit(c, c.state.loaded().configPath);
    return true;
}

bool EditDataFile(const FileCommandContext& c) {
    RequestStop(c.state);
    Edit(c, c.state.loaded().fields.dataPath);
    return true;
}
