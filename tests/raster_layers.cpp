#include "raster_layers.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "plot/layer_compose.h"

SmoothRaster::SmoothRaster(const PixelRaster& raster, int32_t width, int32_t height, int32_t scale,
                           const TickDamage* only)
    : raster_(raster), width_(width), height_(height), scale_(scale), only_(only) {
    if (only) mask_ = only->mask(), mask_.size *= scale;
    whole_ = clip_ = {0, 0, raster.width, raster.height};
}

template <typename Inside>
void SmoothRaster::Fill(double left, double top, double right, double bottom, Inside inside) {
    const double s = scale_;
    const auto x0 = int32_t(std::max(std::floor(left * s), double(clip_.left)));
    const auto y0 = int32_t(std::max(std::floor(top * s), double(clip_.top)));
    const auto x1 = int32_t(std::min(std::ceil(right * s), double(clip_.right)));
    const auto y1 = int32_t(std::min(std::ceil(bottom * s), double(clip_.bottom)));
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (Drawn(x, y))
                if (const auto colour = inside((x + 0.5) / s, (y + 0.5) / s, x, y))
                    raster_.at(x, y) = ToRasterPixel(*colour);
}

void SmoothRaster::StrokePolyline(const ViewPoint* points, std::size_t count, ColourRef colour,
                                  double width) {
    // As the window's painter: square at the line's ends, across each bend
    // as its turn needs.
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const Stroke stroke{points[i], points[i + 1], colour,
                            JoinedEnds(i > 0 ? &points[i - 1] : nullptr, points[i], points[i + 1],
                                       i + 2 < count ? &points[i + 2] : nullptr)};
        StrokeSegments(&stroke, 1, width);
    }
}

void SmoothRaster::StrokeSegments(const Stroke* strokes, std::size_t count, double width) {
    const double s = scale_;
    for (std::size_t i = 0; i < count; ++i) {
        const ViewPoint a{strokes[i].a.x * s, strokes[i].a.y * s}, b{strokes[i].b.x * s, strokes[i].b.y * s};
        // Within the tiles only, as the window's painter blends them.
        BlendStroke(raster_, a, b, width * s, strokes[i].colour, clip_, only_ ? &mask_ : nullptr,
                    strokes[i].ends);
    }
}

void SmoothRaster::StrokeSegmentsOnto(const PixelRaster& layer, const Stroke* strokes, std::size_t count,
                                      double width, const TileMask* only) {
    const TileMask mask = MaskOf(only);
    const double s = scale_;
    for (std::size_t i = 0; i < count; ++i) {
        const ViewPoint a{strokes[i].a.x * s, strokes[i].a.y * s}, b{strokes[i].b.x * s, strokes[i].b.y * s};
        BlendStroke(layer, a, b, width * s, strokes[i].colour, clip_, only || only_ ? &mask : nullptr,
                    strokes[i].ends);
    }
}

void SmoothRaster::ClearLayer(const PixelRaster& layer, const TileMask* only) {
    const TileMask mask = MaskOf(only);
    ::ClearLayer(layer, clip_, only || only_ ? &mask : nullptr);
}

void SmoothRaster::CopyInto(const PixelRaster& layer) {
    CopyPixels(raster_, layer, clip_, only_ ? &mask_ : nullptr);
}

void SmoothRaster::ComposeLayers(const PixelRaster* const* layers, std::size_t count, const PixelRaster* base,
                                 const TileMask* only, const PixelRaster* into) {
    const TileMask mask = MaskOf(only);
    ::ComposeLayers(into ? *into : raster_, layers, count, clip_, only || only_ ? &mask : nullptr, base);
}

void SmoothRaster::ComposeRefreshing(const PixelRaster* newest, const PixelRaster& below,
                                     const PixelRaster* const* layers, std::size_t count,
                                     const PixelRaster& base, const TileMask* only, const TileMask& refresh) {
    const TileMask mask = MaskOf(only), again = MaskOf(&refresh);
    ::ComposeRefreshing(raster_, below, newest, layers, count, base, clip_, only || only_ ? &mask : nullptr,
                        again);
}

TileMask SmoothRaster::MaskOf(const TileMask* only) const {
    if (!only) return mask_;
    TileMask mask = *only;
    mask.size *= scale_;
    return mask;
}

void SmoothRaster::FillCircle(ViewPoint c, double radius, ColourRef fill, ColourRef outline,
                              double outlineWidth) {
    const double reach = radius + std::max(outlineWidth, 0.0) / 2;
    Fill(c.x - reach, c.y - reach, c.x + reach, c.y + reach,
         [&](double x, double y, int32_t, int32_t) -> std::optional<ColourRef> {
             const double d = std::hypot(x - c.x, y - c.y);
             if (outlineWidth > 0 && std::fabs(d - radius) <= outlineWidth / 2) return outline;
             if (d <= radius) return fill;
             return std::nullopt;
         });
}

void SmoothRaster::FillArea(double left, double top, double right, double bottom, ColourRef colour) {
    Fill(left, top, right, bottom, [&](double x, double y, int32_t, int32_t) -> std::optional<ColourRef> {
        if (x >= left && x < right && y >= top && y < bottom) return colour;
        return std::nullopt;
    });
}

void SmoothRaster::DrawText(ViewPoint at, std::string_view text, const TextStyle& style) {
    const auto [left, top, right, bottom] = PlaceFakeText(at, text, style);
    const double charWidth = 0.6 * style.size;
    Fill(left, top, right, bottom,
         [&](double x, double y, int32_t px, int32_t py) -> std::optional<ColourRef> {
             // Along the text: left to right, or bottom to top when turned.
             const double along = style.upwards ? bottom - y : x - left;
             const auto index = std::size_t(along / charWidth);
             if (along < 0 || index >= text.size()) return std::nullopt;
             if ((uint32_t(uint8_t(text[index])) * 7 + uint32_t(px) * 3 + uint32_t(py) * 5) % 4 != 0)
                 return std::nullopt;
             return style.colour;
         });
}

void SmoothRaster::ClipTo(double left, double top, double right, double bottom) {
    const double s = scale_;
    clip_ = {std::max(whole_.left, int32_t(std::lround(left * s))),
             std::max(whole_.top, int32_t(std::lround(top * s))),
             std::min(whole_.right, int32_t(std::lround(right * s))),
             std::min(whole_.bottom, int32_t(std::lround(bottom * s)))};
}

bool SmoothRaster::Shows(double left, double top, double right, double bottom) const {
    return !only_ || only_->Shows(left, top, right, bottom, width_, height_);
}

RasterLayers::RasterLayers(int32_t width, int32_t height, int32_t scale, bool apart)
    : width_(width), height_(height), scale_(scale), apart_(apart) {
    // Not white, so that a pixel no paint reaches shows.
    const std::size_t pixels = std::size_t(width * scale) * std::size_t(height * scale);
    picture.assign(pixels, 0xFF00FF00u);
    if (apart) under.assign(pixels, 0xFF0000FFu);
}

void RasterLayers::Paint(Layer layer, const TickDamage* only,
                         const std::function<void(DrawingSurface& surface)>& paint) {
    SmoothRaster surface(RasterOf(layer == Layer::Under ? under : picture), width_, height_, scale_, only);
    paint(surface);
}

void RasterLayers::CopyUnder(const TickDamage* tiles) {
    if (!tiles) {
        picture = under;
        return;
    }
    const int32_t stride = width_ * scale_;
    for (const DeviceRect& r : tiles->Rects())
        for (int32_t y = r.top * scale_; y < r.bottom * scale_; ++y)
            std::copy(under.begin() + y * stride + r.left * scale_,
                      under.begin() + y * stride + r.right * scale_,
                      picture.begin() + y * stride + r.left * scale_);
}
