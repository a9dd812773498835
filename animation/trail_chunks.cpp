#include "animation/trail_chunks.h"

#include <algorithm>

#include "animation/simulation_state.h"

namespace {
/// Chunks a trail is cut into: each eighth of it a layer, so that a tick
/// draws again an eighth of the trail's rows at most where its tail went,
/// and lays nine layers (the partial chunks at both ends) over the picture.
constexpr int64_t kChunks = 8;
}  // namespace

bool TrailChunks::Worth(int32_t width, int32_t height) {
    constexpr uint64_t kMostBytes = uint64_t(160) << 20;
    // The chunks' layers, the one a trail enters, the picture under them
    // and the one under the newest.
    return uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0)) * 4 * (kChunks + 3) <= kMostBytes;
}

int64_t TrailChunks::RowsPerChunk(const SimulationState& s) {
    int64_t length = std::max(s.loaded.fields.pointsPerOrbit, 0);
    if (s.view.trailMode == TrailMode::Both) length *= 2;
    return std::max<int64_t>(1, (length + kChunks - 1) / kChunks);
}

void TrailChunks::Reset(int64_t rowsPerChunk, int32_t direction, int32_t width, int32_t height) {
    if (width != width_ || height != height_) layers_.clear();
    rows_ = rowsPerChunk, direction_ = direction, width_ = width, height_ = height;
    built_ = false;
    newest_ = INT64_MIN;
    // Kept layers hold no chunk until taken again.
    for (Layer& layer : layers_) layer.index = INT64_MIN;
}

PixelRaster TrailChunks::Base() {
    base_.resize(std::size_t(width_) * std::size_t(height_));
    return {base_.data(), width_, height_, width_};
}

PixelRaster TrailChunks::Below() {
    below_.resize(std::size_t(width_) * std::size_t(height_));
    return {below_.data(), width_, height_, width_};
}

const PixelRaster* TrailChunks::Find(int64_t index) const {
    if (index == INT64_MIN) return nullptr;  // what a layer holding no chunk says
    for (const Layer& layer : layers_)
        if (layer.index == index) return &layer.raster;
    return nullptr;
}

PixelRaster TrailChunks::Take(int64_t index, int64_t lowest, int64_t highest, bool& fresh) {
    fresh = false;
    for (Layer& layer : layers_)
        if (layer.index == index) return layer.raster;
    fresh = true;
    auto spare = std::find_if(layers_.begin(), layers_.end(), [&](const Layer& layer) {
        return layer.index < lowest || layer.index > highest;
    });
    if (spare == layers_.end()) {
        Layer& made = layers_.emplace_back();
        made.pixels.assign(std::size_t(width_) * std::size_t(height_), 0);
        made.raster = {made.pixels.data(), width_, height_, width_};
        spare = layers_.end() - 1;
    }
    spare->index = index;
    return spare->raster;
}
