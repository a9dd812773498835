#include "animation/series_export.h"

#include <cmath>
#include <limits>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "simulation/orbit_elements.h"
#include "simulation/output_file.h"
#include "simulation/reference_frame.h"
#include "simulation/series_table.h"

std::optional<double> GmOf(const LoadedSimulation& loaded, std::optional<double> given) {
    if (given) return given;
    if (loaded.fields.gm) return loaded.fields.gm;
    return InferredGm(loaded.fields.lengthUnit, loaded.fields.timeUnit);
}

SeriesSource SeriesSourceOf(const SimulationState& s, std::optional<double> gm) {
    SeriesSource source{.table = s.loaded.rows.get(),
                        .rows = s.loaded.usableRows(),
                        .gm = GmOf(s.loaded, gm).value_or(std::numeric_limits<double>::quiet_NaN()),
                        .masses = FrameMasses(s.loaded),
                        .depth = s.loaded.depth.get(),
                        .plane = s.loaded.planeShown()};
    // Runs are compared with the first run compared, aligned as shown.
    if (!s.runs.empty() && s.runs.front().alignedWith(s.loaded)) {
        const ComparedRun& run = s.runs.front();
        source.other = std::make_shared<SeriesSource>(SeriesSourceOf(run.state, gm));
        source.between = &run.between;
        source.otherBody.assign(std::size_t(std::max(s.loaded.usableBodies(), 0)) + 1, 0);
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
    if (NeedsGm(kind) && !std::isfinite(source.gm))
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

SeriesExport ExportSeries(const SimulationState& s, std::string_view list, std::optional<double> gm,
                          const std::string& path) {
    const LoadedSimulation& loaded = s.loaded;
    const QuantityList asked = ParseQuantities(list, loaded.usableBodies(), loaded.fields.bodyNames);
    if (!asked.error.empty()) return {"--plot: " + asked.error, 2};
    const SeriesSource source = SeriesSourceOf(s, gm);
    for (std::size_t k = 0; k < asked.quantities.size(); ++k) {
        const QuantityKind kind = asked.quantities[k].kind;
        const std::string& text = asked.texts[k];
        if (const std::string lack = SeriesLack(kind, source); !lack.empty())
            return {"--plot " + text + ": " + lack, 2};
    }
    std::vector<std::vector<double>> series;
    std::vector<std::string> headings;
    const std::string& length = loaded.fields.lengthUnit;
    const std::string& time = loaded.fields.timeUnit;
    std::vector<double*> outs;
    series.reserve(asked.quantities.size());
    for (std::size_t k = 0; k < asked.quantities.size(); ++k) {
        series.emplace_back(std::size_t(source.rows));
        outs.push_back(series.back().data());
        headings.push_back(
            SeriesHeading(asked.texts[k], QuantityUnit(asked.quantities[k].kind, length, time)));
    }
    ComputeSeries(source, asked.quantities, 0, source.rows, outs);
    OutputFile out(path, LoadedDataFiles(s));
    std::string problem = out.Open();
    if (problem.empty())
        problem =
            WriteSeriesTable(out, *source.table, source.rows, SeriesHeading("t", time), headings, series);
    if (problem.empty()) problem = out.Commit();
    if (!problem.empty()) return {problem, 1};
    return {};
}
