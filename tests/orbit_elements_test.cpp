// Velocities from the rows around a row and the osculating elements, against
// independent formulas: polynomials' derivatives, and Kepler orbits solved
// from Kepler's equation whose elements are known.

#include "simulation/orbit_elements.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(OrbitElements, DerivativeWeightsAreExactForPolynomialsOfTheirDegree) {
    // Even and uneven steps, the point inside, at an end and off the rows.
    const std::vector<std::vector<double>> grids = {{0, 1},
                                                    {-1, 0, 1},
                                                    {0, 0.5, 2, 2.25, 5},
                                                    {-3, -2, -1, 0, 1, 2, 3},
                                                    {1e6, 1e6 + 0.1, 1e6 + 0.3, 1e6 + 0.35}};
    for (const auto& times : grids) {
        const std::size_t n = times.size();
        for (const double at : {times.front(), times[n / 2], times.back(), times.back() + 0.5}) {
            std::vector<double> w(n);
            ASSERT_TRUE(FirstDerivativeWeights(times.data(), n, at, w.data()));
            // f(t) = (t - c)^p for every p below n, c near the rows so that
            // the values stay of a size.
            const double c = times.front() - 0.7;
            for (std::size_t p = 0; p < n; ++p) {
                double sum = 0, scale = 0;
                for (std::size_t k = 0; k < n; ++k) {
                    sum += w[k] * std::pow(times[k] - c, double(p));
                    scale += std::fabs(w[k] * std::pow(times[k] - c, double(p)));
                }
                const double want = p == 0 ? 0 : double(p) * std::pow(at - c, double(p - 1));
                EXPECT_NEAR(sum, want, 1e-9 * std::max(1.0, scale))
                    << "degree " << p << " of " << n << " rows";
            }
        }
    }
    double w[3];
    const double twice[] = {0, 1, 1}, notANumber[] = {0, NAN, 1};
    EXPECT_FALSE(FirstDerivativeWeights(twice, 3, 0, w));
    EXPECT_FALSE(FirstDerivativeWeights(notANumber, 3, 0, w));
    EXPECT_FALSE(FirstDerivativeWeights(twice, 1, 0, w));
}

TEST(OrbitElements, VelocityWindowsStayWithinTheRows) {
    for (const auto& [row, rows, first] : std::vector<std::array<std::size_t, 3>>{
             {0, 100, 0}, {3, 100, 0}, {4, 100, 1}, {50, 100, 47}, {99, 100, 93}, {2, 5, 0}, {6, 7, 0}})
        EXPECT_EQ(VelocityWindow(row, rows), first) << row << " of " << rows;
}

/// A Kepler orbit with known elements, sampled by solving Kepler's equation.
struct Kepler {
    double mu, a, e, i, node, omega;
    Vector3 At(double t, Vector3* velocity = nullptr) const {
        const double n = std::sqrt(mu / (a * a * a)), m = n * t;
        double big = m;  // eccentric anomaly
        for (int k = 0; k < 50; ++k) big -= (big - e * std::sin(big) - m) / (1 - e * std::cos(big));
        const double b = a * std::sqrt(1 - e * e);
        const double px = a * (std::cos(big) - e), py = b * std::sin(big);
        const double rate = n / (1 - e * std::cos(big));
        const double vx = -a * std::sin(big) * rate, vy = b * std::cos(big) * rate;
        const auto turn = [&](double x, double y) {
            // Perifocal to the x-y frame: by omega, then i about the node line, then the node.
            const double co = std::cos(omega), so = std::sin(omega), ci = std::cos(i), si = std::sin(i);
            const double cn = std::cos(node), sn = std::sin(node);
            const double x1 = co * x - so * y, y1 = so * x + co * y;
            const double y2 = ci * y1, z2 = si * y1;
            return Vector3{cn * x1 - sn * y2, sn * x1 + cn * y2, z2};
        };
        if (velocity) *velocity = turn(vx, vy);
        return turn(px, py);
    }
};

/// The elements at `row` of `rows` rows per orbit, the velocity from the
/// rows' positions with `count` rows (centred).
OrbitElements FromRows(const Kepler& k, int rowsPerOrbit, int row, std::size_t count) {
    const double period = 2 * kPi * std::sqrt(k.a * k.a * k.a / k.mu), dt = period / rowsPerOrbit;
    std::vector<double> times(count), w(count);
    Vector3 v{};
    for (std::size_t j = 0; j < count; ++j) times[j] = (row - int(count / 2) + int(j)) * dt;
    EXPECT_TRUE(FirstDerivativeWeights(times.data(), count, row * dt, w.data()));
    for (std::size_t j = 0; j < count; ++j) {
        const Vector3 p = k.At(times[j]);
        v.x += w[j] * p.x, v.y += w[j] * p.y, v.z += w[j] * p.z;
    }
    return ElementsOf(k.At(row * dt), v, k.mu);
}

TEST(OrbitElements, TheRowsOfAKeplerOrbitGiveItsElements) {
    // Rows an orbit: a few hundred, more for a pericentre passed quickly.
    const std::pair<Kepler, int> orbits[] = {
        {{4 * kPi * kPi, 1.0, 0.0167, 0, 0, 1.8}, 200},                // the Earth's, AU and years
        {{1.0, 2.5, 0.3, 0.4, 1.2, 2.2}, 400},                         // inclined
        {{2.959122082855911e-4, 1.52, 0.093, 0.032, 0.86, 5.0}, 300},  // Mars-like, AU and days
        {{1.0, 1.0, 0.6, 2.8, 4.0, 0.3}, 2000},                        // retrograde, eccentric
    };
    for (const auto& [k, rows] : orbits)
        for (int row = 0; row < rows; row += rows / 11 + 1) {
            const OrbitElements got = FromRows(k, rows, row, kVelocityRows);
            EXPECT_NEAR(got.a / k.a, 1, 1e-9) << "a, e = " << k.e << ", row " << row;
            EXPECT_NEAR(got.e, k.e, 1e-9) << "e = " << k.e << ", row " << row;
            EXPECT_NEAR(got.energy, -k.mu / (2 * k.a), 1e-9 * k.mu / k.a);
            EXPECT_NEAR(got.i, k.i, 1e-8);
            if (k.i != 0) EXPECT_NEAR(got.node, k.node, 1e-8);
            EXPECT_NEAR(std::remainder(got.omega - k.omega, 2 * kPi), 0, 1e-6 / k.e);
        }
    // Two rows either side do not hold the elements to anything like that.
    const auto& [eccentric, rows] = orbits[3];
    EXPECT_GT(std::fabs(FromRows(eccentric, rows, 0, 3).e - eccentric.e), 1e-5);
}

TEST(OrbitElements, UndefinedElementsAreNotNumbers) {
    const double mu = 1;
    // A circle: no pericentre.
    const OrbitElements circle = ElementsOf({1, 0, 0}, {0, 1, 0}, mu);
    EXPECT_NEAR(circle.a, 1, 1e-15);
    EXPECT_NEAR(circle.e, 0, 1e-15);
    EXPECT_TRUE(std::isnan(circle.omega));
    EXPECT_EQ(circle.node, 0);
    // A hyperbola: negative a; a parabola: infinite.
    EXPECT_LT(ElementsOf({1, 0, 0}, {0, 2, 0}, mu).a, 0);
    EXPECT_TRUE(std::isinf(ElementsOf({2, 0, 0}, {0, 1, 0}, mu).a));
    // Straight at the sun: no plane.
    const OrbitElements fall = ElementsOf({1, 0, 0}, {-0.5, 0, 0}, mu);
    EXPECT_TRUE(std::isnan(fall.i) && std::isnan(fall.omega));
    EXPECT_NEAR(fall.e, 1, 1e-15);
    // No mu, a body at the sun, a value not finite: nothing.
    for (const OrbitElements& none :
         {ElementsOf({1, 0, 0}, {0, 1, 0}, 0), ElementsOf({0, 0, 0}, {0, 1, 0}, mu),
          ElementsOf({NAN, 0, 0}, {0, 1, 0}, mu), ElementsOf({1, 0, 0}, {0, INFINITY, 0}, mu)})
        EXPECT_TRUE(std::isnan(none.a) && std::isnan(none.e) && std::isnan(none.energy));
    // In the plane, the pericentre from the x axis in the sense of motion:
    // prograde and retrograde orbits with their pericentre on +y.
    EXPECT_NEAR(ElementsOf({0, 1, 0}, {-1.2, 0, 0}, mu).omega, kPi / 2, 1e-12);
    EXPECT_NEAR(ElementsOf({0, 1, 0}, {1.2, 0, 0}, mu).omega, 3 * kPi / 2, 1e-12);
}

TEST(OrbitElements, FewerElementsWantedAreTheSameToTheBit) {
    // An ellipse, a circle, a hyperbola, a line through the sun, an
    // inclined orbit, and a position that is not finite.
    const std::pair<Vector3, Vector3> states[] = {
        {{1, 0, 0}, {0, 1.2, 0}},   {{0, -2, 0}, {std::sqrt(0.5), 0, 0}}, {{0.3, 0.4, 0}, {-3, 2, 0}},
        {{1, 1, 0}, {0.2, 0.2, 0}}, {{1, 0.5, 0.2}, {-0.3, 0.8, 0.4}},    {{NAN, 1, 0}, {0, 1, 0}},
    };
    const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    for (const auto& [r, v] : states) {
        const OrbitElements all = ElementsOf(r, v, 1.3);
        const OrbitElements size = ElementsOf(r, v, 1.3, ElementsWanted::Size);
        const OrbitElements shape = ElementsOf(r, v, 1.3, ElementsWanted::Shape);
        EXPECT_EQ(bits(size.a), bits(all.a)) << r.x;
        EXPECT_EQ(bits(size.energy), bits(all.energy)) << r.x;
        EXPECT_EQ(bits(shape.a), bits(all.a)) << r.x;
        EXPECT_EQ(bits(shape.energy), bits(all.energy)) << r.x;
        EXPECT_EQ(bits(shape.e), bits(all.e)) << r.x;
    }
}

TEST(OrbitElements, MuIsInferredForKnownUnitPairsOnly) {
    struct Case {
        const char *length, *time;
        double mu;  // 0: none
    };
    // A year of 365.25 days, as Julian dates and ephemerides count: the
    // Gaussian constant squared times its days squared, not 4 pi^2.
    constexpr double kJulianYear = 2.959122082855911e-4 * 365.25 * 365.25;
    const Case cases[] = {{"AU", "yr", kJulianYear},
                          {"au", "years", kJulianYear},
                          {"AU", "a", kJulianYear},
                          {"AU", "d", 2.959122082855911e-4},
                          {"AU", "days", 2.959122082855911e-4},
                          {"km", "s", 0},
                          {"AU", "", 0},
                          {"", "yr", 0},
                          {"AU", "s", 0}};
    for (const Case& c : cases) {
        const auto mu = InferredGm(c.length, c.time);
        if (c.mu == 0)
            EXPECT_FALSE(mu) << c.length << " " << c.time;
        else
            EXPECT_DOUBLE_EQ(mu.value_or(0), c.mu) << c.length << " " << c.time;
        // The notes say which rule gave it.
        const std::string rule = InferredGmRule(c.length, c.time, true);
        EXPECT_EQ(rule.empty(), c.mu == 0) << c.length << " " << c.time;
        EXPECT_EQ(rule.find("365.25") != std::string::npos, c.mu == kJulianYear) << rule;
    }
}

// At the ends of the doubles' range: mu near the largest (whose product
// with 2 overflowed in a = -mu / 2 energy, giving a = 0), a mu too small
// for its inverse (refused), and an angle a hair below 0, which 2 pi added
// to rounds to 2 pi itself.
TEST(OrbitElements, ExtremeMuAndAnglesAHairBelowATurn) {
    // a = 1 / (2 / r - v^2 / mu): 0.5 for r = 1 and v far below sqrt(mu).
    EXPECT_NEAR(ElementsOf({1, 0, 0}, {0, 6.28, 0}, 1e308).a, 0.5, 1e-15);
    EXPECT_NEAR(ElementsOf({1, 0, 0}, {0, 6.28, 0}, 1e308).e, 1, 1e-15);
    EXPECT_FALSE(UsableGm(1e-320));
    EXPECT_TRUE(UsableGm(1e-300));
    EXPECT_TRUE(std::isnan(ElementsOf({1, 0, 0}, {0, 1, 0}, 1e-320).e));
    EXPECT_LT(orbit_detail::Turned(-1e-17), 2 * kPi);
    EXPECT_EQ(orbit_detail::Turned(-1e-17), 0);
    EXPECT_EQ(orbit_detail::Turned(-kPi), kPi);
}

}  // namespace
