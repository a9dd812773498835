#pragma once
#include <string_view>
#include <utility>

#include "plot/drawing_surface.h"

/// Text as the test surfaces measure and place it, without fonts: each
/// character 0.6 of the size wide, a line 1.2 of it high.
inline ViewPoint FakeTextExtent(std::string_view text, double size) {
    return {0.6 * size * double(text.size()), 1.2 * size};
}

/// The box `text` takes at `at` in `style`: left, top, right, bottom, turned
/// a quarter left about the anchor when the style is upwards.
struct FakeTextBox {
    double left, top, right, bottom;
};
inline FakeTextBox PlaceFakeText(ViewPoint at, std::string_view text, const TextStyle& style) {
    ViewPoint e = FakeTextExtent(text, style.size);
    const int column = int(style.anchor) % 3, row = int(style.anchor) / 3;
    double left = at.x - e.x * column / 2, top = at.y - e.y * row / 2;
    if (style.upwards) {
        const double dx = left - at.x, dy = top - at.y;
        left = at.x + dy, top = at.y - dx - e.x;
        std::swap(e.x, e.y);
    }
    return {left, top, left + e.x, top + e.y};
}
