#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/tick_damage.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "app/image_surface.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"
#include "test_support.h"

namespace {

constexpr int kBodies = 4;
constexpr int kRows = 600;

/// Bodies on circles of different radii and speeds, some crossing the
/// box's edge, so that trails overlap each other and the axes.
std::string CircleData() {
    std::ostringstream out;
    for (int r = 0; r < kRows; ++r) {
        out << r;
        for (int k = 1; k <= kBodies; ++k) {
            const double radius = 0.4 * k, angle = r * 0.03 * (1.0 + 0.4 * k);
            out << ' ' << radius * std::cos(angle) << ' ' << radius * std::sin(angle);
        }
        out << '\n';
    }
    return out.str();
}

struct TickDamageFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;
    ImageSurface image{320, 240};
    TrailCache trails;

    void Load(int step) {
        InitialiseDefaults(state, plot);
        dir.write("c.dat", CircleData());
        const std::string config = dir.write(
            "c.ovx", ConfigText(dir.path() + "/c.dat", kRows, kBodies, step, 120, 0, "-1.5 -1.5 1.5 1.5"));
        ASSERT_EQ(LoadSimulation(state, plot, host, config), 1);
    }

    /// Ticks `ticks` times, checking after each that every pixel that
    /// differs from the picture before lies in the marked area; returns
    /// the largest share of the picture any tick marked.
    double ExpectMarkedCoversChanges(int ticks, bool asAFullPaint = false) {
        AlignRuns(state);  // as the window does before it paints
        PaintView(state, plot, image.surface(), image.width(), image.height(), &trails);
        double largest = 0;
        for (int t = 0; t < ticks; ++t) {
            const QImage before = image.image().copy();
            TickDamage damage;
            damage.Reset(image.width(), image.height());
            const TimerRequest request = TickView(state, plot, image.surface(), &trails, &damage);
            std::vector<bool> marked(std::size_t(image.width() * image.height()));
            double area = 0;
            for (const DeviceRect& r : damage.Rects()) {
                area += double(r.right - r.left) * (r.bottom - r.top);
                for (int y = r.top; y < r.bottom; ++y)
                    for (int x = r.left; x < r.right; ++x) marked[std::size_t(y * image.width() + x)] = true;
            }
            largest = std::max(largest, area / (image.width() * image.height()));
            int missed = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (before.pixel(x, y) != image.image().pixel(x, y) &&
                        !marked[std::size_t(y * image.width() + x)])
                        ++missed;
            EXPECT_EQ(missed, 0) << "tick " << t << " to row " << state.playback.position;
            if (asAFullPaint) {
                // Below the status line, what a full paint at the row draws.
                ImageSurface full(image.width(), image.height());
                PlotBox copy = plot;
                PaintView(state, copy, full.surface(), full.width(), full.height());
                int differ = 0;
                for (int y = kStatusBandHeight; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        differ += full.image().pixel(x, y) != image.image().pixel(x, y);
                EXPECT_EQ(differ, 0) << "tick " << t << " to row " << state.playback.position;
                if (differ) break;
            }
            if (missed || request.stop) break;
        }
        return largest;
    }
};

TEST_F(TickDamageFixture, MarkedAreaCoversEveryChangedPixelInEachTrailMode) {
    const struct {
        TrailMode mode;
        int step, direction;
    } cases[] = {{TrailMode::Ahead, 1, 1},  {TrailMode::Behind, 3, 1},  {TrailMode::Both, 2, 1},
                 {TrailMode::Ahead, 1, -1}, {TrailMode::Behind, 3, -1}, {TrailMode::Both, 2, -1}};
    for (const auto& c : cases) {
        Load(c.step);
        state.view.trailMode = c.mode;
        state.playback.direction = c.direction;
        state.playback.position = 150;
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << ", direction " << c.direction);
        const double largest = ExpectMarkedCoversChanges(120);
        EXPECT_LT(largest, 0.5) << "a tick should present only part of the view";
    }
}

TEST_F(TickDamageFixture, ARunComparedTicksAsAFullPaintDraws) {
    // Every other row, a little wider: its trails and discs come and go
    // over the first run's, each erased and drawn again from its own cache.
    for (const auto& [mode, direction] : {std::pair{TrailMode::Ahead, 1}, std::pair{TrailMode::Both, -1}}) {
        Load(1);
        ASSERT_TRUE(
            AddRun(state, plot, host, dir.write("other.txt", EveryOtherRowWider(CircleData(), 1.05))));
        state.view.trailMode = mode;
        state.playback.direction = direction;
        state.playback.position = 300;
        SCOPED_TRACE(testing::Message() << "mode " << int(mode) << ", direction " << direction);
        EXPECT_LT(ExpectMarkedCoversChanges(60, true), 0.5);
    }
}

TEST_F(TickDamageFixture, FadedTrailsAndLoopsMarkEverything) {
    Load(1);
    state.view.fadeTrails = 1;
    EXPECT_EQ(ExpectMarkedCoversChanges(5), 1.0);
    state.view.fadeTrails = 0;
    state.view.loopPlayback = 1;
    state.playback.position = kRows - 121;  // the last row a playback reaches: the next tick goes back
    TickDamage damage;
    damage.Reset(image.width(), image.height());
    EXPECT_TRUE(TickView(state, plot, image.surface(), &trails, &damage).repaint);
    EXPECT_TRUE(damage.all());
}

TEST(TickDamageTiles, SmallTilesAnswerAsTheirPixelsAndTheScreenGetsWholeLargerTiles) {
    std::mt19937 random(3);
    const auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    TickDamage damage;
    for (const int shift : {1, 2, 4, 3}) {
        constexpr int kWidth = 203, kHeight = 117;
        damage.Reset(kWidth, kHeight, shift);  // a new size of tile clears the old marks
        for (int i = 0; i < 12; ++i) {
            const int x = uniform(-5, kWidth), y = uniform(-5, kHeight);
            damage.Mark({x, y, x + uniform(1, 9), y + uniform(1, 9)});
        }
        const auto covered = [&](const DeviceRect& r) {
            for (int y = std::max(r.top, 0); y < std::min(r.bottom, kHeight); ++y)
                for (int x = std::max(r.left, 0); x < std::min(r.right, kWidth); ++x)
                    if (damage.Covers(x, y)) return true;
            return false;
        };
        for (int i = 0; i < 400; ++i) {
            const int x = uniform(-20, kWidth), y = uniform(-20, kHeight);
            const DeviceRect r{x, y, x + uniform(0, 90), y + uniform(0, 90)};
            ASSERT_EQ(damage.CoversAny(r), covered(r)) << "shift " << shift << " at " << x << "," << y;
        }
        // Tiles of 16 for the screen: on whole tiles, apart, holding every
        // marked pixel.
        std::vector<int> cover(std::size_t(kWidth * kHeight));
        for (const DeviceRect& r : damage.Rects(4)) {
            EXPECT_EQ(r.left % 16 + r.top % 16, 0);
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) ++cover[std::size_t(y * kWidth + x)];
        }
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                ASSERT_LE(cover[std::size_t(y * kWidth + x)], 1);
                if (damage.Covers(x, y)) {
                    ASSERT_EQ(cover[std::size_t(y * kWidth + x)], 1) << x << "," << y;
                }
            }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
