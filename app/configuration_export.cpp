#include "app/configuration_export.h"

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <string_view>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "plot/plot_box.h"
#include "simulation/body_subset.h"
#include "simulation/depth_table.h"
#include "simulation/output_file.h"
#include "simulation/simulation_writer.h"
#include "simulation/table_palette.h"
#include "simulation/table_plane.h"

namespace fs = std::filesystem;

namespace {

/// The configuration's fields as the view shows the simulation now: the
/// loaded ones, with the rows and bodies in use and the plot's aspect.
ConfigurationFields FieldsOfView(const SimulationState& s, const PlotBox& plot) {
    ConfigurationFields f = FieldsOfEveryBody(s.loaded());
    f.lineCount = s.loaded().usableRows();
    if (!s.loaded().everyBody) f.bodyCount = s.loaded().usableBodies();
    f.equalAspect = plot.equalAspect != 0;
    f.pointsPerOrbit = s.view.trailLength;
    f.step = s.playback.step;
    f.frameDelayMs = s.playback.delayMs;
    // A classic configuration gets the look's lines only when it is seen
    // otherwise than classically, so that saving it changes nothing else.
    const bool classic = s.loaded().kind == SourceKind::ClassicConfiguration;
    f.style = classic && s.view.style == ViewStyle::Classic ? std::nullopt : std::optional(s.view.style);
    f.trailMode =
        classic && s.view.trailMode == TrailMode::Ahead ? std::nullopt : std::optional(s.view.trailMode);
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

/// True when both paths name one file, by device and inode: a hard link or
/// another spelling of the path is the same file. False when either is missing.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

}  // namespace

bool OffersClassicData(const SimulationState& s) {
    return s.loaded().fields.dataFormat == DataFormat::Table && s.loaded().usableBodies() <= kMaxBodies &&
           (s.loaded().tableLayout.separator != TableSeparator::Blank ||
            s.loaded().tableLayout.headerLine != 0);
}

std::string ClassicDataPlaneNote(const SimulationState& s) {
    if (s.loaded().fields.dataFormat != DataFormat::Table || !s.loaded().tableLayout.threeDimensional())
        return {};
    const ViewPlane plane = s.loaded().planeShown();
    const std::string dropped = plane == TablePlane::XY   ? "z"
                                : plane == TablePlane::XZ ? "y"
                                : plane == TablePlane::YZ ? "x"
                                                          : "the coordinate off it";
    return "A classic data file holds two coordinates a body: it gets " + AxisName(plane, 0) + " and " +
           AxisName(plane, 1) + ", the plane shown, and leaves " + dropped + " out.";
}

std::string SaveConfiguration(const SimulationState& s, const PlotBox& plot, const std::string& ovxPath,
                              bool classicData) {
    if (!s.loaded().dataLoaded || !s.loaded().rows)
        return "There is no simulation to save a configuration for";
    if (SameFile(ovxPath, s.loaded().fields.dataPath))
        return "The configuration " + ovxPath + " would replace the data file " + s.loaded().fields.dataPath +
               " it is made from: choose another name for the configuration";
    ConfigurationFields fields = FieldsOfView(s, plot);
    std::string error;
    if (!classicData) {
        fields.dataPath = DataFileText(s.loaded().fields.dataPath, ovxPath);
        if (fields.dataPath.find_first_of(" \t") != std::string::npos)
            return "The data file's path " + fields.dataPath +
                   " holds a blank, which a configuration cannot name: save the configuration beside it";
        // The plane chooses among a table's coordinates; a classic stream has only x and y.
        if (fields.dataFormat != DataFormat::Table) {
            fields.plane = ViewPlane();
            fields.columns = TableColumns::Unsaid;
        }
        return WriteOutputFile(ovxPath, ConfigurationText(fields), LoadedDataFiles(s));
    }
    if (fields.bodyCount > kMaxBodies)
        return "A classic data file holds at most " + std::to_string(kMaxBodies) + " bodies, not " +
               std::to_string(fields.bodyCount);
    const std::string dataPath = (fs::path(ovxPath).parent_path() / DataFileNameFor(ovxPath)).string();
    if (SameFile(dataPath, s.loaded().fields.dataPath))
        return "The classic data file " + dataPath +
               " would replace the table it is made from: choose another name for the configuration";
    SimulationWriter writer;
    if (!writer.Open(ovxPath, error)) return error;
    const int32_t columns = 2 * fields.bodyCount + 1;
    std::vector<double> row(std::size_t(columns), 0.0);
    const TrajectoryTable& rows = *s.loaded().rows;
    const DepthTable* depth = s.loaded().depth.get();
    const ViewAxes& axes = s.view.planeAxes;
    for (int32_t r = 0; r < fields.lineCount; ++r) {
        row[0] = rows.time(r);
        for (int32_t k = 1; 2 * k < columns; ++k) {
            const double* p = rows.track(k, r);
            const double z = depth ? depth->at(k, r) : 0.0;
            row[std::size_t(2 * k - 1)] = Along(axes, 0, p[0], p[1], z);
            row[std::size_t(2 * k)] = Along(axes, 1, p[0], p[1], z);
        }
        if (!writer.WriteRow(row.data(), row.size(), error)) return error;
    }
    // The rows written are the ones shown, x and y on the plane shown, as a classic stream.
    fields.dataPath = writer.dataFileName();
    fields.dataFormat = DataFormat::Stream;
    fields.plane = ViewPlane();
    fields.columns = TableColumns::Unsaid;
    for (int32_t& code : fields.bodyColourCode) code = ClassicColourCode(code);
    if (!writer.Commit(fields, error)) return error;
    return {};
}
