#include "animation/frame_view.h"

#include <algorithm>
#include <cmath>

#include "animation/view_navigation.h"
#include "plot/plot_box.h"
#include "simulation/reference_frame.h"
#include "simulation/simulation_state.h"

std::string ShowInFrame(SimulationState& s, PlotBox& plot, std::string_view text) {
    if (!s.dataLoaded || !s.rows) return "no simulation is loaded";
    const std::vector<double> masses = FrameMasses(s);
    const FrameChoice choice = ParseFrame(text, s.usableBodies(), !masses.empty());
    if (!choice.frame) {
        const bool barycentre = text == "barycentre" || text == "barycenter";
        return barycentre ? BarycentreProblem(s) : choice.error;
    }
    const ReferenceFrame& frame = *choice.frame;
    if (frame.kind == ReferenceFrame::Kind::Inertial) {
        s.frame = frame;
        s.framedRows.reset();
        s.framedSun.clear();
        RestoreConfiguredBox(s, plot);
        return {};
    }
    const int32_t rows = s.usableRows();
    std::unique_ptr<TrajectoryTable> framed = AllocateTable(s.rows->rowCount(), s.rows->columnCount());
    if (!framed) return "not enough memory for the positions in that frame";
    std::vector<double> sun(std::size_t(2 * int64_t(s.rows->rowCount())), 0.0);
    TransformRows(*s.rows, *framed, frame, masses, 0, rows, sun.data());
    s.frame = frame;
    s.framedRows = std::move(framed);
    s.framedFrom = s.rows->version();
    s.framedSun = std::move(sun);
    if (FitToData(s, plot) && frame.kind == ReferenceFrame::Kind::Centred) {
        // The body at the centre: the box made even about it.
        const double x = std::max(std::fabs(plot.xMin), std::fabs(plot.xMax));
        const double y = std::max(std::fabs(plot.yMin), std::fabs(plot.yMax));
        plot.SetExactBox(-x, -y, x, y);
    }
    return {};
}
