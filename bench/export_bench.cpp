// Export figures: a video recorded by `orbivex --video` against the same
// frames written by `orbivex --frames` and encoded by ffmpeg from the PNG
// files (whole fresh processes, alternated, medians), and the time a scaled
// PNG, an SVG and a PDF of the largest scene take in this process, in the
// classic and the publication look.
//
//   export_bench ORBIVEX_BINARY CONFIG [ROUNDS]

#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "app/picture_export.h"
#include "plot/plot_box.h"
#include "scenes/orbit_scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Seconds a shell command takes; exits when it fails.
double Timed(const std::string& command) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintLoad(const char* when) {
    double load[3] = {};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

void VideoAgainstFrames(const std::string& binary, const std::string& config, int rounds) {
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "orbivex-export-bench";
    std::filesystem::create_directories(scratch);
    const std::string folder = scratch.string();
    const std::string common = " --ticks 999 --size 600x600 " + config + " 2>/dev/null";
    const std::string video = binary + " --video " + folder + "/direct.mp4 --fps 50" + common;
    const std::string frames =
        "rm -rf " + folder + "/frames && " + binary + " --frames " + folder + "/frames" + common +
        " && ffmpeg -v error -y -framerate 50 -i " + folder +
        "/frames/frame-%06d.png -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p " + folder +
        "/from-png.mp4";
    std::vector<double> direct, viaPng;
    for (int round = 0; round < rounds; ++round) {
        direct.push_back(Timed(video));
        viaPng.push_back(Timed(frames));
    }
    std::printf("1000 frames of %s at 600x600 to MP4 (median of %d rounds, alternated):\n", config.c_str(),
                rounds);
    std::printf("  orbivex --video:                  %.2f s\n", Median(direct));
    std::printf("  orbivex --frames + ffmpeg on PNG: %.2f s (%.1f x the time)\n", Median(viaPng),
                Median(viaPng) / Median(direct));
    std::filesystem::remove_all(scratch);
}

void LargestSceneExports(int rounds) {
    SimulationState state;
    PlotBox plot;
    InitialiseDefaults(state, plot);
    MakeOrbitScene(state, 30, 12000, 10000);
    plot.SetViewport(10, 10, 90, 90);
    const std::string folder = std::filesystem::temp_directory_path().string();
    for (const ViewStyle style : {ViewStyle::Classic, ViewStyle::Publication}) {
        state.view.style = style;
        std::printf(
            "largest scene (30 bodies, trails of 10000 rows), 600x600 view, %s look (median of %d):\n",
            style == ViewStyle::Classic ? "classic" : "publication", rounds);
        for (const char* name : {"scene-x4.png", "scene.svg", "scene.pdf"}) {
            const QString path = QString::fromStdString(folder + "/orbivex-bench-" + name);
            std::vector<double> times;
            for (int round = 0; round < rounds; ++round) {
                const auto start = Clock::now();
                const std::string problem = ExportPicture(state, plot, 600, 600, path, {.scale = 4});
                times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
                if (!problem.empty()) std::printf("  %s: %s\n", name, problem.c_str());
            }
            std::printf("  %-13s %.3f s, %lld bytes\n", name, Median(times),
                        (long long)std::filesystem::file_size(path.toStdString()));
            std::filesystem::remove(path.toStdString());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: export_bench ORBIVEX_BINARY CONFIG [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    PrintLoad("before");
    LargestSceneExports(rounds);
    VideoAgainstFrames(std::filesystem::absolute(argv[1]).string(),
                       std::filesystem::absolute(argv[2]).string(), rounds);
    PrintLoad("after");
    return 0;
}
