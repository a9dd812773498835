#include "panel/series_export.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/series_source.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "panel/series_notes.h"
#include "simulation/orbit_elements.h"
#include "simulation/output_file.h"
#include "simulation/reference_frame.h"
#include "simulation/series_table.h"

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
