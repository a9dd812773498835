#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot/device_types.h"
#include "plot/line_raster.h"

/// The parts of a raster that one tick changed, kept as marked tiles, so that
/// only they need to reach the screen.
class TickDamage {
public:
    /// Pixels on a side of a tile, by default: 16, a power of two.
    static constexpr int32_t kTileShift = 4;

    /// Starts afresh for a raster of `width` x `height` pixels, nothing
    /// marked, in tiles of 2^tileShift pixels on a side. Smaller tiles cost
    /// more to mark and to send to the screen, and repaint less about what
    /// changed.
    void Reset(int32_t width, int32_t height, int32_t tileShift = kTileShift);
    /// Pixels on a side of a tile.
    int32_t tile() const { return 1 << shift_; }
    /// Marks the whole raster.
    void MarkAll() { all_ = true; }
    bool all() const { return all_; }
    /// Marks the pixels left..right-1 x top..bottom-1 (clipped to the raster).
    void Mark(const DeviceRect& rect);
    /// Marks the pixels whose centres lie within `reach` of the segment from
    /// `a` to `b`, measured along it and across it: a stroke's own pixels,
    /// where its box would mark many more about a slanting step. Nothing for
    /// points that are not finite. The same pixels on `also` (of the same
    /// size and tiles) when given: marking both costs little more than one.
    void MarkStroke(ViewPoint a, ViewPoint b, double reach, TickDamage* also = nullptr);
    /// Marks the tiles holding a pixel `other` (of the same size, its tiles
    /// no larger) marks.
    void MarkCoarse(const TickDamage& other) {
        if (other.all_) MarkAll();
        if (all_) return;
        const int32_t up = shift_ - other.shift_;
        for (const uint32_t at : other.marked_) MarkTile(int32_t(at & 0xFFFF) >> up, int32_t(at >> 16) >> up);
    }
    /// Marks the pixel at `offset` of a raster whose rows are `stride` pixels
    /// apart; negative offsets mark nothing.
    void MarkOffset(int32_t offset, std::ptrdiff_t stride) {
        if (offset < 0 || all_) return;
        MarkTile(int32_t(offset % stride) >> shift_, int32_t(offset / stride) >> shift_);
    }
    /// Whether the pixel at x, y lies in a marked tile (or all is marked).
    bool Covers(int32_t x, int32_t y) const {
        if (all_) return true;
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
        return tiles_[std::size_t(y >> shift_) * std::size_t(tilesX_) + std::size_t(x >> shift_)] != 0;
    }
    /// Whether any pixel of left..right-1 x top..bottom-1 lies in a marked tile.
    bool CoversAny(const DeviceRect& rect) const;
    /// Whether a shape within view coordinates left..right x top..bottom, on
    /// a picture of `width` x `height` pixels, touches a marked tile: off the
    /// picture (or not a number) nothing shows; otherwise the pixels from the
    /// first to one past the last the rectangle touches count, so that every
    /// surface skips the same shapes.
    bool Shows(double left, double top, double right, double bottom, int32_t width, int32_t height) const {
        if (!(right >= 0 && bottom >= 0 && left < width && top < height)) return false;
        const auto x0 = int32_t(std::max(left, 0.0)), y0 = int32_t(std::max(top, 0.0));
        const auto x1 = int32_t(std::min(right + 1, double(width))),
                   y1 = int32_t(std::min(bottom + 1, double(height)));
        return CoversAny({x0, y0, x1 + 1, y1 + 1});
    }
    /// The marked tiles, row after row of tiles, for drawing loops that test
    /// many pixels: nonzero where marked (null when all is marked).
    TileMask mask() const { return {all_ ? nullptr : tiles_.data(), tilesX_, tilesY_, tile()}; }
    /// The marked area as rectangles within the raster: each run of marked
    /// tiles on a tile row, or the whole raster when all is marked. With a
    /// larger `shift` than the tiles', the runs of larger tiles of 2^shift
    /// pixels that hold a marked one: fewer rectangles over a few more
    /// pixels, for the screen, which takes each rectangle as one request.
    std::vector<DeviceRect> Rects(int32_t shift = 0) const;

private:
    void MarkTile(int32_t tx, int32_t ty) {
        if (uint32_t(tx) >= uint32_t(tilesX_) || uint32_t(ty) >= uint32_t(tilesY_)) return;
        const std::size_t index = std::size_t(ty) * std::size_t(tilesX_) + std::size_t(tx);
        if (tiles_[index]) return;
        tiles_[index] = 1;
        marked_.push_back(uint32_t(ty) << 16 | uint32_t(tx));
        blocks_[std::size_t((ty << shift_) >> kBlockShift) * std::size_t(blocksX_) +
                std::size_t((tx << shift_) >> kBlockShift)] = 1;
    }
    int32_t width_ = 0, height_ = 0, tilesX_ = 0, tilesY_ = 0, shift_ = kTileShift;
    bool all_ = false;
    std::vector<uint8_t> tiles_;
    /// The marked tiles, row and column in the high and low halves, so that
    /// a tick costs what it marked and not what the raster holds (a 4K view
    /// has 32,000 tiles); read without dividing.
    std::vector<uint32_t> marked_;
    /// Blocks of 64 pixels holding a marked tile, so that CoversAny passes
    /// over a large unmarked rectangle of small tiles at once.
    static constexpr int32_t kBlockShift = 6;
    int32_t blocksX_ = 0;
    std::vector<uint8_t> blocks_;
};
