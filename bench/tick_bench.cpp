// Times one animation tick on a 600 x 600 raster against a plain loop that
// writes the same pixels at the same positions into a raw buffer (the
// memory bound), for the largest scene the settings allow and a typical one;
// then the tick of each trail mode and of a faded trail on the largest scene.
// With "backward", the tick back toward row 0 against the tick forward over
// the same rows instead, the two alternated round by round in one run.
//
//   tick_bench [ROUNDS] [backward]

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "app/image_surface.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"
#include "scenes/orbit_scene.h"

namespace {

constexpr int kSide = 600;
constexpr int kTicks = 20;

/// Records where a tick writes pixels, so that the plain loop can write the
/// same positions. Lines and text are replayed on a scratch raster to find
/// the pixels they cover.
class PositionRecorder : public DrawingSurface {
public:
    PositionRecorder() : scratch_(kSide, kSide) {}

    void Clear(ColourRef) override {}
    void SetPixel(int32_t x, int32_t y, ColourRef) override {
        if (x >= 0 && y >= 0 && x < kSide && y < kSide) writes.push_back(uint32_t(y * kSide + x));
    }
    void Rectangle(int32_t, int32_t, int32_t, int32_t) override {}
    ColourRef SelectBrush(ColourRef c) override { return c; }
    void MoveTo(int32_t x, int32_t y) override { scratch_.surface().MoveTo(x, y); }
    void LineTo(int32_t x, int32_t y) override {
        Replay([&] { scratch_.surface().LineTo(x, y); });
    }
    void TextOut(int32_t x, int32_t y, std::string_view text) override {
        Replay([&] { scratch_.surface().TextOut(x, y, text); });
    }
    DeviceRect bounds() const override { return {0, 0, kSide, kSide}; }

    std::vector<uint32_t> writes;

private:
    template <class Draw>
    void Replay(Draw draw) {
        scratch_.surface().Clear(0x123456);
        draw();
        const auto* bits = reinterpret_cast<const uint32_t*>(scratch_.image().constBits());
        for (uint32_t i = 0; i < uint32_t(kSide * kSide); ++i)
            if (bits[i] != ToRasterPixel(0x123456)) writes.push_back(i);
    }

    ImageSurface scratch_;
};

double Micros(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Measure(const char* name, int bodies, int trail, int rounds) {
    SimulationState state;
    PlotBox plot;
    InitialiseDefaults(state, plot);
    MakeOrbitScene(state, bodies, trail + kTicks + 10, trail);
    ImageSurface image(kSide, kSide);
    TrailCache trails;
    PaintView(state, plot, image.surface(), kSide, kSide, &trails);

    // The pixels of each of the kTicks ticks, in the order the tick writes them.
    std::vector<std::vector<uint32_t>> ticks;
    for (int t = 0; t < kTicks; ++t) {
        PositionRecorder recorder;
        const int position = state.playback.position;
        TickView(state, plot, recorder);
        state.playback.position = position + state.playback.step;
        ticks.push_back(std::move(recorder.writes));
    }
    std::size_t pixels = 0;
    for (const auto& writes : ticks) pixels += writes.size();

    std::vector<uint32_t> raw(kSide * kSide, 0xFFF0F0F0);
    std::vector<double> tickTimes, loopTimes;
    for (int round = 0; round < rounds; ++round) {
        state.playback.position = 0;
        state.playback.stopRequested = 0;
        PaintView(state, plot, image.surface(), kSide, kSide, &trails);
        auto start = std::chrono::steady_clock::now();
        for (int t = 0; t < kTicks; ++t) TickView(state, plot, image.surface(), &trails);
        tickTimes.push_back(Micros(start) / kTicks);

        start = std::chrono::steady_clock::now();
        uint32_t* buffer = raw.data();
        for (const auto& writes : ticks)
            for (const uint32_t index : writes) buffer[index] = 0xFF0000F0u;
        loopTimes.push_back(Micros(start) / kTicks);
    }
    const double tick = Median(tickTimes), loop = Median(loopTimes);
    std::printf(
        "%-8s %2d bodies, trails of %5d rows, discs of radius 4: %8zu pixels/tick  tick %7.1f us  "
        "plain loop %7.1f us  ratio %.2f\n",
        name, bodies, trail, pixels / kTicks, tick, loop, tick / loop);
}

/// Median time of one tick from row `from` over `rounds` rounds of kTicks ticks.
double TickMicros(SimulationState& state, PlotBox& plot, ImageSurface& image, TrailCache& trails, int from,
                  int rounds) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        state.playback.position = from;
        state.playback.stopRequested = 0;
        PaintView(state, plot, image.surface(), kSide, kSide, &trails);
        const auto start = std::chrono::steady_clock::now();
        for (int t = 0; t < kTicks; ++t) TickView(state, plot, image.surface(), &trails);
        times.push_back(Micros(start) / kTicks);
    }
    return Median(times);
}

/// The trail modes and fading on the largest scene, each tick starting with
/// whole trails on both sides of the body.
void MeasureModes(int rounds) {
    const int bodies = 30, trail = 10000;
    SimulationState state;
    PlotBox plot;
    InitialiseDefaults(state, plot);
    MakeOrbitScene(state, bodies, 2 * trail + kTicks + 10, trail);
    ImageSurface image(kSide, kSide);
    TrailCache trails;
    struct Mode {
        const char* name;
        TrailMode mode;
        int fade;
        double micros = 0;
    };
    Mode modes[] = {{"ahead", TrailMode::Ahead, 0},
                    {"behind", TrailMode::Behind, 0},
                    {"both", TrailMode::Both, 0},
                    {"ahead+fade", TrailMode::Ahead, 1}};
    for (Mode& mode : modes) {
        state.view.trailMode = mode.mode;
        state.view.fadeTrails = mode.fade;
        mode.micros = TickMicros(state, plot, image, trails, trail, rounds);
        std::printf("largest  %2d bodies, trails of %5d rows, %-10s tick %7.1f us\n", bodies, trail,
                    mode.name, mode.micros);
    }
    std::printf("ratios: behind/ahead %.2f  fade/ahead %.2f  both/ahead %.2f\n",
                modes[1].micros / modes[0].micros, modes[3].micros / modes[0].micros,
                modes[2].micros / modes[0].micros);
}

/// The median time of one tick forward from row `trail` and one tick back
/// to it over the same rows, each round timing kTicks ticks each way, which
/// goes first taking turns; both start from a full paint, as after a start.
void MeasureBackward(const char* name, int bodies, int trail, TrailMode mode, const char* modeName,
                     int rounds) {
    SimulationState state;
    PlotBox plot;
    InitialiseDefaults(state, plot);
    MakeOrbitScene(state, bodies, 2 * trail + kTicks + 10, trail);
    state.view.trailMode = mode;
    ImageSurface image(kSide, kSide);
    TrailCache trails;
    std::vector<double> forward, backward;
    for (int round = 0; round < rounds; ++round) {
        for (const int direction : round % 2 ? std::array{-1, 1} : std::array{1, -1}) {
            state.playback.direction = direction;
            state.playback.position = direction > 0 ? trail : trail + kTicks * state.playback.step;
            state.playback.stopRequested = 0;
            PaintView(state, plot, image.surface(), kSide, kSide, &trails);
            const auto start = std::chrono::steady_clock::now();
            for (int t = 0; t < kTicks; ++t) TickView(state, plot, image.surface(), &trails);
            (direction > 0 ? forward : backward).push_back(Micros(start) / kTicks);
        }
    }
    const double ahead = Median(forward), back = Median(backward);
    std::printf("%-8s %2d bodies, trails of %5d rows, %-6s forward %7.1f us  backward %7.1f us  ratio %.2f\n",
                name, bodies, trail, modeName, ahead, back, back / ahead);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    if (argc > 2 && std::string_view(argv[2]) == "backward") {
        MeasureBackward("largest", 30, 10000, TrailMode::Ahead, "ahead", rounds);
        MeasureBackward("largest", 30, 10000, TrailMode::Behind, "behind", rounds);
        MeasureBackward("largest", 30, 10000, TrailMode::Both, "both", rounds);
        MeasureBackward("typical", 5, 500, TrailMode::Ahead, "ahead", rounds);
        return 0;
    }
    Measure("largest", 30, 10000, rounds);
    Measure("typical", 5, 500, rounds);
    MeasureModes(rounds);
    return 0;
}
