#pragma once
#include <cstddef>

#include "plot/device_types.h"
#include "plot/drawing_surface.h"
#include "plot/line_raster.h"

// Side layers: rasters of premultiplied pixels (0xAARRGGBB, each colour at
// most its alpha) that start clear, take strokes (BlendStroke blends the
// alpha as it does a colour) and are laid over the picture in their order.
// Laying layers over one another is associative where blending strokes one
// after another onto an opaque picture is not: a layer can be drawn again
// alone, and the picture made from the layers again, where a stroke under
// many others went.

/// Sets the pixels of `raster` within `clip` (and the tiles `only` marks,
/// in the raster's own pixels, when given) to `pixel`.
void FillPixels(const PixelRaster& raster, uint32_t pixel, const DeviceRect& clip,
                const TileMask* only = nullptr);

/// Clears the pixels of `layer` within `clip` (and the tiles `only` marks,
/// in the layer's own pixels, when given).
void ClearLayer(const PixelRaster& layer, const DeviceRect& clip, const TileMask* only = nullptr);

/// Copies the pixels of `from` within `clip` (and the tiles `only` marks)
/// into `to`, of the same size.
void CopyPixels(const PixelRaster& from, const PixelRaster& to, const DeviceRect& clip,
                const TileMask* only = nullptr);

/// Lays `layers` in turn (the first lowest) over `base` (`onto` itself when
/// null), all of the same size, into `onto` within `clip` (and the tiles
/// `only` marks): each colour becomes the layer's plus what lies under times
/// the share the layer leaves, rounded to the nearest. The picture is the
/// one laying them one call each makes.
void ComposeLayers(const PixelRaster& onto, const PixelRaster* const* layers, std::size_t count,
                   const DeviceRect& clip, const TileMask* only = nullptr, const PixelRaster* base = nullptr);

/// Lays `newest` (none when null) over `below` into `onto` within `clip`
/// (and the tiles `only` marks), after laying `layers` over `base` into
/// `below` within the tiles `refresh` marks, which must lie within those
/// `only` marks: the two calls of ComposeLayers in one pass, which reads
/// the pixels made again once.
void ComposeRefreshing(const PixelRaster& onto, const PixelRaster& below, const PixelRaster* newest,
                       const PixelRaster* const* layers, std::size_t count, const PixelRaster& base,
                       const DeviceRect& clip, const TileMask* only, const TileMask& refresh);
