#pragma once
#include <cstdint>
#include <vector>

#include "plot/drawing_surface.h"

struct SimulationState;

/// The trails drawn in side layers by age, on a raster: the steps into rows
/// [k R, (k + 1) R) in layer k (R rows a chunk, a part of the trail's
/// length), each drawn in the playback's order and laid over the picture in
/// that order too. A tick draws the steps that came onto the newest layer
/// and draws again only the chunk whose steps went, where they went: a few
/// rows' worth of steps instead of the whole trail's.
class TrailChunks {
public:
    /// Chunks the trails are cut into on a raster of `width` x `height`
    /// pixels: as many as fit with the layers' memory at most 160 MiB, up
    /// to 16 (a view of 1920 x 1080), 8 for 2560 x 1440; 0 when fewer than
    /// 8 fit (4K, or a picture four times a window's size), where the layers
    /// are not worth their memory and the trails are drawn straight in, as
    /// a tick draws them too.
    static int64_t Chunks(int32_t width, int32_t height);
    static bool Worth(int32_t width, int32_t height) { return Chunks(width, height) > 0; }
    /// Rows a chunk for the trails of `state` on such a raster: the longest
    /// trail its mode shows over the chunks (rounded up), at least 1. It
    /// depends on the choices and the size alone, not on the row shown, so
    /// that a tick keeps the chunks.
    static int64_t RowsPerChunk(const SimulationState& state, int32_t width, int32_t height);
    /// The chunk of the step into `row`.
    static int64_t ChunkOf(int64_t row, int64_t rowsPerChunk) { return row / rowsPerChunk; }

    /// Forgets every layer's steps, for chunks of `rowsPerChunk` rows laid
    /// in `direction`'s order, on layers of `width` x `height` pixels.
    void Reset(int64_t rowsPerChunk, int32_t direction, int32_t width, int32_t height);
    /// Whether the layers hold the chunks `state`'s trails are cut into,
    /// laid in its playback's order: drawn by a full paint, then kept by the
    /// ticks.
    bool Holds(const SimulationState& state) const;
    /// Marks the layers as holding their chunks whole (after a full paint).
    void SetBuilt() { built_ = true; }
    bool built() const { return built_; }
    /// Marks the layers as holding nothing a tick may mend.
    void Forget() { built_ = false; }

    /// The picture under the trails (the fill, the grid and the axes), kept
    /// by a full paint for the ticks to lay the layers over again.
    PixelRaster Base();
    /// The picture under the newest chunk's layer: the base with every
    /// older layer laid over it. A tick lays the newest layer over it alone
    /// where only new steps came; when the trail enters a new chunk, the
    /// newest is laid onto it.
    PixelRaster Below();
    /// The chunk whose layer is not yet laid onto Below (none: INT64_MIN).
    int64_t newest() const { return newest_; }
    void SetNewest(int64_t index) { newest_ = index; }
    /// The layer of chunk `index`, or null when none holds it.
    const PixelRaster* Find(int64_t index) const;
    /// The layer of chunk `index`; when none holds it, a layer that holds
    /// none of the chunks `lowest` to `highest` (or a new one), which
    /// `fresh` then tells is to be cleared.
    PixelRaster Take(int64_t index, int64_t lowest, int64_t highest, bool& fresh);

private:
    struct Layer {
        int64_t index = 0;
        std::vector<uint32_t> pixels;
        PixelRaster raster;
    };
    std::vector<Layer> layers_;
    std::vector<uint32_t> base_, below_;
    int64_t newest_ = INT64_MIN;
    int64_t rows_ = 0;
    int32_t direction_ = 1;
    int32_t width_ = 0, height_ = 0;
    bool built_ = false;
};
