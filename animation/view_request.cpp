#include "animation/view_request.h"

#include <algorithm>

#include "animation/animation_commands.h"
#include "animation/compared_runs.h"
#include "animation/frame_view.h"
#include "animation/playback_commands.h"
#include "animation/series_source.h"
#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "animation/view_projection.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/body_subset.h"
#include "simulation/configuration_reader.h"
#include "simulation/data_extent.h"

namespace {

/// Why `row` cannot be shown: it lies outside the rows in the data; empty
/// when it can.
std::string RowOutsideTheData(const SimulationState& state, int row) {
    const int rows = state.loaded().usableRows();
    if (row < 0) return Format("--row %d is before the first row, 0", row);
    if (rows == 0) return Format("--row %d is past the end of the data, which has no rows", row);
    if (row >= rows) return Format("--row %d is past the last row, %d", row, rows - 1);
    return {};
}

/// The sun's radius in pixels when --sun on shows a sun hidden.
constexpr int kShownSunSize = 6;

}  // namespace

std::string ApplyFigure(SimulationState& state, PlotBox& plot, const FigureRequest& figure) {
    ConfigurationFields& f = state.loaded().fields;
    const int bodies = state.loaded().usableBodies();
    if (figure.names.size() > std::size_t(bodies))
        return Format("--names gives %d names for %d bodies", int(figure.names.size()), bodies);
    if (figure.colours.size() > std::size_t(bodies))
        return Format("--colours gives %d colours for %d bodies", int(figure.colours.size()), bodies);
    if (!figure.masses.empty() && figure.masses.size() != std::size_t(bodies))
        return Format("--masses gives %d masses for %d bodies: give one for each", int(figure.masses.size()),
                      bodies);
    if (figure.title) f.plotTitle = plot.title = *figure.title;
    if (!figure.names.empty()) {
        // Names given for the first bodies keep the document's for the rest.
        f.bodyNames.resize(std::max(f.bodyNames.size(), figure.names.size()));
        std::copy(figure.names.begin(), figure.names.end(), f.bodyNames.begin());
    }
    if (!figure.colours.empty()) {
        std::vector<ColourRef> colours(static_cast<std::size_t>(bodies));
        for (int k = 1; k <= bodies; ++k)
            colours[std::size_t(k - 1)] = state.loaded().bodyColour[std::size_t(k)];
        std::copy(figure.colours.begin(), figure.colours.end(), colours.begin());
        f.bodyColours = colours;
        ResolveBodyColours(state.loaded());
    }
    if (figure.timeUnit) f.timeUnit = *figure.timeUnit;
    if (figure.lengthUnit) f.lengthUnit = *figure.lengthUnit;
    if (figure.sunSize) f.sunSize = *figure.sunSize;
    if (figure.sunOn && f.sunSize <= 0) f.sunSize = kShownSunSize;
    if (!figure.bodies.empty()) {
        if (state.view.followData) return "--bodies does not go with following the data file";
        if (std::string problem = KeepBodies(state.loaded(), figure.bodies); !problem.empty())
            return "--bodies: " + problem;
        // A table's box is fitted to the bodies shown; a configuration's is its own.
        if (state.loaded().kind == SourceKind::PlainTable) {
            f.box = DataBox(*state.loaded().rows, state.loaded().usableRows(), state.loaded().usableBodies());
            plot.SetBox(f.box[0], f.box[1], f.box[2], f.box[3]);
        }
    }
    // Runs compared show their bodies as the first run's bodies they are.
    if (!figure.colours.empty() || !figure.names.empty()) MatchRunsAgain(state);
    return {};
}

void ApplyViewChoices(SimulationState& state, PlotBox& plot, const ViewRequest& request) {
    if (request.framed) ToggleFullWindow(state, plot);
    if (request.equalAspect) {
        plot.equalAspect = 1;
        state.view.chosen.equalAspect = true;
    }
    if (request.trail) {
        state.view.trailMode = *request.trail;
        state.view.chosen.trailMode = true;
    }
    state.view.fadeTrails = request.fade;
    state.view.loopPlayback = request.loop;
    if (request.style) {
        state.view.style = *request.style;
        state.view.chosen.style = true;
    }
    state.view.look = request.look;
    if (request.look.grid) state.view.chosen.grid = true;
    state.view.plane = request.plane;
    state.view.columns = request.columns;
    state.view.massesGiven = request.figure.masses;
    state.view.sunMassGiven = request.figure.sunMass;
    if (request.gm) state.view.panel.gm = request.gm;
    if (!request.plot.empty()) {
        state.view.panel.shown = true;
        state.view.panel.list = request.plot;
        state.view.chosen.panel = true;
    }
}

namespace {

/// A body's orbit is found at the row shown, now set; a turned camera
/// shows the data afresh, the box given staying.
std::string ApplyPlaneAndTurn(SimulationState& state, PlotBox& plot, const ViewRequest& request) {
    const ViewPlane plane = state.loaded().planeShown();
    const bool atRow = plane.kind == ViewPlane::Kind::Orbit || plane.kind == ViewPlane::Kind::Invariable;
    if (atRow && (request.row || request.time))
        if (const std::string why = ChooseViewPlane(state, plot, plane); !why.empty())
            return "--plane " + ViewPlaneName(plane) + ": " + why;
    if (request.turn) ApplyTurn(state, plot, *request.turn);
    if (request.box && (request.turn || (atRow && (request.row || request.time))))
        ApplyTypedBox(state, plot, *request.box);
    return {};
}

}  // namespace

std::string ApplyToLoaded(SimulationState& state, PlotBox& plot, const ViewRequest& request) {
    if (std::string problem = ApplyFigure(state, plot, request.figure); !problem.empty()) return problem;
    if (!request.publicationOption.empty() && state.view.style != ViewStyle::Publication)
        return request.publicationOption + " needs --style publication";
    if (request.trailLength) state.view.trailLength = *request.trailLength;
    if (!request.frame.empty()) {
        if (const std::string problem = ShowInFrame(state, plot, request.frame); !problem.empty())
            return "--frame " + request.frame + ": " + problem;
    }
    if (request.box) ApplyTypedBox(state, plot, *request.box);
    if (request.row) {
        if (std::string outside = RowOutsideTheData(state, *request.row); !outside.empty()) return outside;
        state.playback.position = *request.row;
    }
    if (request.time) state.playback.position = RowAtOrAfterTime(state, *request.time);
    if (std::string problem = ApplyPlaneAndTurn(state, plot, request); !problem.empty()) return problem;
    if (request.speed) SetSpeed(state, *request.speed);
    if (!request.plot.empty()) {
        const QuantityList list =
            ParseQuantities(request.plot, state.loaded().usableBodies(), state.loaded().fields.bodyNames);
        if (!list.error.empty()) return "--plot: " + list.error;
        // Rows followed since the runs were added leave them to align again.
        AlignRuns(state);
        const SeriesSource source = SeriesSourceOf(state, request.gm);
        for (std::size_t k = 0; k < list.quantities.size(); ++k)
            if (const std::string lack = SeriesLack(list.quantities[k].kind, source); !lack.empty())
                return "--plot " + list.texts[k] + ": " + lack;
    }
    AlignRuns(state);
    return {};
}
