#include "animation/simulation_loading.h"

#include "animation/frame_view.h"
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "animation/view_projection.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/body_subset.h"
#include "simulation/host.h"

namespace {

/// The row a playback of `loaded` starts from: the start row, or row 0 for
/// a table whose start row lies past its rows.
int32_t FirstRow(const LoadedSimulation& loaded) {
    const ConfigurationFields& f = loaded.fields;
    if (f.dataFormat == DataFormat::Table && f.startRow >= f.lineCount) return 0;
    return f.startRow;
}

/// The plot's title and box for a configuration just read.
void ShowConfiguration(const LoadedSimulation& loaded, PlotBox& plot) {
    const ConfigurationFields& f = loaded.fields;
    if (loaded.kind == SourceKind::PlainTable)
        plot.title = f.plotTitle;
    else
        plot.title = f.plotTitle.empty() ? SimulationTitle(f.bodyCount) : f.plotTitle;
    plot.SetBox(f.box[0], f.box[1], f.box[2], f.box[3]);
}

/// The trail's length and the playback's pace the document gives, taken
/// into the view and the playback.
void TakeDocumentPace(SimulationState& s) {
    const ConfigurationFields& f = s.loaded().fields;
    s.view.trailLength = f.pointsPerOrbit;
    s.playback.step = f.step;
    s.playback.delayMs = f.frameDelayMs;
}

SourceKind KindOf(const ConfigurationFields& fields) {
    return fields.dataFormat == DataFormat::Table ? SourceKind::TableConfiguration
                                                  : SourceKind::ClassicConfiguration;
}

}  // namespace

ReadControl ReadControlOf(SimulationState& s) {
    return {.following = s.view.followData != 0, .loading = &s.playback.loading};
}

void ApplyDocumentLook(ViewChoices& view, PlotBox& plot, const LoadedSimulation& loaded) {
    const ConfigurationFields& f = loaded.fields;
    // A classic configuration says its whole look; a table only what it
    // gives, the remembered choices standing in for the rest.
    const bool classic = loaded.kind == SourceKind::ClassicConfiguration;
    const RememberedLook kept = classic ? RememberedLook{} : view.remembered;
    if (!view.chosen.style)
        view.style =
            f.style.value_or(kept.style.value_or(classic ? ViewStyle::Classic : ViewStyle::Publication));
    if (!view.chosen.trailMode)
        view.trailMode =
            f.trailMode.value_or(kept.trail.value_or(classic ? TrailMode::Ahead : TrailMode::Behind));
    if (!view.chosen.equalAspect)
        plot.equalAspect = f.equalAspect || kept.equalAspect.value_or(loaded.kind == SourceKind::PlainTable);
    if (!view.chosen.grid) view.look.grid = kept.grid.value_or(false);
    if (!view.chosen.panel) view.panel.shown = kept.panel.value_or(false);
}

bool KeepFrame(SimulationState& s, PlotBox& plot, Host& host) {
    if (s.playback.loading || !s.loaded().dataLoaded || s.view.frame.kind == ReferenceFrame::Kind::Inertial ||
        s.framed())
        return false;
    const ReferenceFrame before = s.view.frame;
    if (const std::string why = ShowInFrame(s, plot, FrameText(before)); !why.empty()) {
        ShowInFrame(s, plot, "inertial");
        host.note("The view is back in the inertial frame: " + FrameName(before) + " cannot be shown here (" +
                  why + ")");
    }
    return true;
}

void KeepBodiesAsked(LoadedSimulation& fresh, Host& host) {
    if (const std::vector<int32_t> asked = fresh.fields.shownBodies; !asked.empty() && fresh.rows) {
        fresh.fields.shownBodies.clear();
        if (const std::string why = KeepBodies(fresh, asked); !why.empty())
            host.note("Every body is shown: the bodies asked for cannot be (" + why + ")");
    }
}

void ShowLoaded(SimulationState& s, PlotBox& plot, Host& host, LoadedSimulation&& fresh) {
    // Before the bodies kept and the plane: given for all the data's bodies.
    if (!s.view.massesGiven.empty() && s.view.massesGiven.size() == std::size_t(fresh.usableBodies()))
        fresh.fields.bodyMasses = s.view.massesGiven, fresh.fields.massProblem.clear();
    if (s.view.sunMassGiven) fresh.fields.sunMass = *s.view.sunMassGiven;
    s.view.massesGiven.clear(), s.view.sunMassGiven.reset();
    KeepBodiesAsked(fresh, host);
    // Runs compared with the one shown before go with it.
    s.runs.resize(1);
    Run& run = s.first();
    run.loaded = std::move(fresh);
    run.name.clear(), run.path.clear();
    run.shown = true, run.style = 0, run.alignment = {};
    s.playback.position = FirstRow(s.loaded());
    if (const std::string why = ShowDocumentPlane(s); !why.empty())
        host.note("The view shows the data's plane xy: " + why);
    TakeDocumentPace(s);
    s.playback.startRequested = 0;
    ShowConfiguration(s.loaded(), plot);
    ApplyDocumentLook(s.view, plot, s.loaded());
    KeepFrame(s, plot, host);
}

ConfigResult LoadConfiguration(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    ConfigurationFields fields;
    const ConfigResult result = ReadConfiguration(fields, host, path);
    if (result != ConfigResult::Ok) return result;
    s.loaded().kind = KindOf(fields);
    s.loaded().configPath = path;
    s.loaded().fields = std::move(fields);
    TakeDocumentPace(s);
    ResolveBodyColours(s.loaded());
    ShowConfiguration(s.loaded(), plot);
    return result;
}

bool ReadSimulationInto(LoadedSimulation& fresh, Host& host, const std::string& path, ReadControl control) {
    fresh.configPath = path;
    const ConfigResult result = ReadConfiguration(fresh.fields, host, path);
    if (result != ConfigResult::Ok) {
        host.messageBox(Format("Error %d in Config File %s", CodeOf(result), path.c_str()));
        HintAtTable(host, path);
        return false;
    }
    fresh.kind = KindOf(fresh.fields);
    ResolveBodyColours(fresh);
    // The table is made before the data file is opened, so that a table too
    // large for memory is reported before anything is read. A plain table's
    // reader sizes its table from the file.
    if (fresh.fields.dataFormat == DataFormat::Stream && !PrepareTable(fresh, host)) return false;
    return ReadData(fresh, host, control) == DataResult::Ok;
}

int LoadSimulation(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    LoadedSimulation fresh;
    s.playback.startRequested = 0;
    if (!ReadSimulationInto(fresh, host, path, ReadControlOf(s))) return 0;
    ShowLoaded(s, plot, host, std::move(fresh));
    return 1;
}

DataResult ReadShownData(SimulationState& s, Host& host) {
    const DataResult result = ReadData(s.loaded(), host, ReadControlOf(s));
    if (result == DataResult::Ok) s.playback.position = FirstRow(s.loaded());
    UpdateProjections(s);
    return result;
}
