#include "app/image_surface.h"

#include <sys/mman.h>

#include <cstdint>

namespace {

/// Asks for huge pages under a large raster: a trail's points scatter over
/// every row of the picture, and with 4 KiB pages a 4K raster spreads them
/// over more pages than the processor's address cache holds.
void PreferHugePages(QImage& image) {
    constexpr std::uintptr_t kHuge = 2u << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(image.bits());
    const auto end = begin + std::uintptr_t(image.sizeInBytes());
    const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
    if (first + kHuge <= end)
        ::madvise(reinterpret_cast<void*>(first), (end - first) & ~(kHuge - 1), MADV_HUGEPAGE);
}

}  // namespace

ImageSurface::ImageSurface(int width, int height)
    : image_(width, height, QImage::Format_RGB32), surface_(RasterOf(image_), &text_) {
    PreferHugePages(image_);
    image_.fill(Qt::white);
}

PixelRaster ImageSurface::RasterOf(QImage& image) {
    PixelRaster raster;
    raster.bits = reinterpret_cast<uint32_t*>(image.bits());
    raster.width = image.width();
    raster.height = image.height();
    raster.stride = image.bytesPerLine() / 4;
    return raster;
}
