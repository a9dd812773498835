// Writes the input's data part as a writer would, in pieces whose lengths
// the input gives, loading it after the first piece and following it after
// every other; then checks that the rows in the table are exactly those a
// single read of the whole file gives.
//
// Input: byte 0 holds the number of pieces (low four bits), whether two
// bodies are used (bit 4) and whether the configuration asks for more rows
// than the first piece holds (bit 5, so that the load meets its end); the
// next bytes are the pieces' lengths, one byte each; the rest is the data
// file, whatever of it the lengths leave being a last piece.

#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "animation/follow_session.h"
#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"
#include "simulation/real_parser.h"
#include "simulation/simulation_state.h"

namespace {

void Append(const std::string& path, std::string_view piece) {
    std::FILE* out = std::fopen(path.c_str(), "ab");
    if (!out) std::abort();
    if (!piece.empty()) std::fwrite(piece.data(), 1, piece.size(), out);
    std::fclose(out);
}

/// Whether two values read are the same, a NaN being the same as any NaN.
bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int pieces = data[0] & 15;
    const int bodies = data[0] & 16 ? 2 : 1;
    const int lines = data[0] & 32 ? 1000 : 4;
    const std::size_t header = std::min<std::size_t>(size, 1 + std::size_t(pieces));
    std::string_view text(reinterpret_cast<const char*>(data) + header, size - header);
    const std::string_view whole = text;

    const std::string config = "data = follow.dat\nlines = " + std::to_string(lines) +
                               "\nplanets = " + std::to_string(bodies) +
                               "\nradii = 1 1\ncolours = 1 2\nbox = -5 -5 5 5\ndelay = 1\nstep = 1\n"
                               "points = 2\nstart = 0\nsun = 1\naxes = 0\nplanets = 1\norbits = 1\n";
    const std::string configPath =
        WriteFuzzFile("follow.ovx", reinterpret_cast<const uint8_t*>(config.data()), config.size());
    const std::string path = WriteFuzzFile("follow.dat", nullptr, 0);

    SimulationState state;
    PlotBox plot;
    FuzzHost host;
    InitialiseDefaults(state, plot);
    FollowSession session(state, host);
    session.start();
    for (int i = 0; i <= pieces; ++i) {
        const std::size_t length = i < pieces && 1 + std::size_t(i) < header ? data[1 + i] : text.size();
        const std::string_view piece = text.substr(0, std::min(length, text.size()));
        text.remove_prefix(piece.size());
        Append(path, piece);
        // Following takes the load over at once, before the next piece.
        if (i == 0 && !LoadSimulation(state, plot, host, configPath)) return 0;
        session.check();
    }
    // The writer ends its last line: nothing is left pending.
    Append(path, "\n");
    session.check();

    const std::string ended = std::string(whole) + "\n";
    MemorySource source(ended);
    RealReader reader(source);
    const std::size_t columns = std::size_t(2 * bodies + 1);
    std::vector<double> values(columns * 4096);
    const std::size_t read = reader.Read(values.data(), values.size());
    if (read == values.size()) return 0;  // more rows than this target checks
    const std::size_t rows = read / columns;
    if (std::size_t(state.lineCount) != rows || (rows > 0 && !state.rows)) std::abort();
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c)
            if (!Same(state.rows->value(int32_t(r), int32_t(c)), values[r * columns + c])) std::abort();
    return 0;
}
