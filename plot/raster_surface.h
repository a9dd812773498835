#pragma once
#include "plot/drawing_surface.h"

/// Draws text into a raster; the toolkit's text engine lives behind it so
/// that the pixel operations stay free of it.
class TextPainter {
public:
    virtual ~TextPainter() = default;
    /// Black text on an opaque white box whose top-left corner is (x, y).
    virtual void DrawText(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text) = 0;
};

/// A drawing surface over a 32-bit raster owned by the caller. Every
/// operation clips to the raster, so figures that reach far outside cost
/// only what is visible.
class RasterSurface : public DrawingSurface {
public:
    RasterSurface(const PixelRaster& raster, TextPainter* text) : raster_(raster), text_(text) {}

    void Clear(ColourRef colour) override;
    void SetPixel(int32_t x, int32_t y, ColourRef colour) override {
        if (raster_.contains(x, y)) raster_.at(x, y) = ToRasterPixel(colour);
    }
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    ColourRef SelectBrush(ColourRef colour) override;
    void MoveTo(int32_t x, int32_t y) override {
        currentX_ = x;
        currentY_ = y;
    }
    void LineTo(int32_t x, int32_t y) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    DeviceRect bounds() const override { return {0, 0, raster_.width, raster_.height}; }
    const PixelRaster* raster() const override { return &raster_; }

private:
    void FillSpan(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t pixel);

    PixelRaster raster_;
    TextPainter* text_;
    ColourRef brush_ = 0xFFFFFF;
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
};
