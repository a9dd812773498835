#include "app/configuration_export.h"

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <vector>

#include "app/output_file.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"
#include "simulation/table_plane.h"
#include "tools/simulation_writer.h"

namespace fs = std::filesystem;

namespace {

/// The configuration's fields as the view shows the simulation now.
ConfigurationFields FieldsOfView(const SimulationState& s, const PlotBox& plot) {
    ConfigurationFields f;
    const int32_t bodies = s.usableBodies();
    f.rows = s.usableRows();
    f.bodies = bodies;
    for (int32_t k = 1; k <= bodies; ++k) {
        f.sizes.push_back(s.bodySize[std::size_t(k)]);
        f.colours.push_back(s.bodyColourCode[std::size_t(k)]);
    }
    f.box = s.configBox;
    f.delayMs = s.frameDelayMs;
    f.step = s.step;
    f.trail = s.pointsPerOrbit;
    f.startRow = s.startRow;
    f.sunSize = s.sunSize;
    f.drawAxes = s.drawAxes;
    f.drawPlanets = s.drawPlanets;
    f.drawOrbits = s.drawOrbits;
    f.names = s.bodyNames;
    f.timeUnit = s.timeUnit;
    f.lengthUnit = s.lengthUnit;
    f.title = s.plotTitle;
    f.equalAspect = plot.equalAspect != 0;
    return f;
}

/// The data file's name as the configuration at `ovxPath` gives it: relative
/// to the configuration's folder when it lies below it, absolute otherwise.
std::string DataFileText(const std::string& dataPath, const std::string& ovxPath) {
    std::error_code error;
    const fs::path data = fs::weakly_canonical(fs::absolute(dataPath), error);
    const fs::path folder = fs::weakly_canonical(fs::absolute(ovxPath).parent_path(), error);
    const fs::path relative = data.lexically_relative(folder);
    if (!relative.empty() && *relative.begin() != "..") return relative.string();
    return data.string();
}

}  // namespace

bool OffersClassicData(const SimulationState& s) {
    return s.dataFormat == DataFormat::Table &&
           (s.tableLayout.separator != TableSeparator::Blank || s.tableLayout.headerLine != 0);
}

std::string SaveConfiguration(const SimulationState& s, const PlotBox& plot, const std::string& ovxPath,
                              bool classicData) {
    if (!s.dataLoaded || !s.rows) return "There is no simulation to save a configuration for";
    ConfigurationFields fields = FieldsOfView(s, plot);
    std::string error;
    if (!classicData) {
        fields.dataFile = DataFileText(s.dataPath, ovxPath);
        if (fields.dataFile.find_first_of(" \t") != std::string::npos)
            return "The data file's path " + fields.dataFile +
                   " holds a blank, which a configuration cannot name: save the configuration beside it";
        fields.tableFormat = s.dataFormat == DataFormat::Table;
        if (fields.tableFormat && s.plane != TablePlane::XY)
            fields.plane = std::string(TablePlaneName(s.plane));
        const QString path = QString::fromStdString(ovxPath);
        return WriteOutputFile(path, QByteArray::fromStdString(ConfigurationText(fields)));
    }
    std::error_code same;
    const std::string dataPath = (fs::path(ovxPath).parent_path() / DataFileNameFor(ovxPath)).string();
    if (fs::equivalent(dataPath, s.dataPath, same))
        return "The classic data file " + dataPath +
               " would replace the table it is made from: choose another name for the configuration";
    SimulationWriter writer;
    if (!writer.Open(ovxPath, error)) return error;
    const int32_t columns = 2 * fields.bodies + 1;
    std::vector<double> row(std::size_t(columns), 0.0);
    for (int32_t r = 0; r < fields.rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) row[std::size_t(c)] = s.rows->value(r, c);
        if (!writer.WriteRow(row.data(), row.size(), error)) return error;
    }
    fields.dataFile = writer.dataFileName();
    if (!writer.Commit(fields, error)) return error;
    return {};
}
