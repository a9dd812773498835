#include "animation/trail_cache.h"

#include <algorithm>
#include <bit>

#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "simulation/trajectory_table.h"

TrailCache::Key TrailCache::KeyOf(const TrajectoryTable& table, const PlotBox& plot,
                                  const PixelRaster& raster, int bodies) {
    Key key;
    key.tableVersion = table.version();
    key.mapping = plot.Mapping();
    key.bits = raster.bits;
    key.width = raster.width, key.height = raster.height, key.stride = raster.stride;
    key.bodies = bodies;
    return key;
}

void TrailCache::Prepare(const TrajectoryTable& table, const PlotBox& plot, const PixelRaster& raster,
                         int bodies, int64_t first, int64_t last) {
    if (last <= first) return;
    const Key key = KeyOf(table, plot, raster, bodies);
    const auto rows = std::size_t(last - first);
    const bool fresh = !(key == key_) || rows > capacity_ || first > end_ || last < first_;
    if (fresh) {
        key_ = key;
        if (rows > capacity_) {
            capacity_ = std::bit_ceil(rows);
            offsets_.assign(capacity_ * std::size_t(std::max(bodies, 0)), -1);
        } else if (offsets_.size() < capacity_ * std::size_t(std::max(bodies, 0))) {
            offsets_.resize(capacity_ * std::size_t(bodies), -1);
        }
        first_ = end_ = first;
    }
    if (first < first_) {
        // A playback going back: the rows before those held enter. They
        // take the ring's slots of the rows a capacity after them, which
        // are dropped first.
        end_ = std::min<int64_t>(end_, first + int64_t(capacity_));
        Fill(table, plot, raster, first, first_);
    }
    first_ = first;  // rows before the new trail are no longer needed
    if (last > end_) {
        Fill(table, plot, raster, end_, last);
        end_ = last;
    }
}

void TrailCache::Fill(const TrajectoryTable& table, const PlotBox& plot, const PixelRaster& raster,
                      int64_t from, int64_t to) {
    const std::size_t mask = capacity_ - 1;
    for (int body = 1; body <= key_.bodies; ++body) {
        int32_t* ring = offsets_.data() + std::size_t(body - 1) * capacity_;
        const double* xy = table.track(body, int32_t(from));
        for (int64_t r = from; r < to; ++r, xy += 2) {
            int32_t offset = -1;
            // The same clip and mapping as PlotPoint, so the same pixels.
            if (plot.enabled && !plot.IsOutside(xy[0], xy[1])) {
                const DevicePoint p = plot.Map(xy[0], xy[1]);
                if (raster.contains(p.x, p.y)) offset = int32_t(int64_t(p.y) * raster.stride + p.x);
            }
            ring[std::size_t(r) & mask] = offset;
        }
    }
}

TrailCache::Segments TrailCache::Offsets(int body, int64_t first, int64_t last) const {
    if (last <= first) return {};
    const int32_t* ring = offsets_.data() + std::size_t(body - 1) * capacity_;
    const std::size_t start = std::size_t(first) & (capacity_ - 1);
    const std::size_t count = std::size_t(last - first);
    const std::size_t head = std::min(count, capacity_ - start);
    return {{ring + start, head}, {ring, count - head}};
}

const uint32_t* TrailCache::FadedPixels(int body, ColourRef colour, ColourRef fill, int64_t length,
                                        int64_t first, int64_t last) {
    if (palettes_.size() < std::size_t(body)) palettes_.resize(std::size_t(body));
    return palettes_[std::size_t(body - 1)].Pixels(colour, fill, length, first, last);
}
