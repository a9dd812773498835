#pragma once
#include <QImage>

#include "app/qt_text_painter.h"
#include "plot/raster_surface.h"

/// A 32-bit off-screen image with a drawing surface over its pixels: what
/// the view presents and what the renderer saves.
class ImageSurface {
public:
    ImageSurface(int width, int height);

    RasterSurface& surface() { return surface_; }
    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

private:
    static PixelRaster RasterOf(QImage& image);

    QImage image_;
    QtTextPainter text_;
    RasterSurface surface_;
};
