#pragma once
#include <QImage>

#include "animation/publication_paint.h"

struct SimulationState;
class PlotBox;
class QPainter;
class TickDamage;
class TrailLines;

/// What a picture shows besides the full paint of the view.
struct PictureOptions {
    double scale = 1;         ///< PNG: pixels per pixel of the view (vector outputs ignore it)
    bool statusLine = false;  ///< the status line a tick writes at the current row
    /// How the publication look paints (see SmoothPass): the trails'
    /// points kept from the last paint of the same view (the window's), the
    /// layers, and the steps added.
    TrailLines* lines = nullptr;
    PaintLayers layers = PaintLayers::All;
    int64_t addedFirst = 0, addedLast = 0;
};

/// One full paint of the view of `width` x `height` pixels (and the status
/// line when asked) on `painter`, `scale` painter pixels per pixel of the
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

/// Copies the tiles `damage` marks (in pixels of the view, `scale` image
/// pixels each) from `from` to `to`, images of the same size and format.
void CopyTiles(const QImage& from, QImage& to, const TickDamage& damage, int scale);

bool RasterIsThePicture(const SimulationState& state, double scale);

/// The picture of one frame of a recording or frame sequence: `raster`
/// itself when RasterIsThePicture, else the view painted afresh at `scale`,
/// with the status line after the first frame.
QImage FramePicture(const SimulationState& state, const PlotBox& plot, const QImage& raster, int width,
                    int height, double scale, int frame);

/// Gives `plot` the mapping the publication look paints a view of `width` x
/// `height` with (its text measured by the toolkit), so that the pointer
/// maps onto what was painted on a copy.
void MapPublicationView(const SimulationState& state, PlotBox& plot, int width, int height);
