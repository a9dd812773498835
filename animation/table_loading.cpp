#include "animation/table_loading.h"

#include <filesystem>
#include <utility>

#include "animation/simulation_loading.h"
#include "animation/table_inference.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/data_reader.h"
#include "simulation/file_access.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

/// Moves what a load sets (the files, the configuration's fields, the table
/// and where the reading ended) from `from` into `into`; the view's own
/// choices in `into` (trail mode, fades, loop, following, window layout)
/// stay.
void Adopt(SimulationState& into, SimulationState& from) {
    into.configPath = std::move(from.configPath);
    into.dataPath = std::move(from.dataPath);
    into.lineCount = from.lineCount;
    into.bodyCount = from.bodyCount;
    into.columnCount = from.columnCount;
    into.rows = std::move(from.rows);
    into.bodySize = from.bodySize;
    into.bodyColourCode = from.bodyColourCode;
    into.bodyColour = from.bodyColour;
    into.configBox = from.configBox;
    into.frameDelayMs = from.frameDelayMs;
    into.step = from.step;
    into.pointsPerOrbit = from.pointsPerOrbit;
    into.startRow = from.startRow;
    into.sunSize = from.sunSize;
    into.drawAxes = from.drawAxes;
    into.drawPlanets = from.drawPlanets;
    into.drawOrbits = from.drawOrbits;
    into.bodyNames = std::move(from.bodyNames);
    into.timeUnit = std::move(from.timeUnit);
    into.lengthUnit = std::move(from.lengthUnit);
    into.plotTitle = std::move(from.plotTitle);
    into.position = from.position;
    into.dataLoaded = from.dataLoaded;
    into.startRequested = 0;
    into.handOver = std::move(from.handOver);
    into.dataFormat = from.dataFormat;
    into.tableLayout = std::move(from.tableLayout);
    into.plane = from.plane;
    into.configEqualAspect = false;
}

}  // namespace

bool IsTableFile(const std::string& path) {
    bool whole = false;
    const std::string head = ReadFileHead(path, kTableHeadBytes, whole);
    return LooksLikeTable(whole ? std::string_view(head)
                                : std::string_view(head).substr(0, head.rfind('\n') + 1));
}

int LoadTable(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, TablePlane plane) {
    // Read into a state of its own, so that a table that cannot be read
    // leaves the simulation shown before as it was.
    SimulationState fresh;
    fresh.configPath = path;
    fresh.dataPath = path;
    fresh.dataFormat = DataFormat::Table;
    fresh.plane = plane;
    fresh.lineCount = -1;
    fresh.followData = s.followData;
    const bool loading = s.loading;
    s.loading = true;  // commands wait for the end of the read
    const DataResult result = ReadData(fresh, host);
    s.loading = loading;
    if (result != DataResult::Ok) return 0;
    InferTableConfiguration(fresh);
    fresh.position = fresh.startRow;
    s.startRequested = 0;
    Adopt(s, fresh);
    plot.title = s.plotTitle;
    plot.SetBox(s.configBox[0], s.configBox[1], s.configBox[2], s.configBox[3]);
    plot.equalAspect = 1;
    return 1;
}

int LoadFile(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, TablePlane plane) {
    if (IsTableFile(path)) return LoadTable(s, plot, host, path, plane);
    return LoadSimulation(s, plot, host, path);
}

void HintAtTable(Host& host, const std::string& path) {
    if (!IsTableFile(path)) return;
    const std::string name = std::filesystem::path(path).filename().string();
    host.note(
        Format("%s holds numbers, not a configuration: open it with File > Open Data\u2026 or `orbivex %s`",
               name.c_str(), name.c_str()));
}
