#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orbit_elements.h"

class TrajectoryTable;

// Series derived from the rows, one value a row: a body's distance from the
// sun, speed, osculating elements and specific energy; two bodies'
// separation; the system's energy and angular momentum, as their relative
// change from the first row. Rows whose positions are not finite (or whose
// neighbours a velocity needs are not) give values that are not numbers: a
// gap, never a wrong number.

enum class QuantityKind {
    Distance,       ///< r:N, from the sun
    Speed,          ///< v:N
    SemiMajorAxis,  ///< a:N
    Eccentricity,   ///< e:N
    Pericentre,     ///< omega:N, the argument of pericentre, in degrees
    Inclination,    ///< i:N, in degrees
    Node,           ///< node:N, the longitude of the ascending node, in degrees
    Energy,         ///< eps:N, the specific orbital energy
    Separation,     ///< sep:I-J
    SystemEnergy,   ///< energy: (E - E0) / |E0|
    SystemMomentum  ///< momentum: |L - L0| / |L0|
};

struct Quantity {
    QuantityKind kind = QuantityKind::Distance;
    int body = 0;   ///< the body (the first of a pair)
    int other = 0;  ///< the second of a pair
    bool operator==(const Quantity&) const = default;
};

/// Whether the quantity needs the sun's gravitational parameter mu.
bool NeedsGm(QuantityKind kind);
/// Whether the quantity needs every body's mass.
bool NeedsMasses(QuantityKind kind);

struct QuantityList {
    std::vector<Quantity> quantities;
    std::vector<std::string> texts;  ///< each as written in the list, trimmed
    std::string error;               ///< why the text is not a list, naming the item
};

/// Reads a comma-separated list such as "r:1,e:Mars,sep:1-2,energy": the
/// bodies by number (1 to `bodies`) or by name, in any case.
QuantityList ParseQuantities(std::string_view text, int bodies, const std::vector<std::string>& names);

/// The quantity as the list writes it, its bodies by number: "a:1".
std::string QuantityText(const Quantity& q);

/// The unit of the quantity's values for data in `lengthUnit` and
/// `timeUnit` (empty when they are unsaid and the quantity has one): "AU",
/// "AU/yr", "deg", "AU^2/yr^2"; empty for the ratios.
std::string QuantityUnit(QuantityKind kind, std::string_view lengthUnit, std::string_view timeUnit);

/// The rows a velocity at one row is taken from and their weights, the same
/// for every body of the row: the kVelocityRows rows of VelocityWindow
/// (every row of a shorter table), so that near the ends the difference
/// moves to one side rather than shrinking in order.
struct VelocityStencil {
    int32_t first = 0;
    std::size_t count = 0;
    std::array<double, kVelocityRows> weights{};

    /// For `row` of the first `rows` rows of `table`; false when the times
    /// give no difference: fewer than 2 rows, two equal times, one not finite.
    bool Make(const TrajectoryTable& table, int32_t rows, int32_t row);
    /// Body `body`'s velocity; false when a position it needs is not finite.
    bool Velocity(const TrajectoryTable& table, int body, double& vx, double& vy) const;
};

/// Body `body`'s velocity (vx, vy) at `row` of the first `rows` rows of
/// `table`, as every series and readout takes it; none when VelocityStencil
/// gives none.
std::optional<std::array<double, 2>> VelocityAt(const TrajectoryTable& table, int32_t rows, int body,
                                                int32_t row);

/// What a series is computed from: the rows 0 to rows - 1 of `table` (the
/// positions about the sun, or in the frame shown for the distance),
/// mu in the data's units (not a number when unknown), and the sun's mass
/// then each body's (empty when not all are given); G is mu over the sun's.
struct SeriesSource {
    const TrajectoryTable* table = nullptr;
    int32_t rows = 0;
    double gm = 0;
    std::vector<double> masses;
};

/// The values of `q` for rows [first, last) into out[0 .. last - first),
/// computed on every processor for many rows. Values that need mu or the
/// masses are not numbers without them.
void ComputeSeries(const SeriesSource& source, const Quantity& q, int32_t first, int32_t last, double* out);

/// The values of each quantity of `quantities` for rows [first, last) into
/// outs[k][0 .. last - first), the same to the bit as ComputeSeries of each
/// alone, but sharing what a row's quantities have in common (the
/// velocity's weights), which makes many series at once several times
/// faster.
void ComputeSeries(const SeriesSource& source, std::span<const Quantity> quantities, int32_t first,
                   int32_t last, std::span<double* const> outs);
