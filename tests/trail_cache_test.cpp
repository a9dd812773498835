// The trail cache against the plain drawing path: two rasters play the same
// scene tick by tick, one drawing its trails through a cache, the other pixel
// by pixel, and must hold the same pixels after every step.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"
#include "publication/view_paint.h"
#include "scenes/orbit_scene.h"

namespace {

/// A raster of its own size with a surface over it; text draws nothing.
struct Canvas {
    Canvas(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h)) {}
    RasterSurface surface() {
        return RasterSurface(PixelRaster{pixels.data(), width, height, width}, nullptr);
    }
    int width, height;
    std::vector<uint32_t> pixels;
};

/// Bodies on ellipses that leave the box now and then, so that clipped
/// points enter and leave the trail too; even bodies' ellipses stand
/// upright, so every trail crosses its neighbours' and a pixel can belong to
/// the trails of two bodies at once.
void LoadScene(SimulationState& s, int rows, int bodies, int trail) {
    LoadOrbits(s, rows, bodies, 1.0, [](int r, int k) {
        const double a = k % 2 ? 0.9 * k : 0.35 * k, b = k % 2 ? 0.6 * k : 1.2 * k;
        return ScenePoint{a * std::cos(r * 0.031 * k), b * std::sin(r * 0.031 * k)};
    });
    for (int k = 1; k <= bodies; ++k) {
        s.loaded().fields.bodySize[std::size_t(k)] = k;
        s.loaded().bodyColour[std::size_t(k)] = 0x100000u * std::uint32_t(k) + 0xF0;
    }
    s.view.trailLength = trail;
    s.loaded().fields.sunSize = 4;
}

struct TwinFixture : ::testing::Test {
    SimulationState cachedState, plainState;
    PlotBox cachedPlot, plainPlot;
    TrailCache trails;

    void SetUp() override {
        InitialiseDefaults(cachedState, cachedPlot);
        InitialiseDefaults(plainState, plainPlot);
        LoadScene(cachedState, 1500, 3, 100);  // a ring of 128 rows wraps many times
        LoadScene(plainState, 1500, 3, 100);
    }
    void Paint(Canvas& cached, Canvas& plain) {
        RasterSurface a = cached.surface(), b = plain.surface();
        PaintView(cachedState, cachedPlot, a, cached.width, cached.height, &trails);
        PaintView(plainState, plainPlot, b, plain.width, plain.height);
    }
    /// Ticks both until they stop or `ticks` ran, repainting both when a tick
    /// asks for it; false at the first picture that differs.
    bool TickAlike(Canvas& cached, Canvas& plain, int ticks) {
        RasterSurface a = cached.surface(), b = plain.surface();
        for (int t = 0; t < ticks; ++t) {
            const TimerRequest requestA = TickView(cachedState, cachedPlot, a, &trails);
            const TimerRequest requestB = TickView(plainState, plainPlot, b);
            const bool picturesDiffer = cached.pixels != plain.pixels;
            if (requestA.repaint && requestB.repaint) Paint(cached, plain);
            if (picturesDiffer || cached.pixels != plain.pixels) {
                ADD_FAILURE() << "pictures differ after tick " << t << " at row "
                              << cachedState.playback.position;
                return false;
            }
            if (requestA.stop || requestB.stop || requestA.repaint != requestB.repaint)
                return requestA.stop == requestB.stop && requestA.repaint == requestB.repaint;
        }
        return true;
    }
    void SetBoth(TrailMode mode, int fade, int loop) {
        for (SimulationState* s : {&cachedState, &plainState}) {
            s->view.trailMode = mode;
            s->view.fadeTrails = fade;
            s->view.loopPlayback = loop;
        }
    }
};

TEST_F(TwinFixture, SamePixelsAcrossManyRingWraps) {
    Canvas cached(400, 300), plain(400, 300);
    Paint(cached, plain);
    ASSERT_EQ(cached.pixels, plain.pixels);
    EXPECT_TRUE(TickAlike(cached, plain, 700));
}

TEST_F(TwinFixture, SamePixelsAfterABoxChangeAndASpeedChangeInMidPlayback) {
    Canvas cached(400, 300), plain(400, 300);
    Paint(cached, plain);
    ASSERT_TRUE(TickAlike(cached, plain, 150));
    for (PlotBox* plot : {&cachedPlot, &plainPlot}) plot->SetBox(-1.5, -0.5, 2.5, 3);
    Paint(cached, plain);
    ASSERT_EQ(cached.pixels, plain.pixels);
    ASSERT_TRUE(TickAlike(cached, plain, 150));
    cachedState.playback.step = plainState.playback.step = 37;  // jumps past what the cache holds
    EXPECT_TRUE(TickAlike(cached, plain, 20));
}

TEST_F(TwinFixture, SamePixelsAfterAResizeInMidPlayback) {
    Canvas cached(400, 300), plain(400, 300);
    Paint(cached, plain);
    ASSERT_TRUE(TickAlike(cached, plain, 200));
    // The view makes a new raster of the new size; the cache stays with the view.
    Canvas wideCached(640, 200), widePlain(640, 200);
    Paint(wideCached, widePlain);
    ASSERT_EQ(wideCached.pixels, widePlain.pixels);
    EXPECT_TRUE(TickAlike(wideCached, widePlain, 200));
}

TEST_F(TwinFixture, SamePixelsInEveryTrailModeWithAndWithoutFade) {
    for (const TrailMode mode : {TrailMode::Ahead, TrailMode::Behind, TrailMode::Both}) {
        for (const int fade : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " fade " << fade);
            SetBoth(mode, fade, 0);
            cachedState.playback.position = plainState.playback.position = 0;
            cachedState.playback.step = plainState.playback.step = 3;
            // The same cache goes from one mode to the next, as in the window.
            Canvas cached(400, 300), plain(400, 300);
            Paint(cached, plain);
            ASSERT_EQ(cached.pixels, plain.pixels);
            EXPECT_TRUE(TickAlike(cached, plain, 600));  // to the end of the data
            EXPECT_FALSE(PlaybackGoesOn(cachedState));
        }
    }
}

TEST_F(TwinFixture, SamePixelsGoingBackAndForthInEveryTrailMode) {
    for (const TrailMode mode : {TrailMode::Ahead, TrailMode::Behind, TrailMode::Both}) {
        SCOPED_TRACE(testing::Message() << "mode " << int(mode));
        SetBoth(mode, 0, 0);
        cachedState.playback.position = plainState.playback.position = 700;
        cachedState.playback.step = plainState.playback.step = 3;
        Canvas cached(400, 300), plain(400, 300);
        Paint(cached, plain);
        // Back past the ring's length and forward again, turning round
        // mid-way as Play Backwards and Play do; then back to row 0.
        for (const auto& [direction, ticks] : {std::pair{-1, 200}, {1, 60}, {-1, 30}, {1, 150}, {-1, 400}}) {
            cachedState.playback.direction = plainState.playback.direction = direction;
            ASSERT_TRUE(TickAlike(cached, plain, ticks));
        }
        EXPECT_EQ(cachedState.playback.position, 0);
    }
}

TEST_F(TwinFixture, SamePixelsAcrossTheWrapOfALoopAndAModeChangeInMidPlayback) {
    SetBoth(TrailMode::Both, 1, 1);
    cachedState.playback.step = plainState.playback.step = 5;
    cachedState.loaded().fields.startRow = plainState.loaded().fields.startRow = 40;
    Canvas cached(400, 300), plain(400, 300);
    Paint(cached, plain);
    // Tick 279 reaches row 1395, where a playback without the loop stops;
    // tick 280 goes back to row 40, and 20 more ticks lead to row 140.
    ASSERT_TRUE(TickAlike(cached, plain, 300));
    EXPECT_EQ(cachedState.playback.position, 140);
    SetBoth(TrailMode::Behind, 0, 1);  // the trail in the picture is erased as a Behind trail
    EXPECT_TRUE(TickAlike(cached, plain, 100));
}

}  // namespace
