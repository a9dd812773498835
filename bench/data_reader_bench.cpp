// Times the data reader as users get it: every load is a fresh process, run
// right after a process that touches and frees a few hundred MB, alternating
// with the baselines (a fscanf("%lf") loop and a one-thread fast_float over
// mmap, both from baseline_loader). Prints each round, the medians of the
// whole processes' wall times, the ratios and the reader's peak resident
// memory, and the load average before and after.
//
//   data_reader_bench [MEGABYTES] [ROUNDS] [ORBIVEX]
//
// With ORBIVEX (the viewer's binary), `ORBIVEX --render` of the same
// configuration is timed in each round as well.
//   data_reader_bench --load CONFIG    one load in this process (the reader's run)

#include <fcntl.h>
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
#include <thread>
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

struct Run {
    double seconds = -1.0;  ///< wall time of the whole process
    long peakKiB = 0;
};

/// Runs `args` as a fresh process with its output thrown away; the wall time
/// runs from the fork to the child's end.
Run RunProcess(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    Run run;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) run.seconds = Seconds(start);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string LoadAverage() {
    std::FILE* in = std::fopen("/proc/loadavg", "r");
    char text[64] = "?";
    if (in) {
        if (!std::fgets(text, sizeof text, in)) text[0] = 0;
        std::fclose(in);
    }
    std::string s(text);
    return s.substr(0, s.find(' ', s.find(' ', s.find(' ') + 1) + 1));
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

/// The reader's run: loads `config` and exits without freeing, as the
/// renderer's process ends.
int LoadOnce(const std::string& config) {
    static SimulationState state;
    PlotBox plot;
    SilentHost host;
    return LoadSimulation(state, plot, host, config) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) return LoadOnce(argv[2]);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 300.0;
    const int rounds = std::max(3, argc > 2 ? std::atoi(argv[2]) : 5);
    const std::string viewer = argc > 3 ? argv[3] : "";
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::string baseline = (std::filesystem::path(self).parent_path() / "baseline_loader").string();
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
    const std::string count = std::to_string(std::size_t(rows) * kColumns);
    std::printf("file: %.1f MB, %d rows of %d values; table %.1f MiB; %u cores\n", fileMB, rows, kColumns,
                tableMiB, std::thread::hardware_concurrency());
    const bool same = SameValues(config, data, rows);

    struct Contender {
        const char* name;
        std::vector<std::string> args;
        std::vector<double> times;
        long peakKiB = 0;
    };
    std::vector<Contender> contenders = {
        {"reader", {self, "--load", config}, {}},
        {"fast_float", {baseline, "fast_float", data, count}, {}},
        {"fscanf", {baseline, "fscanf", data, count}, {}},
    };
    const std::string picture = (folder / "render.png").string();
    if (!viewer.empty())
        contenders.push_back({"orbivex --render", {viewer, "--render", picture, config}, {}});
    const std::string churnMB = std::to_string(int(std::max(300.0, megabytes * 1.5)));
    std::printf("load average before: %s; each run follows a churn of %s MB\n", LoadAverage().c_str(),
                churnMB.c_str());
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d:", round + 1);
        for (Contender& c : contenders) {
            RunProcess({baseline, "churn", churnMB});
            const Run run = RunProcess(c.args);
            if (run.seconds < 0) {
                std::printf("\n%s failed\n", c.name);
                return 1;
            }
            c.times.push_back(run.seconds);
            c.peakKiB = std::max(c.peakKiB, run.peakKiB);
            std::printf("  %s %.3f s", c.name, run.seconds);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::filesystem::remove_all(folder);

    std::printf("load average after: %s\n", LoadAverage().c_str());
    std::printf("values identical to fscanf: %s\n", same ? "yes" : "NO");
    const double reader = Median(contenders[0].times);
    std::printf("medians of %d fresh processes:\n", rounds);
    for (const Contender& c : contenders)
        std::printf("  %-17s %.3f s  %5.0f MB/s  reader is %.2fx faster  peak %.1f MiB\n", c.name,
                    Median(c.times), fileMB / Median(c.times), Median(c.times) / reader, c.peakKiB / 1024.0);
    const double peakMiB = contenders[0].peakKiB / 1024.0;
    std::printf("reader peak resident memory: %.1f MiB = table %.1f MiB + %.1f MiB\n", peakMiB, tableMiB,
                peakMiB - tableMiB);
    return same ? 0 : 1;
}
