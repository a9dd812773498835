// Strokes blended into a raster: how much ink they leave at any angle, that
// nothing lands outside the clip or the marked tiles, and that far or broken
// ends are safe.

#include "plot/line_raster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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
