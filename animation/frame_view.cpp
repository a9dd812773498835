#include "animation/frame_view.h"

#include <algorithm>
#include <cmath>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "animation/view_navigation.h"
#include "plot/plot_box.h"
#include "simulation/reference_frame.h"

std::string ShowInFrame(SimulationState& s, PlotBox& plot, std::string_view text) {
    if (!s.loaded().dataLoaded || !s.loaded().rows) return "no simulation is loaded";
    // The text read here; whether the data can have the frame (its masses)
    // is UpdateFramedRows's to tell.
    const FrameChoice choice = ParseFrame(text, s.loaded().usableBodies(), true, s.loaded().fields.bodyNames);
    if (!choice.frame) return choice.error;
    const ReferenceFrame before = s.view.frame;
    s.view.frame = *choice.frame;
    s.first().inFrame.from = 0;  // made afresh, from every row (no table has version 0)
    if (const std::string why = UpdateFramedRows(s); !why.empty()) {
        s.view.frame = before;
        UpdateFramedRows(s);
        return why;
    }
    if (s.view.frame.kind == ReferenceFrame::Kind::Inertial) {
        RestoreConfiguredBox(s, plot);
        return FrameRuns(s, plot);
    }
    const bool fitted = FitToData(s, plot);
    // Every run compared in the same frame; the first stays in it when
    // another cannot have it, which is said.
    const std::string runs = FrameRuns(s, plot);
    if (fitted && s.view.frame.kind == ReferenceFrame::Kind::Centred) {
        // The body at the centre: the box made even about it.
        const double x = std::max(std::fabs(plot.xMin), std::fabs(plot.xMax));
        const double y = std::max(std::fabs(plot.yMin), std::fabs(plot.yMax));
        plot.SetExactBox(-x, -y, x, y);
    }
    return runs;
}
