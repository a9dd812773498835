#pragma once
#include <cstddef>
#include <optional>
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

/// The first row of the kVelocityRows rows the velocity at `row` of `rows`
/// is taken from: centred on it, moved inward at the ends.
std::size_t VelocityWindow(std::size_t row, std::size_t rows);

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

/// How much of the elements ElementsOf works out: the energy and a; those
/// and e; or all of them. The ones left out stay 0, the others are the same
/// to the bit either way.
enum class ElementsWanted { Size, Shape, All };

/// The elements of the orbit through position `r` with velocity `v` about a
/// sun of gravitational parameter `mu`. Each is not a number where it is not
/// defined: all of them when mu is not above 0 or a value is not finite,
/// the angles of the pericentre on a circle (e below 1e-10), and the node on
/// a line through the sun.
OrbitElements ElementsOf(Vector3 r, Vector3 v, double mu, ElementsWanted wanted = ElementsWanted::All);

/// mu for data in `lengthUnit` and `timeUnit` when the pair is known: AU
/// with years 4 pi^2, AU with days the Gaussian constant squared
/// (2.959122082855911e-4); none otherwise.
std::optional<double> InferredGm(std::string_view lengthUnit, std::string_view timeUnit);
