// Times the derived series against the load they follow, in one process as
// the viewer runs them: loads a configuration as File > Open does, then
// computes with ComputeSeries the distance r, the semi-major axis a, the
// eccentricity e and the specific energy eps of every body, and the
// system's energy change when the configuration gives the masses. Prints
// the load's and the series' wall times, their ratio, the peak resident
// memory before and after the series, and a few values that
// bench/numpy_series.py prints too.
//
//   series_bench --write FOLDER [MEGABYTES]    writes the benchmarks' random
//       table of 30 bodies (as data_reader_bench makes it, 300 MB unless
//       said) to FOLDER/big.dat and its configuration, with mu = 4 pi^2 and
//       masses, to FOLDER/big.ovx
//   series_bench [--one-by-one] CONFIG    one load and the series, timed:
//       the bodies' series in one call of ComputeSeries with the list of
//       them, or one call a series with --one-by-one

#include <sys/resource.h>
#include <time.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "animation/series_source.h"
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "plot/plot_box.h"
#include "random_table.h"
#include "silent_services.h"
#include "simulation/derived_series.h"
#include "simulation/host.h"

namespace {

/// Wall and processor time since it was made: on a machine shared with
/// other work the processor time varies less.
struct Timer {
    std::chrono::steady_clock::time_point wallStart = std::chrono::steady_clock::now();
    double cpuStart = Cpu();

    static double Cpu() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
    }
    double Wall() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    }
    double Processor() const { return Cpu() - cpuStart; }
};

/// The process's peak resident memory so far, in MiB.
double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

int Write(const std::string& folder, double megabytes) {
    std::filesystem::create_directories(folder);
    const std::string data = folder + "/big.dat";
    const int rows = WriteData(data, megabytes);
    std::string extra = "gm = 39.47841760435743\nsun mass = 1\nmasses =";
    for (int k = 1; k <= kBodies; ++k) extra += " " + std::to_string(1e-4 * k);
    WriteConfig(folder + "/big.ovx", data, rows, extra + "\n");
    std::printf("wrote %s: %d rows of %d bodies, %.1f MB\n", data.c_str(), rows, kBodies,
                double(std::filesystem::file_size(data)) / 1e6);
    return 0;
}

int Measure(const std::string& config, bool oneByOne) {
    static SimulationState state;  // left for the process's end, as the viewer's is
    PlotBox plot;
    LoudHost host;
    const Timer loading;
    if (!LoadFile(state, plot, host, config)) return 1;
    const double load = loading.Wall(), loadCpu = loading.Processor();
    const double peakLoaded = PeakMiB();

    const SeriesSource source = SeriesSourceOf(state, std::nullopt);
    const int bodies = source.table->bodyColumns();
    const std::size_t rows = std::size_t(source.rows);
    const QuantityKind kinds[] = {QuantityKind::Distance, QuantityKind::SemiMajorAxis,
                                  QuantityKind::Eccentricity, QuantityKind::Energy};
    std::vector<Quantity> asked;
    for (int body = 1; body <= bodies; ++body)
        for (const QuantityKind kind : kinds) asked.push_back({kind, body});
    // Allocated and touched before the clock starts, as a plot's are.
    std::vector<std::vector<double>> series(asked.size() + (source.masses.empty() ? 0 : 1),
                                            std::vector<double>(rows));
    std::vector<double*> outs;
    for (std::vector<double>& values : series) outs.push_back(values.data());
    const Timer computing;
    if (oneByOne) {
        for (std::size_t k = 0; k < asked.size(); ++k)
            ComputeSeries(source, asked[k], 0, source.rows, outs[k]);
    } else {
        ComputeSeries(source, asked, 0, source.rows, std::span<double* const>(outs.data(), asked.size()));
    }
    const double perBody = computing.Wall(), perBodyCpu = computing.Processor();
    double system = -1, systemCpu = -1;
    if (!source.masses.empty()) {
        const Timer summing;
        ComputeSeries(source, {QuantityKind::SystemEnergy}, 0, source.rows, outs.back());
        system = summing.Wall(), systemCpu = summing.Processor();
    }
    const double peakAfter = PeakMiB();
    const double tableMiB = double(rows) * double(2 * bodies + 1) * 8 / (1024.0 * 1024.0);

    std::printf("rows %zu, bodies %d, table %.1f MiB\n", rows, bodies, tableMiB);
    std::printf("load_s %.4f cpu %.4f\n", load, loadCpu);
    std::printf("body_series_s %.4f cpu %.4f (r, a, e, eps of each body: %d series%s)\n", perBody, perBodyCpu,
                4 * bodies, oneByOne ? ", one call each" : " in one call");
    if (system >= 0)
        std::printf("energy_s %.4f cpu %.4f\n", system, systemCpu);
    else
        std::printf("energy_s none (the configuration gives no masses)\n");
    const double all = perBody + std::max(system, 0.0);
    std::printf("series_s %.4f\nseries/load %.3f (body series alone %.3f)\n", all, all / load,
                perBody / load);
    std::printf("peak_mib loaded %.1f, after the series %.1f (the series hold %.1f MiB)\n", peakLoaded,
                peakAfter, double(series.size() * rows * 8) / (1024.0 * 1024.0));
    // A hash of every value's bits: a faster ComputeSeries must keep it.
    uint64_t hash = 1469598103934665603u;
    for (const std::vector<double>& values : series)
        for (const double v : values) hash = (hash ^ std::bit_cast<uint64_t>(v)) * 1099511628211u;
    std::printf("series hash %016llx\n", static_cast<unsigned long long>(hash));
    // Values to hold against numpy's: body 1 and the system at a few rows.
    for (const std::size_t row : {std::size_t(0), std::size_t(1000), rows - 1})
        std::printf("check row %zu: r %.12g a %.12g e %.12g eps %.12g energy %.12g\n", row, series[0][row],
                    series[1][row], series[2][row], series[3][row],
                    system >= 0 ? series.back()[row] : std::nan(""));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--write") == 0)
        return Write(argv[2], argc > 3 ? std::atof(argv[3]) : 300.0);
    if (argc == 2) return Measure(argv[1], false);
    if (argc == 3 && std::strcmp(argv[1], "--one-by-one") == 0) return Measure(argv[2], true);
    std::fprintf(stderr,
                 "usage: series_bench --write FOLDER [MEGABYTES] | series_bench [--one-by-one] CONFIG\n");
    return 2;
}
