#include "animation/series_source.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "simulation/configuration_keys.h"
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
                        .depth = loaded.depth.get()};
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
        return std::string("the system's energy and momentum need a mass for each body: ") + kMassesAdvice;
    // G is mu over the sun's mass: without a sun it is not known.
    if ((kind == QuantityKind::SystemEnergy || kind == QuantityKind::RunEnergy) &&
        !(source.masses.front() > 0))
        return "the system's energy takes G from mu and the sun's mass, and this system has no sun (\"sun "
               "mass = 0\")";
    return {};
}
