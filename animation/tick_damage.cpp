#include "animation/tick_damage.h"

#include <algorithm>

void TickDamage::Reset(int32_t width, int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    tilesX_ = (width_ + kTile - 1) / kTile;
    tilesY_ = (height_ + kTile - 1) / kTile;
    all_ = false;
    tiles_.assign(std::size_t(tilesX_) * std::size_t(tilesY_), 0);
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
    std::vector<DeviceRect> rects;
    for (int32_t ty = 0; ty < tilesY_; ++ty) {
        const uint8_t* row = tiles_.data() + std::size_t(ty) * std::size_t(tilesX_);
        for (int32_t tx = 0; tx < tilesX_;) {
            if (!row[tx]) {
                ++tx;
                continue;
            }
            const int32_t start = tx;
            while (tx < tilesX_ && row[tx]) ++tx;
            rects.push_back({start * kTile, ty * kTile, std::min(tx * kTile, width_),
                             std::min((ty + 1) * kTile, height_)});
        }
    }
    return rects;
}
