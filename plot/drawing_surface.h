#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/colour.h"
#include "plot/device_types.h"

struct TileMask;

/// Direct access to a 32-bit raster (0xAARRGGBB pixels), for the drawing
/// loops that set many pixels per call.
struct PixelRaster {
    uint32_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    std::ptrdiff_t stride = 0;  ///< pixels from one row to the next

    bool contains(int64_t x, int64_t y) const {
        return uint64_t(x) < uint64_t(width) && uint64_t(y) < uint64_t(height);
    }
    uint32_t& at(int32_t x, int32_t y) const { return bits[std::ptrdiff_t(y) * stride + x]; }
};

/// A point of the view in pixels, not rounded: where smooth shapes go.
struct ViewPoint {
    double x = 0;
    double y = 0;
};

/// The ends of a stroke on a raster. Each reaches past its point by `start`
/// or `end` half widths: 1 a square end, 0 a butt end, between them what
/// the bend to the next stroke of the same line needs (BendReach). An end
/// that joins the next stroke shares the pixels about it with that stroke
/// by where their centres lie, so that a line of many short strokes is
/// inked once over and as wide as asked; a free end is smooth.
struct StrokeEnds {
    float start = 1, end = 1;
    bool startJoins = false, endJoins = false;
};

/// A straight piece of a line in its colour: one of many drawn at once.
struct Stroke {
    ViewPoint a, b;
    ColourRef colour = 0;
    StrokeEnds ends;
};

/// How a text is drawn by the smooth operations: its size in pixels of the
/// view, its colour, where the anchor point lies on the text's box, and
/// whether it reads upwards (turned a quarter turn to the left).
struct TextStyle {
    enum Anchor {
        TopLeft,
        TopCentre,
        TopRight,
        MiddleLeft,
        Centre,
        MiddleRight,
        BottomLeft,
        BottomCentre,
        BottomRight
    };
    double size = 12;
    ColourRef colour = 0;
    Anchor anchor = TopLeft;
    bool upwards = false;
};

/// The operations everything is drawn with, in device pixels (origin top
/// left, y down). The pen is always one pixel of solid black; the brush is
/// white unless a solid brush has been selected for one rectangle.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    /// Fills the whole surface with `colour`, as the window's background.
    virtual void Clear(ColourRef colour) = 0;
    /// Sets one pixel; positions off the surface draw nothing.
    virtual void SetPixel(int32_t x, int32_t y, ColourRef colour) = 0;
    /// Covers left..right-1 x top..bottom-1: a black border, the current
    /// brush inside.
    virtual void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    /// Makes a solid brush of `colour` current; returns the previous brush's
    /// colour so that the caller can put it back.
    virtual ColourRef SelectBrush(ColourRef colour) = 0;
    /// Sets the current position; draws nothing.
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    /// Draws a black line from the current position to (x, y), the end point
    /// excluded, and makes (x, y) the current position.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    /// Draws black text on an opaque white background; (x, y) is the top-left
    /// corner of the text box.
    virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;

    /// Draws a filled disc about the pixel (x, y) as one smooth shape, cut to
    /// `clip`, on surfaces that draw shapes rather than pixels; false (the
    /// default) leaves the disc to the caller's pixel loop.
    virtual bool FillDisc(int32_t x, int32_t y, int32_t radius, ColourRef colour, const DeviceRect& clip) {
        (void)x, (void)y, (void)radius, (void)colour, (void)clip;
        return false;
    }

    // --- Smooth drawing, in view pixels --------------------------------
    // Surfaces that draw shapes (the toolkit's painter) draw the publication
    // look with these; a surface of pixels only says so with smooth(), and
    // the view is then drawn in the classic look.

    virtual bool smooth() const { return false; }
    /// One anti-aliased line through `points`, of `width` pixels, round joins.
    virtual void StrokePolyline(const ViewPoint* points, std::size_t count, ColourRef colour, double width) {
        (void)points, (void)count, (void)colour, (void)width;
    }
    /// The strokes in turn, each a line of `width` pixels through its two
    /// points (with square ends on a raster, where they may be drawn in
    /// bands of the picture at once, each band in the strokes' order).
    virtual void StrokeSegments(const Stroke* strokes, std::size_t count, double width) {
        for (std::size_t i = 0; i < count; ++i) {
            const ViewPoint points[] = {strokes[i].a, strokes[i].b};
            StrokePolyline(points, 2, strokes[i].colour, width);
        }
    }
    /// A line of one device pixel through `points`, not smoothed: a draft
    /// of a trail for a picture shown only while the view moves (a drag
    /// that turns it), drawn at the cost of the pixels it covers on a
    /// raster; elsewhere a thin smooth line.
    virtual void DraftPolyline(const ViewPoint* points, std::size_t count, ColourRef colour) {
        StrokePolyline(points, count, colour, 1);
    }
    // Side layers (see layer_compose.h), on surfaces over a raster: the
    // trails are drawn in a few layers by age, so that a tick draws again
    // only the oldest where its trails' ends went.

    /// The size in raster pixels of a side layer; false when the surface
    /// keeps no raster to lay one over.
    virtual bool LayerSize(int32_t& width, int32_t& height) const {
        (void)width, (void)height;
        return false;
    }
    /// Clears `layer` where the smooth operations may draw, or within the
    /// view's tiles `only` marks (which lie within those) when given.
    virtual void ClearLayer(const PixelRaster& layer, const TileMask* only = nullptr) {
        (void)layer, (void)only;
    }
    /// StrokeSegments, onto `layer`, within the tiles `only` marks when given.
    virtual void StrokeSegmentsOnto(const PixelRaster& layer, const Stroke* strokes, std::size_t count,
                                    double width, const TileMask* only = nullptr) {
        (void)layer, (void)strokes, (void)count, (void)width, (void)only;
    }
    /// Copies the surface's raster into `layer` where the smooth operations may draw.
    virtual void CopyInto(const PixelRaster& layer) { (void)layer; }
    /// Lays `layers` in turn (the first lowest) over `base` into `into`
    /// (the surface's raster when null; `into` itself when `base` is null)
    /// where the smooth operations may draw, or within the view's tiles
    /// `only` marks (which lie within those) when given.
    virtual void ComposeLayers(const PixelRaster* const* layers, std::size_t count,
                               const PixelRaster* base = nullptr, const TileMask* only = nullptr,
                               const PixelRaster* into = nullptr) {
        (void)layers, (void)count, (void)base, (void)only, (void)into;
    }
    /// Lays `newest` (none when null) over `below` into the surface's raster
    /// as ComposeLayers does, after laying `layers` over `base` into `below`
    /// within the view's tiles `refresh` marks (which lie within those
    /// `only` marks): in one pass where a raster allows.
    virtual void ComposeRefreshing(const PixelRaster* newest, const PixelRaster& below,
                                   const PixelRaster* const* layers, std::size_t count,
                                   const PixelRaster& base, const TileMask* only, const TileMask& refresh) {
        ComposeLayers(layers, count, &base, &refresh, &below);
        ComposeLayers(&newest, newest ? 1 : 0, &below, only);
    }
    /// A filled disc, and its outline when `outlineWidth` is above 0.
    virtual void FillCircle(ViewPoint centre, double radius, ColourRef fill, ColourRef outline,
                            double outlineWidth) {
        (void)centre, (void)radius, (void)fill, (void)outline, (void)outlineWidth;
    }
    /// A filled rectangle without an outline.
    virtual void FillArea(double left, double top, double right, double bottom, ColourRef colour) {
        (void)left, (void)top, (void)right, (void)bottom, (void)colour;
    }
    /// Text in the publication face, placed by its anchor.
    virtual void DrawText(ViewPoint anchor, std::string_view text, const TextStyle& style) {
        (void)anchor, (void)text, (void)style;
    }
    /// The width and height in pixels of `text` at `size` in the publication face.
    virtual ViewPoint TextExtent(std::string_view text, double size) const {
        (void)text, (void)size;
        return {};
    }
    /// Limits the smooth operations to the rectangle, until Unclip.
    virtual void ClipTo(double left, double top, double right, double bottom) {
        (void)left, (void)top, (void)right, (void)bottom;
    }
    virtual void Unclip() {}
    /// True when long lines are best drawn in pieces: on a raster, which
    /// fills short outlines much faster than one long one, and where a
    /// repaint of a few tiles passes over the pieces that cannot show.
    virtual bool piecewise() const { return false; }
    /// True when only a few tiles are being drawn again (see Shows).
    virtual bool partial() const { return false; }
    /// False when nothing drawn within the rectangle would show, so that the
    /// caller can pass over it (a repaint of a few tiles).
    virtual bool Shows(double left, double top, double right, double bottom) const {
        (void)left, (void)top, (void)right, (void)bottom;
        return true;
    }

    /// The area where pixels can land; drawing loops skip what lies outside.
    virtual DeviceRect bounds() const = 0;
    /// The raster behind the surface, when there is one.
    virtual const PixelRaster* raster() const { return nullptr; }
};
