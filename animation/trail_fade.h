#pragma once
#include <cstdint>
#include <vector>

#include "base/colour.h"

/// The colour of a faded trail point `distance` rows from its body on a
/// trail of `length` rows: `colour` blended in RGB toward `fill`, by
/// (length + 1 - distance) parts of `colour` to `distance` parts of `fill`,
/// rounded to the nearest value. Distance 0 gives `colour`; the furthest
/// point of a trail keeps one part in length + 1 of it.
ColourRef FadedColour(ColourRef colour, ColourRef fill, int64_t distance, int64_t length);

/// FadedColour as raster pixels by row relative to the body's row, so that a
/// trail's pixels are read in the order its rows are: made once and kept
/// for as long as colour, fill and length stay, grown as more rows are asked
/// for.
class FadePalette {
public:
    /// The pixels of the rows `first` to `last` - 1 counted from the body's
    /// row (negative before it), in that order.
    const uint32_t* Pixels(ColourRef colour, ColourRef fill, int64_t length, int64_t first, int64_t last);

private:
    ColourRef colour_ = 0, fill_ = 0;
    int64_t length_ = -1;
    int64_t first_ = 0, last_ = 0;  // relative rows held
    std::vector<uint32_t> pixels_;  // from row first_ on
};
