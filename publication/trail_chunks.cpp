#include "publication/trail_chunks.h"

#include <algorithm>

#include "animation/simulation_state.h"

namespace {
/// Chunks a trail is cut into: as many as the memory allows, up to sixteen
/// (a tick draws again a sixteenth of the trail's rows at most where its
/// tail went, and lays seventeen layers over the picture), and no fewer
/// than eight, below which the layers are not worth their memory.
constexpr int64_t kMostChunks = 16, kLeastChunks = 8;
}  // namespace

int64_t TrailChunks::Chunks(int32_t width, int32_t height) {
    constexpr uint64_t kMostBytes = uint64_t(160) << 20;
    const uint64_t layer = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0)) * 4;
    if (layer == 0) return kMostChunks;
    // Besides the chunks' layers: the one a trail enters, the picture under
    // them and the one under the newest.
    const auto fit = int64_t(std::min<uint64_t>(kMostBytes / layer, kMostChunks + 3)) - 3;
    return fit >= kLeastChunks ? fit : 0;
}

int64_t TrailChunks::RowsPerChunk(const SimulationState& s, int32_t width, int32_t height) {
    int64_t length = std::max(s.view.trailLength, 0);
    if (s.view.trailMode == TrailMode::Both) length *= 2;
    const int64_t chunks = std::max<int64_t>(Chunks(width, height), 1);
    return std::max<int64_t>(1, (length + chunks - 1) / chunks);
}

bool TrailChunks::Holds(const SimulationState& s) const {
    return built_ && RowsPerChunk(s, width_, height_) == rows_ && s.playback.direction == direction_;
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
