#pragma once
#include <cstdint>
#include <vector>

#include "fake_text.h"
#include "plot/drawing_surface.h"
#include "plot/line_raster.h"
#include "publication/publication_tick.h"

/// A smooth surface over a raster in memory, without the toolkit, `scale`
/// raster pixels (a whole number) to a pixel of the view: lines blended as
/// the window blends them (BlendStroke), discs, boxes and text filled by
/// the pixels' centres, text as a pattern of its characters, so that
/// another text gives other pixels. A pixel takes what a call draws from
/// its own value and the call alone, and a surface restricted to some tiles
/// draws in them only: a repaint of tiles gives them exactly what a whole
/// paint does. Text is measured as a face whose characters are 0.6 of the
/// size wide and lines 1.2 of it high.
class SmoothRaster : public DrawingSurface {
public:
    SmoothRaster(const PixelRaster& raster, int32_t width, int32_t height, int32_t scale,
                 const TickDamage* only = nullptr);

    // The publication look draws with the smooth operations only.
    void Clear(ColourRef) override {}
    void SetPixel(int32_t, int32_t, ColourRef) override {}
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    ColourRef SelectBrush(ColourRef colour) override { return colour; }
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void TextOut(int32_t, int32_t, std::string_view) override {}
    DeviceRect bounds() const override { return {0, 0, width_, height_}; }

    bool smooth() const override { return true; }
    void StrokePolyline(const ViewPoint* points, std::size_t count, ColourRef colour, double width) override;
    void StrokeSegments(const Stroke* strokes, std::size_t count, double width) override;
    bool LayerSize(int32_t& width, int32_t& height) const override {
        width = raster_.width, height = raster_.height;
        return true;
    }
    void ClearLayer(const PixelRaster& layer, const TileMask* only = nullptr) override;
    void StrokeSegmentsOnto(const PixelRaster& layer, const Stroke* strokes, std::size_t count, double width,
                            const TileMask* only = nullptr) override;
    void CopyInto(const PixelRaster& layer) override;
    void ComposeLayers(const PixelRaster* const* layers, std::size_t count, const PixelRaster* base = nullptr,
                       const TileMask* only = nullptr, const PixelRaster* into = nullptr) override;
    void ComposeRefreshing(const PixelRaster* newest, const PixelRaster& below,
                           const PixelRaster* const* layers, std::size_t count, const PixelRaster& base,
                           const TileMask* only, const TileMask& refresh) override;
    void FillCircle(ViewPoint centre, double radius, ColourRef fill, ColourRef outline,
                    double outlineWidth) override;
    void FillArea(double left, double top, double right, double bottom, ColourRef colour) override;
    void DrawText(ViewPoint anchor, std::string_view text, const TextStyle& style) override;
    ViewPoint TextExtent(std::string_view text, double size) const override {
        return FakeTextExtent(text, size);
    }
    void ClipTo(double left, double top, double right, double bottom) override;
    void Unclip() override { clip_ = whole_; }
    bool piecewise() const override { return true; }
    bool partial() const override { return only_ != nullptr; }
    bool Shows(double left, double top, double right, double bottom) const override;

private:
    /// Whether the raster pixel x, y lies in the tiles drawn (all without).
    bool Marked(int32_t x, int32_t y) const {
        return !mask_.marked || mask_.marked[std::size_t(y / mask_.size) * std::size_t(mask_.columns) +
                                             std::size_t(x / mask_.size)];
    }
    /// Whether the raster pixel x, y may be drawn: inside the clip and the tiles.
    bool Drawn(int32_t x, int32_t y) const {
        return x >= clip_.left && y >= clip_.top && x < clip_.right && y < clip_.bottom && Marked(x, y);
    }
    /// `only` in the raster's pixels, else the tiles drawn.
    TileMask MaskOf(const TileMask* only) const;
    /// Gives `colour` to the pixels whose centres `inside` takes, within the
    /// box left..right x top..bottom of the view.
    template <typename Inside>
    void Fill(double left, double top, double right, double bottom, Inside inside);

    PixelRaster raster_;
    int32_t width_, height_, scale_;
    const TickDamage* only_;
    TileMask mask_;
    DeviceRect whole_, clip_;
};

/// The layers of a view of the publication look kept in memory at `scale`.
class RasterLayers : public PublicationLayers {
public:
    RasterLayers(int32_t width, int32_t height, int32_t scale, bool apart);

    bool apart() const override { return apart_; }
    void Paint(Layer layer, const TickDamage* only,
               const std::function<void(DrawingSurface& surface)>& paint) override;
    void CopyUnder(const TickDamage* tiles) override;

    std::vector<uint32_t> under, picture;

private:
    PixelRaster RasterOf(std::vector<uint32_t>& pixels) const {
        return {pixels.data(), width_ * scale_, height_ * scale_, width_ * scale_};
    }

    int32_t width_, height_, scale_;
    bool apart_;
};
