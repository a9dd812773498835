#pragma once
#include <QFont>

#include "plot/raster_surface.h"

/// Draws text with a fixed monospaced font loaded from its file, so that
/// labels look the same on every machine whatever the desktop's settings.
class QtTextPainter : public TextPainter {
public:
    QtTextPainter();
    void DrawText(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text) override;

    /// The font every text of the view is drawn in.
    static QFont ViewFont();
};
