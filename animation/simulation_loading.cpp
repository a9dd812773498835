#include "animation/simulation_loading.h"

#include "animation/table_loading.h"

#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/data_reader.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

ConfigResult LoadConfiguration(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    const ConfigResult result = ReadConfiguration(s, host, path);
    if (result == ConfigResult::Ok) {
        plot.title = s.plotTitle.empty() ? SimulationTitle(s.bodyCount) : s.plotTitle;
        plot.SetBox(s.configBox[0], s.configBox[1], s.configBox[2], s.configBox[3]);
        if (s.configEqualAspect) plot.equalAspect = 1;
    }
    return result;
}

int LoadSimulation(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    s.dataLoaded = 0;
    s.startRequested = 0;
    FreeTable(s.rows);
    const ConfigResult result = LoadConfiguration(s, plot, host, path);
    if (result != ConfigResult::Ok) {
        host.messageBox(Format("Error %d in Config File %s", CodeOf(result), path.c_str()));
        HintAtTable(host, path);
        return 0;
    }
    // The table is made before the data file is opened, so that a table too
    // large for memory is reported before anything is read. A plain table's
    // reader sizes its table from the file.
    if (s.dataFormat == DataFormat::Stream && !PrepareTable(s, host)) return 0;
    return ReadData(s, host) == DataResult::Ok ? 1 : 0;
}
