#include "animation/view_projection.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "animation/drawing_routines.h"
#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "animation/view_navigation.h"
#include "plot/plot_box.h"
#include "simulation/configuration_keys.h"
#include "simulation/data_extent.h"
#include "simulation/reference_frame.h"
#include "simulation/table_inference.h"
#include "simulation/velocity_table.h"

namespace {

using Vec = std::array<double, 3>;

Vec Cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec PositionOf(const LoadedSimulation& s, int body, int32_t r) {
    const double* p = s.rows->track(body, r);
    return {p[0], p[1], s.depth ? s.depth->at(body, r) : 0.0};
}

/// Body `body`'s motion at row r, in any unit: the table's velocity where
/// it gives one, else the difference of the rows about r. Only its
/// direction is used.
Vec MotionOf(const LoadedSimulation& s, int body, int32_t r) {
    if (s.velocity && s.velocity->given(body)) {
        const Vector3 v = s.velocity->at(body, r);
        return {v.x, v.y, v.z};
    }
    const int32_t last = s.usableRows() - 1;
    const int32_t a = std::max(r - 1, 0), b = std::min(r + 1, last);
    const Vec p = PositionOf(s, body, a), q = PositionOf(s, body, b);
    const double dt = s.rows->time(b) - s.rows->time(a);
    return {(q[0] - p[0]) / dt, (q[1] - p[1]) / dt, (q[2] - p[2]) / dt};
}

/// The system's angular momentum about its barycentre at row r, or not
/// numbers where a body's position or motion is not known.
Vec AngularMomentum(const LoadedSimulation& s, const std::vector<double>& masses, int32_t r) {
    Vec l{0, 0, 0}, mr{0, 0, 0}, mv{0, 0, 0};
    double total = masses[0];
    for (int k = 1; k <= s.usableBodies(); ++k) {
        const double m = masses[std::size_t(k)];
        const Vec p = PositionOf(s, k, r), v = MotionOf(s, k, r), h = Cross(p, v);
        for (std::size_t i = 0; i < 3; ++i) l[i] += m * h[i], mr[i] += m * p[i], mv[i] += m * v[i];
        total += m;
    }
    // About the barycentre rather than the sun: less the centre's own motion.
    const Vec c = Cross(mr, mv);
    for (std::size_t i = 0; i < 3; ++i) l[i] -= c[i] / total;
    return l;
}

/// Infers a plain table's box and trail again from what the picture shows
/// on its plane, without the camera's turn.
void InferOnPlane(SimulationState& s) {
    Run& run = s.first();
    if (run.loaded.kind != SourceKind::PlainTable || !run.loaded.rows) return;
    if (s.view.planeAxes.identity()) {
        InferShownExtent(run.loaded, *run.loaded.rows);
        return;
    }
    // The data's own positions, not those of a frame the view is in.
    FramedPositions framed = std::move(run.inFrame);
    run.inFrame = {};
    if (UpdateRunProjection(run, s.view.planeAxes) && run.projectedShown())
        InferShownExtent(run.loaded, *run.projected.rows);
    run.inFrame = std::move(framed);
}

}  // namespace

std::optional<ViewAxes> PlaneAxesOf(const ViewPlane& plane, const LoadedSimulation& s, int32_t row,
                                    std::string& why) {
    if (plane.kind != ViewPlane::Kind::Invariable && plane.kind != ViewPlane::Kind::Orbit)
        return FixedPlaneAxes(plane.kind);
    if (!s.rows || s.usableRows() < 2) {
        why = "the plane " + ViewPlaneName(plane) + " needs at least two rows of data";
        return std::nullopt;
    }
    row = std::clamp(row, 0, s.usableRows() - 1);
    std::optional<ViewAxes> axes;
    if (plane.kind == ViewPlane::Kind::Orbit) {
        if (plane.body > s.usableBodies()) {
            why = "no body " + std::to_string(plane.body) + ": the bodies are 1 to " +
                  std::to_string(s.usableBodies());
            return std::nullopt;
        }
        axes = AxesNormalTo(Cross(PositionOf(s, plane.body, row), MotionOf(s, plane.body, row)));
        if (!axes)
            why = "body " + std::to_string(plane.body) + " has no orbital plane at row " +
                  std::to_string(row) +
                  ": its position or motion there is not known, or it moves through the sun";
        return axes;
    }
    const std::vector<double> masses = FrameMasses(s);
    if (masses.empty()) {
        why = std::string("the invariable plane needs the bodies' masses: ") + kMassesAdvice;
        return std::nullopt;
    }
    axes = AxesNormalTo(AngularMomentum(s, masses, row));
    if (!axes)
        why = "the system has no angular momentum at row " + std::to_string(row) +
              " (a position or motion there is not known)";
    return axes;
}

namespace {

/// Rows the picture of `at` shows: its trail and its row, and two rows
/// either side, which decide how the trail's ends are drawn.
RowSpan RowsShown(const RunAt& at) {
    const auto [first, last] = TrailRowSpan(at);
    const int64_t row = at.playback.position;
    constexpr int64_t kBeside = 2;
    const int64_t from = std::min(first, row) - kBeside, to = std::max(last, row + 1) + kBeside;
    return {int32_t(std::max<int64_t>(from, 0)), int32_t(std::min<int64_t>(to, INT32_MAX))};
}

/// Rows run `k`'s pictures draw at the row shown and at the next tick's,
/// which draws before a paint comes; a tick that goes round to the start
/// is followed by a whole paint.
RowSpan RowsDrawn(const SimulationState& s, std::size_t k) {
    const RowSpan now = RowsShown(RunAt(s, k));
    if (TickWraps(s)) return now;
    RunAt next(s, k);
    const int32_t row = NextTickRow(s);
    next.playback.position = k == 0 ? row : s.runs[k].alignment.rowAt(row);
    const RowSpan then = RowsShown(next);
    return {std::min(now.first, then.first), std::max(now.last, then.last)};
}

/// Projects every run's positions for the view, all of them or, with
/// `shownOnly`, those its picture shows; on a failure the view goes back
/// to the data's plane.
bool Project(SimulationState& s, bool shownOnly) {
    const ViewAxes axes = AxesShown(s.view);
    for (std::size_t i = 0; i < s.runs.size(); ++i) {
        const std::optional<RowSpan> only =
            shownOnly ? std::optional<RowSpan>(RowsDrawn(s, i)) : std::nullopt;
        if (!UpdateRunProjection(s.runs[i], axes, only)) {
            s.view.planeAxes = {}, s.view.turn = {};
            for (Run& back : s.runs) UpdateRunProjection(back, {});
            return false;
        }
    }
    return true;
}

}  // namespace

bool UpdateProjections(SimulationState& s) { return Project(s, false); }

bool ProjectRowsDrawn(SimulationState& s, bool turning) {
    const bool partial =
        std::any_of(s.runs.begin(), s.runs.end(), [](const Run& run) { return run.projected.partial; });
    if (!turning && !partial) return true;
    return Project(s, turning);
}

std::string ShowDocumentPlane(SimulationState& s) {
    std::string why;
    const std::optional<ViewAxes> axes =
        PlaneAxesOf(s.loaded().planeShown(), s.loaded(), s.playback.position, why);
    s.view.planeAxes = axes.value_or(ViewAxes{});
    if (!s.view.planeAxes.identity()) InferOnPlane(s);
    if (!UpdateProjections(s)) return "not enough memory for the positions as that view shows them";
    return why;
}

std::string ChooseViewPlane(SimulationState& s, PlotBox& plot, const ViewPlane& plane) {
    const ViewPlane before = s.loaded().fields.plane;
    s.loaded().fields.plane = plane;
    std::string why;
    const std::optional<ViewAxes> axes =
        PlaneAxesOf(s.loaded().planeShown(), s.loaded(), s.playback.position, why);
    if (!axes) {
        s.loaded().fields.plane = before;
        return why;
    }
    s.view.planeAxes = *axes;
    s.view.turn = {};
    InferOnPlane(s);
    if (!UpdateProjections(s)) return "not enough memory for the positions as that view shows them";
    if (s.loaded().kind == SourceKind::PlainTable) {
        const ConfigurationFields& f = s.loaded().fields;
        plot.SetBox(f.box[0], f.box[1], f.box[2], f.box[3]);
        s.view.trailLength = f.pointsPerOrbit;
    }
    return {};
}

void TurnView(SimulationState& s, const CameraTurn& turn, bool shownOnly) {
    s.view.turn = turn;
    Project(s, shownOnly);
}

void ApplyTurn(SimulationState& s, PlotBox& plot, const CameraTurn& turn) {
    TurnView(s, turn);
    Run& run = s.first();
    if (!run.projectedShown()) return;
    if (s.framed()) {
        FitToData(s, plot);
    } else if (run.loaded.kind == SourceKind::PlainTable) {
        const std::array<double, 4> box =
            DataBox(*run.projected.rows, run.loaded.usableRows(), run.loaded.usableBodies());
        plot.SetBox(box[0], box[1], box[2], box[3]);
    }
}
