#include "app/screen_layers.h"

#include <QPainter>
#include <cstring>
#include <utility>

#include "app/painter_surface.h"
#include "base/parallel_for.h"

void ScreenLayers::Reset(int width, int height, double scale, bool apart) {
    width_ = width, height_ = height, scale_ = scale;
    const QSize size(int(width * scale), int(height * scale));
    // An image of the size is painted over whole: kept rather than made
    // afresh, whose memory costs more to touch than the paint (a drag that
    // turns the view paints one a picture).
    const auto fresh = [&](QImage& image) {
        if (image.size() != size || image.format() != QImage::Format_RGB32)
            image = QImage(size, QImage::Format_RGB32);
    };
    if (apart)
        fresh(under_);
    else
        under_ = QImage();
    // Apart, the picture is made from the layer under.
    if (apart)
        picture_ = QImage();
    else
        fresh(picture_);
}

void ScreenLayers::SetPicture(QImage picture) {
    under_ = QImage();
    picture_ = std::move(picture);
}

void ScreenLayers::Paint(Layer layer, const TickDamage* only,
                         const std::function<void(DrawingSurface& surface)>& paint) {
    QImage& image = layer == Layer::Under ? under_ : picture_;
    if (image.isNull()) return;
    // Painted in the image's own pixels, whatever ratio the view shows it at.
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1);
    {
        QPainter painter(&image);
        PainterSurface surface(painter, width_, height_, scale_);
        if (only) surface.RestrictTo(*only);
        paint(surface);
    }
    image.setDevicePixelRatio(ratio);
}

void ScreenLayers::CopyUnder(const TickDamage* tiles) {
    if (!tiles) {
        picture_ = under_.copy();
        return;
    }
    QImage& to = picture_;
    const QImage& from = under_;
    if (from.size() != to.size() || from.format() != to.format() || from.depth() != 32) return;
    const int scale = int(scale_);
    const QRect whole = to.rect();
    const std::vector<DeviceRect> rects = tiles->Rects();
    uchar* const toBits = to.bits();
    const uchar* const fromBits = from.constBits();
    const qsizetype toStride = to.bytesPerLine(), fromStride = from.bytesPerLine();
    // On every processor when a tick of many bodies changed much.
    const unsigned workers = WorkerCount(rects.size(), 512);
    ParallelFor(0, int64_t(rects.size()), workers, [&](int64_t first, int64_t last) {
        for (int64_t i = first; i < last; ++i) {
            const DeviceRect& r = rects[std::size_t(i)];
            const QRect part =
                QRect(r.left * scale, r.top * scale, (r.right - r.left) * scale, (r.bottom - r.top) * scale) &
                whole;
            if (part.isEmpty()) continue;
            for (int y = part.top(); y <= part.bottom(); ++y)
                std::memcpy(toBits + y * toStride + part.left() * 4,
                            fromBits + y * fromStride + part.left() * 4, std::size_t(part.width()) * 4);
        }
    });
}
