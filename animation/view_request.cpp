#include "animation/view_request.h"

#include "animation/animation_commands.h"
#include "animation/frame_view.h"
#include "animation/playback_commands.h"
#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "plot/plot_box.h"

namespace {

/// Why `row` cannot be shown: it lies outside the rows in the data; empty
/// when it can.
std::string RowOutsideTheData(const SimulationState& state, int row) {
    const int rows = state.loaded.usableRows();
    if (row < 0) return Format("--row %d is before the first row, 0", row);
    if (rows == 0) return Format("--row %d is past the end of the data, which has no rows", row);
    if (row >= rows) return Format("--row %d is past the last row, %d", row, rows - 1);
    return {};
}

}  // namespace

void ApplyViewChoices(SimulationState& state, PlotBox& plot, const ViewRequest& request) {
    if (request.framed) ToggleFullWindow(state, plot);
    plot.equalAspect = request.equalAspect;
    state.view.trailMode = request.trail;
    state.view.fadeTrails = request.fade;
    state.view.loopPlayback = request.loop;
    state.view.style = request.style;
    state.view.look = request.look;
    state.view.plane = request.plane;
    state.view.columns = request.columns;
}

std::string ApplyToLoaded(SimulationState& state, PlotBox& plot, const ViewRequest& request) {
    if (request.trailLength) state.loaded.fields.pointsPerOrbit = *request.trailLength;
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
    if (request.speed) SetSpeed(state, *request.speed);
    return {};
}
