#pragma once
#include <QImage>
#include <QString>
#include <optional>
#include <string>

struct SimulationState;
class PlotBox;
class TickDamage;

/// The kinds of picture a view can be written as.
enum class PictureFormat { Png, Svg, Pdf };

/// The format a file name asks for by its extension (any case): .svg and
/// .pdf, anything else PNG.
PictureFormat PictureFormatOf(const QString& path);

/// What a picture shows besides the full paint of the view.
struct PictureOptions {
    double scale = 1;         ///< PNG: pixels per pixel of the view (vector outputs ignore it)
    bool statusLine = false;  ///< the status line a tick writes at the current row
};

/// The view of `width` x `height` pixels painted at `options.scale` times
/// that size into a new image (null when memory runs short).
QImage PaintScaledPicture(SimulationState& state, const PlotBox& plot, int width, int height,
                          const PictureOptions& options);

/// Paints again, into `image` made by PaintScaledPicture at a whole-number
/// `options.scale`, only the tiles of the view that `damage` marks, as they
/// are at the state's current row: after a tick, the image is then what
/// PaintScaledPicture would make, at the cost of the tiles that changed.
void RepaintScaledTiles(SimulationState& state, const PlotBox& plot, QImage& image, int width, int height,
                        const PictureOptions& options, const TickDamage& damage);

/// Paints the view of `width` x `height` pixels at the state's current row
/// through a painter surface into `path`, as PNG, SVG or PDF by its
/// extension. The state and the plot are as they were afterwards. Writes
/// to a neighbour file first and renames it, so a failure leaves no file;
/// returns an error text, empty on success.
std::string ExportPicture(SimulationState& state, const PlotBox& plot, int width, int height,
                          const QString& path, const PictureOptions& options);
