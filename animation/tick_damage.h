#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plot/device_types.h"

/// The parts of a raster that one tick changed, kept as marked tiles, so that
/// only they need to reach the screen.
class TickDamage {
public:
    /// Pixels on a side of a tile.
    static constexpr int32_t kTile = 16;

    /// Starts afresh for a raster of `width` x `height` pixels, nothing marked.
    void Reset(int32_t width, int32_t height);
    /// Marks the whole raster.
    void MarkAll() { all_ = true; }
    bool all() const { return all_; }
    /// Marks the pixels left..right-1 x top..bottom-1 (clipped to the raster).
    void Mark(const DeviceRect& rect);
    /// Marks the pixel at `offset` of a raster whose rows are `stride` pixels
    /// apart; negative offsets mark nothing.
    void MarkOffset(int32_t offset, std::ptrdiff_t stride) {
        if (offset < 0 || all_) return;
        MarkTile(int32_t(offset % stride) / kTile, int32_t(offset / stride) / kTile);
    }
    /// Whether the pixel at x, y lies in a marked tile (or all is marked).
    bool Covers(int32_t x, int32_t y) const {
        if (all_) return true;
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
        return tiles_[std::size_t(y / kTile) * std::size_t(tilesX_) + std::size_t(x / kTile)] != 0;
    }
    /// Whether any pixel of left..right-1 x top..bottom-1 lies in a marked tile.
    bool CoversAny(const DeviceRect& rect) const;
    /// The marked area as rectangles within the raster: each run of marked
    /// tiles on a tile row, or the whole raster when all is marked.
    std::vector<DeviceRect> Rects() const;

private:
    void MarkTile(int32_t tx, int32_t ty) {
        if (uint32_t(tx) >= uint32_t(tilesX_) || uint32_t(ty) >= uint32_t(tilesY_)) return;
        const std::size_t index = std::size_t(ty) * std::size_t(tilesX_) + std::size_t(tx);
        if (tiles_[index]) return;
        tiles_[index] = 1;
        marked_.push_back(uint32_t(index));
    }

    int32_t width_ = 0, height_ = 0, tilesX_ = 0, tilesY_ = 0;
    bool all_ = false;
    std::vector<uint8_t> tiles_;
    /// The marked tiles' indices, so that a tick costs what it marked and
    /// not what the raster holds (a 4K view has 32,000 tiles).
    std::vector<uint32_t> marked_;
};
