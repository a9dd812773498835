#include "app/scaled_paint.h"

#include <QPainter>
#include <string>

#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/view_steps.h"
#include "app/painter_surface.h"
#include "panel/series_panel.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"

void PaintPicture(const SimulationState& state, const PlotBox& plot, QPainter& painter, int width, int height,
                  const PictureOptions& options, double scale, const TickDamage* only) {
    if (!options.panel || !options.panelOnly) {
        PlotBox copy = plot;  // the paint recomputes the mapping; the view keeps its own
        PainterSurface surface(painter, width, height, scale);
        if (only) surface.RestrictTo(*only);
        PaintView(state, copy, surface, width, height);
        // The publication look shows the time in its own corner.
        const bool statusLine = options.statusLine && state.view.style == ViewStyle::Classic;
        const std::string status = statusLine ? StatusLine(state, state.playback.position) : std::string();
        if (!status.empty()) surface.TextOut(10, 5, status);
    }
    if (options.panel && options.panelHeight > 0) {
        painter.save();
        painter.setClipping(false);
        const double top = options.panelOnly ? 0 : height * scale;
        const QPaintDevice* device = painter.device();
        if (device && device->devType() == QInternal::Image) {
            // A surface over an image draws into its pixels, which know no
            // painter's translation: the panel is painted apart and laid in.
            QImage panel(int(width * scale), int(options.panelHeight * scale), QImage::Format_RGB32);
            if (!panel.isNull()) {
                PaintPanel(state, *options.panel, panel, width, options.panelHeight,
                           PanelFont(state, width, height), scale);
                painter.drawImage(QPointF(0, top), panel);
            }
        } else {
            painter.translate(0, top);
            PainterSurface surface(painter, width, options.panelHeight, scale);
            const PanelLayout layout = LayOutPanel(state, *options.panel, surface, width, options.panelHeight,
                                                   PanelFont(state, width, height));
            PaintSeriesPanel(state, *options.panel, layout, surface);
        }
        painter.restore();
    }
}

PanelLayout PaintPanel(const SimulationState& state, const PanelSeries& series, QImage& image, int width,
                       int height, double font, double scale, PanelLayers layers) {
    QPainter painter(&image);
    PainterSurface surface(painter, width, height, scale);
    PanelLayout layout = LayOutPanel(state, series, surface, width, height, font);
    PaintSeriesPanel(state, series, layout, surface, layers);
    return layout;
}

QImage PaintScaledPicture(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const PictureOptions& options) {
    const double scale = options.scale;
    QImage image(int(width * scale), int(options.pictureHeight(height) * scale), QImage::Format_RGB32);
    if (image.isNull()) return image;
    QPainter painter(&image);
    PaintPicture(state, plot, painter, width, height, options, scale);
    return image;
}

void RepaintScaledTiles(const SimulationState& state, const PlotBox& plot, QImage& image, int width,
                        int height, const PictureOptions& options, const TickDamage* damage) {
    // Painted in the image's own pixels, whatever ratio the view shows it at.
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1);
    {
        QPainter painter(&image);
        PaintPicture(state, plot, painter, width, height, options, options.scale, damage);
    }
    image.setDevicePixelRatio(ratio);
}

bool RasterIsThePicture(const SimulationState& state, double scale) {
    return scale == 1 && state.view.style == ViewStyle::Classic;
}

QImage FramePicture(const SimulationState& state, const PlotBox& plot, const QImage& raster, int width,
                    int height, double scale, int frame) {
    if (RasterIsThePicture(state, scale)) return raster;
    return PaintScaledPicture(state, plot, width, height, {.scale = scale, .statusLine = frame > 0});
}
