#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>

#include "app/image_surface.h"
#include "plot/plot_box.h"

namespace {

TEST(ViewFont, AdvanceAndLineSuitTheLabelOffsets) {
    const QFontMetrics metrics(QtTextPainter::ViewFont());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("0123456789")), 70);
    EXPECT_LE(metrics.height(), 16);
    EXPECT_GE(metrics.height(), 12);
}

/// Every pixel of the rectangle's one-pixel border that is not black.
int BrokenBorderPixels(const QImage& image, const DeviceRect& r) {
    int broken = 0;
    for (int x = r.left; x < r.right; ++x)
        broken += (image.pixel(x, r.top) != 0xFF000000u) + (image.pixel(x, r.bottom - 1) != 0xFF000000u);
    for (int y = r.top; y < r.bottom; ++y)
        broken += (image.pixel(r.left, y) != 0xFF000000u) + (image.pixel(r.right - 1, y) != 0xFF000000u);
    return broken;
}

TEST(ViewFont, LabelsLeaveBothFrameLinesWhole) {
    const double boxes[][4] = {{-3, -3, 3, 3}, {-1000.5, -0.001, 12345.678, 99999}, {-2e6, -7.25, 5, -1}};
    for (const int style : {0, 1}) {
        for (const auto& b : boxes) {
            ImageSurface image(600, 600);
            PlotBox plot;
            plot.axisStyle = style;
            plot.title = "2 planet simulation";
            plot.SetViewport(10, 10, 90, 90);
            plot.SetBox(b[0], b[1], b[2], b[3]);
            plot.Draw(&image.surface(), 0, 0, 600, 600);
            const DeviceRect inner = plot.BoxCorners();
            const DeviceRect outer{inner.left - 1, inner.top - 1, inner.right + 1, inner.bottom + 1};
            EXPECT_EQ(BrokenBorderPixels(image.image(), outer), 0) << style << " " << b[0];
            EXPECT_EQ(BrokenBorderPixels(image.image(), inner), 0) << style << " " << b[0];
        }
    }
}

TEST(ViewFont, TextIsBlackOnAnOpaqueWhiteBox) {
    ImageSurface image(100, 40);
    image.surface().Clear(0x808080);
    image.surface().TextOut(10, 5, "N=8");
    const QImage& picture = image.image();
    const int height = QFontMetrics(QtTextPainter::ViewFont()).height();
    int black = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 10 && x < 10 + 3 * 7 && y >= 5 && y < 5 + height;
            const QRgb pixel = picture.pixel(x, y);
            const bool expected =
                inside ? (pixel == 0xFFFFFFFFu || pixel == 0xFF000000u) : pixel == 0xFF808080u;
            EXPECT_TRUE(expected) << x << "," << y;
            black += pixel == 0xFF000000u;
        }
    }
    EXPECT_GT(black, 20);
    image.surface().TextOut(-2000000000, 2000000000, "far away");
}

}  // namespace

namespace {

TEST(ViewFont, GlyphCacheDrawsWhatThePainterDraws) {
    const char* texts[] = {
        "N=1234 t=-12.345", "Fix the size of application window (the box should seem as square)",
        "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz"};
    for (const char* text : texts) {
        for (const auto& [x, y] : {std::pair{3, 4}, std::pair{-5, -3}, std::pair{150, 30}}) {
            ImageSurface cached(200, 40), painted(200, 40);
            cached.surface().TextOut(x, y, text);
            QImage image = painted.image();
            PixelRaster raster{reinterpret_cast<uint32_t*>(image.bits()), 200, 40, image.bytesPerLine() / 4};
            QtTextPainter::DrawTextWithPainter(raster, x, y, text);
            EXPECT_EQ(cached.image(), image) << text << " at " << x << "," << y;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
