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
