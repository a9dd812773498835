#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

// The numbers a researcher checks first about an orbit about the sun: the
// velocity from the rows around a row, and the osculating elements and the
// specific energy from a position and a velocity, given the sun's
// gravitational parameter mu = G M in the data's units.

/// Weights w[0..count-1] such that the sum of w[k] f(times[k]) is the first
/// derivative of f at `at`, exact for polynomials of degree count - 1:
/// count rows give a difference of order count - 1, on even or uneven
/// steps, centred or to one side. False when two times coincide, a time is
/// not finite, or count is not 2 to 9.
bool FirstDerivativeWeights(const double* times, std::size_t count, double at, double* weights);

/// Rows a velocity is taken from: seven, a difference of sixth order, so
/// that the elements of the rows of an exact Kepler orbit hold to 1e-9 at a
/// few hundred rows an orbit (2,000 at an eccentricity of 0.6, whose
/// pericentre passes quickly), where a difference of the rows either side
/// misses them by 1e-5 and more.
inline constexpr std::size_t kVelocityRows = 7;

/// Rows the velocity's check is taken from: nine, a difference of eighth
/// order. Where the rows are close enough for the seven-row velocity, this
/// one is closer still (its error is a fraction 2 θ² / 9 of the seven-row
/// one's on even steps, θ the angle the motion turns a row), so that their
/// difference is the seven-row velocity's error to within that fraction.
inline constexpr std::size_t kCheckRows = 9;

/// The first row of the kVelocityRows rows the velocity at `row` of `rows`
/// is taken from: centred on it, moved inward at the ends.
std::size_t VelocityWindow(std::size_t row, std::size_t rows);
/// The same for a difference of `count` rows (at most `rows`).
std::size_t DifferenceWindow(std::size_t row, std::size_t rows, std::size_t count);

struct Vector3 {
    double x = 0, y = 0, z = 0;
};

/// Osculating elements about the sun. Angles in radians, within [0, 2 pi).
struct OrbitElements {
    double a = 0;       ///< semi-major axis; negative on a hyperbola, infinite on a parabola
    double e = 0;       ///< eccentricity
    double i = 0;       ///< inclination to the x-y plane
    double node = 0;    ///< longitude of the ascending node; 0 in the plane (i = 0 or pi)
    double omega = 0;   ///< argument of pericentre; in the plane, from the x axis in the sense of motion
    double energy = 0;  ///< specific orbital energy v^2 / 2 - mu / r
};

/// How much of the elements ElementsOf works out, in rising order: the
/// energy and a; those and e; or all of them. The ones left out stay 0, the
/// others are the same to the bit either way.
enum class ElementsWanted { Size, Shape, All };

/// The elements of the orbit through position `r` with velocity `v` about a
/// sun of gravitational parameter `mu`. Each is not a number where it is not
/// defined: all of them when mu is not UsableGm or a value is not finite,
/// the angles of the pericentre on a circle (e below 1e-10), and the node on
/// a line through the sun.
OrbitElements ElementsOf(Vector3 r, Vector3 v, double mu, ElementsWanted wanted = ElementsWanted::All);

/// mu for data in `lengthUnit` and `timeUnit` when the pair is known: AU
/// with days the Gaussian constant squared, k^2 = 2.959122082855911e-4;
/// AU with years k^2 x 365.25^2 (39.476926...), the year of 365.25 days
/// that Julian dates and ephemerides count in, so that one table gives the
/// same orbits in days and in years; none otherwise.
std::optional<double> InferredGm(std::string_view lengthUnit, std::string_view timeUnit);

/// How InferredGm found mu for the units, for the notes that show it:
/// "k² × 365.25²", and `explained` "k² × 365.25² (k the Gaussian
/// constant, years of 365.25 days)"; empty when it finds none.
std::string InferredGmRule(std::string_view lengthUnit, std::string_view timeUnit, bool explained);

/// Whether `mu` is one the elements can be worked out with: above 0,
/// finite and a normal double (1 / mu is then finite too).
inline bool UsableGm(double mu) { return mu > 0 && std::isnormal(mu); }

// ElementsOf is defined here so that the loops of the series over their
// rows take it in: a third less time for the elements of many rows.

namespace orbit_detail {

// The vector steps over any vector of x, y and z and any number type with
// the arithmetic of double (double, and DoublePair for two at once).
template <class V>
V Cross(const V& a, const V& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
template <class V>
auto Dot(const V& a, const V& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double Sqrt(double a) { return std::sqrt(a); }
inline double Where(bool holds, double yes, double no) { return holds ? yes : no; }
template <class V>
auto Length(const V& a) {
    return Sqrt(Dot(a, a));
}

/// An angle within [0, 2 pi): a tiny negative one, which 2 pi added to it
/// rounds to 2 pi, is 0.
inline double Turned(double angle) {
    const double turn = 2 * std::numbers::pi;
    angle = std::fmod(angle, turn);
    if (angle < 0) angle += turn;
    return angle < turn ? angle : 0.0;
}

/// Whether ElementsOf has elements for a position at `distance` with the
/// square of the speed `speed2`: not where any of them is not a number.
inline bool ElementsDefined(double mu, double distance, double speed2) {
    return UsableGm(mu) && std::isfinite(distance) && std::isfinite(speed2) && distance > 0;
}

/// The energy, a and e of ElementsOf and the vectors its angles come from.
template <class N, class V>
struct SizeAndShape {
    N energy, a, e;
    V h, ev;
};

/// The part of ElementsOf that needs no more than arithmetic and square
/// roots, written once over the number type so that two bodies can be
/// worked out at once with the same bits as one. `perMu` is 1 / mu,
/// `distance` the length of r and `speed2` the square of v's; e and the
/// vectors are left out when `wanted` is Size.
template <class N, class V>
SizeAndShape<N, V> SizeAndShapeOf(const V& r, const V& v, N mu, N perMu, N distance, N speed2,
                                  ElementsWanted wanted) {
    SizeAndShape<N, V> out{};
    // Divisions are the slowest steps here: one, then products.
    const N perDistance = 1.0 / distance;
    out.energy = speed2 / 2.0 - mu * perDistance;
    // a = -mu / (2 energy) = 1 / (2 / r - v^2 / mu): the second has no
    // product of mu, which overflows for a mu near the doubles' largest
    // (the energy's own range aside).
    const N reciprocal = 2.0 * perDistance - speed2 * perMu;
    out.a = Where(reciprocal == 0.0, N(std::numeric_limits<double>::infinity()), 1.0 / reciprocal);
    if (wanted == ElementsWanted::Size) return out;
    out.h = Cross(r, v);
    // The eccentricity vector points to the pericentre.
    const V vh = Cross(v, out.h);
    out.ev = V{vh.x * perMu - r.x * perDistance, vh.y * perMu - r.y * perDistance,
               vh.z * perMu - r.z * perDistance};
    out.e = Length(out.ev);
    return out;
}

}  // namespace orbit_detail

inline OrbitElements ElementsOf(Vector3 r, Vector3 v, double mu, ElementsWanted wanted) {
    using namespace orbit_detail;
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double distance = Length(r), speed2 = Dot(v, v);
    if (!ElementsDefined(mu, distance, speed2)) return {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    const SizeAndShape<double, Vector3> size = SizeAndShapeOf(r, v, mu, 1 / mu, distance, speed2, wanted);
    OrbitElements out;
    out.energy = size.energy;
    out.a = size.a;
    if (wanted == ElementsWanted::Size) return out;
    out.e = size.e;
    if (wanted == ElementsWanted::Shape) return out;
    const Vector3 h = size.h, ev = size.ev;
    const double hLength = Length(h);
    if (!(hLength > 0)) {  // on a line through the sun: no plane
        out.i = out.node = out.omega = kNaN;
        return out;
    }
    out.i = std::acos(std::clamp(h.z / hLength, -1.0, 1.0));
    // The node line, where the orbit rises through the x-y plane.
    const Vector3 n{-h.y, h.x, 0};
    const double nLength = Length(n);
    const bool inPlane = nLength <= 1e-12 * hLength;
    out.node = inPlane ? 0 : Turned(std::atan2(n.y, n.x));
    if (out.e < 1e-10) {
        out.omega = kNaN;
    } else if (inPlane) {
        // From the x axis, in the sense of the motion.
        out.omega = Turned(std::atan2(h.z >= 0 ? ev.y : -ev.y, ev.x));
    } else {
        const Vector3 unitH{h.x / hLength, h.y / hLength, h.z / hLength};
        out.omega = Turned(std::atan2(Dot(unitH, Cross(n, ev)) / nLength, Dot(n, ev) / nLength));
    }
    return out;
}
