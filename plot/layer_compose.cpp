#include "plot/layer_compose.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>  // on every x86-64 processor
#endif

namespace {

/// Calls `span(y, left, right)` for each run of pixels within `clip` (cut to
/// the raster) and the marked tiles of `only`.
template <typename Span>
void ForEachSpan(const PixelRaster& raster, const DeviceRect& clip, const TileMask* only, Span span) {
    const int32_t left = std::max(clip.left, 0), right = std::min(clip.right, raster.width);
    const int32_t top = std::max(clip.top, 0), bottom = std::min(clip.bottom, raster.height);
    if (left >= right) return;
    for (int32_t y = top; y < bottom; ++y) {
        if (!only || !only->marked) {
            span(y, left, right);
            continue;
        }
        const int32_t tileRow = only->TileOf(y);
        if (tileRow >= only->rows) break;
        const uint8_t* marked = only->marked + std::ptrdiff_t(tileRow) * only->columns;
        const int32_t lastTile = std::min(only->TileOf(right - 1), only->columns - 1);
        for (int32_t tile = only->TileOf(left); tile <= lastTile;) {
            if (!marked[tile]) {
                // Eight tiles at a time through the unmarked stretches: tiles
                // of a pixel or two leave hundreds to pass over on a row.
                uint64_t eight = 0;
                while (tile + 8 <= lastTile + 1 && (std::memcpy(&eight, marked + tile, 8), eight == 0))
                    tile += 8;
                if (tile <= lastTile && !marked[tile]) ++tile;
                continue;
            }
            const int32_t from = tile;
            while (tile <= lastTile && marked[tile]) ++tile;
            span(y, std::max(left, from * only->size), std::min(right, tile * only->size));
        }
    }
}

/// Two channels eight bits apart (0x00FF00FF lanes) times `keep` / 255,
/// each rounded to the nearest.
inline uint32_t ScaleLanes(uint32_t lanes, uint32_t keep) {
    uint32_t v = lanes * keep + 0x00800080u;
    return ((v + ((v >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

#if defined(__SSE2__)
/// ScaleLanes for four pixels at once, each channel in a 16-bit lane: the
/// same products, rounded the same way.
inline __m128i ScaleLanes4(__m128i lanes, __m128i keep) {
    const __m128i v = _mm_add_epi16(_mm_mullo_epi16(lanes, keep), _mm_set1_epi16(0x80));
    return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
}

/// Four premultiplied pixels `top` laid over `pixel`, as the loop a pixel
/// below lays one.
inline __m128i Over4(__m128i pixel, __m128i top) {
    const __m128i keep = _mm_sub_epi32(_mm_set1_epi32(255), _mm_srli_epi32(top, 24));
    const __m128i keepBoth = _mm_or_si128(keep, _mm_slli_epi32(keep, 16));  // in both lanes of a pair
    const __m128i lanes = _mm_set1_epi32(0x00FF00FF);
    const __m128i redBlue = ScaleLanes4(_mm_and_si128(pixel, lanes), keepBoth);
    const __m128i alphaGreen = ScaleLanes4(_mm_and_si128(_mm_srli_epi32(pixel, 8), lanes), keepBoth);
    return _mm_add_epi32(top, _mm_or_si128(redBlue, _mm_slli_epi32(alphaGreen, 8)));
}
#endif

}  // namespace

void FillPixels(const PixelRaster& raster, uint32_t pixel, const DeviceRect& clip, const TileMask* only) {
    ForEachSpan(raster, clip, only, [&](int32_t y, int32_t from, int32_t to) {
        uint32_t* row = raster.bits + std::ptrdiff_t(y) * raster.stride;
        std::fill(row + from, row + to, pixel);
    });
}

void ClearLayer(const PixelRaster& layer, const DeviceRect& clip, const TileMask* only) {
    FillPixels(layer, 0, clip, only);
}

void CopyPixels(const PixelRaster& from, const PixelRaster& to, const DeviceRect& clip,
                const TileMask* only) {
    if (from.width != to.width || from.height != to.height) return;
    ForEachSpan(to, clip, only, [&](int32_t y, int32_t begin, int32_t end) {
        std::memcpy(to.bits + std::ptrdiff_t(y) * to.stride + begin,
                    from.bits + std::ptrdiff_t(y) * from.stride + begin, std::size_t(end - begin) * 4);
    });
}

namespace {

/// Lays the rows `rows` of `count` layers in turn over `below` into `out`,
/// pixels from..to-1 of one row.
void LayRun(uint32_t* out, const uint32_t* below, const uint32_t* const* rows, std::size_t count,
            int32_t from, int32_t to) {
    int32_t x = from;
#if defined(__SSE2__)
    // Four pixels at a time, every layer laid in turn: the same sums as
    // one at a time below (a clear layer leaves a pixel as it was, an
    // opaque one replaces it), without a branch a pixel.
    for (; x + 4 <= to; x += 4) {
        __m128i pixel = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + x));
        for (std::size_t i = 0; i < count; ++i) {
            const __m128i top = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[i] + x));
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(top, _mm_setzero_si128())) == 0xFFFF) continue;
            pixel = Over4(pixel, top);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixel);
    }
#endif
    for (; x < to; ++x) {
        // The highest opaque layer hides what lies under it: from there up.
        std::size_t start = count;
        while (start > 0 && (rows[start - 1][x] >> 24) != 255) --start;
        uint32_t pixel = start > 0 ? rows[start - 1][x] : below[x];
        for (std::size_t i = start; i < count; ++i) {
            const uint32_t top = rows[i][x], alpha = top >> 24;
            if (alpha == 0) continue;
            // Premultiplied: no lane of the sum passes 255.
            const uint32_t keep = 255 - alpha;
            pixel = top + (ScaleLanes(pixel & 0x00FF00FFu, keep) |
                           (ScaleLanes((pixel >> 8) & 0x00FF00FFu, keep) << 8));
        }
        out[x] = pixel;
    }
}

bool SameSize(const PixelRaster& a, const PixelRaster& b) {
    return a.width == b.width && a.height == b.height;
}

/// The rows at `y` of `count` layers.
void RowsAt(const PixelRaster* const* layers, std::size_t count, int32_t y,
            std::vector<const uint32_t*>& rows) {
    rows.resize(count);
    for (std::size_t i = 0; i < count; ++i) rows[i] = layers[i]->bits + std::ptrdiff_t(y) * layers[i]->stride;
}

}  // namespace

void ComposeLayers(const PixelRaster& onto, const PixelRaster* const* layers, std::size_t count,
                   const DeviceRect& clip, const TileMask* only, const PixelRaster* base) {
    for (std::size_t i = 0; i < count; ++i)
        if (!SameSize(*layers[i], onto)) return;
    if (base && !SameSize(*base, onto)) return;
    const PixelRaster& under = base ? *base : onto;
    std::vector<const uint32_t*> rows;
    ForEachSpan(onto, clip, only, [&](int32_t y, int32_t from, int32_t to) {
        RowsAt(layers, count, y, rows);
        LayRun(onto.bits + std::ptrdiff_t(y) * onto.stride, under.bits + std::ptrdiff_t(y) * under.stride,
               rows.data(), count, from, to);
    });
}

void ComposeRefreshing(const PixelRaster& onto, const PixelRaster& below, const PixelRaster* newest,
                       const PixelRaster* const* layers, std::size_t count, const PixelRaster& base,
                       const DeviceRect& clip, const TileMask* only, const TileMask& refresh) {
    for (std::size_t i = 0; i < count; ++i)
        if (!SameSize(*layers[i], onto)) return;
    if (!SameSize(below, onto) || !SameSize(base, onto) || (newest && !SameSize(*newest, onto))) return;
    std::vector<const uint32_t*> rows;
    ForEachSpan(onto, clip, only, [&](int32_t y, int32_t from, int32_t to) {
        uint32_t* out = onto.bits + std::ptrdiff_t(y) * onto.stride;
        uint32_t* under = below.bits + std::ptrdiff_t(y) * below.stride;
        const uint32_t* top = newest ? newest->bits + std::ptrdiff_t(y) * newest->stride : nullptr;
        // The run cut where the tiles to refresh start and end: in those,
        // the picture under the newest first, then the newest over it while
        // its pixels are at hand.
        const int32_t tileRow = refresh.TileOf(y);
        const uint8_t* marked = !refresh.marked ? nullptr
                                : tileRow < refresh.rows
                                    ? refresh.marked + std::ptrdiff_t(tileRow) * refresh.columns
                                    : nullptr;
        const auto refreshed = [&](int32_t x) {
            if (!refresh.marked) return true;
            const int32_t tile = refresh.TileOf(x);
            return marked && tile < refresh.columns && marked[tile] != 0;
        };
        for (int32_t x = from; x < to;) {
            const bool again = refreshed(x);
            int32_t end = refresh.marked ? std::min(to, (refresh.TileOf(x) + 1) * refresh.size) : to;
            while (end < to && refreshed(end) == again) end = std::min(to, end + refresh.size);
            if (again) {
                RowsAt(layers, count, y, rows);
                LayRun(under, base.bits + std::ptrdiff_t(y) * base.stride, rows.data(), count, x, end);
            }
            LayRun(out, under, &top, top ? 1 : 0, x, end);
            x = end;
        }
    });
}
