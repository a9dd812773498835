#include "animation/panel_series.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "animation/series_export.h"
#include "animation/simulation_state.h"
#include "plot/axes_frame.h"
#include "simulation/orbit_elements.h"

namespace {

/// The body the distance is measured from: the centre of a frame centred
/// on a body; 0, the sun, in any other frame (a turning frame turns about
/// the sun, and the barycentre is left to the positions shown).
int DistanceCentre(const SimulationState& s) {
    const ReferenceFrame& frame = s.view.frame;
    return s.framed() && frame.kind == ReferenceFrame::Kind::Centred ? frame.body : 0;
}

std::string BodyLabel(const SimulationState& s, int body) {
    const auto& names = s.loaded.fields.bodyNames;
    if (body >= 1 && std::size_t(body) <= names.size() && !names[std::size_t(body - 1)].empty())
        return names[std::size_t(body - 1)];
    return "body " + std::to_string(body);
}

/// The y axis's title of a kind's plot: its symbol and unit.
std::string PlotTitle(const SimulationState& s, QuantityKind kind) {
    const std::string unit = QuantityUnit(kind, s.loaded.fields.lengthUnit, s.loaded.fields.timeUnit);
    std::string symbol;
    switch (kind) {
        case QuantityKind::Distance:
            symbol = "r";
            if (const int centre = DistanceCentre(s)) symbol += " from " + BodyLabel(s, centre);
            break;
        case QuantityKind::Speed:
            symbol = "v";
            break;
        case QuantityKind::SemiMajorAxis:
            symbol = "a";
            break;
        case QuantityKind::Eccentricity:
            symbol = "e";
            break;
        case QuantityKind::Pericentre:
            symbol = "\u03c9";
            break;
        case QuantityKind::Inclination:
            symbol = "i";
            break;
        case QuantityKind::Node:
            symbol = "\u03a9";
            break;
        case QuantityKind::Energy:
            symbol = "\u03b5";
            break;
        case QuantityKind::Separation:
            symbol = "separation";
            break;
        case QuantityKind::SystemEnergy:
            symbol = "\u0394E/|E\u2080|";
            break;
        case QuantityKind::SystemMomentum:
            symbol = "|\u0394L|/|L\u2080|";
            break;
        // Between the first two runs, the second's values taken between its
        // rows at the first's times, as the title says.
        case QuantityKind::RunDistance:
            symbol = "|r\u2081 \u2212 r\u2082|";
            break;
        case QuantityKind::RunSemiMajorAxis:
            symbol = "a\u2081 \u2212 a\u2082";
            break;
        case QuantityKind::RunEccentricity:
            symbol = "e\u2081 \u2212 e\u2082";
            break;
        case QuantityKind::RunEnergy:
            symbol = "\u0394E\u2081 \u2212 \u0394E\u2082";
            break;
    }
    if (ComparesRuns(kind)) {
        const std::string second = s.runs.empty() ? std::string("run 2") : s.runs.front().name;
        return (unit.empty() ? symbol : symbol + " [" + unit + "]") + ", " + second + " interpolated";
    }
    return unit.empty() ? symbol : symbol + " [" + unit + "]";
}

PanelSeries::Source SourceOf(const SimulationState& s) {
    PanelSeries::Source source;
    source.table = s.loaded.rows.get();
    source.version = source.table ? source.table->version() : 0;
    source.centre = DistanceCentre(s);
    source.list = s.view.panel.list.empty() ? DefaultPanelList(s) : s.view.panel.list;
    source.gm = GmOf(s.loaded, s.view.panel.gm).value_or(std::nan(""));
    source.colours = s.loaded.bodyColour;
    source.names = s.loaded.fields.bodyNames;
    if (!s.runs.empty()) {
        source.other = s.runs.front().state.loaded.rows.get();
        source.otherName = s.runs.front().name;
    }
    return source;
}

/// The same source, NaN mu and all.
bool Same(const PanelSeries::Source& a, const PanelSeries::Source& b) {
    PanelSeries::Source x = a, y = b;
    if (std::isnan(x.gm) && std::isnan(y.gm)) x.gm = y.gm = 0;
    return x == y;
}

/// Rows [first, last) of every line, all at once: the lines share each
/// row's velocities and elements.
void Compute(const SimulationState& s, PanelSeries& series, int32_t first, int32_t last) {
    const SeriesSource source = SeriesSourceOf(s, s.view.panel.gm);
    const int centre = series.madeFrom.centre;
    std::vector<Quantity> quantities;
    std::vector<double*> outs;
    for (PanelLine& line : series.lines) {
        line.values.resize(std::size_t(last));
        Quantity q = line.quantity;
        // From a frame's centre body, a distance is the two bodies' separation.
        if (q.kind == QuantityKind::Distance && centre > 0) q = {QuantityKind::Separation, q.body, centre};
        quantities.push_back(q);
        outs.push_back(line.values.data() + first);
    }
    ComputeSeries(source, quantities, first, last, outs);
}

}  // namespace

std::string DefaultPanelList(const SimulationState& s) {
    const SeriesSource source = SeriesSourceOf(s, s.view.panel.gm);
    std::string list = s.runs.empty() ? "r" : "diff,r";
    if (std::isfinite(source.gm)) list += ",a,e";
    if (std::isfinite(source.gm) && !source.masses.empty()) list += ",energy";
    return list;
}

bool UpdatePanelSeries(const SimulationState& s, PanelSeries& series) {
    const int32_t rows = s.loaded.dataLoaded ? s.loaded.usableRows() : 0;
    PanelSeries::Source source = SourceOf(s);
    if (Same(source, series.madeFrom)) {
        if (rows == series.rows) return false;
        if (rows > series.rows && series.problem.empty()) {
            // Rows appended: the velocities near the old end took their
            // stencils one-sided there; those rows are computed again.
            const int32_t from = std::max<int32_t>(0, series.rows - int32_t(kVelocityRows));
            Compute(s, series, from, rows);
            for (int32_t r = std::max<int32_t>(1, series.rows); r < rows && series.timesIncrease; ++r)
                series.timesIncrease = !(s.loaded.rows->time(r) < s.loaded.rows->time(r - 1));
            series.rows = rows;
            ++series.serial;
            return true;
        }
    }
    const uint64_t serial = series.serial + 1;
    series = PanelSeries{};
    series.serial = serial;
    series.madeFrom = std::move(source);
    series.gm = series.madeFrom.gm;
    if (!s.loaded.dataLoaded || !s.loaded.rows) return true;
    const QuantityList list =
        ParseQuantities(series.madeFrom.list, s.loaded.usableBodies(), s.loaded.fields.bodyNames);
    if (!list.error.empty()) {
        series.problem = list.error;
        return true;
    }
    const SeriesSource computed = SeriesSourceOf(s, s.view.panel.gm);
    for (const Quantity& q : list.quantities) {
        if (std::find_if(series.lines.begin(), series.lines.end(),
                         [&](const PanelLine& l) { return l.quantity == q; }) != series.lines.end())
            continue;  // asked twice: drawn once
        auto plot = std::find_if(series.plots.begin(), series.plots.end(),
                                 [&](const PanelPlot& p) { return p.kind == q.kind; });
        if (plot == series.plots.end()) {
            series.plots.push_back({q.kind, PlotTitle(s, q.kind), {}, SeriesLack(q.kind, computed)});
            plot = series.plots.end() - 1;
        }
        PanelLine line{q, {}, kFrameInk, {}};
        if (q.kind == QuantityKind::Separation)
            line.label = BodyLabel(s, q.body) + "\u2013" + BodyLabel(s, q.other);
        else if (q.kind != QuantityKind::SystemEnergy && q.kind != QuantityKind::SystemMomentum &&
                 q.kind != QuantityKind::RunEnergy)
            line.label = BodyLabel(s, q.body);
        if (q.body >= 1 && std::size_t(q.body) < s.loaded.bodyColour.size())
            line.colour = s.loaded.bodyColour[std::size_t(q.body)];
        plot->lines.push_back(series.lines.size());
        series.lines.push_back(std::move(line));
    }
    Compute(s, series, 0, rows);
    for (int32_t r = 1; r < rows && series.timesIncrease; ++r)
        series.timesIncrease = !(s.loaded.rows->time(r) < s.loaded.rows->time(r - 1));
    series.rows = rows;
    return true;
}

std::pair<int32_t, int32_t> RowsInSpan(const SimulationState& s, const PanelSeries& series, double from,
                                       double to) {
    const int32_t rows = series.rows;
    if (!s.loaded.rows || rows == 0) return {0, -1};
    if (!series.timesIncrease || !(from <= to)) return {0, rows - 1};
    const TrajectoryTable& t = *s.loaded.rows;
    // The first row at or after `from`, and the last at or before `to`.
    int32_t lo = 0, hi = rows;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (t.time(mid) < from)
            lo = mid + 1;
        else
            hi = mid;
    }
    const int32_t first = lo;
    lo = first, hi = rows;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (t.time(mid) <= to)
            lo = mid + 1;
        else
            hi = mid;
    }
    return {first, lo - 1};
}
