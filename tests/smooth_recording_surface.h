#pragma once
#include <string>
#include <vector>

#include "fake_text.h"
#include "plot/drawing_surface.h"

/// Records the smooth calls; text is measured as a face whose characters
/// are 0.6 of the size wide and lines 1.2 of it high.
class SmoothRecordingSurface : public DrawingSurface {
public:
    struct Text {
        double left, top, right, bottom;
        std::string text;
        double size;
    };
    std::vector<Text> texts;
    std::vector<std::vector<ViewPoint>> lines;
    std::vector<ColourRef> lineColours;
    std::vector<double> lineWidths;
    struct Circle {
        ColourRef fill;
        double radius, outline;
        ViewPoint centre;
    };
    std::vector<Circle> circles;

    void Clear(ColourRef) override {}
    void SetPixel(int32_t, int32_t, ColourRef) override {}
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    ColourRef SelectBrush(ColourRef c) override { return c; }
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void TextOut(int32_t, int32_t, std::string_view) override {}
    DeviceRect bounds() const override { return {0, 0, 1 << 20, 1 << 20}; }

    bool smooth() const override { return true; }
    void StrokePolyline(const ViewPoint* p, std::size_t n, ColourRef colour, double width) override {
        lines.emplace_back(p, p + n);
        lineColours.push_back(colour);
        lineWidths.push_back(width);
    }
    void FillCircle(ViewPoint centre, double radius, ColourRef fill, ColourRef, double outline) override {
        circles.push_back({fill, radius, outline, centre});
    }
    ViewPoint TextExtent(std::string_view text, double size) const override {
        return FakeTextExtent(text, size);
    }
    void DrawText(ViewPoint at, std::string_view text, const TextStyle& style) override {
        const FakeTextBox box = PlaceFakeText(at, text, style);
        texts.push_back({box.left, box.top, box.right, box.bottom, std::string(text), style.size});
    }
};
