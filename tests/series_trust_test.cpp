// Which values of the series can be trusted where the velocities are
// differences of the rows: Kepler ellipses about a sun of mu = 1, sampled
// finely and coarsely, whose values are marked exactly where their error
// from the exact orbit passes the tolerance; with the table's velocity
// columns none are, at any sampling.

#include "simulation/series_trust.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "simulation/trajectory_table.h"
#include "simulation/velocity_table.h"

namespace {

constexpr double kPi = std::numbers::pi;

/// A body on the ellipse of a = 1 and eccentricity e about mu = 1, its
/// pericentre at 60 degrees, at time t: its position and velocity.
std::pair<Vector3, Vector3> OnEllipse(double e, double t) {
    // Kepler's equation by Newton's steps from Danby's start, which
    // converge at every eccentricity below 1.
    const double m = std::remainder(t, 2 * kPi);
    double big = m + 0.85 * e * (m < 0 ? -1 : 1);
    for (int i = 0; i < 60; ++i) {
        const double step = (big - e * std::sin(big) - m) / (1 - e * std::cos(big));
        big -= step;
        if (std::fabs(step) < 1e-15) break;
    }
    const double b = std::sqrt(1 - e * e), rate = 1 / (1 - e * std::cos(big));
    const double x = std::cos(big) - e, y = b * std::sin(big);
    const double vx = -std::sin(big) * rate, vy = b * std::cos(big) * rate;
    const double c = std::cos(kPi / 3), s = std::sin(kPi / 3);
    return {{c * x - s * y, s * x + c * y, 0}, {c * vx - s * vy, s * vx + c * vy, 0}};
}

/// Rows of bodies on ellipses of eccentricities `es`, `perOrbit` rows an
/// orbit for `rows` rows, each body starting a little further round; with
/// `columns`, the velocities beside them as a table's velocity columns.
struct Sampled {
    std::vector<double> es;
    int32_t rows;
    double step, phase;
    std::unique_ptr<TrajectoryTable> table;
    std::unique_ptr<VelocityTable> velocity;

    Sampled(std::vector<double> eccentricities, double perOrbit, int32_t n, bool columns, double start = 0.3)
        : es(std::move(eccentricities)), rows(n), step(2 * kPi / perOrbit), phase(start) {
        const int32_t bodies = int32_t(es.size());
        table = AllocateTable(n, 1 + 2 * bodies);
        std::vector<double> given;
        for (int32_t r = 0; r < n; ++r) {
            table->set(r, 0, r * step);
            for (int32_t k = 1; k <= bodies; ++k) {
                const auto [p, v] = OnEllipse(es[std::size_t(k - 1)], r * step + phase * k);
                table->set(r, 2 * k - 1, p.x);
                table->set(r, 2 * k, p.y);
                given.insert(given.end(), {v.x, v.y, v.z});
            }
        }
        if (!columns) return;
        velocity = AllocateVelocityCapacity(n, std::vector<bool>(es.size(), true), n);
        velocity->Store(0, given.data(), given.size());
    }
    SeriesSource Source() const {
        SeriesSource s{table.get(), rows, 1, std::vector<double>(es.size() + 1, 1e-15)};
        s.masses[0] = 1;
        s.velocity = velocity.get();
        return s;
    }
    /// The exact value of `q` at row r.
    double Exact(const Quantity& q, int32_t r) const {
        const double e = es[std::size_t(q.body - 1)];
        switch (q.kind) {
            case QuantityKind::Speed: {
                const Vector3 v = OnEllipse(e, r * step + phase * q.body).second;
                return std::hypot(v.x, v.y);
            }
            case QuantityKind::SemiMajorAxis:
                return 1;
            case QuantityKind::Eccentricity:
                return e;
            case QuantityKind::Energy:
                return -0.5;
            case QuantityKind::Pericentre:
                return 60;
            default:
                return 0;  // the system's changes: none, the bodies' pulls on each other too small to count
        }
    }
};

/// The error of `value` from `exact` as a fraction of its tolerance.
double TrueRatio(QuantityKind kind, double value, double exact) {
    double difference = std::fabs(value - exact);
    if (kind == QuantityKind::Pericentre) difference = std::min(difference, 360 - difference);
    return difference / ToleranceOf(kind, value);
}

/// The quantities checked of body 1 of `sampled`: its speed and elements
/// (omega where it has a pericentre) and the system's energy.
std::vector<Quantity> Checked(const Sampled& sampled) {
    std::vector<Quantity> quantities;
    for (const QuantityKind kind :
         {QuantityKind::Speed, QuantityKind::SemiMajorAxis, QuantityKind::Eccentricity, QuantityKind::Energy,
          QuantityKind::Pericentre, QuantityKind::SystemEnergy})
        if (kind != QuantityKind::Pericentre || sampled.es[0] > 0) quantities.push_back({kind, 1});
    return quantities;
}

/// Each row's true error ratio of `q` in `sampled`, and the ratio ComputeSeries estimates.
struct Ratios {
    std::vector<double> truth, estimated;
};
Ratios RatiosOf(const Sampled& sampled, const Quantity& q) {
    const std::size_t n = std::size_t(sampled.rows);
    std::vector<double> values(n);
    Ratios out{std::vector<double>(n), std::vector<double>(n)};
    ComputeSeries(sampled.Source(), q, 0, sampled.rows, values.data(), out.estimated.data());
    for (int32_t r = 0; r < sampled.rows; ++r)
        out.truth[std::size_t(r)] = TrueRatio(q.kind, values[std::size_t(r)], sampled.Exact(q, r));
    return out;
}

// Orbits of every eccentricity to 0.999, from 2 rows an orbit (which alias
// the motion) to 1,000, at three phases, the second body of the system on
// e = 0.1. The error tolerance is 1e-6 of v, a and eps, 1e-6 of e and a
// radian, and 1e-9 for the system's energy change (series_trust.h); the
// estimate is the checks' difference over (1 - their convergence),
// enveloped over each row's neighbours. No value past the tolerance goes
// unmarked. Values marked within it stand at the edges of the stretches
// the rows are too far apart for, within two rows of one past a fifth of
// it: where the error of the value or of the check changes sign, and at
// the table's ends, whose checks cannot be centred.
TEST(SeriesTrust, ValuesAreMarkedWhereTheirErrorPassesTheToleranceAndOnlyBesideThose) {
    const double eccentricities[] = {0, 0.2, 0.6, 0.9, 0.99, 0.999};
    const double perOrbit[] = {2, 3, 8.8, 12, 17.6, 40, 100, 300, 1000};
    int past = 0, marked = 0;
    for (const double phase : {0.3, 2.0, -1.1})
        for (const double e : eccentricities)
            for (const double n : perOrbit) {
                SCOPED_TRACE(testing::Message()
                             << "e " << e << ", " << n << " rows an orbit, phase " << phase);
                const Sampled sampled({e, 0.1}, n, std::max(int32_t(std::ceil(1.25 * n)), 30), false, phase);
                for (const Quantity& q : Checked(sampled)) {
                    const Ratios ratios = RatiosOf(sampled, q);
                    for (int32_t r = 0; r < sampled.rows; ++r) {
                        const double truth = ratios.truth[std::size_t(r)];
                        const bool unsure = Unsure(ratios.estimated[std::size_t(r)]);
                        past += truth > 1, marked += unsure;
                        if (truth > 1)
                            ASSERT_TRUE(unsure) << QuantityText(q) << " row " << r << ": true " << truth
                                                << ", estimated " << ratios.estimated[std::size_t(r)];
                        if (!unsure || truth > 1) continue;
                        double near = 0;
                        for (int32_t k = std::max(r - 2, 0); k <= std::min(r + 2, sampled.rows - 1); ++k)
                            near = std::max(near, ratios.truth[std::size_t(k)]);
                        ASSERT_GT(near, 0.2) << QuantityText(q) << " row " << r << ": true " << truth
                                             << ", estimated " << ratios.estimated[std::size_t(r)];
                    }
                }
            }
    // The marks beyond those past the tolerance are few.
    EXPECT_LT(marked - past, past / 10);
}

// With the table's velocities, nothing is estimated: no value is marked at
// any sampling, and every one is the exact orbit's to the doubles' rounding.
TEST(SeriesTrust, WithVelocityColumnsNoValueIsMarkedAndEveryOneIsExact) {
    for (const double e : {0.0, 0.6, 0.999})
        for (const double n : {2.0, 8.8, 40.0, 1000.0}) {
            SCOPED_TRACE(testing::Message() << "e " << e << ", " << n << " rows an orbit");
            const Sampled sampled({e, 0.1}, n, std::max(int32_t(std::ceil(1.25 * n)), 30), true);
            for (const Quantity& q : Checked(sampled)) {
                const Ratios ratios = RatiosOf(sampled, q);
                for (int32_t r = 0; r < sampled.rows; ++r) {
                    ASSERT_EQ(ratios.estimated[std::size_t(r)], 0) << QuantityText(q) << " row " << r;
                    ASSERT_LT(ratios.truth[std::size_t(r)], 1e-3) << QuantityText(q) << " row " << r;
                }
            }
        }
}

}  // namespace
