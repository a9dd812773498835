#include "panel/panel_series.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "animation/series_source.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "panel/series_notes.h"
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
    const auto& names = s.loaded().fields.bodyNames;
    if (body >= 1 && std::size_t(body) <= names.size() && !names[std::size_t(body - 1)].empty())
        return names[std::size_t(body - 1)];
    return "body " + std::to_string(body);
}

/// The y axis's title of a kind's plot: its symbol and unit.
std::string PlotTitle(const SimulationState& s, QuantityKind kind) {
    const std::string unit = QuantityUnit(kind, s.loaded().fields.lengthUnit, s.loaded().fields.timeUnit);
    std::string symbol(InfoOf(kind).symbol);
    if (kind == QuantityKind::Distance)
        if (const int centre = DistanceCentre(s)) symbol += " from " + BodyLabel(s, centre);
    if (ComparesRuns(kind)) {
        const std::string second = s.compared() ? s.runs[1].name : std::string("run 2");
        return (unit.empty() ? symbol : symbol + " [" + unit + "]") + ", " + second + " interpolated";
    }
    return unit.empty() ? symbol : symbol + " [" + unit + "]";
}

PanelSeries::Source SourceOf(const SimulationState& s) {
    PanelSeries::Source source;
    source.table = s.loaded().rows.get();
    source.version = source.table ? source.table->version() : 0;
    source.centre = DistanceCentre(s);
    source.list = s.view.panel.list.empty() ? DefaultPanelList(s) : s.view.panel.list;
    source.gm = GmOf(s.loaded(), s.view.panel.gm).value_or(std::nan(""));
    source.colours = s.loaded().bodyColour;
    source.names = s.loaded().fields.bodyNames;
    if (s.compared()) {
        source.other = s.runs[1].loaded.rows.get();
        source.otherName = s.runs[1].name;
    }
    return source;
}

/// The same source, NaN mu and all.
bool Same(const PanelSeries::Source& a, const PanelSeries::Source& b) {
    PanelSeries::Source x = a, y = b;
    if (std::isnan(x.gm) && std::isnan(y.gm)) x.gm = y.gm = 0;
    return x == y;
}

/// The quantity a line plots: from a frame's centre body, a distance is
/// the two bodies' separation.
Quantity PlottedQuantity(const PanelSeries& series, const PanelLine& line) {
    const int centre = series.madeFrom.centre;
    const Quantity& q = line.quantity;
    return q.kind == QuantityKind::Distance && centre > 0 ? Quantity{QuantityKind::Separation, q.body, centre}
                                                          : q;
}

/// The panel's note (PanelSeries::note): where the velocities come from,
/// and for each label whose lines are faded the rows an orbit that would
/// do, the most its lines ask.
std::string PanelNote(const SimulationState& s, const SeriesSource& source, const PanelSeries& series) {
    std::vector<std::string> labels;
    for (int body = 1; body <= s.loaded().usableBodies(); ++body) labels.push_back(BodyLabel(s, body));
    std::string note = VelocityNote(source, labels);
    std::vector<std::pair<std::string, SeriesSampling>> faded;
    for (const PanelLine& line : series.lines) {
        if (line.sampling.unsure == 0) continue;
        const std::string label = line.label.empty() ? QuantityText(line.quantity) : line.label;
        auto at = std::find_if(faded.begin(), faded.end(), [&](const auto& f) { return f.first == label; });
        if (at == faded.end()) {
            faded.emplace_back(label, line.sampling);
        } else {
            at->second.rowsAnOrbit = std::fmax(at->second.rowsAnOrbit, line.sampling.rowsAnOrbit);
            at->second.shorter = std::fmax(at->second.shorter, line.sampling.shorter);
        }
    }
    if (faded.empty()) return note;
    note += std::string(note.empty() ? "F" : "; f") + "aded: rows too far apart for differenced velocities:";
    for (std::size_t k = 0; k < faded.size(); ++k) {
        const SeriesSampling& f = faded[k].second;
        note += (k ? ", " : " ") + faded[k].first;
        if (std::isfinite(f.rowsAnOrbit))
            note += Format(" (about %.0f rows an orbit would do)", f.rowsAnOrbit);
    }
    return note;
}

/// Rows [first, last) of every line, all at once: the lines share each
/// row's velocities and elements. Then each line's sampling over its rows.
void Compute(const SimulationState& s, PanelSeries& series, int32_t first, int32_t last) {
    const SeriesSource source = SeriesSourceOf(s, s.view.panel.gm);
    std::vector<Quantity> quantities;
    std::vector<double*> outs, ratios;
    for (PanelLine& line : series.lines) {
        line.values.resize(std::size_t(last));
        line.ratios.resize(std::size_t(last));
        quantities.push_back(PlottedQuantity(series, line));
        outs.push_back(line.values.data() + first);
        ratios.push_back(line.ratios.data() + first);
    }
    ComputeSeries(source, quantities, first, last, outs, ratios);
    SeriesSource counted = source;
    counted.rows = last;
    for (PanelLine& line : series.lines)
        line.sampling = SamplingOf(counted, line.values.data(), line.ratios.data(), [&] {
            if (!line.periodFound) line.period = PeriodFor(source, PlottedQuantity(series, line));
            line.periodFound = true;
            return line.period;
        });
    series.note = PanelNote(s, source, series);
}

}  // namespace

std::string DefaultPanelList(const SimulationState& s) {
    const SeriesSource source = SeriesSourceOf(s, s.view.panel.gm);
    std::string list = s.compared() ? "diff,r" : "r";
    if (UsableGm(source.gm)) list += ",a,e";
    if (UsableGm(source.gm) && !source.masses.empty()) list += ",energy";
    return list;
}

bool UpdatePanelSeries(const SimulationState& s, PanelSeries& series) {
    const int32_t rows = s.loaded().dataLoaded ? s.loaded().usableRows() : 0;
    PanelSeries::Source source = SourceOf(s);
    if (Same(source, series.madeFrom)) {
        if (rows == series.rows) return false;
        if (rows > series.rows && series.problem.empty() &&
            series.rows >= kStartSearch + 2 * int32_t(kCheckRows)) {
            // Rows appended: the velocities and their checks near the old
            // end took their stencils one-sided there; those rows are
            // computed again. (Fewer rows may have changed where the
            // system's changes are from: those are computed anew.)
            const int32_t from = std::max<int32_t>(0, series.rows - int32_t(kCheckRows));
            Compute(s, series, from, rows);
            for (int32_t r = std::max<int32_t>(1, series.rows); r < rows && series.timesIncrease; ++r)
                series.timesIncrease = !(s.loaded().rows->time(r) < s.loaded().rows->time(r - 1));
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
    series.gmNote = GmNote(s.loaded(), s.view.panel.gm, false);
    if (!s.loaded().dataLoaded || !s.loaded().rows) return true;
    const QuantityList list =
        ParseQuantities(series.madeFrom.list, s.loaded().usableBodies(), s.loaded().fields.bodyNames);
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
        PanelLine line;
        line.quantity = q, line.colour = kFrameInk;
        if (q.kind == QuantityKind::Separation)
            line.label = BodyLabel(s, q.body) + "\u2013" + BodyLabel(s, q.other);
        else if (q.kind != QuantityKind::SystemEnergy && q.kind != QuantityKind::SystemMomentum &&
                 q.kind != QuantityKind::RunEnergy)
            line.label = BodyLabel(s, q.body);
        if (q.body >= 1 && std::size_t(q.body) < s.loaded().bodyColour.size())
            line.colour = s.loaded().bodyColour[std::size_t(q.body)];
        plot->lines.push_back(series.lines.size());
        series.lines.push_back(std::move(line));
    }
    Compute(s, series, 0, rows);
    for (int32_t r = 1; r < rows && series.timesIncrease; ++r)
        series.timesIncrease = !(s.loaded().rows->time(r) < s.loaded().rows->time(r - 1));
    series.rows = rows;
    return true;
}

std::pair<int32_t, int32_t> RowsInSpan(const SimulationState& s, const PanelSeries& series, double from,
                                       double to) {
    const int32_t rows = series.rows;
    if (!s.loaded().rows || rows == 0) return {0, -1};
    if (!series.timesIncrease || !(from <= to)) return {0, rows - 1};
    const TrajectoryTable& t = *s.loaded().rows;
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
