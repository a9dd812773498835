#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulation/derived_series.h"

struct LoadedSimulation;
struct SimulationState;

/// The sun's gravitational parameter for the loaded data: `given` (--gm),
/// else the configuration's line, else the one its units imply (AU with yr
/// or d); none otherwise.
std::optional<double> GmOf(const LoadedSimulation& loaded, std::optional<double> given);

/// What the notes say of GmOf's mu: "μ = 39.4769264 AU³/yr², from AU and
/// yr: k² × 365.25²" (and what k is, `explained`), "..., as given" or
/// "..., from the configuration's gm line"; empty without one.
std::string GmNote(const LoadedSimulation& loaded, std::optional<double> given, bool explained);

/// What the loaded data's series are computed from: its rows about the sun,
/// mu as GmOf gives it (not a number without), the masses when every
/// body has one, and with three coordinates a body the depths off the plane
/// shown.
SeriesSource SeriesSourceOf(const SimulationState& state, std::optional<double> gm);

/// Why the quantity cannot be had from `source` (what to give for it: mu
/// or the masses); empty when it can.
std::string SeriesLack(QuantityKind kind, const SeriesSource& source);

/// What writing the series came to: a problem to print (empty when
/// written) and the exit status, 2 for a list the data cannot give, 1 for a
/// file that cannot be written.
struct SeriesExport {
    std::string problem;
    int status = 0;
    /// What the numbers written come from and where they are left out, a
    /// line each, for the standard error (SeriesNotes).
    std::vector<std::string> notes;
};

/// Writes the series `list` names (ParseQuantities) of the loaded data as a
/// CSV table to `path`: the time, then a column a series headed as asked
/// with its unit ("a:1 [AU]"). Refuses a list that needs mu or masses the
/// data lacks, saying what to give; leaves no file when a write fails.
/// Values not to be trusted (Unsure) are written as "nan", as the panel
/// shows them apart, and the notes say how many and why.
SeriesExport ExportSeries(const SimulationState& state, std::string_view list, std::optional<double> gm,
                          const std::string& path);
