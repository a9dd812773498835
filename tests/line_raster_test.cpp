// Strokes blended into a raster: how much ink they leave at any angle and
// along a line of many, how far an end reaches at a bend, that
// nothing lands outside the clip or the marked tiles, and that far or broken
// ends are safe.

#include "plot/line_raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

struct Raster {
    int32_t width, height;
    std::vector<uint32_t> bits;
    Raster(int32_t w, int32_t h) : width(w), height(h), bits(std::size_t(w) * std::size_t(h), kWhite) {}
    PixelRaster view() { return {bits.data(), width, height, width}; }
    DeviceRect all() const { return {0, 0, width, height}; }
    /// The black ink on white, in pixels' worth.
    double Ink() const {
        double ink = 0;
        for (const uint32_t p : bits) ink += (255 - (p & 0xFF)) / 255.0;
        return ink;
    }
};

TEST(LineRaster, AStrokeLeavesItsAreaOfInkAtEveryAngleAndFillsItsMiddle) {
    for (const double width : {1.0, 1.5, 4.0})
        for (int degrees = 0; degrees < 180; degrees += 15) {
            Raster r(80, 80);
            const double angle = degrees * M_PI / 180, length = 30;
            const ViewPoint a{40 - std::cos(angle) * length / 2, 40 - std::sin(angle) * length / 2};
            const ViewPoint b{40 + std::cos(angle) * length / 2, 40 + std::sin(angle) * length / 2};
            BlendStroke(r.view(), a, b, width, 0, r.all());
            // Square ends: the stroke is (length + width) long.
            EXPECT_NEAR(r.Ink(), (length + width) * width, 0.02 * (length + width) * width)
                << "width " << width << " at " << degrees << " degrees";
            if (width >= 2) {
                EXPECT_EQ(r.bits[40 * 80 + 40], 0xFF000000u) << degrees;
            }
        }
}

TEST(LineRaster, NothingLandsOutsideTheClipOrTheMarkedTilesAndInsideThemAllIsAsWithout) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> at(-10, 74), wide(0.5, 6);
    // Tiles of 8 pixels, a few marked.
    std::vector<uint8_t> marked(8 * 8);
    for (std::size_t i = 0; i < marked.size(); ++i) marked[i] = i % 3 == 0;
    const TileMask mask{marked.data(), 8, 8, 8};
    const DeviceRect clip{5, 9, 60, 50};
    Raster whole(64, 64), masked(64, 64);
    for (int i = 0; i < 200; ++i) {
        const ViewPoint a{at(random), at(random)}, b{at(random), at(random)};
        const double width = wide(random);
        const ColourRef colour = ColourRef(random() & 0xFFFFFF);
        BlendStroke(whole.view(), a, b, width, colour, clip);
        BlendStroke(masked.view(), a, b, width, colour, clip, &mask);
    }
    int drawn = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            const bool inTile = marked[std::size_t(y / 8 * 8 + x / 8)] != 0;
            const std::size_t i = std::size_t(y * 64 + x);
            if (!inClip) {
                EXPECT_EQ(whole.bits[i], kWhite) << x << "," << y;
            }
            EXPECT_EQ(masked.bits[i], inTile ? whole.bits[i] : kWhite) << x << "," << y;
            drawn += masked.bits[i] != kWhite;
        }
    EXPECT_GT(drawn, 300);
}

TEST(LineRaster, ABendReachesAsFarAsTheMitreOfItsTurn) {
    // tan of half the turn, capped at a square end.
    struct Case {
        ViewPoint before, at, after;
        float reach;
    };
    for (const Case& c : {Case{{0, 0}, {1, 0}, {5, 0}, 0},                          // straight on
                          Case{{0, 0}, {1, 0}, {2, 1}, float(std::tan(M_PI / 8))},  // 45 degrees
                          Case{{0, 0}, {1, 0}, {1, -3}, 1},                         // a right angle
                          Case{{0, 0}, {1, 0}, {0, 0.1}, 1},                        // turning back
                          Case{{0, 0}, {0, 0}, {1, 1}, 1},                          // no direction
                          Case{{0, 0}, {1, 0}, {INFINITY, 0}, 1}})
        EXPECT_NEAR(BendReach(c.before, c.at, c.after), c.reach, 1e-6)
            << c.at.x << "," << c.at.y << " to " << c.after.x << "," << c.after.y;
}

TEST(LineRaster, ALineOfManyShortStrokesIsInkedOnceAsWideAsAsked) {
    // Dense rows: steps far shorter than the width, along a straight line
    // and round a circle, joined by their bends' reach. Square ends at every
    // step would ink each pixel's edge several times, and the line would
    // look a third wider than asked.
    for (const double step : {0.3, 1.0, 4.0})
        for (const bool circle : {false, true}) {
            Raster r(120, 120);
            const double radius = 40, width = 1.5;
            const int steps = circle ? int(std::ceil(2 * M_PI * radius / step)) : int(80 / step);
            std::vector<ViewPoint> points;
            for (int i = 0; i <= steps; ++i) {
                const double angle = 2 * M_PI * i / steps;
                points.push_back(circle
                                     ? ViewPoint{60 + radius * std::cos(angle), 60 + radius * std::sin(angle)}
                                     : ViewPoint{20 + i * step, 50.5 + i * step * 0.1});
            }
            double length = 0;
            for (int i = 0; i < steps; ++i) {
                const StrokeEnds ends = JoinedEnds(i > 0 ? &points[i - 1] : nullptr, points[i], points[i + 1],
                                                   i + 1 < steps ? &points[i + 2] : nullptr);
                BlendStroke(r.view(), points[i], points[i + 1], width, 0, r.all(), nullptr, ends);
                length += std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y);
            }
            // The line's two square ends add a width's length.
            const double area = (length + (circle ? 0 : width)) * width;
            EXPECT_NEAR(r.Ink(), area, 0.04 * area)
                << "steps of " << step << (circle ? " round" : " straight");
        }
}

TEST(LineRaster, FarEndsDrawWhatTheNearPartDrawsAndBrokenOnesNothing) {
    Raster far(100, 60), near(100, 60);
    BlendStroke(far.view(), {-1e12, 30.3}, {1e12, 30.3}, 2, 0xFF, far.all());
    BlendStroke(near.view(), {-50, 30.3}, {150, 30.3}, 2, 0xFF, near.all());
    EXPECT_EQ(far.bits, near.bits);
    const double nan = std::nan(""), inf = INFINITY;
    Raster broken(20, 20);
    for (const auto& [a, b] : {std::pair<ViewPoint, ViewPoint>{{nan, 3}, {10, 10}},
                               {{0, 0}, {inf, 5}},
                               {{-1e308, 0}, {1e308, 5}},
                               {{3, 3}, {3, 3}}})
        BlendStroke(broken.view(), a, b, 0, 0, broken.all());
    for (const auto& [a, b] :
         {std::pair<ViewPoint, ViewPoint>{{nan, 3}, {10, 10}}, {{0, 0}, {inf, 5}}, {{-1e308, 0}, {1e308, 5}}})
        BlendStroke(broken.view(), a, b, 2, 0, broken.all());
    EXPECT_EQ(broken.Ink(), 0);
    // A stroke of no length is a square of its width.
    BlendStroke(broken.view(), {10, 10}, {10, 10}, 4, 0, broken.all());
    EXPECT_NEAR(broken.Ink(), 16, 0.5);
}

}  // namespace

namespace {

TEST(DraftLine, SetsOnePixelAStepWithinTheClipAndNothingElse) {
    constexpr uint32_t kInk = 0xFF102030;
    const DeviceRect clip{10, 10, 50, 40};
    const struct {
        ViewPoint a, b;
        int pixels;  ///< set within the clip; -1: at least as many as the longer axis crosses
    } cases[] = {
        {{12.5, 12.5}, {42.5, 12.5}, 31},       // along a row
        {{12.5, 12.5}, {12.5, 32.5}, 21},       // down a column
        {{12.5, 12.5}, {32.5, 32.5}, 21},       // at 45 degrees: one a step
        {{20.2, 20.7}, {20.9, 20.1}, 1},        // within one pixel
        {{-1e9, 20.5}, {1e9, 20.5}, 40},        // far ends: the clip's width
        {{0, 0}, {5, 5}, 0},                    // outside it
        {{12.5, 12.5}, {std::nan(""), 30}, 0},  // broken
        {{12.5, 12.5}, {std::numeric_limits<double>::infinity(), 30}, 0},
    };
    for (const auto& c : cases) {
        Raster r(60, 50);
        DraftLine(r.view(), c.a, c.b, kInk, clip);
        int inside = 0, outside = 0;
        for (int32_t y = 0; y < r.height; ++y)
            for (int32_t x = 0; x < r.width; ++x)
                if (r.bits[std::size_t(y * r.width + x)] == kInk)
                    ++(x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom ? inside
                                                                                            : outside);
        EXPECT_EQ(outside, 0) << c.a.x << "," << c.a.y;
        EXPECT_EQ(inside, c.pixels) << c.a.x << "," << c.a.y << " to " << c.b.x << "," << c.b.y;
    }
}

}  // namespace
