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
// configuration is timed in each round as well, and so is the table form:
// the same values as comma-separated lines under a header line
// (t,x1,y1,...,x30,y30), opened directly by `ORBIVEX --render OUT.png
// --size 64x64 FILE.csv` and timed against fscanf and fast_float over that
// text (baseline_loader fscanf-csv, fast_float-csv). So is the picture in
// the frame turning with body 1, whose extra time is set against the load.
// The plain-table reader is timed in the same rounds, in this process as the
// reader is: on the data file opened as a table, on the CSV form, and on two
// CSV files of the same rows whose first 2 MB have shorter lines than the
// rest, and longer; each with its peak memory over the table's. With
// ORBIVEX, a last part times what a damaged or odd file costs: two rows
// before a 20 GiB tail of zero bytes, a line of 2 GB of digits (both refused
// at once), and the frame centred on body 1 of three rows kept from a
// configuration that names 372 million, and of the CSV form against the
// data's own frame.
//   data_reader_bench --load FILE    one load in this process (the reader's
//       run), of a configuration or a table as File > Open does
//   data_reader_bench --frame CONFIG OUT    one load, then the positions in
//       the frame turning with body 1 and the box fitted to them, timed in
//       this process, the seconds written to OUT
//   data_reader_bench --bodies N [MEGABYTES] [ROUNDS]    a CSV table of N
//       bodies (t,x1,y1,...) opened as File > Open does, fresh processes
//       alternating with the one-thread fast_float over the same text; the
//       medians, their ratio and the reader's peak memory over the table's

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
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "animation/view_navigation.h"
#include "plot/plot_box.h"
#include "random_table.h"
#include "silent_services.h"
#include "simulation/host.h"
#include "simulation/reference_frame.h"

namespace {

/// Writes the values of `data` again as a comma-separated table with a
/// header line naming the columns; the numbers keep their text.
void WriteCsv(const std::string& data, const std::string& csv) {
    std::FILE* in = std::fopen(data.c_str(), "r");
    std::FILE* out = std::fopen(csv.c_str(), "w");
    std::fprintf(out, "t");
    for (int k = 1; k <= kBodies; ++k) std::fprintf(out, ",x%d,y%d", k, k);
    std::fputc('\n', out);
    std::vector<char> line(64 * 1024);
    while (std::fgets(line.data(), int(line.size()), in)) {
        std::replace(line.begin(), line.begin() + std::strlen(line.data()), ' ', ',');
        std::fputs(line.data(), out);
    }
    std::fclose(in);
    std::fclose(out);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct ProcessRun {
    double seconds = -1.0;  ///< wall time of the whole process; -1 when it did not exit
    long peakKiB = 0;
    int status = -1;  ///< its exit status
};

/// Runs `args` as a fresh process with its output thrown away; the wall time
/// runs from the fork to the child's end.
ProcessRun RunProcess(const std::vector<std::string>& args) {
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
    ProcessRun run;
    if (WIFEXITED(status)) run.seconds = Seconds(start), run.status = WEXITSTATUS(status);
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
    LoudHost host;
    if (!LoadSimulation(state, plot, host, config)) return false;
    std::FILE* in = std::fopen(data.c_str(), "r");
    bool same = true;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            double v = 0;
            if (std::fscanf(in, "%lf", &v) != 1) return false;
            const double got = state.loaded().rows->value(r, c);
            same = same && std::memcmp(&v, &got, sizeof v) == 0;
        }
    }
    std::fclose(in);
    return same;
}

/// The reader's run: loads `path` (a configuration or a table) and exits
/// without freeing, as the renderer's process ends.
int LoadOnce(const std::string& path) {
    static SimulationState state;
    PlotBox plot;
    LoudHost host;
    return LoadFile(state, plot, host, path) ? 0 : 1;
}

/// A CSV table of `rows` rows of random values whose lines in the first
/// 2 MB are short (4 significant digits) and later long (11), or the other
/// way round.
void WriteUnevenCsv(const std::string& path, int rows, bool shortFirst) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    std::fprintf(out, "t");
    for (int k = 1; k <= kBodies; ++k) std::fprintf(out, ",x%d,y%d", k, k);
    std::fputc('\n', out);
    for (int r = 0; r < rows; ++r) {
        const bool first = std::ftell(out) < 2'000'000;
        const char* format = first == shortFirst ? ",%.3e" : ",%.10e";
        std::fprintf(out, format + 1, r * 0.001);
        for (int c = 1; c < kColumns; ++c) std::fprintf(out, format, coordinate(random));
        std::fputc('\n', out);
    }
    std::fclose(out);
}

/// The frame's run: loads `config`, then makes the positions in the frame
/// turning with body 1 and fits the box to them, as the window does when
/// the frame is chosen; writes the seconds of each to `out`.
int FrameOnce(const std::string& config, const std::string& out) {
    static SimulationState state;
    PlotBox plot;
    LoudHost host;
    if (!LoadSimulation(state, plot, host, config)) return 1;
    const auto start = std::chrono::steady_clock::now();
    state.view.frame = {ReferenceFrame::Kind::Rotating, 1};
    if (!UpdateFramedRows(state).empty()) return 1;
    const double made = Seconds(start);
    const auto fitting = std::chrono::steady_clock::now();
    FitToData(state, plot);
    const double fitted = Seconds(fitting);
    std::FILE* file = std::fopen(out.c_str(), "w");
    if (!file) return 1;
    std::fprintf(file, "%.6f %.6f\n", made, fitted);
    return std::fclose(file) == 0 ? 0 : 1;
}

/// What files that are damaged or odd cost the viewer, fresh processes,
/// medians of `rounds`: each line gives the wall time, the peak memory and
/// the exit status.
void DamagedAndOddFiles(const std::string& viewer, const std::filesystem::path& folder,
                        const std::string& csv, int rounds) {
    const std::string picture = (folder / "odd.png").string();
    const std::string zeros = (folder / "zero-tail.csv").string();
    if (std::FILE* out = std::fopen(zeros.c_str(), "w")) {
        std::fputs("t,x,y\n0,1,0\n1,0,1\n", out);
        std::fclose(out);
    }
    std::filesystem::resize_file(zeros, std::filesystem::file_size(zeros) + (uint64_t(20) << 30));
    const std::string digits = (folder / "digits.txt").string();
    if (std::FILE* out = std::fopen(digits.c_str(), "w")) {
        const std::string block(1 << 20, '7');
        for (int i = 0; i < 2000; ++i) std::fwrite(block.data(), 1, block.size(), out);
        std::fclose(out);
    }
    // Three rows kept from a configuration that names 372 million.
    const std::string few = (folder / "few.dat").string(), named = (folder / "named.ovx").string();
    if (std::FILE* out = std::fopen(few.c_str(), "w")) {
        std::fputs("0 1 0 2 0\n1 0 1 0 2\n2 -1 0 -2 0\n", out);
        std::fclose(out);
    }
    if (std::FILE* out = std::fopen(named.c_str(), "w")) {
        std::fprintf(
            out,
            "data = %s\nlines = 372000000\nplanets = 2\nradii = 2 2\ncolours = 1 2\nbox = -3 -3 3 3\n"
            "delay = 1\nstep = 1\npoints = 10\nstart = 0\nsun = 4\naxes = 1\nplanets = 1\norbits = 1\n",
            few.c_str());
        std::fclose(out);
    }
    const struct {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"two rows, then 20 GiB of zero bytes", {viewer, "--render", picture, zeros}},
        {"a line of 2 GB of digits", {viewer, "--render", picture, digits}},
        {"3 rows of 372 million named, centre:1",
         {viewer, "--render", picture, "--yes", "--frame", "centre:1", named}},
        {"the CSV form, centre:1",
         {viewer, "--render", picture, "--size", "64x64", "--frame", "centre:1", csv}},
        {"the CSV form, its own frame", {viewer, "--render", picture, "--size", "64x64", csv}},
    };
    std::printf("damaged and odd files, medians of %d fresh processes (load average %s):\n", rounds,
                LoadAverage().c_str());
    for (const auto& c : cases) {
        std::vector<double> times;
        long peakKiB = 0;
        int status = 0;
        for (int round = 0; round < rounds; ++round) {
            const ProcessRun run = RunProcess(c.args);
            times.push_back(run.seconds);
            peakKiB = std::max(peakKiB, run.peakKiB);
            status = run.status;
        }
        std::printf("  %-40s %.3f s  peak %.1f MiB  exit %d\n", c.name, Median(times), peakKiB / 1024.0,
                    status);
    }
}

}  // namespace

/// A table of `bodies` bodies, of `megabytes` of comma-separated values
/// under a header line, loaded by fresh processes against fast_float.
int ManyBodies(int bodies, double megabytes, int rounds) {
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const std::string baseline = (std::filesystem::path(self).parent_path() / "baseline_loader").string();
    const auto folder =
        std::filesystem::temp_directory_path() / ("orbivex-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string csv = (folder / "bodies.csv").string();
    const int columns = 2 * bodies + 1;
    std::FILE* out = std::fopen(csv.c_str(), "w");
    std::fprintf(out, "t");
    for (int k = 1; k <= bodies; ++k) std::fprintf(out, ",x%d,y%d", k, k);
    std::fputc('\n', out);
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    int rows = 0;
    while (std::ftell(out) < megabytes * 1e6) {
        std::fprintf(out, "%.10e", rows * 0.001);
        for (int c = 1; c < columns; ++c) std::fprintf(out, ",%.10e", coordinate(random));
        std::fputc('\n', out);
        ++rows;
    }
    std::fclose(out);
    const double fileMB = double(std::filesystem::file_size(csv)) / 1e6;
    const double tableMiB = double(rows) * columns * sizeof(double) / (1024.0 * 1024.0);
    const std::string count = std::to_string(std::size_t(rows) * std::size_t(columns));
    const std::string churnMB = std::to_string(int(std::max(300.0, megabytes * 1.5)));
    std::printf("%d bodies: %.1f MB CSV, %d rows of %d values; table %.1f MiB; load average before %s\n",
                bodies, fileMB, rows, columns, tableMiB, LoadAverage().c_str());
    std::vector<double> reader, fastFloat;
    long peakKiB = 0;
    for (int round = 0; round < rounds; ++round) {
        RunProcess({baseline, "churn", churnMB});
        const ProcessRun load = RunProcess({self, "--load", csv});
        RunProcess({baseline, "churn", churnMB});
        const ProcessRun base = RunProcess({baseline, "fast_float-csv", csv, count});
        if (load.status != 0 || base.status != 0) {
            std::printf("round %d failed: reader exit %d, fast_float exit %d\n", round + 1, load.status,
                        base.status);
            std::filesystem::remove_all(folder);
            return 1;
        }
        reader.push_back(load.seconds), fastFloat.push_back(base.seconds);
        peakKiB = std::max(peakKiB, load.peakKiB);
        std::printf("round %d: reader %.3f s  fast_float-csv %.3f s\n", round + 1, load.seconds,
                    base.seconds);
    }
    std::printf("load average after: %s\n", LoadAverage().c_str());
    std::printf(
        "%d bodies, medians of %d fresh processes: reader %.3f s (%.0f MB/s), fast_float-csv %.3f s: reader "
        "is "
        "%.2fx faster; reader peak %.1f MiB = table + %.1f MiB\n",
        bodies, rounds, Median(reader), fileMB / Median(reader), Median(fastFloat),
        Median(fastFloat) / Median(reader), peakKiB / 1024.0, peakKiB / 1024.0 - tableMiB);
    std::filesystem::remove_all(folder);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) return LoadOnce(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--bodies") == 0)
        return ManyBodies(std::atoi(argv[2]), argc > 3 ? std::atof(argv[3]) : 300.0,
                          std::max(3, argc > 4 ? std::atoi(argv[4]) : 5));
    if (argc == 4 && std::strcmp(argv[1], "--frame") == 0) return FrameOnce(argv[2], argv[3]);
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
    const std::string csv = (folder / "big.csv").string();

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
        double fileMB = 0;
        bool csv = false;  ///< reads the CSV form
        std::vector<double> times = {};
        long peakKiB = 0;
    };
    WriteCsv(data, csv);
    const double csvMB = double(std::filesystem::file_size(csv)) / 1e6;
    std::printf("CSV form: %.1f MB, a header line and the same values parted by commas\n", csvMB);
    const std::string shortFirst = (folder / "short-first.csv").string();
    const std::string longFirst = (folder / "long-first.csv").string();
    WriteUnevenCsv(shortFirst, rows, true);
    WriteUnevenCsv(longFirst, rows, false);
    const double shortMB = double(std::filesystem::file_size(shortFirst)) / 1e6;
    const double longMB = double(std::filesystem::file_size(longFirst)) / 1e6;
    std::printf(
        "uneven CSV of the same rows: %.1f MB with short lines in its first 2 MB, %.1f MB with long\n",
        shortMB, longMB);
    std::vector<Contender> contenders = {
        {"reader", {self, "--load", config}, fileMB},
        {"table reader", {self, "--load", data}, fileMB},
        {"csv reader", {self, "--load", csv}, csvMB},
        {"short first", {self, "--load", shortFirst}, shortMB},
        {"long first", {self, "--load", longFirst}, longMB},
        {"fast_float", {baseline, "fast_float", data, count}, fileMB},
        {"fscanf", {baseline, "fscanf", data, count}, fileMB},
    };
    const std::string picture = (folder / "render.png").string();
    if (!viewer.empty()) {
        contenders.push_back({"orbivex --render", {viewer, "--render", picture, config}, fileMB});
        // The same picture in the frame turning with body 1: the positions
        // made in that frame and the box fitted to them, on top of the load.
        contenders.push_back(
            {"--frame rotate:1", {viewer, "--render", picture, "--frame", "rotate:1", config}, fileMB});
        // The first of the CSV group is the one the others are measured against.
        contenders.push_back(
            {"orbivex csv", {viewer, "--render", picture, "--size", "64x64", csv}, csvMB, true});
        contenders.push_back({"fast_float-csv", {baseline, "fast_float-csv", csv, count}, csvMB, true});
        contenders.push_back({"fscanf-csv", {baseline, "fscanf-csv", csv, count}, csvMB, true});
    }
    const std::string churnMB = std::to_string(int(std::max(300.0, megabytes * 1.5)));
    std::printf("load average before: %s; each run follows a churn of %s MB\n", LoadAverage().c_str(),
                churnMB.c_str());
    std::vector<double> made, fitted;
    const std::string frameTimes = (folder / "frame.txt").string();
    for (int round = 0; round < rounds; ++round) {
        std::printf("round %d:", round + 1);
        RunProcess({baseline, "churn", churnMB});
        double madeNow = -1, fittedNow = -1;
        if (RunProcess({self, "--frame", config, frameTimes}).status == 0)
            if (std::FILE* in = std::fopen(frameTimes.c_str(), "r")) {
                if (std::fscanf(in, "%lf %lf", &madeNow, &fittedNow) != 2) madeNow = -1;
                std::fclose(in);
            }
        made.push_back(madeNow);
        fitted.push_back(fittedNow);
        std::printf("  rotate:1 made %.3f s, fitted %.3f s", madeNow, fittedNow);
        for (Contender& c : contenders) {
            RunProcess({baseline, "churn", churnMB});
            const ProcessRun run = RunProcess(c.args);
            if (run.status != 0) {
                std::printf("\n%s failed:", c.name);
                for (const std::string& a : c.args) std::printf(" %s", a.c_str());
                std::printf("\n");
                std::filesystem::remove_all(folder);
                return 1;
            }
            c.times.push_back(run.seconds);
            c.peakKiB = std::max(c.peakKiB, run.peakKiB);
            std::printf("  %s %.3f s", c.name, run.seconds);
        }
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("load average after: %s\n", LoadAverage().c_str());
    std::printf("values identical to fscanf: %s\n", same ? "yes" : "NO");
    // Each group against its first: the plain numbers against the reader,
    // the CSV form against the viewer opening it.
    for (const bool csvGroup : {false, true}) {
        const auto first = std::find_if(contenders.begin(), contenders.end(),
                                        [&](const Contender& c) { return c.csv == csvGroup; });
        if (first == contenders.end()) continue;
        const double reference = Median(first->times);
        const std::string who = csvGroup ? "orbivex" : "reader";
        std::printf("medians of %d fresh processes%s:\n", rounds, csvGroup ? ", CSV form" : "");
        for (const Contender& c : contenders)
            if (c.csv == csvGroup)
                std::printf(
                    "  %-17s %.3f s  %5.0f MB/s  %s is %.2fx faster  peak %.1f MiB = table + %.1f MiB\n",
                    c.name, Median(c.times), c.fileMB / Median(c.times), who.c_str(),
                    Median(c.times) / reference, c.peakKiB / 1024.0, c.peakKiB / 1024.0 - tableMiB);
        const double peakMiB = first->peakKiB / 1024.0;
        std::printf("%s peak resident memory%s: %.1f MiB = table %.1f MiB + %.1f MiB\n", who.c_str(),
                    csvGroup ? " opening the CSV form" : "", peakMiB, tableMiB, peakMiB - tableMiB);
    }
    std::printf(
        "in the loading process, the frame turning with body 1: positions made in %.3f s (%.2f of the "
        "reader's load), box fitted in %.3f s\n",
        Median(made), Median(made) / Median(contenders.front().times), Median(fitted));
    if (!viewer.empty()) {
        const auto median = [&](const char* name) {
            return Median(std::find_if(contenders.begin(), contenders.end(), [&](const Contender& c) {
                              return std::strcmp(c.name, name) == 0;
                          })->times);
        };
        const double frame = median("--frame rotate:1") - median("orbivex --render");
        std::printf("the frame turning with body 1 adds %.3f s to the picture: %.2f of the reader's load\n",
                    frame, frame / median("reader"));
    }
    if (!viewer.empty()) DamagedAndOddFiles(viewer, folder, csv, rounds);
    std::filesystem::remove_all(folder);
    return same ? 0 : 1;
}
