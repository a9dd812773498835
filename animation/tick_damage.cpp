#include "animation/tick_damage.h"

#include <algorithm>
#include <cmath>

void TickDamage::Reset(int32_t width, int32_t height, int32_t tileShift) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    shift_ = std::clamp(tileShift, 0, 8);
    // Larger tiles beyond 65,535 of them a side: a tile's row and column
    // are kept in 16 bits each.
    while (shift_ < 8 && std::max(width_, height_) > (int32_t(0xFFFF) << shift_)) ++shift_;
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
        for (const uint32_t at : marked_)
            tiles_[std::size_t(at >> 16) * std::size_t(tilesX_) + (at & 0xFFFF)] = 0;
        std::fill(blocks_.begin(), blocks_.end(), 0);  // a few hundred
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

void TickDamage::MarkStroke(ViewPoint a, ViewPoint b, double reach, TickDamage* also) {
    if (all_ && (!also || also->all_)) return;
    const double dx = b.x - a.x, dy = b.y - a.y;
    double length = std::sqrt(dx * dx + dy * dy);
    if (std::isinf(length)) length = std::hypot(dx, dy);  // far ends, whose squares overflow
    if (!std::isfinite(length) || !std::isfinite(a.x) || !std::isfinite(a.y) || !(reach >= 0)) return;
    const double top = std::max(std::floor(std::min(a.y, b.y) - reach) - 1, 0.0);
    const double bottom = std::min(std::ceil(std::max(a.y, b.y) + reach) + 1, double(height_));
    const double left = std::max(std::floor(std::min(a.x, b.x) - reach) - 1, 0.0);
    const double right = std::min(std::ceil(std::max(a.x, b.x) + reach) + 1, double(width_));
    if (!(top < bottom && left < right)) return;
    if (length < 1e-9) {
        Mark({int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)});
        if (also) also->Mark({int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)});
        return;
    }
    // At the centre of pixel x on row y: along = t0 + ux x, across = d0 - uy x.
    const double ux = dx / length, uy = dy / length;
    const auto narrow = [](double v0, double slope, double inverse, double low, double high, double& from,
                           double& to) {
        if (std::fabs(slope) < 1e-12) {
            if (v0 < low || v0 > high) from = to + 1;
            return;
        }
        double x0 = (low - v0) * inverse, x1 = (high - v0) * inverse;
        if (x0 > x1) std::swap(x0, x1);
        from = std::max(from, x0), to = std::min(to, x1);
    };
    const double alongInverse = 1 / ux, acrossInverse = -1 / uy;
    for (auto y = int32_t(top); y < int32_t(bottom); ++y) {
        const double cy = y + 0.5 - a.y, cx = 0.5 - a.x;
        double from = left, to = right - 1;
        narrow(cx * ux + cy * uy, ux, alongInverse, -reach, length + reach, from, to);
        narrow(-cx * uy + cy * ux, -uy, acrossInverse, -reach, reach, from, to);
        if (from > to) continue;
        const auto x0 = int32_t(std::floor(from)), x1 = int32_t(std::ceil(to));
        for (int32_t tx = x0 >> shift_; tx <= x1 >> shift_; ++tx) {
            MarkTile(tx, y >> shift_);
            if (also) also->MarkTile(tx, y >> shift_);
        }
    }
}

std::vector<DeviceRect> TickDamage::Rects(int32_t shift) const {
    if (all_) return {{0, 0, width_, height_}};
    shift = std::max(shift, shift_);
    // The marked tiles as tiles of 2^shift pixels, on a grid of such tiles
    // read row by row: linear in the tiles, where sorting thousands of
    // marks (a tick of many bodies) cost more than the repaint they bound.
    const int32_t up = shift - shift_, size = 1 << shift;
    const int32_t columns = (width_ + size - 1) >> shift, rows = (height_ + size - 1) >> shift;
    std::vector<uint8_t> grid(std::size_t(columns) * std::size_t(rows), 0);
    int32_t firstRow = rows, lastRow = -1;
    for (const uint32_t at : marked_) {
        const auto tx = int32_t(at & 0xFFFF) >> up, ty = int32_t(at >> 16) >> up;
        grid[std::size_t(ty) * std::size_t(columns) + std::size_t(tx)] = 1;
        firstRow = std::min(firstRow, ty), lastRow = std::max(lastRow, ty);
    }
    std::vector<DeviceRect> rects;
    for (int32_t ty = firstRow; ty <= lastRow; ++ty) {
        const uint8_t* row = grid.data() + std::size_t(ty) * std::size_t(columns);
        for (int32_t tx = 0; tx < columns;) {
            if (!row[tx]) {
                ++tx;
                continue;
            }
            // A run of neighbouring tiles on one tile row makes one rectangle.
            const int32_t start = tx;
            while (tx < columns && row[tx]) ++tx;
            rects.push_back({start << shift, ty << shift, std::min(tx << shift, width_),
                             std::min((ty + 1) << shift, height_)});
        }
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
