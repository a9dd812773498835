#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "animation/animation_commands.h"
#include "animation/drawing_routines.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/trail_fade.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"
#include "publication/frame_loop.h"
#include "publication/view_paint.h"
#include "recording_surface.h"
#include "scenes/orbit_scene.h"
#include "test_support.h"

namespace {

/// A loaded simulation of `rows` rows: body k circles the origin.
void Load(SimulationState& s, int rows, int bodies, int trail, int step = 1) {
    LoadOrbits(s, rows, bodies, 0.5, [](int r, int k) {
        return ScenePoint{0.5 * k * std::cos(r * 0.05), 0.5 * k * std::sin(r * 0.05)};
    });
    for (int k = 1; k <= bodies; ++k) {
        s.loaded().fields.bodySize[std::size_t(k)] = 2;
        s.loaded().bodyColour[std::size_t(k)] = 0x0000F0;
    }
    s.view.trailLength = trail;
    s.playback.step = step;
}

struct ViewFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    RecordingSurface surface;

    void SetUp() override { InitialiseDefaults(state, plot); }
    void Paint() { PaintView(state, plot, surface, 600, 600); }
    TimerRequest Tick() { return TickView(state, plot, surface); }
};

TEST_F(ViewFixture, PaintWithoutDataDrawsTheBoxOnlyAndKeepsTheStartRequest) {
    state.playback.startRequested = 1;
    Paint();
    EXPECT_FALSE(TakeStartRequest(state));
    EXPECT_EQ(state.playback.startRequested, 1);
    EXPECT_TRUE(surface.pixels.empty());
    EXPECT_EQ(surface.calls.front(), "Clear(FFFFFF)");
}

TEST_F(ViewFixture, PaintLeavesTheStartRequestToBeTakenOnce) {
    Load(state, 100, 2, 10);
    state.playback.startRequested = 1;
    Paint();
    EXPECT_EQ(state.playback.startRequested, 1);
    EXPECT_FALSE(surface.pixels.empty());
    EXPECT_TRUE(TakeStartRequest(state));
    EXPECT_EQ(state.playback.startRequested, 0);
    EXPECT_FALSE(TakeStartRequest(state));
}

TEST_F(ViewFixture, PlaybackStopsBeforeTheTrailRunsOut) {
    Load(state, 100, 1, 10);
    Paint();
    int ticks = 0;
    while (!Tick().stop) ++ticks;
    EXPECT_EQ(ticks, 88);
    EXPECT_EQ(state.playback.position, 89);
    const auto texts = surface.callsStartingWith("Text(10,5");
    EXPECT_EQ(texts.back(), "Text(10,5,N=88 t=44.000)");
    EXPECT_EQ(texts.size(), 88u);
}

TEST_F(ViewFixture, PendingStopRunsOneFrame) {
    Load(state, 100, 1, 10);
    state.playback.stopRequested = 1;
    Paint();
    EXPECT_TRUE(Tick().stop);
    EXPECT_EQ(state.playback.position, 1);
    EXPECT_EQ(state.playback.stopRequested, 0);
    EXPECT_EQ(surface.callsStartingWith("Text(10,5").back(), "Text(10,5,N=1 t= 0.500)");
    EXPECT_FALSE(Tick().stop);
}

TEST_F(ViewFixture, TickWithoutDataReadsNothingAndStops) {
    state.playback.stopRequested = 1;
    state.playback.position = 5;
    EXPECT_TRUE(Tick().stop);
    EXPECT_EQ(state.playback.position, 5);
    EXPECT_EQ(state.playback.stopRequested, 1);  // still pending for the next start
    EXPECT_TRUE(surface.pixels.empty());
    EXPECT_TRUE(surface.calls.empty());
}

TEST_F(ViewFixture, RowsOutsideTheTableAreNeverRead) {
    Load(state, 50, 3, 40);
    state.loaded().fields.lineCount = 1000;  // a later configuration read promised more rows
    state.loaded().fields.bodyCount = 30;    // and more bodies than the table holds
    for (int position : {-1000000, -20, 30, 49, 50, 2147483647, -2147483647 - 1}) {
        state.playback.position = position;
        Paint();
        Tick();
    }
    state.playback.step = 2147483647;
    state.playback.position = 10;
    EXPECT_TRUE(Tick().stop);
}

TEST_F(ViewFixture, PlaybackEndsWhereTheTableEndsWhenTheCountWasRaised) {
    Load(state, 100, 1, 10);
    state.loaded().fields.lineCount = 5000;  // Load configuration after the data promised more rows
    ScriptedHost host;
    state.playback.stopRequested = 0;
    Paint();
    int ticks = 0;
    while (!Tick().stop && ticks < 10000) ++ticks;
    EXPECT_EQ(state.playback.position, 89);
    EXPECT_FALSE(StartAnimation(state, host));
    EXPECT_EQ(host.messages, std::vector<std::string>{"End of Simulation - use Refresh"});
}

TEST_F(ViewFixture, EraseRestoresTheFill) {
    std::vector<uint32_t> pixels(600 * 600);
    RasterSurface raster(PixelRaster{pixels.data(), 600, 600, 600}, nullptr);
    Load(state, 400, 3, 30);
    state.loaded().fields.sunSize = 0;
    PaintView(state, plot, raster, 600, 600);
    std::vector<uint32_t> empty(600 * 600);
    {
        SimulationState none;
        PlotBox same = plot;
        RasterSurface blank(PixelRaster{empty.data(), 600, 600, 600}, nullptr);
        PaintView(none, same, blank, 600, 600);
    }
    DrawSystem(state, plot, 0);
    EXPECT_EQ(pixels, empty);
}

TEST_F(ViewFixture, FrameLoopEndsForItsReasons) {
    // 100 rows and a trail of 10: the 89th tick reaches the end of the data.
    struct Case {
        std::optional<int> ticks;
        bool loop;
        int stopAtFrame;  ///< the frame whose callback says stop; -1 none
        FrameLoopEnd end;
        int ticksRun, frames;
    };
    const Case cases[] = {
        {3, false, -1, FrameLoopEnd::TicksDone, 3, 4},
        {89, false, -1, FrameLoopEnd::TicksDone, 89, 90},
        {90, false, -1, FrameLoopEnd::DataEnd, 89, 90},
        {std::nullopt, false, -1, FrameLoopEnd::DataEnd, 89, 90},
        {std::nullopt, true, -1, FrameLoopEnd::LoopedRound, 90, 90},
        {200, true, -1, FrameLoopEnd::TicksDone, 200, 201},
        {5, false, 2, FrameLoopEnd::Stopped, 2, 3},
        {5, false, 0, FrameLoopEnd::Stopped, 0, 1},
    };
    for (const Case& c : cases) {
        SimulationState s;
        PlotBox p;
        InitialiseDefaults(s, p);
        Load(s, 100, 1, 10);
        s.view.loopPlayback = c.loop;
        s.playback.stopRequested = 1;  // cleared: every tick runs until the end test
        int frames = 0;
        const FrameLoopResult result =
            RunFrameLoop(s, p, surface, 600, 600, nullptr, c.ticks, [&](int frame) {
                EXPECT_EQ(frame, frames);
                return frames++ != c.stopAtFrame;
            });
        const std::string label =
            (c.ticks ? std::to_string(*c.ticks) : "to the end") + (c.loop ? " loop" : "");
        EXPECT_EQ(result.end, c.end) << label;
        EXPECT_EQ(result.ticks, c.ticksRun) << label;
        EXPECT_EQ(frames, c.frames) << label;
    }
}

TEST_F(ViewFixture, RasterAndGenericPathsDrawTheSamePixels) {
    Load(state, 300, 4, 120);
    state.loaded().fields.sunSize = 5;
    std::vector<uint32_t> pixels(600 * 600, 0xFFF0F0F0);
    RasterSurface raster(PixelRaster{pixels.data(), 600, 600, 600}, nullptr);
    plot.ComputeMapping(0, 0, 600, 600);
    plot.AttachDC(&raster);
    DrawSystem(state, plot, 1);
    plot.AttachDC(&surface);
    DrawSystem(state, plot, 1);
    for (const auto& [pixel, colour] : surface.pixels)
        EXPECT_EQ(pixels[std::size_t(pixel.second * 600 + pixel.first)], ToRasterPixel(colour));
    EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0xFFF0F0F0; }),
              std::ptrdiff_t(surface.pixels.size()));
}

TEST_F(ViewFixture, SwitchesAndEmptyScenes) {
    Load(state, 100, 2, 10);
    state.loaded().fields.sunSize = 0;
    state.loaded().fields.drawOrbits = 0;
    state.loaded().fields.drawPlanets = 0;
    Paint();
    EXPECT_TRUE(surface.pixels.empty());
    state.loaded().fields.bodyCount = 0;
    state.loaded().fields.sunSize = 3;
    state.loaded().fields.drawPlanets = 1;
    Paint();
    EXPECT_EQ(surface.pixels.size(), 29u);
}

/// Body 1 moves 2 pixels to the right per row on the 600 x 600 view, from
/// column 10 at row 0, so that each trail pixel tells its row.
struct TrailRowsFixture : ViewFixture {
    void SetUp() override {
        ViewFixture::SetUp();
        Load(state, 200, 1, 10);
        for (int r = 0; r < 200; ++r)
            state.loaded().rows->set(r, 1, -2.9 + 0.02 * r), state.loaded().rows->set(r, 2, 0);
        state.loaded().fields.drawPlanets = 0;
    }
    /// Row of each trail pixel drawn at `position`, and its colour.
    std::map<int, ColourRef> TrailAt(int position) {
        state.playback.position = position;
        surface.pixels.clear();
        Paint();
        std::map<int, ColourRef> trail;
        for (const auto& [pixel, colour] : surface.pixels) trail[(pixel.first - 9) / 2] = colour;
        return trail;
    }
    static std::pair<int, int> Span(const std::map<int, ColourRef>& trail) {
        if (trail.empty()) return {-1, -1};
        return {trail.begin()->first, trail.rbegin()->first};
    }
};

TEST_F(TrailRowsFixture, EachModeDrawsItsRowsAndSkipsThoseOutsideTheData) {
    struct Case {
        TrailMode mode;
        int position, first, last;
    };
    const Case cases[] = {{TrailMode::Ahead, 50, 50, 59},   {TrailMode::Ahead, 195, 195, 199},
                          {TrailMode::Behind, 50, 40, 49},  {TrailMode::Behind, 3, 0, 2},
                          {TrailMode::Behind, 0, -1, -1},   {TrailMode::Behind, 205, 195, 199},
                          {TrailMode::Both, 50, 40, 59},    {TrailMode::Both, 3, 0, 12},
                          {TrailMode::Both, 195, 185, 199}, {TrailMode::Both, -11, -1, -1}};
    for (const Case& c : cases) {
        state.view.trailMode = c.mode;
        const auto trail = TrailAt(c.position);
        EXPECT_EQ(Span(trail), std::make_pair(c.first, c.last)) << int(c.mode) << " at " << c.position;
        EXPECT_EQ(int(trail.size()), c.first < 0 ? 0 : c.last - c.first + 1);
    }
}

TEST_F(TrailRowsFixture, FadedTrailsAreStrongestAtTheBody) {
    // Red 0xF0 toward the fill 0xF0F0F0 over a trail of 10 rows: green and
    // blue are 240 * distance / 11, rounded.
    state.view.fadeTrails = 1;
    state.view.trailMode = TrailMode::Ahead;
    auto trail = TrailAt(50);
    EXPECT_EQ(trail[50], 0x0000F0u);
    EXPECT_EQ(trail[51], 0x1616F0u);
    EXPECT_EQ(trail[59], 0xC4C4F0u);
    state.view.trailMode = TrailMode::Behind;
    trail = TrailAt(50);
    EXPECT_EQ(trail[49], 0x1616F0u);
    EXPECT_EQ(trail[40], 0xDADAF0u);
    state.view.trailMode = TrailMode::Both;
    trail = TrailAt(50);
    EXPECT_EQ(trail[50], 0x0000F0u);
    EXPECT_EQ(trail[40], 0xDADAF0u);
    EXPECT_EQ(trail[59], 0xC4C4F0u);
    // Erasing draws the fill itself, not a faded fill.
    surface.pixels.clear();
    DrawSystem(state, plot, 0);
    for (const auto& [pixel, colour] : surface.pixels) EXPECT_EQ(colour, plot.fillColour);
    EXPECT_EQ(surface.pixels.size(), 20u);
}

TEST(FadedColour, EndsAndRounding) {
    EXPECT_EQ(FadedColour(0x123456, 0xFFFFFF, 0, 50), 0x123456u);
    EXPECT_EQ(FadedColour(0x123456, 0xA0B0C0, 51, 50), 0xA0B0C0u);
    EXPECT_EQ(FadedColour(0x000000, 0x0000FF, 1, 1), 0x000080u);  // 127.5 rounds up
    EXPECT_EQ(FadedColour(0x0000FF, 0x000000, 1, 1), 0x000080u);
    EXPECT_EQ(FadedColour(0x0000FF, 0x000000, 5, 0), 0x000000u);    // distance past the trail: the fill
    EXPECT_EQ(FadedColour(0x0000FF, 0x000000, -3, 10), 0x0000FFu);  // before the body: the colour
}

TEST_F(ViewFixture, TrailBehindPlaysToTheLastRow) {
    Load(state, 100, 1, 10);
    state.view.trailMode = TrailMode::Behind;
    ScriptedHost host;
    state.playback.position = 97;
    EXPECT_TRUE(StartAnimation(state, host));
    Paint();
    state.playback.stopRequested = 0;
    EXPECT_FALSE(Tick().stop);
    EXPECT_TRUE(Tick().stop);
    EXPECT_EQ(state.playback.position, 99);
    EXPECT_EQ(surface.callsStartingWith("Text(10,5").back(), "Text(10,5,N=98 t=49.000)");
    EXPECT_FALSE(StartAnimation(state, host));
    EXPECT_EQ(host.messages, std::vector<std::string>{"End of Simulation - use Refresh"});
    state.playback.position = 0;
    state.playback.step = 7;
    while (!Tick().stop) {
    }
    EXPECT_EQ(state.playback.position, 98);  // 91 was below 100 - 7, 98 is not
}

TEST_F(ViewFixture, LoopGoesBackToTheStartRowAndAsksForARepaint) {
    Load(state, 100, 1, 10);
    state.view.loopPlayback = 1;
    state.loaded().fields.startRow = 30;
    state.playback.position = 88;
    Paint();
    TimerRequest request = Tick();
    EXPECT_EQ(state.playback.position, 89);  // where the playback would stop
    EXPECT_FALSE(request.repaint || request.stop);
    request = Tick();
    EXPECT_EQ(state.playback.position, 30);
    EXPECT_TRUE(request.repaint);
    EXPECT_FALSE(request.stop);
    EXPECT_EQ(surface.callsStartingWith("Text(10,5").back(), "Text(10,5,N=30 t=15.000)");
    EXPECT_FALSE(Tick().repaint);
    // A start row outside the playable rows is moved into them; a pending
    // stop still stops, after the wrap.
    for (const auto& [start, wrapped] : {std::pair{-5, 0}, std::pair{500, 89}}) {
        state.loaded().fields.startRow = start;
        state.playback.position = 89;
        state.playback.stopRequested = 1;
        request = Tick();
        EXPECT_EQ(state.playback.position, wrapped);
        EXPECT_TRUE(request.repaint && request.stop);
    }
}

TEST(AnimationCommands, StartRefusals) {
    SimulationState s;
    ScriptedHost host;
    EXPECT_FALSE(StartAnimation(s, host));
    EXPECT_EQ(host.messages, std::vector<std::string>{"End of Simulation - use Refresh"});
    s.loaded().fields.lineCount = 100;
    s.view.trailLength = 10;
    s.playback.position = 88;
    EXPECT_FALSE(StartAnimation(s, host));
    EXPECT_EQ(host.messages.back(), "No data loaded");
    s.loaded().dataLoaded = 1;
    EXPECT_TRUE(StartAnimation(s, host));
    EXPECT_EQ(s.playback.startRequested, 1);
    s.playback.position = 89;
    EXPECT_FALSE(StartAnimation(s, host));
    EXPECT_EQ(host.messages.back(), "End of Simulation - use Refresh");
}

TEST(AnimationCommands, SpeedSequences) {
    SimulationState s;
    s.loaded().fields.lineCount = 100000;
    s.playback.step = 50;
    std::vector<int> steps;
    for (int i = 0; i < 13; ++i) {
        DecreaseSpeed(s);
        steps.push_back(s.playback.step);
    }
    EXPECT_EQ(steps, (std::vector<int>{40, 30, 25, 20, 15, 10, 9, 8, 7, 6, 5, 4, 3}));
    for (int i = 0; i < 4; ++i) DecreaseSpeed(s);  // 2, 1, then 10 ms slower twice
    EXPECT_EQ(s.playback.step, 1);
    EXPECT_EQ(s.playback.delayMs, 20);

    s.loaded().fields.lineCount = 1000;
    steps.clear();
    for (int i = 0; i < 15; ++i) {
        IncreaseSpeed(s);
        steps.push_back(s.playback.step);
    }
    EXPECT_EQ(steps, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 21, 21, 21, 21}));
}

TEST(AnimationCommands, ToggleResetAndStop) {
    SimulationState s;
    PlotBox plot;
    InitialiseDefaults(s, plot);
    ToggleFullWindow(s, plot);
    EXPECT_EQ(plot.leftPct, 10);
    EXPECT_EQ(plot.bottomPct, 90);
    ToggleFullWindow(s, plot);
    EXPECT_EQ(plot.leftPct, 0);
    EXPECT_EQ(plot.bottomPct, 100);
    s.playback.position = 40;
    s.playback.startRequested = 1;
    EXPECT_TRUE(ResetPosition(s));
    EXPECT_EQ(s.playback.position, 0);
    EXPECT_EQ(s.playback.startRequested, 0);
    EXPECT_EQ(s.playback.stopRequested, 1);
    s.playback.stopRequested = 0;
    EXPECT_FALSE(StopAnimation(s));
    EXPECT_EQ(s.playback.stopRequested, 1);
}

}  // namespace

namespace {

TEST_F(ViewFixture, NamesAndUnitsShowOnlyInTheFramedPlot) {
    Load(state, 200, 2, 20);
    state.loaded().fields.bodyNames = {"Inner", "Outer"};
    state.loaded().fields.timeUnit = "yr";
    state.loaded().fields.lengthUnit = "AU";
    EXPECT_EQ(StatusLine(state, 4), "N=4 t= 2.000 yr");
    auto shows = [&](const std::string& words) {
        const auto texts = surface.callsStartingWith("Text");
        return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
            return t.find("," + words + ")") != std::string::npos;
        });
    };
    Paint();  // the full view: no room for notes
    EXPECT_FALSE(shows("Inner") || shows("x, y in AU"));

    ToggleFullWindow(state, plot);
    surface.calls.clear();
    Paint();
    EXPECT_TRUE(shows("Inner") && shows("Outer") && shows("x, y in AU"));
    // The legend's box: white, inside the plot box's top-right corner, where no body goes.
    const DeviceRect box = plot.BoxCorners();
    const auto rectangles = surface.callsStartingWith("Rectangle");
    ASSERT_FALSE(rectangles.empty());
    int l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(std::sscanf(rectangles.back().c_str(), "Rectangle(%d,%d,%d,%d brush FFFFFF)", &l, &t, &r, &b),
              4);
    EXPECT_TRUE(r < box.right && r > (box.left + box.right) / 2 && t > box.top &&
                t < (box.top + box.bottom) / 2);

    // Bodies parked in that corner send the legend to another one.
    for (int row = 0; row < 200; ++row)
        state.loaded().rows->set(row, 3, 2.8), state.loaded().rows->set(row, 4, 2.8);
    surface.calls.clear();
    Paint();
    ASSERT_EQ(std::sscanf(surface.callsStartingWith("Rectangle").back().c_str(),
                          "Rectangle(%d,%d,%d,%d brush FFFFFF)", &l, &t, &r, &b),
              4);
    EXPECT_LT(l, (box.left + box.right) / 2);
}

TEST_F(ViewFixture, LegendAndUnitInABoxWithInfiniteSides) {
    // An infinite side maps off the pixel range: the box then spans more
    // pixels than a 32-bit difference holds.
    const double inf = INFINITY;
    const double boxes[][4] = {
        {0, 0, inf, 1}, {-inf, 0, 1, 1}, {0, -inf, 1, 1}, {0, 0, 1, inf}, {-inf, -inf, inf, inf}};
    Load(state, 200, 2, 20);
    state.loaded().fields.bodyNames = {"Inner", "Outer"};
    state.loaded().fields.lengthUnit = "AU";
    ToggleFullWindow(state, plot);
    for (const auto& b : boxes) {
        SCOPED_TRACE(testing::PrintToString(std::vector<double>(b, b + 4)));
        plot.SetExactBox(b[0], b[1], b[2], b[3]);
        surface.calls.clear();
        Paint();
        // Names only inside the box, the unit centred under it.
        const DeviceRect box = plot.BoxCorners();
        for (const std::string& call : surface.callsStartingWith("Text")) {
            int x = 0, y = 0;
            char words[32] = "";
            ASSERT_EQ(std::sscanf(call.c_str(), "Text(%d,%d,%31[^)])", &x, &y, words), 3) << call;
            if (words == std::string("Inner") || words == std::string("Outer")) {
                EXPECT_TRUE(x >= box.left && x < box.right && y >= box.top && y < box.bottom) << call;
            }
            if (words == std::string("x, y in AU")) {
                EXPECT_LE(x, (int64_t(box.left) + box.right) / 2) << call;
            }
        }
    }
}

}  // namespace
