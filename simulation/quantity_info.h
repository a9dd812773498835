#pragma once
#include <span>
#include <string_view>

/// The kinds of series derived from the rows (derived_series.h).
enum class QuantityKind {
    Distance,        ///< r:N, from the sun
    Speed,           ///< v:N
    SemiMajorAxis,   ///< a:N
    Eccentricity,    ///< e:N
    Pericentre,      ///< omega:N, the argument of pericentre, in degrees
    Inclination,     ///< i:N, in degrees
    Node,            ///< node:N, the longitude of the ascending node, in degrees
    Energy,          ///< eps:N, the specific orbital energy
    Separation,      ///< sep:I-J
    SystemEnergy,    ///< energy: (E - E0) / |E0|
    SystemMomentum,  ///< momentum: |L - L0| / |L0|
    // Differences between two runs, at the first run's times, the second's
    // values taken linearly between its rows:
    RunDistance,       ///< diff:N, the distance |r1 - r2| between body N's places in the two runs
    RunSemiMajorAxis,  ///< diff-a:N, a1 - a2
    RunEccentricity,   ///< diff-e:N, e1 - e2
    RunEnergy          ///< diff-energy, the difference of the system's energy changes
};

/// What a kind of quantity's values are measured in, for data in a length
/// and a time unit.
enum class QuantityUnitForm {
    None,            ///< a ratio
    Length,          ///< "AU"
    Speed,           ///< "AU/yr"
    Degrees,         ///< "deg"
    SpecificEnergy,  ///< "AU^2/yr^2"
};

/// The error a kind of quantity's value may have from the rows'
/// differences (series_trust.h): none for those of the positions alone.
enum class QuantityTolerance {
    None,
    OfValue,   ///< kBodyTolerance of the value
    Absolute,  ///< kBodyTolerance
    Angle,     ///< kBodyTolerance of a radian
    System,    ///< kSystemTolerance
};

/// Everything the program knows of a kind of quantity, in one place: how
/// the list names it, how the panel writes it, its unit and tolerance, and
/// what its values need.
struct QuantityInfo {
    QuantityKind kind;
    std::string_view name;    ///< as a list writes it: "r", "diff-a"
    std::string_view symbol;  ///< the panel's axis title: "ω"
    QuantityUnitForm unit;
    QuantityTolerance tolerance;
    bool ofSystem;         ///< the whole system's, of no body
    bool comparesRuns;     ///< a difference between two runs
    bool needsGm;          ///< the sun's gravitational parameter mu
    bool needsMasses;      ///< every body's mass
    bool needsVelocities;  ///< the bodies' velocities
    bool circular;         ///< an angle that goes round the circle, 0 to 360
};

/// Every kind, in the order of QuantityKind.
std::span<const QuantityInfo> AllQuantities();
const QuantityInfo& InfoOf(QuantityKind kind);
