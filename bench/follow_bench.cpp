// Following a data file while another program writes it: the window's tick
// rate in the largest scene with a writer appending 1,000 rows a second,
// against the same without the writer, and the processor time an idle
// followed file costs; and a large append absorbed at once: its speed against
// the loader's, the window's longest stall meanwhile and the peak memory.

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/qt_host.h"
#include "app/simulation_view.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "silent_services.h"
#include "simulation/host.h"

namespace {

constexpr int kBodies = 30;
constexpr int kTrail = 10000;

/// A window that follows the data of `config`, with the playback bar
/// shown or hidden.
/// The window's own host, so that a large append runs off the window's
/// thread as it does for a user, with every question answered No.
struct QuietHost : QtHost {
    Answer messageBox(const std::string&, Buttons, Icon) override { return Answer::No; }
};

struct FollowingWindow {
    FollowingWindow(const std::string& config, bool playbackBar) : frame(state, plot, host, silent, silent) {
        host.setParent(&frame);
        InitialiseDefaults(state, plot);
        frame.show();
        frame.runCommand(ID_FOLLOW_DATA);
        if (!playbackBar) frame.runCommand(ID_VIEW_PLAYBACK_BAR);
        frame.openAtStart(config);
        QApplication::processEvents();
    }
    SimulationState state;
    PlotBox plot;
    SilentServices silent;
    QuietHost host;
    CMainFrame frame;
};

/// Rows `from` to `to` of thirty bodies on circles, as text.
std::string Rows(int from, int to) {
    std::string text;
    char number[32];
    for (int r = from; r < to; ++r) {
        std::snprintf(number, sizeof number, "%d", r);
        text += number;
        for (int k = 1; k <= kBodies; ++k) {
            const double radius = 0.2 + 0.06 * k, angle = r * 0.002 * (1 + 30.0 / k);
            std::snprintf(number, sizeof number, " %.6f %.6f", radius * std::cos(angle),
                          radius * std::sin(angle));
            text += number;
        }
        text += '\n';
    }
    return text;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// Plays the followed scene at 1 ms a tick for `seconds`, with or without a
/// writer appending 1,000 rows a second; returns the ticks per second.
double TicksPerSecond(const std::filesystem::path& folder, double seconds, bool writer) {
    const int rows = kTrail + int(seconds * 2000) + 100;
    const std::string data = (folder / "follow.dat").string();
    std::FILE* file = std::fopen(data.c_str(), "w");
    const std::string text = Rows(0, rows);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    const std::string config = (folder / "follow.ovx").string();
    file = std::fopen(config.c_str(), "w");
    std::fprintf(file, "data = follow.dat\nlines = %d\nbodies = %d\nradii =", rows, kBodies);
    for (int k = 0; k < kBodies; ++k) std::fprintf(file, " 3");
    std::fprintf(file, "\ncolours =");
    for (int k = 0; k < kBodies; ++k) std::fprintf(file, " %d", k % 14);
    std::fprintf(file,
                 "\nbox = -2.2 -2.2 2.2 2.2\ndelay = 1\nstep = 1\ntrail = %d\nstart = 0\nsun = 6\n"
                 "axes = 1\nplanets = 1\norbits = 1\n",
                 kTrail);
    std::fclose(file);

    FollowingWindow window(config, true);
    SimulationState& state = window.state;
    CMainFrame& frame = window.frame;
    std::atomic<bool> stop{false};
    std::thread append;
    if (writer) {
        append = std::thread([&] {
            int next = rows;
            while (!stop) {
                const std::string more = Rows(next, next + 10);  // 10 rows every 10 ms
                std::FILE* out = std::fopen(data.c_str(), "a");
                std::fwrite(more.data(), 1, more.size(), out);
                std::fclose(out);
                next += 10;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
    }
    state.playback.stopRequested = 0;
    state.playback.startRequested = 1;
    frame.view()->invalidate();
    const int start = state.playback.position;
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(int(seconds * 1000), [] { QCoreApplication::exit(0); });
    QApplication::exec();
    const double rate = (state.playback.position - start) / (clock.elapsed() / 1000.0);
    stop = true;
    if (append.joinable()) append.join();
    std::printf("largest scene, followed, at 1 ms, %s: %.0f ticks/s (%d rows now)\n",
                writer ? "writer appending 1000 rows/s" : "no writer                  ", rate,
                state.loaded().fields.lineCount);
    return rate;
}

/// Processor time of `seconds` with an idle followed file, no playback and
/// the playback bar hidden (its readouts refresh on a timer of their own).
double IdleCpuMilliseconds(const std::filesystem::path& folder, double seconds) {
    FollowingWindow window((folder / "follow.ovx").string(), false);
    const double before = CpuSeconds();
    QTimer::singleShot(int(seconds * 1000), [] { QCoreApplication::exit(0); });
    QApplication::exec();
    return (CpuSeconds() - before) * 1000;
}

/// A field of /proc/self/status, in MiB.
double StatusMiB(const char* field) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    double kib = -1;
    const std::size_t length = std::strlen(field);
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, length) == 0) kib = std::atof(line + length);
    if (status) std::fclose(status);
    return kib / 1024;
}

/// Appends rows `from` on to `path` until `megabytes` more are written;
/// returns the row after the last.
int AppendMegabytes(const std::string& path, int from, int megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "a");
    for (long written = 0; written < long(megabytes) << 20; from += 1000) {
        const std::string text = Rows(from, from + 1000);
        std::fwrite(text.data(), 1, text.size(), out);
        written += long(text.size());
    }
    std::fclose(out);
    return from;
}

/// Appends `megabytes` at once to a followed file of few rows and runs the
/// window until every row is in: the time taken against a load of as many
/// rows, the longest gap between two turns of the window's event loop and
/// the peak memory beyond the grown table.
void LargeAppend(const std::filesystem::path& folder, int megabytes) {
    const std::string data = (folder / "append.dat").string(), config = (folder / "append.ovx").string();
    std::FILE* file = std::fopen(data.c_str(), "w");
    std::fclose(file);
    const int rows = AppendMegabytes(data, 0, megabytes);
    file = std::fopen(config.c_str(), "w");
    std::fprintf(file, "data = append.dat\nlines = %d\nbodies = %d\nradii =", rows, kBodies);
    for (int k = 0; k < kBodies; ++k) std::fprintf(file, " 3");
    std::fprintf(file, "\ncolours =");
    for (int k = 0; k < kBodies; ++k) std::fprintf(file, " %d", k % 14);
    std::fprintf(file,
                 "\nbox = -2.2 -2.2 2.2 2.2\ndelay = 1\nstep = 1\ntrail = 10\nstart = 0\nsun = 6\n"
                 "axes = 1\nplanets = 1\norbits = 1\n");
    std::fclose(file);
    double loadSeconds = 0;
    {
        QElapsedTimer clock;
        clock.start();
        FollowingWindow window(config, false);
        loadSeconds = clock.elapsed() / 1000.0;
    }
    // The followed file starts with 1000 rows; the rest comes at once.
    const std::string first = Rows(0, 1000);
    file = std::fopen(data.c_str(), "w");
    std::fwrite(first.data(), 1, first.size(), file);
    std::fclose(file);
    FollowingWindow window(config, false);
    AppendMegabytes(data, 1000, megabytes);
    std::ofstream("/proc/self/clear_refs") << "5";
    const double before = StatusMiB("VmRSS:");
    QElapsedTimer clock, gap;
    clock.start();
    gap.start();
    qint64 longest = 0;
    QTimer turn;
    QObject::connect(&turn, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.restart());
        if (window.state.loaded().fields.lineCount >= rows || clock.elapsed() > 120'000)
            QCoreApplication::exit(0);
    });
    turn.start(1);
    QApplication::exec();
    const double seconds = clock.elapsed() / 1000.0;
    const double table =
        double(window.state.loaded().rows->rowCount()) * (2 * kBodies + 1) * sizeof(double) / (1 << 20);
    std::printf(
        "%d MB appended at once: %d of %d rows in %.2f s (%.0f MB/s; a load of them %.0f MB/s), "
        "longest stall %lld ms, peak memory %.0f MiB beyond the %.0f MiB grown table\n",
        megabytes, window.state.loaded().fields.lineCount, rows, seconds, megabytes / seconds,
        megabytes / loadSeconds, static_cast<long long>(longest), StatusMiB("VmHWM:") - before - table,
        table);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "orbivex-follow-bench";
    std::filesystem::create_directories(folder);
    // Alternated, so that both see the same machine; the ratio is taken
    // within each pair, then the median of the pairs.
    constexpr int kRounds = 5;
    std::vector<double> quiet, busy, ratios;
    for (int round = 0; round < kRounds; ++round) {
        quiet.push_back(TicksPerSecond(folder, seconds, false));
        busy.push_back(TicksPerSecond(folder, seconds, true));
        ratios.push_back(busy.back() / quiet.back());
    }
    for (auto* v : {&quiet, &busy, &ratios}) std::sort(v->begin(), v->end());
    std::printf("median of %d rounds: %.0f ticks/s with the writer, %.0f without, with/without %.2f\n",
                kRounds, busy[kRounds / 2], quiet[kRounds / 2], ratios[kRounds / 2]);
    std::printf(
        "an idle followed file, nothing playing, playback bar hidden: %.1f ms of processor time in 5 s\n",
        IdleCpuMilliseconds(folder, 5.0));
    LargeAppend(folder, argc > 2 ? std::atoi(argv[2]) : 300);
    std::filesystem::remove_all(folder);
    return 0;
}
