#pragma once
#include <array>
#include <cstdint>

#include "base/colour.h"

/// The colours a table's bodies are given in turn, starting again after the
/// last: the Okabe–Ito set, whose colours stay apart for readers with any
/// common colour-vision deficiency. Blue #0072B2, vermillion #D55E00, bluish
/// green #009E73, orange #E69F00, sky blue #56B4E9, reddish purple #CC79A7,
/// yellow #F0E442, and dark grey #555555 in place of the set's black, which
/// would read as the plot's black axes and lettering.
inline constexpr std::array<ColourRef, 8> kTablePaletteColours = {
    Rgb(0x00, 0x72, 0xB2), Rgb(0xD5, 0x5E, 0x00), Rgb(0x00, 0x9E, 0x73), Rgb(0xE6, 0x9F, 0x00),
    Rgb(0x56, 0xB4, 0xE9), Rgb(0xCC, 0x79, 0xA7), Rgb(0xF0, 0xE4, 0x42), Rgb(0x55, 0x55, 0x55),
};

/// The colour code of the palette's first colour in a table's data: codes
/// 0 to 13 keep the colours they have in a classic configuration
/// (BodyColourTable) and the palette follows them, so that a table
/// configuration written from a table keeps its colours.
inline constexpr int32_t kTablePaletteFirstCode = 14;

/// The colour code of body `body` (1 upwards) of a table.
constexpr int32_t TablePaletteCode(int32_t body) {
    return kTablePaletteFirstCode + (body - 1) % int32_t(kTablePaletteColours.size());
}

/// The colour of colour code `code` in a table's data: the palette's for
/// its codes, BodyColourTable's for any other.
ColourRef TableBodyColour(int32_t code);

/// The classic colour code nearest to colour code `code` of a table, for a
/// classic configuration written from it: blue 12, vermillion 10, bluish
/// green 4, orange 8, sky blue 5, reddish purple 13, yellow 9, dark grey 7;
/// any other code as it is.
constexpr int32_t ClassicColourCode(int32_t code) {
    constexpr std::array<int32_t, kTablePaletteColours.size()> kNearest = {12, 10, 4, 8, 5, 13, 9, 7};
    const int64_t index = int64_t(code) - kTablePaletteFirstCode;
    return index >= 0 && index < int64_t(kNearest.size()) ? kNearest[std::size_t(index)] : code;
}
