#include "quantity_info.h"

#include <array>

namespace {

using K = QuantityKind;
using U = QuantityUnitForm;
using T = QuantityTolerance;

// kind, name, symbol, unit, tolerance,
//     system, runs, mu, masses, velocities, circular
constexpr std::array<QuantityInfo, 15> kQuantities{{
    {K::Distance, "r", "r", U::Length, T::None, false, false, false, false, false, false},
    {K::Speed, "v", "v", U::Speed, T::OfValue, false, false, false, false, true, false},
    {K::SemiMajorAxis, "a", "a", U::Length, T::OfValue, false, false, true, false, true, false},
    {K::Eccentricity, "e", "e", U::None, T::Absolute, false, false, true, false, true, false},
    {K::Pericentre, "omega", "\u03c9", U::Degrees, T::Angle, false, false, true, false, true, true},
    {K::Inclination, "i", "i", U::Degrees, T::Angle, false, false, true, false, true, false},
    {K::Node, "node", "\u03a9", U::Degrees, T::Angle, false, false, true, false, true, true},
    {K::Energy, "eps", "\u03b5", U::SpecificEnergy, T::OfValue, false, false, true, false, true, false},
    {K::Separation, "sep", "separation", U::Length, T::None, false, false, false, false, false, false},
    {K::SystemEnergy, "energy", "\u0394E/|E\u2080|", U::None, T::System, true, false, true, true, true,
     false},
    {K::SystemMomentum, "momentum", "|\u0394L|/|L\u2080|", U::None, T::System, true, false, false, true, true,
     false},
    // Between the first two runs, the second's values taken between its
    // rows at the first's times.
    {K::RunDistance, "diff", "|r\u2081 \u2212 r\u2082|", U::Length, T::None, false, true, false, false, false,
     false},
    {K::RunSemiMajorAxis, "diff-a", "a\u2081 \u2212 a\u2082", U::Length, T::OfValue, false, true, true, false,
     true, false},
    {K::RunEccentricity, "diff-e", "e\u2081 \u2212 e\u2082", U::None, T::Absolute, false, true, true, false,
     true, false},
    {K::RunEnergy, "diff-energy", "\u0394E\u2081 \u2212 \u0394E\u2082", U::None, T::System, true, true, true,
     true, true, false},
}};

constexpr bool InKindOrder() {
    for (std::size_t i = 0; i < kQuantities.size(); ++i)
        if (kQuantities[i].kind != QuantityKind(i)) return false;
    return true;
}
static_assert(InKindOrder(), "the table holds the kinds in their order");

}  // namespace

std::span<const QuantityInfo> AllQuantities() { return kQuantities; }

const QuantityInfo& InfoOf(QuantityKind kind) { return kQuantities[std::size_t(kind)]; }
