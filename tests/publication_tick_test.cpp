// The publication look's ticks without a window, on layers kept in memory:
// after every tick the picture and the layer under its discs are those a
// full paint at the new row makes, and every pixel that differs from the
// picture before lies in the damage the tick tells.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "animation/frame_view.h"
#include "animation/publication_tick.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "plot/plot_box.h"
#include "raster_layers.h"
#include "test_support.h"

namespace {

constexpr int kRows = 400, kWidth = 200, kHeight = 150, kScale = 2;

/// Three bodies on crossing ellipses about the origin that leave the box
/// now and then; `cornered`: on small circles in three corners of the box,
/// leaving its top-left corner to the legend.
std::string EllipseData(bool cornered) {
    const double centres[3][2] = {{2, 2}, {2, -2}, {-2, -2}};
    std::ostringstream data;
    for (int r = 0; r < kRows; ++r) {
        data << r * 0.01;
        for (int k = 1; k <= 3; ++k) {
            const double angle = r * 0.05 * k;
            if (cornered)
                data << ' ' << centres[k - 1][0] + 0.6 * std::cos(angle) << ' '
                     << centres[k - 1][1] + 0.6 * std::sin(angle);
            else
                data << ' ' << (k % 2 ? 1.2 : 0.5) * k * std::cos(angle) << ' '
                     << (k % 2 ? 0.5 : 1.2) * k * std::sin(angle);
        }
        data << '\n';
    }
    return data.str();
}

struct PublicationTickFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void Load(bool cornered, int step) {
        InitialiseDefaults(state, plot);
        dir.write("sim.dat", EllipseData(cornered));
        const std::string config = ConfigText(dir.path() + "/sim.dat", kRows, 3, step, 60, 0, "-3 -3 3 3") +
                                   "names = one two three\ntime unit = yr\n";
        ASSERT_EQ(LoadSimulation(state, plot, host, dir.write("sim.ovx", config)), 1);
        state.view.style = ViewStyle::Publication;
    }

    /// A full paint of `layers` at the current row on a fresh raster.
    std::vector<uint32_t> FullPaint(PaintLayers layers = PaintLayers::All) {
        RasterLayers fresh(kWidth, kHeight, kScale, false);
        fresh.Paint(PublicationLayers::Layer::Picture, nullptr, [&](DrawingSurface& surface) {
            PlotBox copy = plot;
            PaintPublicationView(state, copy, surface, kWidth, kHeight, {.layers = layers});
        });
        return fresh.picture;
    }
};

/// The pixels that differ between `a` and `b` outside the tiles `damage` marks.
int ChangedOutside(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const TickDamage& damage) {
    int missed = 0;
    for (int y = 0; y < kHeight * kScale; ++y)
        for (int x = 0; x < kWidth * kScale; ++x) {
            const std::size_t i = std::size_t(y) * kWidth * kScale + std::size_t(x);
            missed += a[i] != b[i] && !damage.Covers(x / kScale, y / kScale);
        }
    return missed;
}

TEST_F(PublicationTickFixture, EachTickShowsWhatAFullPaintShowsAndTellsEveryPixelItChanged) {
    const struct Case {
        const char* what;
        bool cornered = false;
        TrailMode mode = TrailMode::Ahead;
        int step = 1, from = 100, direction = 1;
        int turnAt = 0;  ///< the tick before which the playback turns round, 0: never
        const char* frame = "";
        bool loop = false, grid = false, clock = true, apart = true;
        int wholeRepaints = 0;  ///< ticks that tell the whole picture changed
    } cases[] = {
        {.what = "ahead, forward"},
        {.what = "behind, backward by 3", .mode = TrailMode::Behind, .step = 3, .from = 300, .direction = -1},
        {.what = "both ways, turned round",
         .mode = TrailMode::Both,
         .step = 2,
         .turnAt = 20,
         .wholeRepaints = 1},
        {.what = "the legend top left, the stamp under it", .cornered = true, .step = 2},
        {.what = "the sun moving in a centred frame", .frame = "centre:2"},
        {.what = "a loop going round", .from = 320, .loop = true, .wholeRepaints = 1},
        {.what = "a grid and no stamp", .grid = true, .clock = false},
        {.what = "no layer under kept apart", .step = 3, .apart = false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load(c.cornered, c.step);
        if (*c.frame) {
            ASSERT_EQ(ShowInFrame(state, plot, c.frame), "");
        }
        state.view.trailMode = c.mode;
        state.view.loopPlayback = c.loop;
        state.view.look.grid = c.grid, state.view.look.clock = c.clock;
        state.playback.position = c.from, state.playback.direction = c.direction;
        RasterLayers layers(kWidth, kHeight, kScale, c.apart);
        PublicationTick tick;
        tick.Paint(state, plot, layers, kWidth, kHeight);
        if (c.cornered) {
            ASSERT_EQ(tick.notes().legendCorner, 1);
        }
        std::vector<uint32_t> shown = FullPaint();
        ASSERT_TRUE(layers.picture == shown);
        int wholeRepaints = 0;
        for (int t = 1; t <= 60; ++t) {
            if (t == c.turnAt) state.playback.direction = -state.playback.direction;
            const PublicationStep step = tick.Tick(state, plot, kWidth, kHeight, &layers);
            ASSERT_FALSE(step.timer.stop) << "tick " << t;
            const std::vector<uint32_t> full = FullPaint();
            ASSERT_EQ(ChangedOutside(shown, full, tick.damage()), 0)
                << "tick " << t << " to row " << state.playback.position;
            if (step.mended) {
                ASSERT_TRUE(layers.under == FullPaint(PaintLayers::Under)) << "tick " << t;
            } else {
                // As the window does: the whole picture painted again.
                wholeRepaints += tick.damage().all();
                tick.Paint(state, plot, layers, kWidth, kHeight);
            }
            ASSERT_TRUE(layers.picture == full) << "tick " << t << " to row " << state.playback.position;
            shown = full;
        }
        EXPECT_EQ(wholeRepaints, c.wholeRepaints);
    }
}

TEST_F(PublicationTickFixture, WithoutDataATickChangesNothingAndStopsTheTimer) {
    InitialiseDefaults(state, plot);
    state.view.style = ViewStyle::Publication;
    RasterLayers layers(kWidth, kHeight, kScale, true);
    PublicationTick tick;
    tick.Paint(state, plot, layers, kWidth, kHeight);
    const std::vector<uint32_t> before = layers.picture;
    const PublicationStep step = tick.Tick(state, plot, kWidth, kHeight, &layers);
    EXPECT_TRUE(step.timer.stop);
    EXPECT_TRUE(tick.damage().Rects().empty());
    EXPECT_TRUE(layers.picture == before);
}

}  // namespace
