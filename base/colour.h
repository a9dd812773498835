#pragma once
#include <cstdint>

/// A colour as the 32-bit value 0x00BBGGRR, the layout configuration colour
/// tables and fill colours are written in.
using ColourRef = uint32_t;

constexpr ColourRef Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return ColourRef(r) | (ColourRef(g) << 8) | (ColourRef(b) << 16);
}
constexpr uint8_t RedOf(ColourRef c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GreenOf(ColourRef c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(ColourRef c) { return uint8_t((c >> 16) & 0xFF); }

/// The same colour as a 0xAARRGGBB pixel of a 32-bit raster, alpha opaque.
constexpr uint32_t ToRasterPixel(ColourRef c) {
    return 0xFF000000u | (uint32_t(RedOf(c)) << 16) | (uint32_t(GreenOf(c)) << 8) | BlueOf(c);
}
