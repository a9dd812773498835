#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "base/colour.h"

/// The colour of a faded trail point `distance` rows from its body on a
/// trail of `length` rows: `colour` blended in RGB toward `fill`, by
/// (length + 1 - distance) parts of `colour` to `distance` parts of `fill`,
/// rounded to the nearest value. Distance 0 gives `colour`; the furthest
/// point of a trail keeps one part in length + 1 of it.
ColourRef FadedColour(ColourRef colour, ColourRef fill, int64_t distance, int64_t length);

/// FadedColour as raster pixels for the distances 0 to a count asked for,
/// made once and kept for as long as colour, fill and length stay.
class FadePalette {
public:
    /// Pixels for distances 0 to `count` - 1; `count` is at most `length` + 1.
    std::span<const uint32_t> Pixels(ColourRef colour, ColourRef fill, int64_t length, std::size_t count);

private:
    ColourRef colour_ = 0, fill_ = 0;
    int64_t length_ = -1;
    std::vector<uint32_t> pixels_;
};
