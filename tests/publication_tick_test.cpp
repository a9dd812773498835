// The publication look's ticks without a window, on layers kept in memory
// (the test's own rasters and, with the GUI built, the window's layers and
// painter): after every tick the picture and the layer under its discs are
// those a full paint at the new row makes, and every pixel that differs
// from the picture before lies in the damage the tick tells.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/frame_view.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "plot/plot_box.h"
#include "publication/publication_tick.h"
#include "raster_layers.h"
#include "simulation/table_palette.h"
#include "test_support.h"

#ifdef ORBIVEX_SCREEN_LAYERS
#include <QGuiApplication>
#include <QImage>

#include "app/screen_layers.h"
#endif

namespace {

constexpr int kRows = 400, kWidth = 200, kHeight = 150, kScale = 2;

/// Three bodies on crossing ellipses about the origin that leave the box
/// now and then; `cornered`: on small circles in three corners of the box,
/// leaving its top-left corner to the legend. `split`: each step in as many
/// rows, and `scale`: the orbits that much wider.
std::string EllipseData(bool cornered, int split = 1, double scale = 1) {
    const double centres[3][2] = {{2, 2}, {2, -2}, {-2, -2}};
    std::ostringstream data;
    for (int r = 0; r < kRows * split; ++r) {
        data << r * 0.01 / split;
        for (int k = 1; k <= 3; ++k) {
            const double angle = r * 0.05 * k / split;
            if (cornered)
                data << ' ' << centres[k - 1][0] + 0.6 * std::cos(angle) << ' '
                     << centres[k - 1][1] + 0.6 * std::sin(angle);
            else
                data << ' ' << scale * (k % 2 ? 1.2 : 0.5) * k * std::cos(angle) << ' '
                     << scale * (k % 2 ? 0.5 : 1.2) * k * std::sin(angle);
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
int ChangedOutside(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, const TickDamage& damage,
                   int width = kWidth, int height = kHeight, int scale = kScale) {
    int missed = 0;
    for (int y = 0; y < height * scale; ++y)
        for (int x = 0; x < width * scale; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(width * scale) + std::size_t(x);
            missed += a[i] != b[i] && !damage.Covers(x / scale, y / scale);
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
        /// Another run compared: every other row of the data, a little wider;
        /// `finer`: twice the rows instead, several steps to each row.
        bool runs = false, finer = false;
        bool toStart = false;  ///< played back to the first row, where the playback stops
        int trail = 0;         ///< rows of trail; 0: the configuration's
    } cases[] = {
        {.what = "ahead, forward"},
        {.what = "behind, backward by 3", .mode = TrailMode::Behind, .step = 3, .from = 300, .direction = -1},
        {.what = "both ways, turned round",
         .mode = TrailMode::Both,
         .step = 2,
         .turnAt = 20,
         .wholeRepaints = 3},  // the turn, and two ticks into the first rows
        {.what = "the legend top left, the stamp under it", .cornered = true, .step = 2},
        {.what = "the sun moving in a centred frame", .frame = "centre:2"},
        {.what = "a loop going round", .from = 320, .loop = true, .wholeRepaints = 1},
        {.what = "a grid and no stamp", .grid = true, .clock = false},
        {.what = "no layer under kept apart", .step = 3, .apart = false},
        {.what = "a run compared, dashed, in rings", .runs = true},
        {.what = "a run compared, backward, in a centred frame",
         .mode = TrailMode::Both,
         .from = 300,
         .direction = -1,
         .frame = "centre:2",
         .runs = true},
        {.what = "a run compared without a layer apart", .step = 2, .apart = false, .runs = true},
        {.what = "behind, backward by 3 onto row 0",
         .mode = TrailMode::Behind,
         .step = 3,
         .from = 31,
         .direction = -1,
         .wholeRepaints = 11,  // every tick into the first rows
         .toStart = true},
        {.what = "behind, backward into the first rows of a short trail",
         .mode = TrailMode::Behind,
         .from = 12,
         .direction = -1,
         .wholeRepaints = 5,
         .toStart = true,
         .trail = 5},
        {.what = "both ways, backward by 2 into the first row of a trail of one",
         .mode = TrailMode::Both,
         .step = 2,
         .from = 9,
         .direction = -1,
         .wholeRepaints = 1,
         .toStart = true,
         .trail = 1},
        {.what = "ahead, backward by 5 past row 0", .step = 5, .from = 33, .direction = -1, .toStart = true},
        {.what = "a finer run compared, backward by 3",
         .mode = TrailMode::Behind,
         .step = 3,
         .from = 300,
         .direction = -1,
         .runs = true,
         .finer = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load(c.cornered, c.step);
        if (c.runs) {
            ASSERT_TRUE(
                AddRun(state, plot, host,
                       dir.write("other.txt", c.finer ? EllipseData(c.cornered, 2, 1.05)
                                                      : EveryOtherRowWider(EllipseData(c.cornered), 1.05))));
        }
        if (*c.frame) {
            ASSERT_EQ(ShowInFrame(state, plot, c.frame), "");
        }
        state.view.trailMode = c.mode;
        if (c.trail > 0) state.view.trailLength = c.trail;
        state.view.loopPlayback = c.loop;
        state.view.look.grid = c.grid, state.view.look.clock = c.clock;
        state.playback.position = c.from, state.playback.direction = c.direction;
        AlignRuns(state);  // as the window does before it paints
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
            ASSERT_TRUE(!step.timer.stop || (c.toStart && state.playback.position == 0)) << "tick " << t;
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
            if (step.timer.stop) break;
        }
        if (c.toStart) {
            EXPECT_EQ(state.playback.position, 0);
        }
        EXPECT_EQ(wholeRepaints, c.wholeRepaints);
    }
}

TEST_F(PublicationTickFixture, ATableOfAThousandBodiesLoadsAndPlaysAsAFullPaintDraws) {
    InitialiseDefaults(state, plot);
    constexpr int kBodies = 1000, kTableRows = 40;
    std::ostringstream table;
    table << "t";
    for (int k = 1; k <= kBodies; ++k) table << ",b" << k << "_x,b" << k << "_y";
    table << '\n';
    for (int r = 0; r < kTableRows; ++r) {
        table << r;
        for (int k = 1; k <= kBodies; ++k) {
            const double radius = 0.5 + 2.5 * k / kBodies, angle = 0.05 * r * (1 + k % 7) + k;
            table << ',' << radius * std::cos(angle) << ',' << radius * std::sin(angle);
        }
        table << '\n';
    }
    ASSERT_EQ(LoadFile(state, plot, host, dir.write("many.csv", table.str())), 1);
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(state.loaded().usableBodies(), kBodies);
    EXPECT_EQ(state.loaded().fields.bodyNames.back(), "b1000");
    EXPECT_EQ(state.loaded().bodyColour[kBodies], kTablePaletteColours[(kBodies - 1) % 8]);
    state.view.style = ViewStyle::Publication;
    state.view.trailLength = 10;
    RasterLayers layers(kWidth, kHeight, kScale, true);
    PublicationTick tick;
    tick.Paint(state, plot, layers, kWidth, kHeight);
    ASSERT_TRUE(layers.picture == FullPaint());
    for (int t = 1; t <= 12; ++t) {
        const PublicationStep step = tick.Tick(state, plot, kWidth, kHeight, &layers);
        ASSERT_FALSE(step.timer.stop) << "tick " << t;
        if (!step.mended) tick.Paint(state, plot, layers, kWidth, kHeight);
        ASSERT_TRUE(layers.picture == FullPaint()) << "tick " << t;
    }
    EXPECT_EQ(state.playback.position, 12);
}

/// Layers of one kind kept in memory, and their picture's pixels.
struct LayerKind {
    const char* name;
    std::unique_ptr<PublicationLayers> (*make)(int width, int height, int scale, bool apart);
    std::vector<uint32_t> (*picture)(PublicationLayers& layers);
};

const LayerKind kLayerKinds[] = {
    {"raster layers",
     [](int width, int height, int scale, bool apart) -> std::unique_ptr<PublicationLayers> {
         return std::make_unique<RasterLayers>(width, height, scale, apart);
     },
     [](PublicationLayers& layers) { return static_cast<RasterLayers&>(layers).picture; }},
#ifdef ORBIVEX_SCREEN_LAYERS
    // The window's own layers and painter, without a window.
    {"the window's layers",
     [](int width, int height, int scale, bool apart) -> std::unique_ptr<PublicationLayers> {
         auto layers = std::make_unique<ScreenLayers>();
         layers->Reset(width, height, scale, apart);
         return layers;
     },
     [](PublicationLayers& layers) {
         const QImage& image = static_cast<ScreenLayers&>(layers).picture();
         std::vector<uint32_t> pixels;
         for (int y = 0; y < image.height(); ++y) {
             const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
             pixels.insert(pixels.end(), row, row + image.width());
         }
         return pixels;
     }},
#endif
};

TEST_F(PublicationTickFixture, RandomScenesWithBodiesCrossingTheSunTickAsAFullPaintDraws) {
    // Three bodies on circles that pass over or beside the sun, at speeds
    // and sizes drawn from a fixed seed, as are the frame, the trails, the
    // playback and the view.
    constexpr int kSceneRows = 240, kScenes = 14, kTicks = 14;
    const char* const frames[] = {"", "centre:1", "centre:3", "rotate:1", "rotate:2"};
    for (const LayerKind& kind : kLayerKinds) {
        std::mt19937 random(20261208);
        const auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
        const auto pick = [&](int count) { return int(random() % uint32_t(count)); };
        for (int scene = 0; scene < kScenes; ++scene) {
            double orbit[3][5];  // radius, centre x and y, speed, phase
            for (auto& o : orbit) {
                const double radius = uniform(0.4, 2.2), miss = uniform(-0.3, 0.3), at = uniform(0, 6.3);
                o[0] = radius, o[1] = (radius + miss) * std::cos(at), o[2] = (radius + miss) * std::sin(at);
                o[3] = uniform(0.02, 0.09) * (pick(2) ? 1 : -1), o[4] = uniform(0, 6.3);
            }
            std::ostringstream data;
            for (int r = 0; r < kSceneRows; ++r) {
                data << r * 0.01;
                for (const auto& o : orbit)
                    data << ' ' << o[1] + o[0] * std::cos(o[3] * r + o[4]) << ' '
                         << o[2] + o[0] * std::sin(o[3] * r + o[4]);
                data << '\n';
            }
            const int step = 1 + pick(4);
            const std::string box =
                std::to_string(-uniform(1.5, 4)) + " -3 " + std::to_string(uniform(1.5, 4)) + " 3";
            InitialiseDefaults(state, plot);
            dir.write("random.dat", data.str());
            const std::string config =
                ConfigText(dir.path() + "/random.dat", kSceneRows, 3, step, 10 + pick(70), 0, box);
            ASSERT_EQ(LoadSimulation(state, plot, host, dir.write("random.ovx", config)), 1);
            state.view.style = ViewStyle::Publication;
            const char* frame = frames[pick(5)];
            if (*frame) {
                ASSERT_EQ(ShowInFrame(state, plot, frame), "");
            }
            state.loaded().fields.sunSize = 2 + pick(9);
            for (int body = 1; body <= 3; ++body) state.loaded().fields.bodySize[std::size_t(body)] = pick(7);
            state.view.trailMode = TrailMode(pick(3));
            state.view.look.lineWidth = uniform(0.6, 3);
            state.view.look.grid = pick(2), state.view.look.clock = pick(2);
            state.playback.direction = pick(3) ? 1 : -1;
            state.playback.position = 40 + pick(kSceneRows - 80);
            const int width = 60 + pick(140), height = 60 + pick(120), scale = 1 + pick(2);
            SCOPED_TRACE(::testing::Message() << kind.name << ", scene " << scene << ", frame '" << frame
                                              << "', " << width << "x" << height << " at " << scale);
            const auto fullPaint = [&] {
                const auto fresh = kind.make(width, height, scale, false);
                fresh->Paint(PublicationLayers::Layer::Picture, nullptr, [&](DrawingSurface& surface) {
                    PlotBox copy = plot;
                    PaintPublicationView(state, copy, surface, width, height);
                });
                return kind.picture(*fresh);
            };
            const auto layers = kind.make(width, height, scale, true);
            PublicationTick tick;
            tick.Paint(state, plot, *layers, width, height);
            std::vector<uint32_t> shown = kind.picture(*layers);
            for (int t = 1; t <= kTicks; ++t) {
                const PublicationStep next = tick.Tick(state, plot, width, height, layers.get());
                if (next.timer.stop) break;
                const std::vector<uint32_t> full = fullPaint();
                ASSERT_EQ(ChangedOutside(shown, full, tick.damage(), width, height, scale), 0)
                    << "tick " << t << " to row " << state.playback.position;
                if (!next.mended) tick.Paint(state, plot, *layers, width, height);
                ASSERT_TRUE(kind.picture(*layers) == full)
                    << "tick " << t << " to row " << state.playback.position;
                shown = full;
            }
        }
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

#ifdef ORBIVEX_SCREEN_LAYERS
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // the window's painter needs its fonts
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
#endif
