#include "animation/series_export.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/series_notes.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "simulation/orbit_elements.h"
#include "simulation/output_file.h"
#include "simulation/reference_frame.h"
#include "simulation/series_table.h"

std::optional<double> GmOf(const LoadedSimulation& loaded, std::optional<double> given) {
    if (given) return given;
    if (loaded.fields.gm) return loaded.fields.gm;
    return InferredGm(loaded.fields.lengthUnit, loaded.fields.timeUnit);
}

std::string GmNote(const LoadedSimulation& loaded, std::optional<double> given, bool explained) {
    const std::optional<double> gm = GmOf(loaded, given);
    if (!gm) return {};
    const std::string& length = loaded.fields.lengthUnit;
    const std::string& time = loaded.fields.timeUnit;
    std::string note = Format("\u03bc = %.9g", *gm);
    if (!length.empty() && !time.empty()) note += " " + length + "\u00b3/" + time + "\u00b2";
    if (given) return note + ", as given";
    if (loaded.fields.gm) return note + ", from the configuration's gm line";
    return note + ", from " + length + " and " + time + ": " + InferredGmRule(length, time, explained);
}

namespace {

/// The series' source of one run's load, compared with none.
SeriesSource SourceOfRun(const LoadedSimulation& loaded, std::optional<double> gm) {
    SeriesSource source{.table = loaded.rows.get(),
                        .rows = loaded.usableRows(),
                        .gm = GmOf(loaded, gm).value_or(std::numeric_limits<double>::quiet_NaN()),
                        .masses = FrameMasses(loaded),
                        .depth = loaded.depth.get(),
                        .plane = loaded.planeShown()};
    source.velocity = loaded.velocity.get();
    return source;
}

}  // namespace

SeriesSource SeriesSourceOf(const SimulationState& s, std::optional<double> gm) {
    SeriesSource source = SourceOfRun(s.loaded(), gm);
    // Runs are compared with the first run compared, aligned as shown.
    if (s.compared() && s.runs[1].alignment.madeFor(s.loaded())) {
        const RunAlignment& run = s.runs[1].alignment;
        source.other = std::make_shared<SeriesSource>(SourceOfRun(s.runs[1].loaded, gm));
        source.between = &run.between;
        source.otherBody.assign(std::size_t(std::max(s.loaded().usableBodies(), 0)) + 1, 0);
        for (std::size_t k = 1; k < run.bodyOf.size(); ++k)
            if (const int f = run.bodyOf[k]; f > 0 && std::size_t(f) < source.otherBody.size())
                source.otherBody[std::size_t(f)] = int(k);
    }
    return source;
}

std::string SeriesLack(QuantityKind kind, const SeriesSource& source) {
    if (ComparesRuns(kind) && !source.other)
        return "the differences between runs need a second run: give two files (orbivex a.csv b.csv), or "
               "add one with File > Add Run";
    if (NeedsGm(kind) && !UsableGm(source.gm))
        return "the orbital elements and energies need the sun's gravitational parameter G M in the "
               "data's units: give --gm, or a line \"gm = ...\" in the configuration, or the units AU "
               "and yr or d";
    if (NeedsMasses(kind) && source.masses.empty())
        return "the system's energy and momentum need a mass for each body: add a line \"masses = ...\" "
               "to the configuration";
    // G is mu over the sun's mass: without a sun it is not known.
    if ((kind == QuantityKind::SystemEnergy || kind == QuantityKind::RunEnergy) &&
        !(source.masses.front() > 0))
        return "the system's energy takes G from mu and the sun's mass, and this system has no sun (\"sun "
               "mass = 0\")";
    return {};
}

namespace {

SeriesExport Refused(std::string problem, int status) {
    SeriesExport refused;
    refused.problem = std::move(problem);
    refused.status = status;
    return refused;
}

/// The export's notes (SeriesExport::notes) on the series `asked` of
/// `source`, whose values and error ratios are `series` and `ratios`.
std::vector<std::string> ExportNotes(const SimulationState& s, const SeriesSource& source,
                                     const QuantityList& asked, std::optional<double> gm,
                                     const std::vector<std::vector<double>>& series,
                                     const std::vector<std::vector<double>>& ratios) {
    std::vector<std::string> notes;
    const auto needs = [&](bool (*test)(QuantityKind)) {
        return std::any_of(asked.quantities.begin(), asked.quantities.end(),
                           [&](const Quantity& q) { return test(q.kind); });
    };
    if (needs(NeedsGm)) notes.push_back(GmNote(s.loaded(), gm, true));
    if (needs(NeedsVelocities))
        if (std::string note = VelocityNote(source, s.loaded().fields.bodyNames); !note.empty())
            notes.push_back(std::move(note));
    for (std::size_t k = 0; k < asked.quantities.size(); ++k) {
        const Quantity& q = asked.quantities[k];
        const SeriesSampling sampling =
            SamplingOf(source, series[k].data(), ratios[k].data(), [&] { return PeriodFor(source, q); });
        if (std::string note = SamplingNote(asked.texts[k], q.kind, sampling, "written as nan");
            !note.empty())
            notes.push_back(std::move(note));
    }
    return notes;
}

}  // namespace

SeriesExport ExportSeries(const SimulationState& s, std::string_view list, std::optional<double> gm,
                          const std::string& path) {
    const LoadedSimulation& loaded = s.loaded();
    const QuantityList asked = ParseQuantities(list, loaded.usableBodies(), loaded.fields.bodyNames);
    if (!asked.error.empty()) return Refused("--plot: " + asked.error, 2);
    const SeriesSource source = SeriesSourceOf(s, gm);
    for (std::size_t k = 0; k < asked.quantities.size(); ++k) {
        const QuantityKind kind = asked.quantities[k].kind;
        const std::string& text = asked.texts[k];
        if (const std::string lack = SeriesLack(kind, source); !lack.empty())
            return Refused("--plot " + text + ": " + lack, 2);
    }
    std::vector<std::vector<double>> series;
    std::vector<std::string> headings;
    const std::string& length = loaded.fields.lengthUnit;
    const std::string& time = loaded.fields.timeUnit;
    std::vector<std::vector<double>> ratios(asked.quantities.size(),
                                            std::vector<double>(std::size_t(source.rows)));
    std::vector<double*> outs, ratioOuts;
    series.reserve(asked.quantities.size());
    for (std::size_t k = 0; k < asked.quantities.size(); ++k) {
        series.emplace_back(std::size_t(source.rows));
        outs.push_back(series.back().data());
        ratioOuts.push_back(ratios[k].data());
        headings.push_back(
            SeriesHeading(asked.texts[k], QuantityUnit(asked.quantities[k].kind, length, time)));
    }
    ComputeSeries(source, asked.quantities, 0, source.rows, outs, ratioOuts);
    SeriesExport done;
    done.notes = ExportNotes(s, source, asked, gm, series, ratios);
    for (std::size_t k = 0; k < series.size(); ++k)
        for (std::size_t r = 0; r < series[k].size(); ++r)
            if (Unsure(ratios[k][r])) series[k][r] = std::numeric_limits<double>::quiet_NaN();
    OutputFile out(path, LoadedDataFiles(s));
    std::string problem = out.Open();
    if (problem.empty())
        problem =
            WriteSeriesTable(out, *source.table, source.rows, SeriesHeading("t", time), headings, series);
    if (problem.empty()) problem = out.Commit();
    if (!problem.empty()) return Refused(problem, 1);
    return done;
}
