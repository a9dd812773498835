#include "plot/raster_surface.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

void RasterSurface::Clear(ColourRef colour) {
    FillSpan(0, 0, raster_.width, raster_.height, ToRasterPixel(colour));
}

void RasterSurface::FillSpan(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t pixel) {
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, raster_.width);
    bottom = std::min<int64_t>(bottom, raster_.height);
    if (right <= left || bottom <= top) return;  // wholly off the raster
    for (int64_t y = top; y < bottom; ++y)
        std::fill(&raster_.at(int32_t(left), int32_t(y)),
                  &raster_.at(int32_t(left), int32_t(y)) + (right - left), pixel);
}

void RasterSurface::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int64_t l = left, t = top, r = right, b = bottom;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (r <= l || b <= t) return;
    const uint32_t black = ToRasterPixel(0x000000);
    FillSpan(l, t, r, b, black);
    FillSpan(l + 1, t + 1, r - 1, b - 1, ToRasterPixel(brush_));
}

ColourRef RasterSurface::SelectBrush(ColourRef colour) { return std::exchange(brush_, colour); }

void RasterSurface::LineTo(int32_t x, int32_t y) {
    // Pixel i of the n = max(|dx|, |dy|) pixels lies i steps along the major
    // axis and round(i * minor / n) along the minor one. Only the steps whose
    // major coordinate falls on the raster are visited.
    __extension__ typedef __int128 Wide;
    const int64_t x0 = currentX_, y0 = currentY_;
    MoveTo(x, y);
    const int64_t dx = int64_t(x) - x0, dy = int64_t(y) - y0;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t majorStart = xMajor ? x0 : y0;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t majorSize = xMajor ? raster_.width : raster_.height;
    const int64_t minorStart = xMajor ? y0 : x0;
    const int64_t minorDelta = xMajor ? dy : dx;
    // Steps i in [0, n) with 0 <= majorStart + i * majorStep < majorSize.
    int64_t first = majorStep > 0 ? -majorStart : majorStart - (majorSize - 1);
    int64_t last = majorStep > 0 ? majorSize - 1 - majorStart : majorStart;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, n - 1);
    if (first > last) return;
    // The minor offset of step i is floor((2 i |minor| + n) / 2n); it is
    // worked out once for the first visible step and then carried along.
    const int64_t twoN = 2 * n, twoMinor = 2 * std::llabs(minorDelta);
    const Wide start = Wide(twoMinor) * first + n;
    auto offset = int64_t(start / twoN);
    auto remainder = int64_t(start % twoN);
    const int64_t minorStep = minorDelta < 0 ? -1 : 1;
    const uint32_t black = ToRasterPixel(0x000000);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t major = majorStart + i * majorStep;
        const int64_t minor = minorStart + offset * minorStep;
        const int64_t px = xMajor ? major : minor, py = xMajor ? minor : major;
        if (raster_.contains(px, py)) raster_.at(int32_t(px), int32_t(py)) = black;
        remainder += twoMinor;
        if (remainder >= twoN) {
            remainder -= twoN;
            ++offset;
        }
    }
}

void RasterSurface::TextOut(int32_t x, int32_t y, std::string_view text) {
    if (text_ && !text.empty()) text_->DrawText(raster_, x, y, text);
}
