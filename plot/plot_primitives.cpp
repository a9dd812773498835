#include <algorithm>
#include <cmath>

#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

void PlotBox::MoveTo(double x, double y) {
    const DevicePoint p = ToDevice(x, y, 0);
    currentX = p.x;
    currentY = p.y;
}

void PlotBox::LineTo(double x, double y, int clip) {
    if (!enabled) return;
    if (clip && IsOutside(x, y)) return;
    const DevicePoint p = Map(x, y);
    if (deviceContext) {
        deviceContext->MoveTo(currentX, currentY);
        deviceContext->LineTo(p.x, p.y);
    }
    currentX = p.x;
    currentY = p.y;
}

int PlotBox::PlotPoint(double x, double y, ColourRef colour, int clip) {
    if (!enabled) return 0;
    if (clip && IsOutside(x, y)) return 0;
    const DevicePoint p = Map(x, y);
    if (deviceContext) deviceContext->SetPixel(p.x, p.y, colour);
    return 1;
}

namespace {

/// Largest j >= 0 with j * j <= n, for n >= 0.
int64_t IntegerSqrt(int64_t n) {
    auto j = int64_t(std::sqrt(double(n)));
    while (j * j > n) --j;
    while ((j + 1) * (j + 1) <= n) ++j;
    return j;
}

}  // namespace

int PlotBox::PlotDisc(double x, double y, int radius, ColourRef colour, int clip) {
    const DeviceRect box = BoxCorners();
    if (!enabled) return 0;
    if (clip && IsOutside(x, y)) return 0;
    const DevicePoint c = Map(x, y);
    if (!deviceContext) return 1;
    if (radius == 0) {
        deviceContext->SetPixel(c.x, c.y, colour);
        return 1;
    }
    // The pixels (cx + i, cy + j) with i^2 + j^2 <= r^2, and with clipping only
    // those strictly inside the box; the loops visit only the part of the disc
    // that can land on the surface.
    const DeviceRect area = deviceContext->bounds();
    int64_t left = area.left, top = area.top, right = area.right - 1, bottom = area.bottom - 1;
    if (clip) {
        left = std::max<int64_t>(left, int64_t(box.left) + 1);
        right = std::min<int64_t>(right, int64_t(box.right) - 1);
        top = std::max<int64_t>(top, int64_t(box.top) + 1);
        bottom = std::min<int64_t>(bottom, int64_t(box.bottom) - 1);
    }
    const DeviceRect visible{Clamp32(left), Clamp32(top), Clamp32(right + 1), Clamp32(bottom + 1)};
    if (deviceContext->FillDisc(c.x, c.y, radius, colour, visible)) return 1;
    const int64_t r = radius;
    const int64_t iFirst = std::max(-r, left - c.x), iLast = std::min(r, right - c.x);
    const PixelRaster* raster = deviceContext->raster();
    const uint32_t pixel = ToRasterPixel(colour);
    for (int64_t i = iFirst; i <= iLast; ++i) {
        const int64_t reach = IntegerSqrt(r * r - i * i);
        const int64_t jFirst = std::max(-reach, top - c.y), jLast = std::min(reach, bottom - c.y);
        const auto px = int32_t(c.x + i);
        for (int64_t j = jFirst; j <= jLast; ++j) {
            if (raster)
                raster->at(px, int32_t(c.y + j)) = pixel;
            else
                deviceContext->SetPixel(px, int32_t(c.y + j), colour);
        }
    }
    return 1;
}

void PlotBox::DrawCross(double x0, double y0) {
    const int savedX = currentX, savedY = currentY;
    MoveTo(xMin, y0);
    LineTo(xMax, y0, 0);
    MoveTo(x0, yMin);
    LineTo(x0, yMax, 0);
    currentX = savedX;
    currentY = savedY;
}
