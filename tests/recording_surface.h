#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/format.h"
#include "plot/drawing_surface.h"

/// A surface that remembers what it was asked to draw: pixels by position
/// (last colour wins), and every other call as text in order.
class RecordingSurface : public DrawingSurface {
public:
    void Clear(ColourRef colour) override { calls.push_back(Format("Clear(%06X)", colour)); }
    void SetPixel(int32_t x, int32_t y, ColourRef colour) override {
        pixels[{x, y}] = colour;
        ++pixelCalls;
    }
    void Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) override {
        calls.push_back(Format("Rectangle(%d,%d,%d,%d brush %06X)", l, t, r, b, brush));
    }
    ColourRef SelectBrush(ColourRef colour) override {
        const ColourRef previous = brush;
        brush = colour;
        return previous;
    }
    void MoveTo(int32_t x, int32_t y) override {
        x_ = x;
        y_ = y;
    }
    void LineTo(int32_t x, int32_t y) override {
        calls.push_back(Format("Line(%d,%d-%d,%d)", x_, y_, x, y));
        MoveTo(x, y);
    }
    void TextOut(int32_t x, int32_t y, std::string_view text) override {
        calls.push_back(Format("Text(%d,%d,%.*s)", x, y, int(text.size()), text.data()));
    }
    DeviceRect bounds() const override { return {-100000, -100000, 100000, 100000}; }

    std::vector<std::string> callsStartingWith(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& call : calls)
            if (call.rfind(prefix, 0) == 0) found.push_back(call);
        return found;
    }

    std::map<std::pair<int, int>, ColourRef> pixels;
    int pixelCalls = 0;
    std::vector<std::string> calls;
    ColourRef brush = 0xFFFFFF;

private:
    int32_t x_ = 0, y_ = 0;
};
