#pragma once
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "app/scaled_paint.h"

struct SimulationState;
class PlotBox;

/// The kinds of picture a view can be written as.
enum class PictureFormat { Png, Svg, Pdf };

/// The format a file name asks for by its extension (any case): .png, .svg
/// or .pdf; none for another one.
std::optional<PictureFormat> PictureFormatOf(const QString& path);

/// Writes `image` as a PNG file at `path` (see OutputFile: a failure leaves
/// no file, a FIFO or device there is refused, and so is one of the files
/// `kept`); returns an error text, empty on success.
std::string WritePng(const QImage& image, const QString& path, const std::vector<std::string>& kept);

/// Paints the view of `width` x `height` pixels at the state's current row
/// into `path`, as PNG (through PaintScaledPicture, as the screen paints),
/// SVG or PDF by its extension (another one is refused). The state and the
/// plot are only read. Written as by WritePng; returns an error text, empty
/// on success.
std::string ExportPicture(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const QString& path, const PictureOptions& options);
