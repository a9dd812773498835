// Times the data reader against a plain fscanf("%lf") loop over the same
// generated file (about 300 MB, 30 bodies) and prints MB/s for both, their
// ratio and the peak resident memory of a process that loads the file.
//
//   data_reader_bench [MEGABYTES] [ROUNDS]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "animation/simulation_loading.h"
#include "plot/plot_box.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

constexpr int kBodies = 30;
constexpr int kColumns = 2 * kBodies + 1;

class SilentHost : public Host {
public:
    Answer messageBox(const std::string& text, Buttons, Icon) override {
        std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
        return Answer::No;
    }
    void setBusyCursor(bool) override {}
    void note(const std::string&) override {}
};

int WriteData(const std::string& path, double megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    int rows = 0;
    while (std::ftell(out) < megabytes * 1e6) {
        std::fprintf(out, "%.10e", rows * 0.001);
        for (int c = 1; c < kColumns; ++c) std::fprintf(out, " %.10e", coordinate(random));
        std::fputc('\n', out);
        ++rows;
    }
    std::fclose(out);
    return rows;
}

void WriteConfig(const std::string& path, const std::string& data, int rows) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::fprintf(out, "data = %s\nlines = %d\nplanets = %d\nradii =", data.c_str(), rows, kBodies);
    for (int k = 0; k < kBodies; ++k) std::fprintf(out, " 2");
    std::fprintf(out, "\ncolours =");
    for (int k = 0; k < kBodies; ++k) std::fprintf(out, " %d", k % 14);
    std::fprintf(out,
                 "\nbox = -40 -40 40 40\ndelay = 1\nstep = 1\npoints = 100\nstart = 0\n"
                 "sun = 4\naxes = 1\nplanets = 1\norbits = 1\n");
    std::fclose(out);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

/// Loads with the project's reader; returns seconds, or a negative value.
double LoadWithReader(const std::string& config) {
    SimulationState state;
    PlotBox plot;
    SilentHost host;
    const auto start = std::chrono::steady_clock::now();
    const int ok = LoadSimulation(state, plot, host, config);
    return ok ? Seconds(start) : -1.0;
}

/// Reads the same rows with fscanf("%lf") into a table of the same shape.
double LoadWithFscanf(const std::string& data, int rows) {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t count = std::size_t(rows) * kColumns;
    std::unique_ptr<double[]> table(new double[count]);
    std::FILE* in = std::fopen(data.c_str(), "r");
    double* out = table.get();
    for (std::size_t i = 0; i < count; ++i)
        if (std::fscanf(in, "%lf", &out[i]) != 1) return -1.0;
    std::fclose(in);
    return Seconds(start);
}

struct Run {
    double seconds;
    long peakKiB;
};

/// Runs `body` in a child process, so that each round's peak resident memory
/// is its own.
template <class Body>
Run InChild(Body body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        const double seconds = body();
        if (::write(pipeEnds[1], &seconds, sizeof seconds) != sizeof seconds) _exit(1);
        _exit(0);
    }
    double seconds = -1.0;
    if (::read(pipeEnds[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1.0;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    return {seconds, usage.ru_maxrss};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool SameValues(const std::string& config, const std::string& data, int rows) {
    SimulationState state;
    PlotBox plot;
    SilentHost host;
    if (!LoadSimulation(state, plot, host, config)) return false;
    std::FILE* in = std::fopen(data.c_str(), "r");
    bool same = true;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            double v = 0;
            if (std::fscanf(in, "%lf", &v) != 1) return false;
            const double got = state.rows->value(r, c);
            same = same && std::memcmp(&v, &got, sizeof v) == 0;
        }
    }
    std::fclose(in);
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 300.0;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 3);
    const auto folder =
        std::filesystem::temp_directory_path() / ("orbivex-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string data = (folder / "big.dat").string();
    const std::string config = (folder / "big.ovx").string();

    std::printf("generating %.0f MB of data with %d bodies...\n", megabytes, kBodies);
    const int rows = WriteData(data, megabytes);
    WriteConfig(config, data, rows);
    const double fileMB = double(std::filesystem::file_size(data)) / 1e6;
    const double tableMiB = double(rows) * kColumns * sizeof(double) / (1024.0 * 1024.0);
    std::printf("file: %.1f MB, %d rows of %d values; table %.1f MiB\n", fileMB, rows, kColumns, tableMiB);

    const bool same = SameValues(config, data, rows);
    std::vector<double> readerTimes, fscanfTimes;
    long peakKiB = 0;
    for (int round = 0; round < rounds; ++round) {
        const Run reader = InChild([&] { return LoadWithReader(config); });
        const Run scanf = InChild([&] { return LoadWithFscanf(data, rows); });
        if (reader.seconds < 0 || scanf.seconds < 0) {
            std::printf("a load failed\n");
            return 1;
        }
        readerTimes.push_back(reader.seconds);
        fscanfTimes.push_back(scanf.seconds);
        peakKiB = std::max(peakKiB, reader.peakKiB);
        std::printf("round %d: reader %.3f s, fscanf %.3f s\n", round + 1, reader.seconds, scanf.seconds);
    }
    std::filesystem::remove_all(folder);

    const double readerRate = fileMB / Median(readerTimes);
    const double fscanfRate = fileMB / Median(fscanfTimes);
    const double peakMiB = peakKiB / 1024.0;
    std::printf("values identical to fscanf: %s\n", same ? "yes" : "NO");
    std::printf("reader: %.0f MB/s   fscanf: %.0f MB/s   ratio: %.1fx (median of %d rounds)\n", readerRate,
                fscanfRate, readerRate / fscanfRate, rounds);
    std::printf("reader peak resident memory: %.1f MiB = table %.1f MiB + %.1f MiB\n", peakMiB, tableMiB,
                peakMiB - tableMiB);
    return same ? 0 : 1;
}
