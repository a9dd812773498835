#pragma once
#include <cstdint>

#include "base/colour.h"
#include "plot/device_types.h"
#include "plot/drawing_surface.h"

/// Square tiles of a raster, some of them marked: where a repaint may draw.
struct TileMask {
    const uint8_t* marked = nullptr;  ///< row after row of tiles, nonzero where marked
    int32_t columns = 0, rows = 0;
    int32_t size = 1;  ///< raster pixels on a side of a tile

    /// The tile holding pixel `v` (not negative) on either axis: a shift
    /// for the usual sizes, powers of two, where the drawing loops would
    /// otherwise divide on every row.
    int32_t TileOf(int32_t v) const {
        return (size & (size - 1)) == 0 ? v >> __builtin_ctz(uint32_t(size)) : v / size;
    }
};

/// Blends onto `raster` the straight stroke from `a` to `b` (raster pixels,
/// a pixel's centre at +0.5), `width` wide, each end reaching past its
/// point as far as `ends` says (square ends by default). Each pixel of `clip` (and of the tiles `only`
/// marks, when given) takes `colour`, opaque, by the share of it the stroke
/// covers (its alpha too: a clear pixel of a side layer takes the share),
/// measured along and across the stroke; other pixels are left alone, so
/// that a repaint of some tiles gives them what a full paint does.
///
/// The toolkit's painter strokes such short lines at a fixed cost of about
/// half a microsecond each; a view of dense, winding trails repaints
/// thousands of them per tick, which this loop does several times faster,
/// touching only the pixels about the stroke.
void BlendStroke(const PixelRaster& raster, ViewPoint a, ViewPoint b, double width, ColourRef colour,
                 const DeviceRect& clip, const TileMask* only = nullptr, StrokeEnds ends = {});

/// Sets the pixels of `raster` within `clip` that the line from `a` to `b`
/// (raster pixels) passes through to `pixel`, one a step along its longer
/// axis, without smoothing: a draft of a trail, for a picture shown only
/// while the view moves, at a cost of the pixels it covers. The part of the
/// line outside `clip` costs nothing.
void DraftLine(const PixelRaster& raster, ViewPoint a, ViewPoint b, uint32_t pixel, const DeviceRect& clip);

/// How far, in half widths, the end at `at` of a stroke from `before` must
/// reach past `at` for the outside of its bend to the next stroke, to
/// `after`, to be inked as a mitred join would: tan of half the turn, 0
/// where the line goes straight on, 1 (a square end) from a right angle
/// on, and where a step has no length to tell a direction.
float BendReach(ViewPoint before, ViewPoint at, ViewPoint after);

/// The ends of the stroke from `a` to `b` of a line whose stroke before it
/// comes from `before` and after it goes to `after` (null where none is
/// drawn): each joined end reaching across its bend, a free end square.
StrokeEnds JoinedEnds(const ViewPoint* before, ViewPoint a, ViewPoint b, const ViewPoint* after);

/// Blends onto `raster` a filled disc of `radius` about `centre` (raster
/// pixels, a pixel's centre at +0.5): each pixel of `clip` (and of the tiles
/// `only` marks) takes `colour`, opaque, by how far inside the rim its
/// centre lies, over one pixel, so that the disc's edge is smooth. A pixel
/// takes what it does from its own value alone, so that a repaint of some
/// tiles gives them what a full paint does; the toolkit's painter, clipped
/// to thousands of tiles, takes ten times as long for a disc.
void BlendDisc(const PixelRaster& raster, ViewPoint centre, double radius, ColourRef colour,
               const DeviceRect& clip, const TileMask* only = nullptr);
