// The pictures of a playback with every optional behaviour switched off,
// pinned by checksums taken from the program before those behaviours
// existed: a paint and every tick to the end of the data, full and framed,
// with and without the trail cache.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"
#include "publication/view_paint.h"
#include "scenes/orbit_scene.h"

namespace {

/// Three bodies on ellipses that leave the box now and then.
void LoadScene(SimulationState& s) {
    const int rows = 400, bodies = 3;
    LoadOrbits(s, rows, bodies, 0.25, [](int r, int k) {
        return ScenePoint{1.1 * k * std::cos(r * 0.043 * k), 0.7 * k * std::sin(r * 0.043 * k)};
    });
    for (int k = 1; k <= bodies; ++k) {
        s.loaded().fields.bodySize[std::size_t(k)] = k + 1;
        s.loaded().bodyColour[std::size_t(k)] = 0x203000u * std::uint32_t(k) + 0x80;
    }
    s.view.trailLength = 90;
    s.playback.step = 3;
    s.loaded().fields.sunSize = 5;
    s.loaded().fields.drawAxes = 1;
}

/// FNV-1a over every picture of a playback from row 7 to the end of the data.
uint64_t PlaybackChecksum(bool framed, bool cached) {
    SimulationState state;
    PlotBox plot;
    InitialiseDefaults(state, plot);
    LoadScene(state);
    if (framed) {
        plot.SetViewport(10, 10, 90, 90);
        plot.axisStyle = 0;
    }
    // Every optional behaviour off, as the defaults have it.
    state.view.trailMode = TrailMode::Ahead;
    state.view.fadeTrails = 0;
    state.view.loopPlayback = 0;
    plot.equalAspect = 0;
    state.playback.position = 7;
    const int width = 420, height = 310;
    std::vector<uint32_t> pixels(std::size_t(width) * height);
    RasterSurface surface(PixelRaster{pixels.data(), width, height, width}, nullptr);
    TrailCache trails;
    TrailCache* cache = cached ? &trails : nullptr;
    uint64_t hash = 1469598103934665603ull;
    auto add = [&] {
        for (const uint32_t p : pixels) hash = (hash ^ p) * 1099511628211ull;
    };
    PaintView(state, plot, surface, width, height, cache);
    add();
    for (int tick = 0; tick < 1000; ++tick) {
        const bool stop = TickView(state, plot, surface, cache).stop;
        add();
        if (stop) break;
    }
    return hash ^ uint64_t(state.playback.position);
}

TEST(DefaultPicture, PlaybackPicturesAreUnchanged) {
    EXPECT_EQ(PlaybackChecksum(false, false), 16272163588403289456u);
    EXPECT_EQ(PlaybackChecksum(false, true), 16272163588403289456u);
    EXPECT_EQ(PlaybackChecksum(true, false), 5131105470590129498u);
    EXPECT_EQ(PlaybackChecksum(true, true), 5131105470590129498u);
}

}  // namespace
