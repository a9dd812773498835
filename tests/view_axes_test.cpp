// The axes of a view: the planes astronomers use and a camera turned from
// them, and the texts that name them.
#include "simulation/view_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "plot/axes_frame.h"
#include "plot/plot_box.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;

using Vec = std::array<double, 3>;

Vec Apply(const ViewAxes& a, const Vec& p) {
    return {Along(a, 0, p[0], p[1], p[2]), Along(a, 1, p[0], p[1], p[2]), Along(a, 2, p[0], p[1], p[2])};
}

/// The turntable written out independently: the system turned by the
/// azimuth about z, the camera lowered from the pole by 90 - elevation
/// about the picture's x, the picture rolled.
Vec Turntable(double az, double el, double roll, const Vec& p) {
    const double a = az * kDegree, t = (el - 90) * kDegree, r = roll * kDegree;
    const Vec spun{std::cos(a) * p[0] - std::sin(a) * p[1], std::sin(a) * p[0] + std::cos(a) * p[1], p[2]};
    const Vec tilted{spun[0], std::cos(t) * spun[1] - std::sin(t) * spun[2],
                     std::sin(t) * spun[1] + std::cos(t) * spun[2]};
    return {std::cos(r) * tilted[0] - std::sin(r) * tilted[1],
            std::sin(r) * tilted[0] + std::cos(r) * tilted[1], tilted[2]};
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ViewAxes, OnScreenATurnedViewIsTheTurntableWithinHalfAPixelOverRandomViews) {
    std::mt19937 random(45);
    std::uniform_real_distribution<double> angle(-360, 360), height(-90, 90), place(-40, 40);
    PlotBox plot;
    plot.SetExactBox(-50, -50, 50, 50);
    MapOnto(plot, 0, 0, 1920, 1080);
    for (int view = 0; view < 200; ++view) {
        const CameraTurn turn{angle(random), height(random), view % 3 ? 0.0 : angle(random)};
        const ViewAxes axes = TurnAxes({}, turn);
        for (int point = 0; point < 20; ++point) {
            const Vec p{place(random), place(random), place(random)};
            const Vec got = Apply(axes, p), want = Turntable(turn.azimuth, turn.elevation, turn.roll, p);
            const ViewPoint a = plot.MapExact(got[0], got[1]), b = plot.MapExact(want[0], want[1]);
            ASSERT_LT(std::hypot(a.x - b.x, a.y - b.y), 0.5) << turn.azimuth << "," << turn.elevation;
            ASSERT_NEAR(got[2], want[2], 1e-9);
        }
        // Turned or not, the axes stay at right angles and of unit length.
        for (std::size_t i = 0; i < 3; ++i)
            for (std::size_t j = 0; j < 3; ++j) {
                const auto& m = axes.m;
                ASSERT_NEAR(m[i][0] * m[j][0] + m[i][1] * m[j][1] + m[i][2] * m[j][2], i == j ? 1 : 0, 1e-12);
            }
    }
}

TEST(ViewAxes, QuarterTurnsShowTheDataAxesToTheBit) {
    // A value the others lack (not a number) does not spoil the two shown.
    const Vec p{0.1 + 0.2, -7.25e-3, std::nan("")};
    const Vec q{0.1 + 0.2, std::nan(""), 1.0 / 3};
    const Vec r{std::nan(""), 0.1 + 0.2, 1.0 / 3};
    const struct {
        CameraTurn turn;
        ViewPlane::Kind plane;
        const Vec& point;
        int across, up;  ///< the data axes shown (3 + k: minus axis k)
    } cases[] = {
        {{0, 90, 0}, ViewPlane::Kind::XY, p, 0, 1},   // today's picture
        {{0, 0, 0}, ViewPlane::Kind::XY, q, 0, 2},    // x across, z up: the plane xz
        {{-90, 0, 0}, ViewPlane::Kind::XY, r, 1, 2},  // y across, z up: the plane yz
        {{90, 0, 0}, ViewPlane::Kind::XY, r, 4, 2},   // -y across
        {{0, 90, 0}, ViewPlane::Kind::XZ, q, 0, 2},  {{0, 90, 0}, ViewPlane::Kind::YZ, r, 1, 2},
        {{0, 90, 90}, ViewPlane::Kind::XY, p, 4, 0},  // rolled: -y across, x up
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.turn.azimuth << "," << c.turn.elevation << "," << c.turn.roll
                                        << " on " << ViewPlaneName(c.plane));
        const Vec got = Apply(TurnAxes(FixedPlaneAxes(c.plane), c.turn), c.point);
        const auto axis = [&](int k) {
            return k < 3 ? c.point[std::size_t(k)] : -c.point[std::size_t(k - 3)];
        };
        EXPECT_TRUE(SameBits(got[0], axis(c.across))) << got[0];
        EXPECT_TRUE(SameBits(got[1], axis(c.up))) << got[1];
    }
}

TEST(ViewAxes, TheEclipticAndAPlaneNormalToAVector) {
    // A point on the ecliptic in equatorial axes is flat in the ecliptic.
    const double e = 23.4392911 * kDegree;
    const Vec onEcliptic{0.3, 0.9 * std::cos(e), 0.9 * std::sin(e)};
    const Vec got = Apply(FixedPlaneAxes(ViewPlane::Kind::Ecliptic), onEcliptic);
    EXPECT_NEAR(got[0], 0.3, 1e-15);
    EXPECT_NEAR(got[1], 0.9, 1e-15);
    EXPECT_NEAR(got[2], 0, 1e-15);
    // A plane inclined by i with its node at longitude O: across along the
    // node, the normal toward the viewer.
    const double i = 30 * kDegree, o = 50 * kDegree;
    const Vec n{std::sin(i) * std::sin(o), -std::sin(i) * std::cos(o), std::cos(i)};
    const std::optional<ViewAxes> inclined = AxesNormalTo({2 * n[0], 2 * n[1], 2 * n[2]});
    ASSERT_TRUE(inclined);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(inclined->m[2][k], n[k], 1e-15);
    EXPECT_NEAR(inclined->m[0][0], std::cos(o), 1e-15);
    EXPECT_NEAR(inclined->m[0][1], std::sin(o), 1e-15);
    EXPECT_EQ(AxesNormalTo({0, 0, 3}), ViewAxes{});
    EXPECT_EQ(AxesNormalTo({0, 0, -1})->m[1][1], -1);  // seen from below, y turns down
    EXPECT_FALSE(AxesNormalTo({0, 0, 0}));
    EXPECT_FALSE(AxesNormalTo({std::nan(""), 0, 1}));
}

TEST(ViewAxes, PlanesAndViewsReadFromTheirTexts) {
    for (const char* text : {"xy", "xz", "yz", "ecliptic", "invariable", "orbit:3", "orbit:12"}) {
        const std::optional<ViewPlane> plane = ParseViewPlane(text);
        ASSERT_TRUE(plane) << text;
        EXPECT_EQ(ViewPlaneName(*plane), text);
    }
    for (const char* text :
         {"", "XY", "orbit:", "orbit:0", "orbit:-1", "orbit:2x", "orbit:99999999999", "zx"})
        EXPECT_FALSE(ParseViewPlane(text)) << text;
    const struct {
        const char* text;
        std::optional<CameraTurn> turn;
    } views[] = {
        {"30,25", CameraTurn{30, 25, 0}},
        {" -45 , 90 ", CameraTurn{-45, 90, 0}},
        {"10,-90,15", CameraTurn{10, -90, 15}},
        {"+1.5,2e1", CameraTurn{1.5, 20, 0}},
        {"30", std::nullopt},
        {"30,91", std::nullopt},
        {"1,2,3,4", std::nullopt},
        {"a,b", std::nullopt},
        {"nan,10", std::nullopt},
        {"10,", std::nullopt},
    };
    for (const auto& v : views) {
        std::string error;
        EXPECT_EQ(ParseCameraTurn(v.text, error), v.turn) << v.text;
        EXPECT_EQ(error.empty(), v.turn.has_value()) << v.text << ": " << error;
    }
    std::string error;
    ParseCameraTurn("0,95", error);
    EXPECT_EQ(error, "'0,95' is not a view: the elevation goes from -90 to 90 degrees");
}

}  // namespace
