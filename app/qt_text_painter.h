#pragma once
#include <QFont>
#include <array>
#include <cstdint>
#include <vector>

#include "plot/raster_surface.h"

/// Draws text with a fixed monospaced font loaded from its file, so that
/// labels look the same on every machine whatever the desktop's settings.
/// Printable ASCII is drawn from glyphs rendered once, so that the status
/// line of every tick costs a few microseconds; other text goes through the
/// toolkit's painter with the same font.
class QtTextPainter : public TextPainter {
public:
    QtTextPainter();
    void DrawText(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text) override;

    /// The same text through the toolkit's painter.
    static void DrawTextWithPainter(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text);

    /// The font every text of the view is drawn in.
    static QFont ViewFont();

private:
    /// The black pixels of one glyph, relative to the top-left corner of its
    /// character cell.
    struct Glyph {
        std::vector<std::pair<int8_t, int8_t>> dots;
    };
    struct GlyphSet {
        int advance = 0;
        int height = 0;
        std::array<Glyph, 128> glyphs;
    };
    static const GlyphSet& Glyphs();
};
