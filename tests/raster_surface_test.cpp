#include <gtest/gtest.h>

#include <vector>

#include "plot/raster_surface.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

struct RasterFixture : ::testing::Test {
    static constexpr int kWidth = 40, kHeight = 30;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, kWhite);
    RasterSurface surface{PixelRaster{pixels.data(), kWidth, kHeight, kWidth}, nullptr};

    uint32_t at(int x, int y) const { return pixels[std::size_t(y * kWidth + x)]; }
    int count(uint32_t value) const { return int(std::count(pixels.begin(), pixels.end(), value)); }
};

TEST_F(RasterFixture, ColoursConvertExactly) {
    surface.SetPixel(1, 2, 0x00332211);  // COLORREF 0x00BBGGRR
    EXPECT_EQ(at(1, 2), 0xFF112233u);
    surface.SetPixel(-1, 0, 0);
    surface.SetPixel(kWidth, 0, 0);
    surface.SetPixel(0, kHeight, 0);
    surface.SetPixel(INT32_MIN, INT32_MAX, 0);
    EXPECT_EQ(count(kWhite), kWidth * kHeight - 1);
}

TEST_F(RasterFixture, RectangleCoversLeftToRightMinusOne) {
    surface.SelectBrush(0x0000FF);
    surface.Rectangle(2, 3, 6, 8);
    EXPECT_EQ(at(2, 3), kBlack);
    EXPECT_EQ(at(5, 7), kBlack);
    EXPECT_EQ(at(6, 7), kWhite);
    EXPECT_EQ(at(5, 8), kWhite);
    EXPECT_EQ(at(3, 4), 0xFFFF0000u);
    EXPECT_EQ(count(kBlack), 2 * 4 + 2 * 3);
    EXPECT_EQ(count(0xFFFF0000u), 2 * 3);
}

TEST_F(RasterFixture, HugeRectangleClipsToTheRaster) {
    surface.Rectangle(-2000000000, 5, 2000000000, 2000000000);
    EXPECT_EQ(at(0, 5), kBlack);
    EXPECT_EQ(at(0, 6), kWhite);
    EXPECT_EQ(at(39, 29), kWhite);
    EXPECT_EQ(count(kBlack), kWidth);
}

TEST_F(RasterFixture, RectanglesOffTheRasterDrawNothing) {
    surface.Rectangle(kWidth + 10, 2, kWidth + 50, 8);
    surface.Rectangle(2, kHeight + 1, 8, kHeight + 9);
    surface.Rectangle(-50, -50, -10, -10);
    surface.Rectangle(INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX);
    EXPECT_EQ(count(kWhite), kWidth * kHeight);
}

TEST_F(RasterFixture, LineExcludesItsEndPoint) {
    surface.MoveTo(2, 2);
    surface.LineTo(6, 2);
    EXPECT_EQ(count(kBlack), 4);
    EXPECT_EQ(at(6, 2), kWhite);
    surface.LineTo(6, 6);  // continues from the end point
    EXPECT_EQ(at(6, 2), kBlack);
    EXPECT_EQ(at(6, 6), kWhite);
    surface.MoveTo(10, 10);
    surface.LineTo(10, 10);
    EXPECT_EQ(at(10, 10), kWhite);
}

TEST_F(RasterFixture, DiagonalAndSteepLines) {
    surface.MoveTo(0, 0);
    surface.LineTo(4, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(at(i, i), kBlack);
    surface.MoveTo(20, 0);
    surface.LineTo(22, 10);
    EXPECT_EQ(count(kBlack), 4 + 10);
    EXPECT_EQ(at(20, 0), kBlack);
    EXPECT_EQ(at(21, 5), kBlack);
}

TEST_F(RasterFixture, FarLinesMatchTheirVisiblePart) {
    // A line from far away crosses the raster on the same pixels as a
    // line between two nearby points of the same straight path.
    surface.MoveTo(-2000000000, 15);
    surface.LineTo(2000000000, 15);
    EXPECT_EQ(count(kBlack), kWidth);
    std::fill(pixels.begin(), pixels.end(), kWhite);
    surface.MoveTo(-1000000000, -1000000000);
    surface.LineTo(1000000000, 1000000000);
    for (int i = 0; i < kHeight; ++i) EXPECT_EQ(at(i, i), kBlack) << i;
    EXPECT_EQ(count(kBlack), kHeight);
}

}  // namespace
