#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "animation/trail_fade.h"
#include "plot/plot_mapping.h"

class PlotBox;
class TrajectoryTable;
struct PixelRaster;

/// Remembers where on the raster each trail point of the rows last drawn
/// lands, so that a tick erases the old trail and draws the new one by
/// writing pixels, converting only the rows that entered the trail, at its
/// end going forward or at its front going back. The pixels are exactly
/// those PlotPoint would set: the cache is keyed by the table's contents,
/// the mapping and the raster, and starts afresh when any of them changes,
/// or when the rows asked for jump past the rows held either way. It also
/// keeps the colours of faded trails.
class TrailCache {
public:
    /// Makes rows [first, last) of bodies 1 to `bodies` available; rows must
    /// exist in `table`.
    void Prepare(const TrajectoryTable& table, const PlotBox& plot, const PixelRaster& raster, int bodies,
                 int64_t first, int64_t last);

    /// Raster offsets of body `body`'s points in rows [first, last) of the
    /// last Prepare, in row order, split where the ring wraps; -1 marks a
    /// point that draws nothing.
    struct Segments {
        std::span<const int32_t> head, tail;
    };
    Segments Offsets(int body, int64_t first, int64_t last) const;

    /// Raster pixels of body `body`'s faded trail for the rows `first` to
    /// `last` - 1 counted from the body's row (see FadePalette), kept from
    /// tick to tick.
    const uint32_t* FadedPixels(int body, ColourRef colour, ColourRef fill, int64_t length, int64_t first,
                                int64_t last);

    /// The cache of the trails of run compared `run` (from 0) drawn on the
    /// same raster: the trails a picture holds are all in this one's keeping.
    TrailCache& ofRun(std::size_t run) {
        while (runs_.size() <= run) runs_.push_back(std::make_unique<TrailCache>());
        return *runs_[run];
    }

private:
    struct Key {
        uint64_t tableVersion = 0;
        PlotMapping mapping;
        const void* bits = nullptr;
        int64_t width = 0, height = 0, stride = 0;
        int bodies = 0;
        bool operator==(const Key&) const = default;
    };
    static Key KeyOf(const TrajectoryTable& table, const PlotBox& plot, const PixelRaster& raster,
                     int bodies);
    void Fill(const TrajectoryTable& table, const PlotBox& plot, const PixelRaster& raster, int64_t from,
              int64_t to);

    Key key_;
    std::size_t capacity_ = 0;           // rows per body, a power of two
    int64_t first_ = 0, end_ = 0;        // rows held
    std::vector<int32_t> offsets_;       // body-major rings of capacity_ rows
    std::vector<FadePalette> palettes_;  // by body, from body 1
    std::vector<std::unique_ptr<TrailCache>> runs_;
};
