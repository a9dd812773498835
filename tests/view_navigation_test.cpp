#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "animation/simulation_state.h"
#include "animation/view_navigation.h"
#include "plot/plot_box.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::array<double, 4> BoxOf(const PlotBox& plot) {
    std::array<double, 4> box;
    plot.GetBox(box[0], box[1], box[2], box[3]);
    return box;
}

/// The world point at the centre of device pixel (px, py) in the plot's mapping.
std::array<double, 2> WorldAt(const PlotBox& plot, int px, int py) {
    return {(px + plot.xOffset) / plot.xScale, (py + plot.yOffset) / plot.yScale};
}

/// 800 x 500 views: full and framed, with and without equal aspect.
struct NavigationFixture : ::testing::TestWithParam<std::tuple<bool, bool>> {
    PlotBox plot;
    void SetUp() override {
        const auto [framed, equal] = GetParam();
        plot.SetViewport(framed ? 10 : 0, framed ? 10 : 0, framed ? 90 : 100, framed ? 90 : 100);
        plot.equalAspect = equal;
        plot.SetBox(-3, -2, 3, 2);
        Remap();
    }
    void Remap() { plot.ComputeMapping(0, 0, 800, 500); }
};

TEST_P(NavigationFixture, ZoomKeepsThePointUnderThePointer) {
    const int px = 613, py = 127;
    for (const double factor : {0.5, 0.8, 1.25, 3.0, 0.01}) {
        const auto world = WorldAt(plot, px, py);
        const auto before = BoxOf(plot);
        ZoomAbout(plot, factor, px, py);
        const auto after = BoxOf(plot);
        EXPECT_NEAR(after[2] - after[0], (before[2] - before[0]) * factor, 1e-9 * factor);
        EXPECT_NEAR(after[3] - after[1], (before[3] - before[1]) * factor, 1e-9 * factor);
        Remap();
        EXPECT_EQ(plot.Map(world[0], world[1]), (DevicePoint{px, py})) << factor;
    }
}

TEST_P(NavigationFixture, PanMovesThePictureByTheDrag) {
    for (const auto& [dx, dy] : {std::pair{37, -12}, std::pair{-60, 250}, std::pair{0, 1}}) {
        const auto world = WorldAt(plot, 100, 100);
        PanByPixels(plot, dx, dy);
        Remap();
        EXPECT_EQ(plot.Map(world[0], world[1]), (DevicePoint{100 + dx, 100 + dy}));
    }
}

TEST_P(NavigationFixture, BadStepsLeaveTheBox) {
    const auto box = BoxOf(plot);
    for (const double factor : {0.0, -2.0, kNan, kInf}) ZoomAbout(plot, factor, 10, 10);
    EXPECT_EQ(BoxOf(plot), box);
    // Zooming in until the range would vanish stops at the last good box.
    for (int i = 0; i < 10; ++i) {
        ZoomAbout(plot, 1e-300, 400, 250);
        Remap();
    }
    const auto tiny = BoxOf(plot);
    EXPECT_LT(tiny[0], tiny[2]);
    EXPECT_LT(tiny[1], tiny[3]);
    for (int i = 0; i < 10; ++i) {
        ZoomAbout(plot, 1e300, 400, 250);
        Remap();
    }
    for (const double v : BoxOf(plot)) EXPECT_TRUE(std::isfinite(v));
}

INSTANTIATE_TEST_SUITE_P(Views, NavigationFixture, ::testing::Combine(::testing::Bool(), ::testing::Bool()));

/// Two bodies over 50 rows, with some coordinates that are not finite.
void LoadScattered(SimulationState& s) {
    s.loaded().fields.lineCount = 50;
    s.loaded().fields.bodyCount = 2;
    s.loaded().columnCount = 5;
    s.loaded().rows = AllocateTable(50, 5);
    for (int r = 0; r < 50; ++r) {
        s.loaded().rows->set(r, 0, r);
        s.loaded().rows->set(r, 1, 0.1 * r - 1.0);  // -1 .. 3.9
        s.loaded().rows->set(r, 2, std::sin(r));
        s.loaded().rows->set(r, 3, r % 7 == 0 ? kNan : -2.0);
        s.loaded().rows->set(r, 4, r == 10 ? 7.5 : r == 11 ? -kInf : 0.25);
    }
    s.loaded().dataLoaded = 1;
}

TEST(FitToData, CoversEveryFinitePositionWithAMargin) {
    SimulationState s;
    PlotBox plot;
    plot.SetBox(-3, -3, 3, 3);
    EXPECT_FALSE(FitToData(s, plot));
    EXPECT_EQ(BoxOf(plot), (std::array<double, 4>{-3, -3, 3, 3}));
    LoadScattered(s);
    ASSERT_TRUE(FitToData(s, plot));
    const auto box = BoxOf(plot);
    const double yLow = std::sin(11.0);  // the lowest of sin(r), r < 50
    EXPECT_DOUBLE_EQ(box[0], -2.0 - 0.05 * 5.9);
    EXPECT_DOUBLE_EQ(box[2], 3.9 + 0.05 * 5.9);  // not rounded outward to 4.3
    EXPECT_DOUBLE_EQ(box[1], yLow - 0.05 * (7.5 - yLow));
    EXPECT_DOUBLE_EQ(box[3], 7.5 + 0.05 * (7.5 - yLow));

    // One place only: a unit square about it, then the margin.
    for (int r = 0; r < 50; ++r)
        for (int c = 1; c <= 4; ++c) s.loaded().rows->set(r, c, 2.0);
    ASSERT_TRUE(FitToData(s, plot));
    EXPECT_EQ(BoxOf(plot), (std::array<double, 4>{1.45, 1.45, 2.55, 2.55}));
    // A span of rounding noise about a large value is none either, while a
    // small span far from the origin is kept.
    const struct {
        double y0, y1;
        std::array<double, 2> y;
    } flat[] = {
        {-1.2e-16, 1.2e-16, {-0.55, 0.55}},
        {1e6, 1e6 + 1e-7, {1e6 - 0.55, 1e6 + 0.55}},
        {1e6, 1e6 + 1e-3, {1e6 - 0.05e-3, 1e6 + 1.05e-3}},
    };
    for (const auto& c : flat) {
        for (int r = 0; r < 50; ++r)
            s.loaded().rows->set(r, 2, r % 2 ? c.y1 : c.y0), s.loaded().rows->set(r, 4, c.y0);
        ASSERT_TRUE(FitToData(s, plot));
        EXPECT_NEAR(BoxOf(plot)[1], c.y[0], 1e-9 * std::fabs(c.y[0]) + 1e-12) << c.y0 << " " << c.y1;
        EXPECT_NEAR(BoxOf(plot)[3], c.y[1], 1e-9 * std::fabs(c.y[1]) + 1e-12) << c.y0 << " " << c.y1;
    }
    for (int r = 0; r < 50; ++r) s.loaded().rows->set(r, 2, kNan), s.loaded().rows->set(r, 4, kInf);
    EXPECT_FALSE(FitToData(s, plot));  // no finite y at all
}

TEST(RestoreConfiguredBox, GivesTheBoxAsLoadingDoes) {
    SimulationState s;
    PlotBox plot;
    s.loaded().fields.box = {-1.234, -0.5, 5.678, 2};
    plot.SetViewport(0, 0, 100, 100);
    plot.ComputeMapping(0, 0, 100, 100);
    ZoomAbout(plot, 0.3, 20, 20);
    RestoreConfiguredBox(s, plot);
    EXPECT_EQ(BoxOf(plot)[0], -1.3);
    EXPECT_EQ(BoxOf(plot)[2], 5.7);
}

}  // namespace
