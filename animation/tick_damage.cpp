#include "animation/tick_damage.h"

#include <algorithm>

void TickDamage::Reset(int32_t width, int32_t height, int32_t tileShift) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    shift_ = std::clamp(tileShift, 0, 8);
    const int32_t tile = 1 << shift_;
    tilesX_ = (width_ + tile - 1) >> shift_;
    tilesY_ = (height_ + tile - 1) >> shift_;
    all_ = false;
    const std::size_t tiles = std::size_t(tilesX_) * std::size_t(tilesY_);
    const int32_t blocksX = (width_ + (1 << kBlockShift) - 1) >> kBlockShift;
    const std::size_t blocks =
        std::size_t(blocksX) * std::size_t((height_ + (1 << kBlockShift) - 1) >> kBlockShift);
    if (tiles_.size() != tiles || blocks_.size() != blocks || blocksX_ != blocksX) {
        tiles_.assign(tiles, 0);
        blocks_.assign(blocks, 0);
        blocksX_ = blocksX;
    } else {
        for (const uint32_t index : marked_) tiles_[index] = 0, blocks_[BlockOf(index)] = 0;
    }
    marked_.clear();
}

void TickDamage::Mark(const DeviceRect& rect) {
    if (all_) return;
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width_), bottom = std::min(rect.bottom, height_);
    if (right <= left || bottom <= top) return;
    for (int32_t ty = top >> shift_; ty <= (bottom - 1) >> shift_; ++ty)
        for (int32_t tx = left >> shift_; tx <= (right - 1) >> shift_; ++tx) MarkTile(tx, ty);
}

std::vector<DeviceRect> TickDamage::Rects(int32_t shift) const {
    if (all_) return {{0, 0, width_, height_}};
    shift = std::max(shift, shift_);
    // The marked tiles as tiles of 2^shift pixels, by their index on a grid
    // of such tiles.
    const int32_t up = shift - shift_, size = 1 << shift;
    const auto columns = uint32_t((width_ + size - 1) >> shift);
    std::vector<uint32_t> order;
    order.reserve(marked_.size());
    for (const uint32_t index : marked_) {
        const uint32_t tx = index % uint32_t(tilesX_), ty = index / uint32_t(tilesX_);
        order.push_back((ty >> up) * columns + (tx >> up));
    }
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());
    std::vector<DeviceRect> rects;
    for (std::size_t i = 0; i < order.size();) {
        // A run of neighbouring tiles on one tile row makes one rectangle.
        const uint32_t start = order[i];
        uint32_t end = start + 1;
        while (++i < order.size() && order[i] == end && end % columns != 0) ++end;
        const auto tx = int32_t(start % columns), ty = int32_t(start / columns);
        const auto tiles = int32_t(end - start);
        rects.push_back({tx << shift, ty << shift, std::min((tx + tiles) << shift, width_),
                         std::min((ty + 1) << shift, height_)});
    }
    return rects;
}

bool TickDamage::CoversAny(const DeviceRect& rect) const {
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width_), bottom = std::min(rect.bottom, height_);
    if (left >= right || top >= bottom) return false;
    if (all_) return true;
    for (int32_t by = top >> kBlockShift; by <= (bottom - 1) >> kBlockShift; ++by)
        for (int32_t bx = left >> kBlockShift; bx <= (right - 1) >> kBlockShift; ++bx) {
            if (!blocks_[std::size_t(by) * std::size_t(blocksX_) + std::size_t(bx)]) continue;
            // The tiles of this block within the rectangle.
            const int32_t x0 = std::max(left, bx << kBlockShift),
                          x1 = std::min(right, (bx + 1) << kBlockShift);
            const int32_t y0 = std::max(top, by << kBlockShift),
                          y1 = std::min(bottom, (by + 1) << kBlockShift);
            for (int32_t ty = y0 >> shift_; ty <= (y1 - 1) >> shift_; ++ty)
                for (int32_t tx = x0 >> shift_; tx <= (x1 - 1) >> shift_; ++tx)
                    if (tiles_[std::size_t(ty) * std::size_t(tilesX_) + std::size_t(tx)]) return true;
        }
    return false;
}
