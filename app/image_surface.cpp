#include "app/image_surface.h"

ImageSurface::ImageSurface(int width, int height)
    : image_(width, height, QImage::Format_RGB32), surface_(RasterOf(image_), &text_) {
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
