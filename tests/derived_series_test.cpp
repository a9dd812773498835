// Series derived from the rows, against direct computations and known
// orbits: the list of quantities as the command line reads it, distances
// and separations, elements that hold on a Kepler orbit, the system's
// energy and angular momentum that hold on two bodies about the sun and
// show a row moved, gaps where positions are not finite, and planar bodies
// worked out two at a time as each alone; orbits in space, whatever plane
// the table holds and the depth beside it.

#include "simulation/derived_series.h"

#include "simulation/orbit_elements.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "simulation/depth_table.h"
#include "simulation/trajectory_table.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DerivedSeries, QuantityListsAreReadByNumberOrNameAndWrittenBack) {
    const std::vector<std::string> names = {"Mercury", "Venus", "Earth"};
    struct Case {
        const char* text;
        std::vector<Quantity> want;  // empty: refused
        const char* error = "";
    };
    const Case cases[] = {
        {"r:1,e:2,sep:1-3,energy",
         {{QuantityKind::Distance, 1},
          {QuantityKind::Eccentricity, 2},
          {QuantityKind::Separation, 1, 3},
          {QuantityKind::SystemEnergy}}},
        {" a:earth , omega:VENUS,momentum ",
         {{QuantityKind::SemiMajorAxis, 3}, {QuantityKind::Pericentre, 2}, {QuantityKind::SystemMomentum}}},
        {"v:3,i:1,node:2,eps:1",
         {{QuantityKind::Speed, 3},
          {QuantityKind::Inclination, 1},
          {QuantityKind::Node, 2},
          {QuantityKind::Energy, 1}}},
        {"r:4", {}, "in 'r:4': no body 4: the bodies are 1 to 3"},
        {"e:Pluto", {}, "no body Pluto: the bodies are 1 to 3 or their names (Mercury, Venus, Earth)"},
        {"r,energy",
         {{QuantityKind::Distance, 1},
          {QuantityKind::Distance, 2},
          {QuantityKind::Distance, 3},
          {QuantityKind::SystemEnergy}}},
        {"sep", {}, "'sep' needs two bodies, as in sep:1-2"},
        {"energy:1", {}, "'energy:1' takes no body: the whole system's"},
        {"sep:2-2", {}, "'sep:2-2' names one body twice"},
        {"sep:2", {}, "'sep:2' needs two bodies, as in sep:1-2"},
        {"r:1,,e:1", {}, "an empty item"},
        {"x:1", {}, "'x:1' is not a quantity"},
        {"", {}, "an empty item"},
    };
    for (const Case& c : cases) {
        const QuantityList got = ParseQuantities(c.text, 3, names);
        EXPECT_EQ(got.quantities, c.want) << c.text;
        EXPECT_NE(got.error.find(c.error), std::string::npos) << c.text << ": " << got.error;
        EXPECT_EQ(got.error.empty(), !c.want.empty()) << c.text;
        for (const Quantity& q : got.quantities) {
            const QuantityList again = ParseQuantities(QuantityText(q), 3, {});
            ASSERT_EQ(again.quantities.size(), 1u) << QuantityText(q);
            EXPECT_EQ(again.quantities[0], q) << QuantityText(q);
        }
    }
    EXPECT_EQ(QuantityUnit(QuantityKind::Speed, "AU", "yr"), "AU/yr");
    EXPECT_EQ(QuantityUnit(QuantityKind::Energy, "AU", "d"), "AU^2/d^2");
    EXPECT_EQ(QuantityUnit(QuantityKind::Speed, "", "yr"), "");
    EXPECT_EQ(QuantityUnit(QuantityKind::Node, "", ""), "deg");
}

/// Two bodies on circles and ellipses about a sun of mu = 1 (no mutual
/// pull: their masses are too small to matter at this accuracy), as rows.
struct TwoBodies {
    int32_t rows;
    std::unique_ptr<TrajectoryTable> table;
    double a1 = 1.0, e1 = 0.2, a2 = 1.7, e2 = 0.05;

    explicit TwoBodies(int32_t n) : rows(n), table(AllocateTable(n, 5)) {
        const double dt = 2 * kPi / 500;  // 500 rows an orbit of the first
        for (int32_t r = 0; r < n; ++r) {
            const double t = r * dt;
            table->set(r, 0, t);
            Place(r, 1, a1, e1, 0.3, t);
            Place(r, 2, a2, e2, 2.0, t);
        }
    }
    /// Body k on the orbit of a and e, its pericentre at angle w, at time t.
    void Place(int32_t r, int k, double a, double e, double w, double t) {
        const double m = t / std::sqrt(a * a * a);
        double big = m;
        for (int i = 0; i < 50; ++i) big -= (big - e * std::sin(big) - m) / (1 - e * std::cos(big));
        const double x = a * (std::cos(big) - e), y = a * std::sqrt(1 - e * e) * std::sin(big);
        table->set(r, 2 * k - 1, std::cos(w) * x - std::sin(w) * y);
        table->set(r, 2 * k, std::sin(w) * x + std::cos(w) * y);
    }
    std::vector<double> Series(const Quantity& q, double gm = 1, std::vector<double> masses = {}) const {
        std::vector<double> out(std::size_t(rows), -1);
        ComputeSeries({table.get(), rows, gm, std::move(masses)}, q, 0, rows, out.data());
        return out;
    }
};

TEST(DerivedSeries, DistancesAndSeparationsAreTheDirectOnes) {
    const TwoBodies two(1200);
    const auto r = two.Series({QuantityKind::Distance, 2});
    const auto sep = two.Series({QuantityKind::Separation, 1, 2});
    for (int32_t row = 0; row < two.rows; row += 97) {
        const double* p = two.table->track(1, row);
        const double* q = two.table->track(2, row);
        EXPECT_DOUBLE_EQ(r[std::size_t(row)], std::hypot(q[0], q[1]));
        EXPECT_DOUBLE_EQ(sep[std::size_t(row)], std::hypot(p[0] - q[0], p[1] - q[1]));
    }
    // A part of the rows is its part of the whole.
    std::vector<double> part(10);
    ComputeSeries({two.table.get(), two.rows, 1, {}}, {QuantityKind::Speed, 1}, 600, 610, part.data());
    const auto speed = two.Series({QuantityKind::Speed, 1});
    for (int i = 0; i < 10; ++i) EXPECT_EQ(part[std::size_t(i)], speed[std::size_t(600 + i)]);
}

// A row's value and its error ratio are its own: the same to the bit from
// whichever row the rows asked for start, so that a series extended by
// rows appended is the series computed afresh. Times added up step by step
// through 0 give rows whose times about them are the same to the bit while
// the times themselves, and their differences, are not.
TEST(DerivedSeries, ARowsValuesAreTheSameToTheBitWhicheverRowsAreAsked) {
    TwoBodies two(700);
    double time = -1.7541;
    for (int32_t r = 0; r < two.rows; ++r, time += 0.0503976) two.table->set(r, 0, time);
    const std::vector<Quantity> list = {{QuantityKind::SemiMajorAxis, 1}, {QuantityKind::Eccentricity, 2},
                                        {QuantityKind::Speed, 1},         {QuantityKind::Pericentre, 2},
                                        {QuantityKind::SystemEnergy},     {QuantityKind::SystemMomentum}};
    const SeriesSource source{two.table.get(), two.rows, 1, {1, 1e-3, 2e-3}};
    const auto compute = [&](int32_t first) {
        const std::size_t n = std::size_t(two.rows - first);
        std::vector<std::vector<double>> values(list.size(), std::vector<double>(n)), ratios = values;
        std::vector<double*> outs, ratioOuts;
        for (std::size_t k = 0; k < list.size(); ++k)
            outs.push_back(values[k].data()), ratioOuts.push_back(ratios[k].data());
        ComputeSeries(source, list, first, two.rows, outs, ratioOuts);
        return std::pair{values, ratios};
    };
    const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    const auto [whole, wholeRatios] = compute(0);
    for (const int32_t first : {1, 3, 4, 5, 37, 255, 256, 257, 401, 650, 699}) {
        const auto [part, partRatios] = compute(first);
        for (std::size_t k = 0; k < list.size(); ++k)
            for (int32_t r = first; r < two.rows; ++r) {
                ASSERT_EQ(bits(part[k][std::size_t(r - first)]), bits(whole[k][std::size_t(r)]))
                    << QuantityText(list[k]) << " from row " << first << ", row " << r;
                ASSERT_EQ(bits(partRatios[k][std::size_t(r - first)]), bits(wholeRatios[k][std::size_t(r)]))
                    << QuantityText(list[k]) << " from row " << first << ", row " << r;
            }
    }
}

TEST(DerivedSeries, ElementsHoldOnKeplerOrbitsAtEveryRowEndsIncluded) {
    const TwoBodies two(1200);
    for (const auto& [body, a, e] : {std::tuple{1, two.a1, two.e1}, std::tuple{2, two.a2, two.e2}}) {
        const auto as = two.Series({QuantityKind::SemiMajorAxis, body});
        const auto es = two.Series({QuantityKind::Eccentricity, body});
        const auto eps = two.Series({QuantityKind::Energy, body});
        for (int32_t row = 0; row < two.rows; ++row) {
            ASSERT_NEAR(as[std::size_t(row)] / a, 1, 1e-9) << "body " << body << ", row " << row;
            ASSERT_NEAR(es[std::size_t(row)], e, 1e-9) << "body " << body << ", row " << row;
            ASSERT_NEAR(eps[std::size_t(row)], -1 / (2 * a), 1e-9);
        }
    }
    // Without mu the elements are not numbers; the distance needs none.
    EXPECT_TRUE(std::isnan(two.Series({QuantityKind::Eccentricity, 1}, 0)[5]));
    EXPECT_FALSE(std::isnan(two.Series({QuantityKind::Distance, 1}, 0)[5]));
}

TEST(DerivedSeries, TheSystemsEnergyAndMomentumHoldAndShowARowMoved) {
    TwoBodies two(1200);
    const std::vector<double> masses = {1, 1e-12, 1e-12};  // too small to pull each other
    const auto energy = two.Series({QuantityKind::SystemEnergy}, 1, masses);
    const auto momentum = two.Series({QuantityKind::SystemMomentum}, 1, masses);
    for (int32_t row = 0; row < two.rows; ++row) {
        ASSERT_NEAR(energy[std::size_t(row)], 0, 1e-9) << row;
        ASSERT_NEAR(momentum[std::size_t(row)], 0, 1e-9) << row;
    }
    // Changes from the first row whose velocities and their checks are
    // central differences.
    EXPECT_EQ(energy[kCheckRows / 2], 0);
    EXPECT_EQ(momentum[kCheckRows / 2], 0);
    EXPECT_TRUE(std::isnan(two.Series({QuantityKind::SystemEnergy}, 1, {})[3]));  // no masses
    // The momentum needs no mu, nor a sun of mass: the energy needs both.
    for (const auto& [gm, sun] : {std::pair{kNaN, 1.0}, std::pair{1.0, 0.0}}) {
        EXPECT_NEAR(two.Series({QuantityKind::SystemMomentum}, gm, {sun, 1e-12, 1e-12})[600], 0, 1e-9);
        EXPECT_TRUE(std::isnan(two.Series({QuantityKind::SystemEnergy}, gm, {sun, 1e-12, 1e-12})[600]));
    }
    // A row moved by a millionth of the orbit shows in the rows about it.
    two.table->set(700, 1, two.table->value(700, 1) + 1e-6);
    const auto moved = two.Series({QuantityKind::SystemEnergy}, 1, masses);
    EXPECT_GT(std::fabs(moved[700]), 1e-7);
    EXPECT_NEAR(moved[690], 0, 1e-9);
}

TEST(DerivedSeries, AListOfQuantitiesGivesWhatEachGivesAloneToTheBit) {
    TwoBodies two(1200);
    two.table->set(300, 3, NAN);  // a gap in body 2
    std::vector<Quantity> list;
    for (const int body : {2, 1, 3})  // body 3 is not in the table
        for (const QuantityKind kind :
             {QuantityKind::Eccentricity, QuantityKind::Distance, QuantityKind::Speed,
              QuantityKind::SemiMajorAxis, QuantityKind::Pericentre, QuantityKind::Inclination,
              QuantityKind::Node, QuantityKind::Energy})
            list.push_back({kind, body});
    list.insert(list.begin() + 5, {{QuantityKind::SystemEnergy}, {QuantityKind::Separation, 2, 1}});
    list.push_back({QuantityKind::SystemMomentum});
    // The bodies lifted off the plane, each by its own depth; and depths
    // of too few rows.
    const auto depth = AllocateDepth(1200, 2), short_ = AllocateDepth(1100, 2);
    for (int32_t r = 0; r < 1200; ++r)
        for (int k = 1; k <= 2; ++k) depth->writableTrack(k, r)[0] = 0.1 * k * std::sin(0.01 * r + k);
    struct Case {
        const char* what;
        double gm;
        std::vector<double> masses;
        int32_t first, last;
        const DepthTable* depth = nullptr;
    };
    const Case cases[] = {
        {"every row, mu and masses", 1, {1, 1e-3, 2e-3}, 0, 1200},
        {"rows about the gap and the end, blocks apart", 1, {1, 1e-3, 2e-3}, 250, 1200},
        {"no mu, no masses", 0, {}, 0, 1200},
        {"a few rows at the start", 1, {1, 1e-3, 2e-3}, 0, 5},
        {"in space", 1, {1, 1e-3, 2e-3}, 0, 1200, depth.get()},
        {"depths of too few rows", 1, {1, 1e-3, 2e-3}, 0, 1200, short_.get()},
    };
    const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    for (const Case& c : cases) {
        const SeriesSource source{two.table.get(), two.rows, c.gm, c.masses, c.depth, TablePlane::XZ};
        const std::size_t n = std::size_t(c.last - c.first);
        std::vector<std::vector<double>> together(list.size(), std::vector<double>(n, -1));
        std::vector<double*> outs;
        for (auto& values : together) outs.push_back(values.data());
        ComputeSeries(source, list, c.first, c.last, outs);
        for (std::size_t k = 0; k < list.size(); ++k) {
            std::vector<double> alone(n, -2);
            ComputeSeries(source, list[k], c.first, c.last, alone.data());
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_EQ(bits(together[k][i]), bits(alone[i]))
                    << c.what << ": " << QuantityText(list[k]) << " row " << c.first + int32_t(i);
        }
    }
}

TEST(DerivedSeries, PlanarBodiesWorkedOutSideBySideGiveWhatEachGivesAloneToTheBit) {
    // Three planar bodies: the first two on their orbits with a gap and an
    // infinite position in different rows, the third on the first's orbit
    // but at the sun for a few rows, where it has a distance and no
    // elements while the body beside it has both.
    TwoBodies two(600);
    auto table = AllocateTable(600, 7);
    for (int32_t r = 0; r < 600; ++r)
        for (int column = 0; column < 5; ++column) table->set(r, column, two.table->value(r, column));
    for (int32_t r = 0; r < 600; ++r) {
        const bool atSun = r >= 200 && r < 204;
        table->set(r, 5, atSun ? 0 : table->value(r, 2));
        table->set(r, 6, atSun ? 0 : -table->value(r, 1));
    }
    table->set(300, 3, NAN);
    table->set(400, 2, INFINITY);
    using K = QuantityKind;
    struct Case {
        const char* what;
        std::vector<Quantity> list;
        double gm;
    };
    const Case cases[] = {
        {"a, e, eps and r of each, one left alone",
         {{K::SemiMajorAxis, 1},
          {K::Eccentricity, 1},
          {K::Energy, 1},
          {K::Distance, 1},
          {K::SemiMajorAxis, 2},
          {K::Eccentricity, 2},
          {K::Energy, 2},
          {K::Distance, 2},
          {K::SemiMajorAxis, 3},
          {K::Eccentricity, 3},
          {K::Energy, 3},
          {K::Distance, 3}},
         1},
        {"a beside e, the speed beside the angles",
         {{K::Eccentricity, 3}, {K::SemiMajorAxis, 1}, {K::Speed, 2}, {K::Distance, 3}, {K::Pericentre, 1}},
         1},
        {"no mu: speeds and distances alone",
         {{K::Speed, 1}, {K::Eccentricity, 2}, {K::Distance, 2}, {K::Speed, 3}},
         0},
    };
    const auto bits = [](double v) { return std::bit_cast<uint64_t>(v); };
    for (const Case& c : cases) {
        const SeriesSource source{table.get(), 600, c.gm, {}};
        std::vector<std::vector<double>> together(c.list.size(), std::vector<double>(600, -1));
        std::vector<double*> outs;
        for (auto& values : together) outs.push_back(values.data());
        ComputeSeries(source, c.list, 0, 600, outs);
        for (std::size_t k = 0; k < c.list.size(); ++k) {
            std::vector<double> alone(600, -2);
            ComputeSeries(source, c.list[k], 0, 600, alone.data());
            for (std::size_t i = 0; i < 600; ++i)
                ASSERT_EQ(bits(together[k][i]), bits(alone[i]))
                    << c.what << ": " << QuantityText(c.list[k]) << " row " << i;
        }
    }
}

TEST(DerivedSeries, PositionsNotFiniteGiveGapsAndOnlyThere) {
    // Not a number, and infinite: the distance too is a gap, not infinite.
    for (const double bad : {NAN, INFINITY, -INFINITY}) {
        TwoBodies two(300);
        two.table->set(100, 1, bad);
        const auto r = two.Series({QuantityKind::Distance, 1});
        const auto e = two.Series({QuantityKind::Eccentricity, 1});
        const auto energy = two.Series({QuantityKind::SystemEnergy}, 1, {1, 1e-12, 1e-12});
        for (int32_t row = 90; row < 110; ++row) {
            const bool near = std::abs(row - 100) <= int(kVelocityRows / 2);
            EXPECT_EQ(std::isnan(r[std::size_t(row)]), row == 100) << bad << " " << row;
            EXPECT_EQ(std::isnan(e[std::size_t(row)]), near) << bad << " " << row;
            EXPECT_EQ(std::isnan(energy[std::size_t(row)]), near) << bad << " " << row;
        }
    }
    TwoBodies two(300);
    // A body not in the table, or a single row: gaps.
    EXPECT_TRUE(std::isnan(two.Series({QuantityKind::Distance, 3})[0]));
    std::vector<double> one(1);
    ComputeSeries({two.table.get(), 1, 1, {}}, {QuantityKind::Speed, 1}, 0, 1, one.data());
    EXPECT_TRUE(std::isnan(one[0]));
}

/// An orbit in space about a sun of mu = 1: its elements, angles in degrees.
struct SpaceOrbit {
    double a, e, i, node, omega;

    /// Position and velocity at time t, in the data's axes.
    std::pair<Vector3, Vector3> At(double t) const {
        const double n = 1 / std::sqrt(a * a * a);
        double big = n * t;
        for (int k = 0; k < 50; ++k) big -= (big - e * std::sin(big) - n * t) / (1 - e * std::cos(big));
        const double b = a * std::sqrt(1 - e * e), rate = n / (1 - e * std::cos(big));
        const Vector3 p{a * (std::cos(big) - e), b * std::sin(big), 0};
        const Vector3 v{-a * std::sin(big) * rate, b * std::cos(big) * rate, 0};
        return {Turned(p), Turned(v)};
    }
    /// From the orbit's own plane (pericentre on x) to the data's axes.
    Vector3 Turned(const Vector3& q) const {
        const double w = omega * kPi / 180, o = node * kPi / 180, inc = i * kPi / 180;
        const double x1 = std::cos(w) * q.x - std::sin(w) * q.y, y1 = std::sin(w) * q.x + std::cos(w) * q.y;
        const double y2 = std::cos(inc) * y1, z2 = std::sin(inc) * y1;
        return {std::cos(o) * x1 - std::sin(o) * y2, std::sin(o) * x1 + std::cos(o) * y2, z2};
    }
};

/// The data's axes (0 x, 1 y, 2 z) each plane holds across, up and off it.
struct PlaneAxes {
    TablePlane plane;
    int across, up, off;
};
constexpr PlaneAxes kPlanes[] = {
    {TablePlane::XY, 0, 1, 2}, {TablePlane::XZ, 0, 2, 1}, {TablePlane::YZ, 1, 2, 0}};

double Axis(const Vector3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

/// Bodies on orbits in space as rows on one plane and their depths.
struct SpaceBodies {
    int32_t rows;
    std::unique_ptr<TrajectoryTable> table;
    std::unique_ptr<DepthTable> depth;
    TablePlane plane;

    SpaceBodies(const std::vector<SpaceOrbit>& orbits, const PlaneAxes& axes, int32_t n, double dt)
        : rows(n),
          table(AllocateTable(n, 1 + 2 * int32_t(orbits.size()))),
          depth(AllocateDepth(n, int32_t(orbits.size()))),
          plane(axes.plane) {
        for (int32_t r = 0; r < n; ++r) {
            table->set(r, 0, r * dt);
            for (int32_t k = 1; k <= int32_t(orbits.size()); ++k) {
                const Vector3 p = orbits[std::size_t(k - 1)].At(r * dt).first;
                table->set(r, 2 * k - 1, Axis(p, axes.across));
                table->set(r, 2 * k, Axis(p, axes.up));
                depth->writableTrack(k, r)[0] = Axis(p, axes.off);
            }
        }
    }
    std::vector<double> Series(const Quantity& q, std::vector<double> masses = {}) const {
        std::vector<double> out(std::size_t(rows), -1);
        ComputeSeries({table.get(), rows, 1, std::move(masses), depth.get(), plane}, q, 0, rows, out.data());
        return out;
    }
};

TEST(DerivedSeries, OrbitsInSpaceGiveTheirElementsWhateverPlaneTheTableHolds) {
    const SpaceOrbit orbits[] = {
        {1.0, 0.2, 30, 40, 60},   {1.3, 0.6, 100, 250, 10},  // retrograde, and a quick pericentre
        {0.8, 0.1, 5, 300, 200},  {1.2, 0.3, 0, 0, 70},  // in the x-y plane: no node, the pericentre from x
        {1.1, 0.4, 90, 120, 330},
    };
    for (const SpaceOrbit& o : orbits)
        for (const PlaneAxes& axes : kPlanes) {
            SCOPED_TRACE(testing::Message() << "a " << o.a << ", i " << o.i << ", plane " << int(axes.plane));
            // 2,000 rows an orbit, a little more than one orbit.
            const double dt = 2 * kPi * std::sqrt(o.a * o.a * o.a) / 2000;
            const SpaceBodies one({o}, axes, 2200, dt);
            // The angles to 1e-9 of a radian.
            constexpr double kAngle = 1e-9 * 180 / kPi;
            const struct {
                QuantityKind kind;
                double want, within;
            } elements[] = {
                {QuantityKind::SemiMajorAxis, o.a, 1e-9},    {QuantityKind::Eccentricity, o.e, 1e-9},
                {QuantityKind::Inclination, o.i, kAngle},    {QuantityKind::Node, o.node, kAngle},
                {QuantityKind::Pericentre, o.omega, kAngle}, {QuantityKind::Energy, -1 / (2 * o.a), 1e-9}};
            for (const auto& element : elements) {
                const auto got = one.Series({element.kind, 1});
                for (int32_t row = 0; row < one.rows; row += 7)
                    ASSERT_NEAR(got[std::size_t(row)], element.want, element.within)
                        << "quantity " << int(element.kind) << ", row " << row;
            }
            const auto r = one.Series({QuantityKind::Distance, 1});
            const auto v = one.Series({QuantityKind::Speed, 1});
            for (int32_t row = 0; row < one.rows; row += 97) {
                const auto [p, velocity] = o.At(row * dt);
                EXPECT_DOUBLE_EQ(r[std::size_t(row)], std::hypot(p.x, p.y, p.z));
                EXPECT_NEAR(v[std::size_t(row)], std::hypot(velocity.x, velocity.y, velocity.z), 1e-9);
            }
        }
}

TEST(DerivedSeries, ASystemInSpaceHoldsAndShowsARowMovedOffThePlane) {
    const std::vector<SpaceOrbit> orbits = {{1.0, 0.2, 30, 40, 60}, {1.7, 0.05, 70, 200, 10}};
    const std::vector<double> masses = {1, 1e-12, 1e-12};  // too small to pull each other
    for (const PlaneAxes& axes : kPlanes) {
        SCOPED_TRACE(int(axes.plane));
        SpaceBodies two(orbits, axes, 1200, 2 * kPi / 500);
        const auto sep = two.Series({QuantityKind::Separation, 1, 2});
        for (int32_t row = 0; row < two.rows; row += 97) {
            const Vector3 p = orbits[0].At(two.table->time(row)).first;
            const Vector3 q = orbits[1].At(two.table->time(row)).first;
            EXPECT_NEAR(sep[std::size_t(row)], std::hypot(p.x - q.x, p.y - q.y, p.z - q.z), 1e-12);
        }
        for (const QuantityKind kind : {QuantityKind::SystemEnergy, QuantityKind::SystemMomentum}) {
            const auto held = two.Series({kind}, masses);
            for (int32_t row = 0; row < two.rows; ++row) ASSERT_NEAR(held[std::size_t(row)], 0, 1e-9) << row;
        }
        // A depth moved by a millionth shows in the rows about it, and only there.
        two.depth->writableTrack(1, 700)[0] += 1e-6;
        for (const QuantityKind kind : {QuantityKind::SystemEnergy, QuantityKind::SystemMomentum}) {
            const auto changed = two.Series({kind}, masses);
            EXPECT_GT(std::fabs(changed[700]), 1e-7) << int(kind);
            if (kind == QuantityKind::SystemMomentum) {
                // The moved row's velocity stays (a centred difference
                // weighs it 0): the momentum changes by m dr x v.
                Vector3 start, dr;
                for (int k = 0; k < 2; ++k) {
                    const auto [p, v] = orbits[std::size_t(k)].At(0);
                    start = {start.x + p.y * v.z - p.z * v.y, start.y + p.z * v.x - p.x * v.z,
                             start.z + p.x * v.y - p.y * v.x};
                }
                (axes.off == 0 ? dr.x : axes.off == 1 ? dr.y : dr.z) = 1e-6;
                const Vector3 v = orbits[0].At(two.table->time(700)).second;
                const double change =
                    std::hypot(dr.y * v.z - dr.z * v.y, dr.z * v.x - dr.x * v.z, dr.x * v.y - dr.y * v.x) /
                    std::hypot(start.x, start.y, start.z);
                EXPECT_NEAR(changed[700], change, 1e-3 * change);
            }
            EXPECT_NEAR(changed[690], 0, 1e-9) << int(kind);
        }
        EXPECT_GT(std::fabs(two.Series({QuantityKind::Inclination, 1})[700] - orbits[0].i), 1e-6);
    }
}

TEST(DerivedSeries, DepthsThatDoNotCoverTheTableGiveGapsAndNotThePlane) {
    const SpaceOrbit orbit{1.0, 0.2, 30, 40, 60};
    SpaceBodies one({orbit}, kPlanes[0], 300, 2 * kPi / 500);
    std::vector<double> out(300);
    const auto fewer = AllocateDepth(299, 1), others = AllocateDepth(300, 2);
    for (const DepthTable* depth : {fewer.get(), others.get()}) {
        ComputeSeries({one.table.get(), 300, 1, {}, depth, TablePlane::XY}, {QuantityKind::Distance, 1}, 0,
                      300, out.data());
        EXPECT_TRUE(std::isnan(out[5]));
    }
    // Without depths the same rows are planar: no inclination.
    ComputeSeries({one.table.get(), 300, 1, {}}, {QuantityKind::Inclination, 1}, 0, 300, out.data());
    EXPECT_EQ(out[5], 0);
}

}  // namespace
