#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "plot/plot_box.h"
#include "recording_surface.h"

namespace {

TEST(Viewport, Validation) {
    PlotBox plot;
    auto viewport = [&] {
        return std::array<int, 4>{plot.leftPct, plot.topPct, plot.rightPct, plot.bottomPct};
    };
    plot.SetViewport(0, 0, 100, 100);
    EXPECT_EQ(viewport(), (std::array<int, 4>{0, 0, 100, 100}));
    plot.SetViewport(10, 10, 90, 90);
    EXPECT_EQ(viewport(), (std::array<int, 4>{10, 10, 90, 90}));
    plot.SetViewport(-5, 10, 90, 120);
    EXPECT_EQ(viewport(), (std::array<int, 4>{1, 10, 90, 100}));
    plot.SetViewport(50, 10, 40, 90);
    EXPECT_EQ(viewport(), (std::array<int, 4>{1, 10, 40, 90}));
    plot.SetViewport(0, 0, 0, 0);
    EXPECT_EQ(viewport(), (std::array<int, 4>{1, 1, 100, 100}));
    plot.SetViewport(100, 0, 150, 100);
    EXPECT_EQ(plot.leftPct, 100);
    EXPECT_EQ(plot.rightPct, 100);
}

TEST(RoundRange, OutwardToWholeUnits) {
    struct Case {
        double lo, hi, wantLo, wantHi;
    };
    const Case cases[] = {{-3, 3, -3, 3},       {-2.95, 2.95, -3, 3},     {-1.234, 5.678, -1.3, 5.7},
                          {12.3, 45.6, 12, 46}, {0.25, 0.75, 0.2, 0.8},   {0.0123, 0.0456, 0.01, 0.05},
                          {-0.5, 1, -0.5, 1},   {0, 5.6005, 0, 56 * 0.1}, {2, 2, 2, 2},
                          {5, -5, 5, -5}};
    for (const Case& c : cases) {
        double lo = c.lo, hi = c.hi;
        PlotBox::RoundRange(lo, hi);
        EXPECT_NEAR(lo, c.wantLo, 1e-12) << c.lo << ".." << c.hi;
        EXPECT_NEAR(hi, c.wantHi, 1e-12) << c.lo << ".." << c.hi;
    }
}

TEST(RoundRange, BoxFarFromTheOriginKeepsItsBounds) {
    // 3e6 counted in hundredths of 0.1 does not fit 32 bits: the bound stays.
    double lo = 3000000, hi = 3000001;
    PlotBox::RoundRange(lo, hi);
    EXPECT_EQ(lo, 3000000);
    EXPECT_EQ(hi, 3000001);
    lo = -3000001.25, hi = -3000000.25;
    PlotBox::RoundRange(lo, hi);
    EXPECT_EQ(lo, -3000001.25);
    EXPECT_EQ(hi, -3000000.25);
}

TEST(RoundRange, HugeAndNonFiniteRangesStayFinite) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, double> cases[] = {{-1e308, 1e308}, {-1e300, 1e300}, {0, inf}, {-inf, inf}};
    for (auto [lo, hi] : cases) {
        const double inLo = lo, inHi = hi;
        PlotBox::RoundRange(lo, hi);
        EXPECT_FALSE(std::isnan(lo)) << inLo;
        EXPECT_FALSE(std::isnan(hi)) << inHi;
    }
    double lo = nan, hi = 1;
    PlotBox::RoundRange(lo, hi);
    EXPECT_TRUE(std::isnan(lo));
    EXPECT_EQ(hi, 1);
}

struct MappingFixture : ::testing::Test {
    PlotBox plot;
    void Map(int left, int top, int right, int bottom) {
        plot.SetBox(-3, -3, 3, 3);
        plot.SetViewport(left, top, right, bottom);
        plot.ComputeMapping(0, 0, 800, 600);
    }
};

TEST_F(MappingFixture, FramedViewport) {
    Map(10, 10, 90, 90);
    EXPECT_DOUBLE_EQ(plot.xScale, 640.0 / 6);
    EXPECT_DOUBLE_EQ(plot.xOffset, -400);
    EXPECT_DOUBLE_EQ(plot.yScale, -80);
    EXPECT_DOUBLE_EQ(plot.yOffset, -300);
    EXPECT_EQ(plot.ToDevice(0, 0, 0), (DevicePoint{400, 300}));
    EXPECT_EQ(plot.ToDevice(3, 3, 0), (DevicePoint{720, 60}));
    EXPECT_EQ(plot.ToDevice(-3, -3, 0), (DevicePoint{80, 540}));
    EXPECT_EQ(plot.BoxCorners(), (DeviceRect{80, 60, 720, 540}));
}

TEST_F(MappingFixture, FullViewport) {
    Map(0, 0, 100, 100);
    EXPECT_EQ(plot.ToDevice(-3, -3, 0), (DevicePoint{0, 600}));
    EXPECT_EQ(plot.ToDevice(3, 3, 0), (DevicePoint{800, 0}));
    EXPECT_EQ(plot.ToDevice(1, 1, 0), (DevicePoint{533, 200}));
    // Column -0.7 rounds to 0: add 0.5, then truncate toward zero.
    EXPECT_EQ(plot.ToDevice(-3 - 0.7 * 6 / 800, 0, 0).x, 0);
}

TEST_F(MappingFixture, ClipAndDisabled) {
    Map(0, 0, 100, 100);
    EXPECT_EQ(plot.ToDevice(3, 0, 1), (DevicePoint{800, 300}));
    EXPECT_EQ(plot.ToDevice(3.0000001, 0, 1), (DevicePoint{0, 0}));
    EXPECT_EQ(plot.ToDevice(std::nan(""), 0, 1), (DevicePoint{0, 0}));
    plot.enabled = 0;
    EXPECT_EQ(plot.ToDevice(1, 1, 0), (DevicePoint{0, 0}));
    EXPECT_EQ(plot.BoxCorners(), (DeviceRect{0, 0, 0, 0}));
}

TEST_F(MappingFixture, HugeCoordinatesSaturate) {
    Map(0, 0, 100, 100);
    EXPECT_EQ(plot.ToDevice(1e300, -1e300, 0), (DevicePoint{INT32_MAX, INT32_MAX}));
    EXPECT_EQ(plot.ToDevice(-1e300, 1e300, 0), (DevicePoint{INT32_MIN, INT32_MIN}));
    EXPECT_EQ(plot.ToDevice(std::nan(""), 0, 0).x, INT32_MIN);
}

TEST_F(MappingFixture, EmptyRangeMapsToTheBoxEdge) {
    plot.roundBox = 0;
    plot.SetBox(2, -3, 2, 3);
    plot.SetViewport(10, 10, 90, 90);
    plot.ComputeMapping(0, 0, 800, 600);
    EXPECT_EQ(plot.xScale, 0);
    EXPECT_EQ(plot.ToDevice(2, 0, 0), (DevicePoint{80, 300}));
    EXPECT_EQ(plot.ToDevice(-100, 0, 0), (DevicePoint{80, 300}));
}

/// Map and its inverse on views of several kinds: every pixel not negative
/// comes back from the world point WorldX/WorldY give for it, and every world
/// point in the box comes back within half a pixel. (Map truncates toward
/// zero, so left of or above the device a pixel spans more.)
TEST(MappingInverse, PixelToWorldAndBack) {
    struct View {
        double xmin, ymin, xmax, ymax;
        int pct, equal, width, height;
    };
    const View views[] = {{-3, -3, 3, 3, 10, 0, 800, 600},
                          {-5, -1, 3, 1, 0, 1, 641, 479},
                          {1e6, -1e-6, 1e6 + 1e-3, 1e-6, 10, 0, 900, 300},
                          {-1e9, 0.5, 1e9, 7, 0, 0, 300, 900}};
    const std::pair<int, int> pixels[] = {{0, 0}, {1, 599}, {400, 300}, {799, 1}, {5000, 7000}};
    for (const View& v : views) {
        PlotBox plot;
        plot.roundBox = 0;
        plot.equalAspect = v.equal;
        plot.SetViewport(v.pct, v.pct, 100 - v.pct, 100 - v.pct);
        plot.SetBox(v.xmin, v.ymin, v.xmax, v.ymax);
        plot.ComputeMapping(0, 0, v.width, v.height);
        for (const auto& [px, py] : pixels) {
            SCOPED_TRACE(testing::Message() << v.xmin << " at " << px << "," << py);
            const double x = plot.WorldX(px, 0), y = plot.WorldY(py, 0);
            EXPECT_EQ(plot.Map(x, y), (DevicePoint{px, py}));
            // A drag of some pixels moves a world point by that many pixels.
            EXPECT_EQ(plot.Map(x + plot.WorldWidth(37), y + plot.WorldHeight(12)),
                      (DevicePoint{px + 37, py + 12}));
        }
        for (const double t : {0.0, 0.3, 0.5, 0.77, 1.0}) {  // inside the box: pixels not negative
            const double x = v.xmin + (v.xmax - v.xmin) * t, y = v.ymin + (v.ymax - v.ymin) * t;
            const DevicePoint p = plot.Map(x, y);
            EXPECT_LE(std::fabs(plot.WorldX(p.x, 0) - x), 0.5 / std::fabs(plot.xScale)) << t;
            EXPECT_LE(std::fabs(plot.WorldY(p.y, 0) - y), 0.5 / std::fabs(plot.yScale)) << t;
        }
    }
}

TEST(MappingInverse, AnAxisWithoutAMappingGivesTheFallback) {
    PlotBox plot;  // no mapping computed yet: both scales are 0
    EXPECT_EQ(plot.WorldX(10, 1.5), 1.5);
    EXPECT_EQ(plot.WorldY(10, -2.5), -2.5);
    EXPECT_EQ(plot.WorldWidth(10), 0);
    plot.roundBox = 0;
    plot.SetBox(2, -3, 2, 3);  // an empty x range
    plot.ComputeMapping(0, 0, 800, 600);
    EXPECT_EQ(plot.WorldX(80, 7), 7);
    EXPECT_EQ(plot.WorldWidth(-5), 0);
    EXPECT_EQ(plot.Map(plot.WorldX(80, 7), plot.WorldY(300, 0)).y, 300);
}

/// The trail cache starts afresh when the mapping value changes: each field
/// that moves a pixel or the clip must change it.
TEST(MappingValue, EveryFieldOfTheMappingChangesIt) {
    PlotBox plot;
    plot.SetBox(-3, -2, 3, 2);
    plot.ComputeMapping(0, 0, 800, 600);
    const PlotMapping before = plot.Mapping();
    EXPECT_EQ(PlotBox(plot).Mapping(), before);
    for (double PlotBox::*field :
         {&PlotBox::xMin, &PlotBox::xMax, &PlotBox::yMin, &PlotBox::yMax, &PlotBox::xScale, &PlotBox::yScale,
          &PlotBox::xOffset, &PlotBox::yOffset}) {
        PlotBox changed = plot;
        changed.*field += 0.25;
        EXPECT_NE(changed.Mapping(), before);
    }
    PlotBox disabled = plot;
    disabled.enabled = 0;
    EXPECT_NE(disabled.Mapping(), before);
}

struct PrimitiveFixture : MappingFixture {
    RecordingSurface surface;
    void SetUp() override {
        Map(10, 10, 90, 90);
        plot.AttachDC(&surface);
    }
};

TEST_F(PrimitiveFixture, DiscPixelCounts) {
    const int expected[] = {1, 5, 13, 29, 49, 81};
    for (int r = 0; r <= 5; ++r) {
        surface.pixels.clear();
        EXPECT_EQ(plot.PlotDisc(0, 0, r, 0xFF, 1), 1);
        EXPECT_EQ(int(surface.pixels.size()), expected[r]) << r;
    }
    surface.pixels.clear();
    EXPECT_EQ(plot.PlotDisc(0, 0, -3, 0xFF, 1), 1);
    EXPECT_TRUE(surface.pixels.empty());
}

TEST_F(PrimitiveFixture, DiscsClipAtTheBoxEdge) {
    EXPECT_EQ(plot.PlotDisc(-3, 0, 0, 0xFF, 1), 1);  // radius 0 ignores the device test
    EXPECT_EQ(surface.pixels.count({80, 300}), 1u);
    surface.pixels.clear();
    EXPECT_EQ(plot.PlotDisc(-3, 0, 2, 0xFF, 1), 1);
    EXPECT_EQ(surface.pixels.size(), 4u);  // only columns 81 and 82 of the 13
    for (const auto& [pixel, colour] : surface.pixels) EXPECT_GT(pixel.first, 80);
    surface.pixels.clear();
    EXPECT_EQ(plot.PlotDisc(-3.01, 0, 4, 0xFF, 1), 0);
    EXPECT_TRUE(surface.pixels.empty());
}

TEST_F(PrimitiveFixture, HugeDiscCostsOnlyItsVisiblePart) {
    plot.AttachDC(nullptr);
    RecordingSurface small;
    plot.AttachDC(&small);
    EXPECT_EQ(plot.PlotDisc(0, 0, 1000000000, 0xFF, 1), 1);
    EXPECT_EQ(small.pixelCalls, 639 * 479);  // everything strictly inside the box
}

TEST_F(PrimitiveFixture, PointsAndLines) {
    EXPECT_EQ(plot.PlotPoint(4, 0, 0xFF, 1), 0);
    EXPECT_TRUE(surface.pixels.empty());
    EXPECT_EQ(plot.PlotPoint(4, 0, 0xFF, 0), 1);
    EXPECT_EQ(surface.pixels.count({827, 300}), 1u);

    plot.MoveTo(0, 0);
    plot.LineTo(3, 3, 1);
    plot.LineTo(4, 4, 1);  // outside: nothing drawn, current point kept
    plot.LineTo(-3, 3, 1);
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"Line(400,300-720,60)", "Line(720,60-80,60)"}));
}

TEST_F(PrimitiveFixture, CrossKeepsTheCurrentPoint) {
    plot.MoveTo(1, 1);
    plot.DrawCross(0, 0);
    plot.LineTo(0, 0, 0);
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"Line(80,300-720,300)", "Line(400,540-400,60)",
                                                       "Line(507,220-400,300)"}));
}

TEST_F(PrimitiveFixture, DisabledPlotDrawsNothing) {
    plot.enabled = 0;
    EXPECT_EQ(plot.PlotPoint(0, 0, 0xFF, 0), 0);
    EXPECT_EQ(plot.PlotDisc(0, 0, 3, 0xFF, 0), 0);
    plot.LineTo(1, 1, 0);
    plot.MoveTo(1, 1);
    EXPECT_EQ(plot.currentX, 0);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_TRUE(surface.pixels.empty());
}

/// Views of several shapes, framed and full, showing a box with equal aspect.
TEST(EqualAspect, ACircleStaysRoundAndTheBoxAskedForStaysInView) {
    const std::array<int, 4> boxes[] = {{-2, -2, 2, 2}, {-5, -1, 3, 1}, {0, 0, 1, 10}};
    const std::pair<int, int> sizes[] = {{900, 300}, {300, 900}, {500, 500}, {641, 479}};
    for (const auto& box : boxes) {
        for (const auto& [width, height] : sizes) {
            for (const int pct : {0, 10}) {
                SCOPED_TRACE(testing::Message() << box[0] << " " << width << "x" << height << " " << pct);
                PlotBox plot;
                plot.SetViewport(pct, pct, 100 - pct, 100 - pct);
                plot.SetBox(box[0], box[1], box[2], box[3]);
                plot.equalAspect = 1;
                plot.ComputeMapping(0, 0, width, height);
                const double cx = (box[0] + box[2]) * 0.5, cy = (box[1] + box[3]) * 0.5;
                const double r = std::min(box[2] - box[0], box[3] - box[1]) * 0.5;
                int left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
                for (int i = 0; i < 3600; ++i) {
                    const DevicePoint p = plot.Map(cx + r * std::cos(i * 0.1 * M_PI / 180),
                                                   cy + r * std::sin(i * 0.1 * M_PI / 180));
                    left = std::min(left, p.x), right = std::max(right, p.x);
                    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
                }
                EXPECT_NEAR(right - left, bottom - top, 1);
                EXPECT_GT(right - left, 20);
                EXPECT_LE(plot.xMin, box[0]);
                EXPECT_LE(plot.yMin, box[1]);
                EXPECT_GE(plot.xMax, box[2]);
                EXPECT_GE(plot.yMax, box[3]);
                EXPECT_NEAR(plot.xMin + plot.xMax, 2 * cx, 1e-12);
                EXPECT_NEAR(plot.yMin + plot.yMax, 2 * cy, 1e-12);
                double xmin, ymin, xmax, ymax;
                plot.GetBox(xmin, ymin, xmax, ymax);
                EXPECT_EQ(
                    (std::array<double, 4>{xmin, ymin, xmax, ymax}),
                    (std::array<double, 4>{double(box[0]), double(box[1]), double(box[2]), double(box[3])}));
            }
        }
    }
}

TEST(EqualAspect, MadeAnewAtEveryMappingAndUndoneWhenSwitchedOff) {
    PlotBox plot, plain;
    for (PlotBox* p : {&plot, &plain}) p->SetBox(-2, -2, 2, 2), p->SetViewport(0, 0, 100, 100);
    plot.equalAspect = 1;
    plot.ComputeMapping(0, 0, 900, 300);
    EXPECT_DOUBLE_EQ(plot.xMin, -6);
    plot.ComputeMapping(0, 0, 300, 900);  // a resize: from the box asked for, not the last widened one
    EXPECT_EQ(plot.xMin, -2);
    EXPECT_DOUBLE_EQ(plot.yMin, -6);
    EXPECT_FALSE(plot.IsOutside(0, 5));  // the clip is the widened box's
    plot.equalAspect = 0;
    plot.ComputeMapping(0, 0, 300, 900);
    plain.ComputeMapping(0, 0, 300, 900);
    EXPECT_EQ((std::array<double, 8>{plot.xMin, plot.yMin, plot.xMax, plot.yMax, plot.xScale, plot.yScale,
                                     plot.xOffset, plot.yOffset}),
              (std::array<double, 8>{plain.xMin, plain.yMin, plain.xMax, plain.yMax, plain.xScale,
                                     plain.yScale, plain.xOffset, plain.yOffset}));
    // A box that cannot be widened is shown as asked.
    plot.equalAspect = 1;
    plot.SetExactBox(1, -2, 1, 2);
    plot.ComputeMapping(0, 0, 900, 300);
    EXPECT_EQ((std::array<double, 4>{plot.xMin, plot.yMin, plot.xMax, plot.yMax}),
              (std::array<double, 4>{1, -2, 1, 2}));
}

TEST(EqualAspect, TheFrameLabelsTheWidenedBox) {
    PlotBox plot;
    RecordingSurface surface;
    plot.SetViewport(10, 10, 90, 90);
    plot.SetBox(-2, -2, 2, 2);
    plot.axisStyle = 1;
    plot.equalAspect = 1;
    plot.Draw(&surface, 0, 0, 900, 300);  // 720 x 240 pixels: x from -6 to 6
    const auto texts = surface.callsStartingWith("Text(");
    auto shows = [&](const std::string& label) {
        return std::any_of(texts.begin(), texts.end(),
                           [&](const std::string& t) { return t.ends_with("," + label + ")"); });
    };
    EXPECT_TRUE(shows("-6.00"));
    EXPECT_TRUE(shows("6.00"));
    EXPECT_TRUE(shows("-2.00"));
    EXPECT_FALSE(shows("-4.00"));
    EXPECT_EQ(plot.BoxCorners(), (DeviceRect{90, 30, 810, 270}));
}

}  // namespace
