#include "plot/line_raster.h"

#include <algorithm>
#include <cmath>

namespace {

/// Narrows [from, to) to the x where `a0 + a1 x` lies strictly inside
/// (low, high); `inverse` is 1 / a1, or 0 when a1 is too small to tell.
void NarrowTo(double a0, double inverse, double low, double high, double& from, double& to) {
    if (inverse == 0) {
        if (a0 <= low || a0 >= high) from = to;
        return;
    }
    double x0 = (low - a0) * inverse, x1 = (high - a0) * inverse;
    if (x0 > x1) std::swap(x0, x1);
    from = std::max(from, x0), to = std::min(to, x1);
}

double Inverse(double v) { return std::fabs(v) < 1e-9 ? 0 : 1 / v; }

/// Cuts the segment from `a` to `b` to the rectangle; false when none of it
/// lies inside.
bool CutTo(ViewPoint& a, ViewPoint& b, double left, double top, double right, double bottom) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double enter = 0, leave = 1;
    const auto edge = [&](double p, double q) {  // p t <= q along the segment
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        return enter <= leave;
    };
    if (!(edge(-dx, a.x - left) && edge(dx, right - a.x) && edge(-dy, a.y - top) && edge(dy, bottom - a.y)))
        return false;
    const ViewPoint from = a;
    if (leave < 1) b = {from.x + leave * dx, from.y + leave * dy};
    if (enter > 0) a = {from.x + enter * dx, from.y + enter * dy};
    return true;
}

/// A pixel seen along a direction (ux, uy): the share of it lying before
/// each distance from its centre. Its square spreads over |ux| + |uy|, and
/// is taken as spread evenly over that width: a band across it then covers
/// about the share of its area that the band does, and a line at any slope
/// leaves the same ink per length wherever it passes between pixel centres.
struct Footprint {
    float half, inverseWidth;

    Footprint(double ux, double uy)
        : half(float((std::fabs(ux) + std::fabs(uy)) / 2)), inverseWidth(1 / (2 * half)) {}
    /// A pixel taken whole by where its centre lies.
    static Footprint Point() { return Footprint(1e-4, 0); }
    /// The share of the pixel before distance x from its centre.
    float Before(float x) const { return std::clamp((x + half) * inverseWidth, 0.0f, 1.0f); }
    /// The share of the pixel at distance x from [low, high].
    float Within(float x, float low, float high) const { return Before(high - x) - Before(low - x); }
};

/// `old` moved toward the ink by `alpha` / 256, every channel alpha too:
/// red and blue blend together, alpha and green together, each channel's
/// product within its 16 bits.
inline uint32_t Blend(uint32_t old, uint32_t redBlue, uint32_t alphaGreen, uint32_t alpha) {
    const uint32_t keep = 256 - alpha;
    const uint32_t rb = (((old & 0xFF00FF) * keep + redBlue * alpha) >> 8) & 0xFF00FF;
    const uint32_t ag = ((((old >> 8) & 0xFF00FF) * keep + alphaGreen * alpha) >> 8) & 0xFF00FF;
    return rb | (ag << 8);
}

}  // namespace

float BendReach(ViewPoint before, ViewPoint at, ViewPoint after) {
    const double ax = at.x - before.x, ay = at.y - before.y, bx = after.x - at.x, by = after.y - at.y;
    const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    if (!(la > 0 && lb > 0) || !std::isfinite(la * lb)) return 1;
    // tan(θ / 2) = sin θ / (1 + cos θ), from the unit directions.
    const double cross = std::fabs(ax * by - ay * bx) / (la * lb), dot = (ax * bx + ay * by) / (la * lb);
    if (dot <= 0) return 1;
    return float(std::min(1.0, cross / (1 + dot)));
}

StrokeEnds JoinedEnds(const ViewPoint* before, ViewPoint a, ViewPoint b, const ViewPoint* after) {
    StrokeEnds ends;
    if (before) ends.start = BendReach(*before, a, b), ends.startJoins = true;
    if (after) ends.end = BendReach(a, b, *after), ends.endJoins = true;
    return ends;
}

namespace {

/// A stroke set up to be blended row by row: where each pixel lies along
/// and across it, the bands it covers and its ink.
struct StrokeRows {
    ViewPoint a;
    double ux, uy;  ///< along the stroke; across it is (-uy, ux)
    /// A pixel is covered by the share of it within the stroke's band
    /// across it, times the share within the band along it (the stroke and
    /// its ends); none beyond the bands widened by the pixel's spread.
    Footprint pixel, startPixel, endPixel;
    float side, near, far;   ///< the half width; the ends along, from `a`
    float edge, start, end;  ///< the bands widened by the pixel's spread
    double alongStep, acrossStep;
    uint32_t redBlue, alphaGreen;

    StrokeRows(ViewPoint from, double length, double ux, double uy, double half, StrokeEnds ends,
               ColourRef colour)
        : a(from),
          ux(ux),
          uy(uy),
          pixel(ux, uy),
          // Where an end joins the next stroke of its line, a pixel about it
          // is this stroke's or the next one's whole, by where its centre
          // lies: on a line of many short strokes each pixel is inked once,
          // by its share across the line.
          startPixel(ends.startJoins ? Footprint::Point() : pixel),
          endPixel(ends.endJoins ? Footprint::Point() : pixel),
          side(float(half)),
          // The ends reach back from `a` and on from `b` (a square end half
          // the width).
          near(float(-half * std::clamp(double(ends.start), 0.0, 1.0))),
          far(float(length + half * std::clamp(double(ends.end), 0.0, 1.0))),
          edge(side + pixel.half),
          start(near - pixel.half),
          end(far + pixel.half),
          alongStep(Inverse(ux)),
          acrossStep(Inverse(-uy)) {
        // Red and blue blend together, alpha and green together: each
        // channel's product stays within its 16 bits. The ink is opaque, so
        // that an opaque pixel stays opaque and a clear one (of a side
        // layer) takes the share covered as its alpha.
        const uint32_t ink = ToRasterPixel(colour);
        redBlue = ink & 0xFF00FF, alphaGreen = (ink >> 8) & 0xFF00FF;
    }

    /// Blends row `y` of `raster` within [clipLeft, clipRight), and within
    /// the tiles `only` marks when given.
    void Blend(const PixelRaster& raster, int32_t y, int32_t clipLeft, int32_t clipRight,
               const TileMask* only) const {
        const double cy = y + 0.5 - a.y;
        // At the centre of pixel x: along = t0 + ux x, across = d0 - uy x.
        const double t0 = (0.5 - a.x) * ux + cy * uy, d0 = -(0.5 - a.x) * uy + cy * ux;
        double from = clipLeft, to = clipRight;
        NarrowTo(t0, alongStep, start, end, from, to);
        NarrowTo(d0, acrossStep, -edge, edge, from, to);
        if (!(from < to)) return;
        const int32_t x0 = std::max(int32_t(std::floor(from)), clipLeft);
        const int32_t x1 = std::min(int32_t(std::ceil(to)) + 1, clipRight);
        uint32_t* row = raster.bits + std::ptrdiff_t(y) * raster.stride;
        // The steps start at the row's first pixel whatever part of the row
        // is blended, so that a tile blended alone gets the very values a
        // whole row does.
        const auto ft0 = float(t0 + ux * x0), fd0 = float(d0 - uy * x0);
        const auto fux = float(ux), fuy = float(uy);
        const auto blend = [&](int32_t begin, int32_t finish) {
            for (int32_t x = begin; x < finish; ++x) {
                const auto i = float(x - x0);
                const float along = ft0 + fux * i, across = fd0 - fuy * i;
                const float cover =
                    pixel.Within(across, -side, side) *
                    std::max(endPixel.Before(far - along) - startPixel.Before(near - along), 0.0f);
                const auto alpha = uint32_t(cover * 256 + 0.5f);
                if (alpha == 0) continue;
                row[x] = ::Blend(row[x], redBlue, alphaGreen, alpha);
            }
        };
        if (!only || !only->marked) return blend(x0, x1);
        const int32_t tileRow = only->TileOf(y);
        if (tileRow >= only->rows) return;
        const uint8_t* marked = only->marked + std::ptrdiff_t(tileRow) * only->columns;
        const int32_t lastTile = std::min(only->TileOf(x1 - 1), only->columns - 1);
        for (int32_t tile = only->TileOf(x0); tile <= lastTile; ++tile)
            if (marked[tile]) blend(std::max(x0, tile * only->size), std::min(x1, (tile + 1) * only->size));
    }
};

}  // namespace

void BlendStroke(const PixelRaster& raster, ViewPoint a, ViewPoint b, double width, ColourRef colour,
                 const DeviceRect& clip, const TileMask* only, StrokeEnds ends) {
    const double half = width / 2;
    if (!(half > 0) || !(std::isfinite(b.x - a.x) && std::isfinite(b.y - a.y))) return;
    // Far ends are brought in to just outside the raster, past the reach of
    // a square end, so that the sums below stay small. (Not to the clip:
    // the same stroke cut to other clips must give the same pixels.)
    const double margin = width + 2;
    const double left = -margin, top = -margin, right = raster.width + margin,
                 bottom = raster.height + margin;
    const bool inside = std::min(a.x, b.x) >= left && std::max(a.x, b.x) <= right &&
                        std::min(a.y, b.y) >= top && std::max(a.y, b.y) <= bottom;
    if (!inside && !CutTo(a, b, left, top, right, bottom)) return;
    const double dx = b.x - a.x, dy = b.y - a.y, length = std::sqrt(dx * dx + dy * dy);
    // A stroke of no length is a square.
    const double ux = length > 0 ? dx / length : 1, uy = length > 0 ? dy / length : 0;
    const StrokeRows stroke(a, length, ux, uy, half, length > 0 ? ends : StrokeEnds{}, colour);
    const double reach = half * (std::fabs(ux) + std::fabs(uy)) + 1;
    const double firstRow = std::max<double>({double(clip.top), 0, std::floor(std::min(a.y, b.y) - reach)});
    const double endRow =
        std::min<double>({double(clip.bottom), double(raster.height), std::ceil(std::max(a.y, b.y) + reach)});
    const int32_t clipLeft = std::max(clip.left, 0), clipRight = std::min(clip.right, raster.width);
    if (firstRow >= endRow || clipLeft >= clipRight) return;
    // With marked tiles, the rows of tiles the stroke crosses none of are
    // passed over whole.
    const auto spanLeft = int32_t(std::max<double>(clipLeft, std::floor(std::min(a.x, b.x) - reach)));
    const auto spanRight = int32_t(std::min<double>(clipRight - 1, std::ceil(std::max(a.x, b.x) + reach)));
    const auto anyMarked = [&](int32_t tileRow) {
        if (tileRow >= only->rows) return false;
        const uint8_t* marked = only->marked + std::ptrdiff_t(tileRow) * only->columns;
        for (int32_t tile = only->TileOf(spanLeft);
             tile <= std::min(only->TileOf(spanRight), only->columns - 1); ++tile)
            if (marked[tile]) return true;
        return false;
    };
    for (auto y = int32_t(firstRow); y < int32_t(endRow); ++y) {
        if (only && only->marked && (y == int32_t(firstRow) || only->TileOf(y) * only->size == y) &&
            !anyMarked(only->TileOf(y))) {
            y = (only->TileOf(y) + 1) * only->size - 1;  // on to the next row of tiles
            continue;
        }
        stroke.Blend(raster, y, clipLeft, clipRight, only);
    }
}

void BlendDisc(const PixelRaster& raster, ViewPoint centre, double radius, ColourRef colour,
               const DeviceRect& clip, const TileMask* only) {
    if (!(radius > 0) || !std::isfinite(centre.x) || !std::isfinite(centre.y)) return;
    const double reach = radius + 0.5;
    const int32_t left = std::max({clip.left, 0}), right = std::min(clip.right, raster.width);
    const int32_t top = std::max({clip.top, 0}), bottom = std::min(clip.bottom, raster.height);
    const double firstRow = std::max<double>(top, std::floor(centre.y - reach));
    const double endRow = std::min<double>(bottom, std::ceil(centre.y + reach));
    const double firstColumn = std::max<double>(left, std::floor(centre.x - reach));
    const double endColumn = std::min<double>(right, std::ceil(centre.x + reach));
    if (firstRow >= endRow || firstColumn >= endColumn) return;
    const uint32_t ink = ToRasterPixel(colour), redBlue = ink & 0xFF00FF, alphaGreen = (ink >> 8) & 0xFF00FF;
    for (auto y = int32_t(firstRow); y < int32_t(endRow); ++y) {
        const uint8_t* marked = only && only->marked && only->TileOf(y) < only->rows
                                    ? only->marked + std::ptrdiff_t(only->TileOf(y)) * only->columns
                                    : nullptr;
        if (only && only->marked && !marked) break;
        const double dy = y + 0.5 - centre.y;
        uint32_t* row = raster.bits + std::ptrdiff_t(y) * raster.stride;
        // Inside the circle a pixel short of the rim the cover is whole, and
        // past the rim none: only the rim's pixels need their distance.
        const double inner = radius > 0.5 ? (radius - 0.5) * (radius - 0.5) : -1, outer = reach * reach;
        const auto blend = [&](int32_t from, int32_t to) {
            for (int32_t x = from; x < to; ++x) {
                const double dx = x + 0.5 - centre.x, squared = dx * dx + dy * dy;
                if (squared >= outer) continue;
                const double cover =
                    squared <= inner ? 1.0 : std::clamp(reach - std::sqrt(squared), 0.0, 1.0);
                const auto alpha = uint32_t(cover * 256 + 0.5);
                if (alpha == 0) continue;
                row[x] = Blend(row[x], redBlue, alphaGreen, alpha);
            }
        };
        const auto x0 = int32_t(firstColumn), x1 = int32_t(endColumn);
        if (!marked) {
            blend(x0, x1);
            continue;
        }
        // Tile by tile: the mask is read once a tile, not once a pixel.
        const int32_t lastTile = std::min(only->TileOf(x1 - 1), only->columns - 1);
        for (int32_t tile = only->TileOf(x0); tile <= lastTile; ++tile)
            if (marked[tile]) blend(std::max(x0, tile * only->size), std::min(x1, (tile + 1) * only->size));
    }
}

void DraftLine(const PixelRaster& raster, ViewPoint a, ViewPoint b, uint32_t pixel, const DeviceRect& clip) {
    const DeviceRect inside{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, raster.width),
                            std::min(clip.bottom, raster.height)};
    double dx = b.x - a.x, dy = b.y - a.y;
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    const bool within = a.x >= inside.left && a.x < inside.right && a.y >= inside.top &&
                        a.y < inside.bottom && b.x >= inside.left && b.x < inside.right &&
                        b.y >= inside.top && b.y < inside.bottom;
    if (!within) {
        // The part inside the clip (Liang and Barsky).
        double t0 = 0, t1 = 1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x - inside.left, inside.right - a.x, a.y - inside.top, inside.bottom - a.y};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (!(q[k] >= 0)) return;  // outside and parallel to that edge, or not a number
                continue;
            }
            const double t = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
        if (!(t0 <= t1)) return;
        a = {a.x + t0 * dx, a.y + t0 * dy};
        dx *= t1 - t0, dy *= t1 - t0;
    }
    // One pixel a step along the longer axis, kept inside by the clamps
    // against rounding at the clip's edges.
    const int32_t steps = int32_t(std::max(std::fabs(dx), std::fabs(dy))) + 1;
    const double sx = dx / steps, sy = dy / steps;
    double x = a.x, y = a.y;
    for (int32_t i = 0; i <= steps; ++i, x += sx, y += sy) {
        const int32_t px = std::clamp(int32_t(x), inside.left, inside.right - 1);
        const int32_t py = std::clamp(int32_t(y), inside.top, inside.bottom - 1);
        raster.at(px, py) = pixel;
    }
}
