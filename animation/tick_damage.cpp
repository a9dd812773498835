#include "animation/tick_damage.h"

#include <algorithm>

void TickDamage::Reset(int32_t width, int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    tilesX_ = (width_ + kTile - 1) / kTile;
    tilesY_ = (height_ + kTile - 1) / kTile;
    all_ = false;
    const std::size_t tiles = std::size_t(tilesX_) * std::size_t(tilesY_);
    if (tiles_.size() != tiles) {
        tiles_.assign(tiles, 0);
    } else {
        for (const uint32_t index : marked_) tiles_[index] = 0;
    }
    marked_.clear();
}

void TickDamage::Mark(const DeviceRect& rect) {
    if (all_) return;
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width_), bottom = std::min(rect.bottom, height_);
    if (right <= left || bottom <= top) return;
    for (int32_t ty = top / kTile; ty <= (bottom - 1) / kTile; ++ty)
        for (int32_t tx = left / kTile; tx <= (right - 1) / kTile; ++tx) MarkTile(tx, ty);
}

std::vector<DeviceRect> TickDamage::Rects() const {
    if (all_) return {{0, 0, width_, height_}};
    std::vector<uint32_t> order = marked_;
    std::sort(order.begin(), order.end());
    std::vector<DeviceRect> rects;
    const auto columns = uint32_t(tilesX_);
    for (std::size_t i = 0; i < order.size();) {
        // A run of neighbouring tiles on one tile row makes one rectangle.
        const uint32_t start = order[i];
        uint32_t end = start + 1;
        while (++i < order.size() && order[i] == end && end % columns != 0) ++end;
        const auto tx = int32_t(start % columns), ty = int32_t(start / columns);
        const auto tiles = int32_t(end - start);
        rects.push_back({tx * kTile, ty * kTile, std::min((tx + tiles) * kTile, width_),
                         std::min((ty + 1) * kTile, height_)});
    }
    return rects;
}

bool TickDamage::CoversAny(const DeviceRect& rect) const {
    const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
    const int32_t right = std::min(rect.right, width_), bottom = std::min(rect.bottom, height_);
    if (left >= right || top >= bottom) return false;
    if (all_) return true;
    for (int32_t ty = top / kTile; ty <= (bottom - 1) / kTile; ++ty)
        for (int32_t tx = left / kTile; tx <= (right - 1) / kTile; ++tx)
            if (tiles_[std::size_t(ty) * std::size_t(tilesX_) + std::size_t(tx)]) return true;
    return false;
}
