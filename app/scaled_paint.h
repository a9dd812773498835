#pragma once
#include <QImage>

#include "panel/series_panel.h"

struct SimulationState;
class PlotBox;
class QPainter;
class TickDamage;
struct PanelSeries;

/// What a picture shows besides the full paint of the view.
struct PictureOptions {
    double scale = 1;         ///< PNG: pixels per pixel of the view (vector outputs ignore it)
    bool statusLine = false;  ///< the status line a tick writes at the current row
    /// The panel of series under the view, `panelHeight` pixels high, when
    /// given; with `panelOnly` the picture is the panel alone.
    const PanelSeries* panel = nullptr;
    int panelHeight = 0;
    bool panelOnly = false;

    /// The picture's height for a view of `height` pixels.
    int pictureHeight(int height) const {
        if (!panel) return height;
        return (panelOnly ? 0 : height) + panelHeight;
    }
};

/// One full paint of the view of `width` x `height` pixels (and the status
/// line when asked, and the panel under it when given) on `painter`, `scale` painter pixels per pixel of the
/// view, within the tiles of `only` when given. The state and the plot are
/// only read: the paint maps a copy of the plot.
void PaintPicture(const SimulationState& state, const PlotBox& plot, QPainter& painter, int width, int height,
                  const PictureOptions& options, double scale, const TickDamage* only = nullptr);

/// The view of `width` x `height` pixels painted at `options.scale` times
/// that size into a new image (null when memory runs short): the screen's
/// sharp picture at a high device pixel ratio and the PNG export.
QImage PaintScaledPicture(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const PictureOptions& options);

/// Paints again, into `image` made by PaintScaledPicture at a whole-number
/// `options.scale`, only the tiles of the view that `damage` marks (all of
/// it without), as they are at the state's current row: after a tick, the
/// image is then what PaintScaledPicture would make, at the cost of the
/// tiles that changed.
void RepaintScaledTiles(const SimulationState& state, const PlotBox& plot, QImage& image, int width,
                        int height, const PictureOptions& options, const TickDamage* damage);

/// Paints the panel of `series` of `width` x `height` pixels with text of
/// `font` pixels into `image`, `scale` image pixels per pixel of the panel;
/// the layout it was painted with.
PanelLayout PaintPanel(const SimulationState& state, const PanelSeries& series, QImage& image, int width,
                       int height, double font, double scale, PanelLayers layers = PanelLayers::All);

bool RasterIsThePicture(const SimulationState& state, double scale);

/// The picture of one frame of a recording or frame sequence: `raster`
/// itself when RasterIsThePicture, else the view painted afresh at `scale`,
/// with the status line after the first frame.
QImage FramePicture(const SimulationState& state, const PlotBox& plot, const QImage& raster, int width,
                    int height, double scale, int frame);
