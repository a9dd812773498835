// What the view tells about the body under the pointer: which one it is,
// and its values, read from the table in the frame shown.

#include "animation/point_readout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "animation/frame_view.h"
#include "animation/simulation_state.h"
#include "plot/plot_box.h"
#include "simulation/depth_table.h"
#include "simulation/derived_series.h"

namespace {

/// Three bodies moving in straight lines at speeds 1, 2 and 3 along x,
/// at heights 1, 2 and 3, one row each 0.5 time units; a 400 x 400 view.
struct Readout : ::testing::Test {
    SimulationState s;
    PlotBox plot;
    void SetUp() override {
        s.loaded().fields.bodyCount = 3;
        s.loaded().fields.lineCount = 20;
        s.loaded().dataLoaded = 1;
        s.loaded().rows = AllocateTable(20, 7);
        for (int32_t r = 0; r < 20; ++r) {
            s.loaded().rows->set(r, 0, 0.5 * r);
            for (int k = 1; k <= 3; ++k) {
                s.loaded().rows->set(r, 2 * k - 1, -4 + k * 0.5 * r);
                s.loaded().rows->set(r, 2 * k, k);
            }
        }
        for (int k = 1; k <= 3; ++k) s.loaded().fields.bodySize[std::size_t(k)] = 3;
        s.loaded().fields.bodyNames = {"Ann", ""};
        s.loaded().fields.lengthUnit = "AU";
        s.loaded().fields.timeUnit = "yr";
        plot.SetExactBox(-5, -5, 5, 5);
        plot.ComputeMapping(0, 0, 400, 400);
    }
    /// Where body `k` is drawn at the current row.
    ViewPoint At(int k) {
        return plot.MapExact(s.shownRows()->track(k, s.playback.position)[0],
                             s.shownRows()->track(k, s.playback.position)[1]);
    }
};

TEST_F(Readout, TheBodyUnderThePointerIsTheNearestWithinItsDisc) {
    s.playback.position = 4;
    const ViewPoint two = At(2);
    EXPECT_EQ(BodyUnder(s, plot, two.x, two.y), 2);
    EXPECT_EQ(BodyUnder(s, plot, two.x + 5, two.y), 2);  // radius 3 and 2 more
    EXPECT_EQ(BodyUnder(s, plot, two.x + 5.5, two.y), 0);
    s.loaded().fields.bodySize[2] = 0;  // the smallest discs still answer within 4 pixels
    EXPECT_EQ(BodyUnder(s, plot, two.x, two.y - 4), 2);
    s.loaded().fields.drawPlanets = 0;
    EXPECT_EQ(BodyUnder(s, plot, two.x, two.y), 0);
}

TEST(ManyBodiesReadout, EveryBodyOfAThousandAnswersWithItsName) {
    constexpr int kBodies = 1000;
    SimulationState s;
    PlotBox plot;
    s.loaded().fields.bodyCount = kBodies, s.loaded().fields.lineCount = 2, s.loaded().dataLoaded = 1;
    s.loaded().sizeBodyLists(kBodies);
    s.loaded().rows = AllocateTable(2, 2 * kBodies + 1);
    // Body k on a row of places 0.009 apart, 3.6 pixels in the 400-pixel view.
    for (int k = 1; k <= kBodies; ++k) {
        for (int32_t r = 0; r < 2; ++r) {
            s.loaded().rows->set(r, 0, r);
            s.loaded().rows->set(r, 2 * k - 1, -4.5 + 0.009 * k);
            s.loaded().rows->set(r, 2 * k, 0);
        }
        s.loaded().fields.bodyNames.push_back("b" + std::to_string(k));
    }
    plot.SetExactBox(-5, -5, 5, 5);
    plot.ComputeMapping(0, 0, 400, 400);
    for (const int k : {1, 31, 500, 999, 1000}) {
        const ViewPoint at = plot.MapExact(-4.5 + 0.009 * k, 0);
        ASSERT_EQ(BodyUnder(s, plot, at.x, at.y), k);
        const std::string text = BodyReadoutText(s, *ReadBody(s, k, 0));
        EXPECT_EQ(text.substr(0, text.find('\n')),
                  "b" + std::to_string(k) + " (body " + std::to_string(k) + ")");
    }
}

TEST_F(Readout, ValuesAreTheTablesInTheFrameShown) {
    struct Case {
        const char* frame;
        int body;
        int32_t row;
        double x, y, fromSun;
        std::optional<double> fromCentre, speed, sunSpeed;
    };
    const Case cases[] = {
        // Speeds from the rows about the row, to one side at the ends.
        {"inertial", 1, 6, -1, 1, std::hypot(1, 1), {}, 1, {}},
        {"inertial", 3, 0, -4, 3, 5, {}, 3, {}},
        {"inertial", 3, 19, -4 + 1.5 * 19, 3, std::hypot(-4 + 1.5 * 19, 3), {}, 3, {}},
        // Centred on body 1: body 3 is 2 higher and moves 2 faster than it.
        {"centre:1", 3, 6, 6, 2, std::hypot(5, 3), std::hypot(6, 2), 2, 3},
    };
    for (const Case& c : cases) {
        PlotBox view = plot;
        ASSERT_EQ(ShowInFrame(s, view, c.frame), "") << c.frame;
        const std::optional<BodyReadout> r = ReadBody(s, c.body, c.row);
        ASSERT_TRUE(r);
        EXPECT_DOUBLE_EQ(r->x, c.x) << c.frame << c.body;
        EXPECT_DOUBLE_EQ(r->y, c.y);
        EXPECT_DOUBLE_EQ(r->fromSun, c.fromSun);
        EXPECT_DOUBLE_EQ(r->fromCentre.value_or(-1), c.fromCentre.value_or(-1));
        ASSERT_TRUE(r->speed);
        // Seven rows' weights add rounding of a few parts in 1e16.
        EXPECT_NEAR(*r->speed, *c.speed, 1e-12) << c.frame << c.body;
        EXPECT_NEAR(r->sunSpeed.value_or(-1), c.sunSpeed.value_or(-1), 1e-12);
    }
    EXPECT_FALSE(ReadBody(s, 4, 0));
    EXPECT_FALSE(ReadBody(s, 1, 20));
    EXPECT_EQ(BodyReadoutText(s, *ReadBody(s, 3, 6)),
              "Body 3\nx = 6 AU\ny = 2 AU\nfrom the sun: 5.83095 AU\nfrom Ann: 6.32456 AU\n"
              "speed in this frame: 2 AU/yr\nspeed about the sun: 3 AU/yr");
    // Rows with the same time give no speed rather than an infinite one.
    s.loaded().rows->set(7, 0, s.loaded().rows->time(5));
    EXPECT_FALSE(ReadBody(s, 1, 6)->speed);
}

/// A body on the unit circle at angular speed 1, one row each 0.05 time
/// units (126 rows a turn), and a second on a line at speed 2: speeds the
/// rows either side would miss by 4e-4 on the circle.
SimulationState CircleAndLine(int32_t rows) {
    SimulationState s;
    s.loaded().fields.bodyCount = 2, s.loaded().fields.lineCount = rows, s.loaded().dataLoaded = 1;
    s.loaded().rows = AllocateTable(rows, 5);
    for (int32_t r = 0; r < rows; ++r) {
        const double t = 0.05 * r;
        s.loaded().rows->set(r, 0, t);
        s.loaded().rows->set(r, 1, std::cos(t));
        s.loaded().rows->set(r, 2, std::sin(t));
        s.loaded().rows->set(r, 3, 2 * t);
        s.loaded().rows->set(r, 4, 1);
    }
    return s;
}

TEST_F(Readout, AboutTheSunDistancesAndSpeedsAreInSpace) {
    // Body 1 rises off the plane shown at 2 a time unit: z = t.
    s.loaded().depth = AllocateDepth(20, 3);
    for (int32_t r = 0; r < 20; ++r)
        for (int k = 1; k <= 3; ++k) *s.loaded().depth->writableTrack(k, r) = k == 1 ? 2 * 0.5 * r : 0;
    const std::optional<BodyReadout> at = ReadBody(s, 1, 10);
    ASSERT_TRUE(at && at->speed);
    EXPECT_DOUBLE_EQ(at->fromSun, std::hypot(-4 + 0.5 * 10, 1, 10));
    EXPECT_NEAR(*at->speed, std::hypot(0.5 / 0.5, 2), 1e-9);
    // In a frame, speeds are in space too: the one in it and the one about the sun.
    ASSERT_EQ(ShowInFrame(s, plot, "centre:2"), "");
    const std::optional<BodyReadout> framed = ReadBody(s, 1, 10);
    ASSERT_TRUE(framed && framed->speed && framed->sunSpeed);
    EXPECT_DOUBLE_EQ(framed->fromSun, at->fromSun);
    EXPECT_NEAR(*framed->sunSpeed, *at->speed, 1e-9);
    EXPECT_NEAR(*framed->speed, std::hypot(1, 2), 1e-9);  // 1 against 2 along x, and its own 2 up z
}

TEST(SpeedReadout, IsTheSeriesVelocityAtEveryRowEndsIncluded) {
    SimulationState s = CircleAndLine(60);
    std::vector<double> series(60);
    ComputeSeries({s.loaded().rows.get(), 60, 1, {}}, {QuantityKind::Speed, 1}, 0, 60, series.data());
    for (int32_t row = 0; row < 60; ++row) {
        const std::optional<BodyReadout> r = ReadBody(s, 1, row);
        ASSERT_TRUE(r && r->speed) << row;
        EXPECT_EQ(*r->speed, series[std::size_t(row)]) << row;
        EXPECT_NEAR(*r->speed, 1, 1e-8) << row;  // one-sided at the ends, still of sixth order
    }
}

TEST(SpeedReadout, GapsAndShortTablesGiveNoSpeedRatherThanAWrongOne) {
    struct Case {
        const char* what;
        int32_t rows;
        int32_t hole;  ///< the row whose body 1 is not a number; -1: none
        int body;
        int32_t row;
        std::optional<double> speed;  ///< none: no speed
    };
    const Case cases[] = {
        {"three rows: all of them", 3, -1, 2, 0, 2},
        {"three rows: all of them, the last", 3, -1, 2, 2, 2},
        {"one row: no difference", 1, -1, 2, 0, {}},
        {"the hole itself", 60, 30, 1, 30, {}},
        {"the nearest row the stencil reaches", 60, 30, 1, 27, {}},
        {"three rows away on the other side", 60, 30, 1, 33, {}},
        {"just beyond the stencil", 60, 30, 1, 26, 1},
        {"just beyond, after", 60, 30, 1, 34, 1},
        {"another body of the same row", 60, 30, 2, 30, 2},
        {"a hole in the first row, the stencil moved inward", 60, 0, 1, 3, {}},
        {"a hole in the first row, beyond the moved stencil", 60, 0, 1, 4, 1},
    };
    for (const Case& c : cases) {
        SimulationState s = CircleAndLine(c.rows);
        if (c.hole >= 0) s.loaded().rows->set(c.hole, 1, NAN);
        const std::optional<BodyReadout> r = ReadBody(s, c.body, c.row);
        ASSERT_TRUE(r) << c.what;
        ASSERT_EQ(r->speed.has_value(), c.speed.has_value()) << c.what;
        if (c.speed) {
            EXPECT_NEAR(*r->speed, *c.speed, 1e-8) << c.what;
        }
    }
}

TEST_F(Readout, ThePointersPlaceIsInTheBoxOnly) {
    const ViewPoint origin = plot.MapExact(1.5, -2);
    EXPECT_EQ(PointerText(s, plot, origin.x, origin.y), "x = 1.5 AU   y = -2 AU");
    EXPECT_EQ(PointerText(s, plot, -20, 10), "");
    s.loaded().dataLoaded = 0;
    EXPECT_EQ(PointerText(s, plot, origin.x, origin.y), "");
}

}  // namespace
