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
//
// With bit 6 of byte 0 set, the file is followed as a plain data table
// instead, by a follower alone, its cells separated by commas (bit 7) or
// blanks, its first line a header (bit 5): the rows taken must be those of
// the whole file's lines up to the first that is not a row, which must stop
// the following, each line read by the rule that reads a table's cells.

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "animation/follow_session.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"
#include "simulation/data_follower.h"
#include "simulation/real_parser.h"

namespace {

/// The table side of the input: see the top of this file.
void FollowTable(uint8_t flags, const uint8_t* lengths, int pieces, std::string_view text) {
    const int bodies = flags & 16 ? 2 : 1;
    TableLayout layout;
    layout.separator = flags & 128 ? TableSeparator::Comma : TableSeparator::Blank;
    layout.cells = 2 * bodies + 1;
    for (int k = 0; k < bodies; ++k) layout.bodies.push_back({1 + 2 * k, 2 + 2 * k, -1});
    layout.headerLine = flags & 32 ? 1 : 0;
    const std::string whole = std::string(text) + "\n";  // the writer ends its last line

    const std::string path = WriteFuzzFile("follow.csv", nullptr, 0);
    DataFollower follower(path, layout, TablePlane::XY);
    std::vector<double> taken;
    DataFollower::Update last;
    for (int i = 0; i <= pieces + 1 && last.kind != DataFollower::Update::Kind::BadText; ++i) {
        std::string_view piece = "\n";  // at last the writer ends its last line
        if (i <= pieces) {
            piece = text.substr(0, i < pieces ? lengths[i] : text.size());
            text.remove_prefix(piece.size());
        }
        AppendToFile(path, piece);
        last = follower.Poll();
        if (last.kind != DataFollower::Update::Kind::Rows &&
            last.kind != DataFollower::Update::Kind::Unchanged &&
            last.kind != DataFollower::Update::Kind::BadText)
            std::abort();
        taken.insert(taken.end(), last.values.begin(), last.values.end());
    }

    // The whole file's lines, read one after the other.
    std::vector<double> expected, cells(std::size_t(layout.cells));
    int64_t badLine = 0, line = 0;
    std::string bad;
    for (std::size_t at = 0, next; badLine == 0 && (next = whole.find('\n', at)) != std::string::npos;
         at = next + 1) {
        if (++line == layout.headerLine) continue;
        std::size_t count = 0;
        const TableLineResult result = ParseTableLine(
            whole.data() + at, whole.data() + next, layout.separator, cells.data(), cells.size(), count, bad);
        if (result == TableLineResult::Blank || result == TableLineResult::Comment) continue;
        if (result == TableLineResult::Cells && count == cells.size())
            expected.insert(expected.end(), cells.begin(), cells.end());
        else
            badLine = line;
    }
    const int64_t rows = int64_t(expected.size() / cells.size());
    if (taken.size() != expected.size() || follower.rowsTaken() != rows) std::abort();
    for (std::size_t i = 0; i < taken.size(); ++i)
        if (!SameValue(taken[i], expected[i])) std::abort();
    const bool stopped = last.kind == DataFollower::Update::Kind::BadText;
    if (stopped != (badLine > 0) || (stopped && (last.badRow != rows || last.tableError.line != badLine)))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int pieces = data[0] & 15;
    const int bodies = data[0] & 16 ? 2 : 1;
    const int lines = data[0] & 32 ? 1000 : 4;
    const std::size_t header = std::min<std::size_t>(size, 1 + std::size_t(pieces));
    std::string_view text(reinterpret_cast<const char*>(data) + header, size - header);
    const std::string_view whole = text;
    if (data[0] & 64) {
        FollowTable(data[0], data + 1, int(header) - 1, text);
        return 0;
    }

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
    FollowSession session(state, plot, host);
    session.start();
    for (int i = 0; i <= pieces; ++i) {
        const std::size_t length = i < pieces && 1 + std::size_t(i) < header ? data[1 + i] : text.size();
        const std::string_view piece = text.substr(0, std::min(length, text.size()));
        text.remove_prefix(piece.size());
        AppendToFile(path, piece);
        // Following takes the load over at once, before the next piece.
        if (i == 0 && !LoadSimulation(state, plot, host, configPath)) return 0;
        session.check();
    }
    // The writer ends its last line: nothing is left pending.
    AppendToFile(path, "\n");
    session.check();

    const std::string ended = std::string(whole) + "\n";
    MemorySource source(ended);
    RealReader reader(source);
    const std::size_t columns = std::size_t(2 * bodies + 1);
    std::vector<double> values(columns * 4096);
    const std::size_t read = reader.Read(values.data(), values.size());
    if (read == values.size()) return 0;  // more rows than this target checks
    const std::size_t rows = read / columns;
    if (std::size_t(state.loaded().fields.lineCount) != rows || (rows > 0 && !state.loaded().rows))
        std::abort();
    for (std::size_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < columns; ++c)
            if (!SameValue(state.loaded().rows->value(int32_t(r), int32_t(c)), values[r * columns + c]))
                std::abort();
    return 0;
}
