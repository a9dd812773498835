#include "animation/point_readout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/simulation_state.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/depth_table.h"
#include "simulation/derived_series.h"

int BodyUnder(const SimulationState& s, const PlotBox& plot, double px, double py) {
    if (!s.loaded().dataLoaded || !s.loaded().fields.drawPlanets || s.playback.position < 0 ||
        s.playback.position >= s.loaded().usableRows())
        return 0;
    int nearest = 0;
    double best = std::numeric_limits<double>::infinity();
    for (int body = 1; body <= s.loaded().usableBodies(); ++body) {
        const double* xy = s.shownRows()->track(body, s.playback.position);
        if (plot.IsOutside(xy[0], xy[1]) || s.loaded().fields.bodySize[std::size_t(body)] < 0) continue;
        const ViewPoint at = plot.MapExact(xy[0], xy[1]);
        const double d = std::hypot(at.x - px, at.y - py);
        const double reach = std::max(s.loaded().fields.bodySize[std::size_t(body)] + 2.0, 4.0);
        if (d <= reach && d < best) best = d, nearest = body;
    }
    return nearest;
}

namespace {

/// The speed of body `body` at `row` of the first `rows` rows of `table`
/// (in space with the `depth` off its plane, when given): the value of its
/// speed series there, from the rows about the row; none where the series
/// has a gap (equal or missing times, a position nearby that is not finite).
std::optional<double> SpeedAt(const TrajectoryTable& table, const DepthTable* depth, int rows, int body,
                              int32_t row) {
    double speed = std::numeric_limits<double>::quiet_NaN();
    ComputeSeries({.table = &table, .rows = rows, .depth = depth}, {QuantityKind::Speed, body}, row, row + 1,
                  &speed);
    return std::isfinite(speed) ? std::optional<double>(speed) : std::nullopt;
}

}  // namespace

std::optional<BodyReadout> ReadBody(const SimulationState& s, int body, int32_t row) {
    if (!s.loaded().dataLoaded || body < 1 || body > s.loaded().usableBodies() || row < 0 ||
        row >= s.loaded().usableRows())
        return std::nullopt;
    // In space and in the frame, whatever plane or turn the picture shows.
    const TrajectoryTable& framed = *s.first().framedRows();
    const DepthTable* framedDepth = s.first().framedDepth();
    BodyReadout r;
    r.body = body;
    r.x = framed.track(body, row)[0];
    r.y = framed.track(body, row)[1];
    if (framedDepth) r.z = framedDepth->at(body, row);
    const double* own = s.loaded().rows->track(body, row);
    const DepthTable* depth = s.loaded().depth.get();
    r.fromSun = depth ? std::hypot(own[0], own[1], depth->at(body, row)) : std::hypot(own[0], own[1]);
    const auto kind = s.framed() ? s.view.frame.kind : ReferenceFrame::Kind::Inertial;
    if (kind == ReferenceFrame::Kind::Centred || kind == ReferenceFrame::Kind::Barycentre)
        r.fromCentre = r.z ? std::hypot(r.x, r.y, *r.z) : std::hypot(r.x, r.y);
    const bool inertial = kind == ReferenceFrame::Kind::Inertial;
    const int32_t rows = s.loaded().usableRows();
    r.speed = SpeedAt(framed, framedDepth, rows, body, row);
    if (!inertial) r.sunSpeed = SpeedAt(*s.loaded().rows, depth, rows, body, row);
    return r;
}

namespace {

std::string BodyName(const SimulationState& s, int body) {
    if (body >= 1 && std::size_t(body) <= s.loaded().fields.bodyNames.size() &&
        !s.loaded().fields.bodyNames[std::size_t(body - 1)].empty())
        return s.loaded().fields.bodyNames[std::size_t(body - 1)];
    return "Body " + std::to_string(body);
}

std::string WithUnit(double value, const std::string& unit) {
    return unit.empty() ? Format("%.6g", value) : Format("%.6g %s", value, unit.c_str());
}

}  // namespace

std::string BodyReadoutText(const SimulationState& s, const BodyReadout& r) {
    // A scaled frame measures lengths in the distance of its body.
    const bool scaled = s.framed() && s.view.frame.scaled;
    const std::string length = scaled ? std::string() : s.loaded().fields.lengthUnit;
    std::string speedUnit;
    if (!s.loaded().fields.timeUnit.empty())
        speedUnit = (s.loaded().fields.lengthUnit.empty() ? "length units" : s.loaded().fields.lengthUnit) +
                    "/" + s.loaded().fields.timeUnit;
    else if (!s.loaded().fields.lengthUnit.empty())
        speedUnit = s.loaded().fields.lengthUnit + " per time unit";
    std::string text = BodyName(s, r.body);
    if (text != "Body " + std::to_string(r.body)) text += Format(" (body %d)", r.body);
    text += "\nx = " + WithUnit(r.x, length) + "\ny = " + WithUnit(r.y, length);
    if (r.z) text += "\nz = " + WithUnit(*r.z, length);
    // Data in space is measured in space, which the labels say.
    const std::string space = r.z ? " in space" : "";
    text += "\nfrom the sun" + space + ": " + WithUnit(r.fromSun, s.loaded().fields.lengthUnit);
    if (r.fromCentre) {
        const std::string centre = s.view.frame.kind == ReferenceFrame::Kind::Barycentre
                                       ? "the barycentre"
                                       : BodyName(s, s.view.frame.body);
        text += "\nfrom " + centre + space + ": " + WithUnit(*r.fromCentre, length);
    }
    const std::string shownSpeed = scaled ? std::string() : speedUnit;
    if (r.speed)
        text += "\nspeed" + space + std::string(r.sunSpeed ? " in this frame: " : ": ") +
                WithUnit(*r.speed, shownSpeed);
    if (r.sunSpeed) text += "\nspeed" + space + " about the sun: " + WithUnit(*r.sunSpeed, speedUnit);
    return text;
}

std::string PointerText(const SimulationState& s, const PlotBox& plot, double px, double py) {
    if (!s.loaded().dataLoaded) return {};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double x = plot.WorldX(px, nan), y = plot.WorldY(py, nan);
    if (plot.IsOutside(x, y) || s.view.turn.turned()) return {};
    const std::string unit = s.framed() && s.view.frame.scaled ? std::string() : s.loaded().fields.lengthUnit;
    const ViewPlane plane = s.loaded().planeShown();
    return AxisName(plane, 0) + " = " + WithUnit(x, unit) + "   " + AxisName(plane, 1) + " = " +
           WithUnit(y, unit);
}
