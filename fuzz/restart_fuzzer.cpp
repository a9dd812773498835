// Follows a plain table as the window does while a writer appends to it in
// pieces and now and then starts it again (emptied in place, or replaced by
// a new file under the same name); then checks that, unless the following
// stopped on a line that is not a row, the table shown holds exactly the
// rows a fresh load of the final file gives.
//
// Input: byte 0 holds the number of steps (low four bits) and the plane
// shown (bits 4 and 5); each step is one byte: the piece's length (low six
// bits), a start again before it (bit 6), by replacing the file rather than
// emptying it (bit 7). The rest is the text written, piece after piece,
// whatever the lengths leave being a last piece.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "animation/follow_session.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int steps = std::min<int>(data[0] & 15, int(size) - 1);
    const TablePlane plane = TablePlane((data[0] >> 4) % 3);
    const uint8_t* step = data + 1;
    std::string_view text(reinterpret_cast<const char*>(data) + 1 + steps, size - 1 - std::size_t(steps));
    const auto take = [&](std::size_t length) {
        const std::string_view piece = text.substr(0, length);
        text.remove_prefix(piece.size());
        return piece;
    };

    const std::string first(take(steps > 0 ? step[0] & 63 : text.size()));
    const std::string path =
        WriteFuzzFile("run.csv", reinterpret_cast<const uint8_t*>(first.data()), first.size());
    SimulationState state;
    PlotBox plot;
    FuzzHost host;
    InitialiseDefaults(state, plot);
    state.view.plane = plane;
    state.view.followData = 1;
    if (!LoadFile(state, plot, host, path) || state.loaded().kind != SourceKind::PlainTable) return 0;
    FollowSession session(state, plot, host);
    session.start();
    for (int i = 1; i <= steps; ++i) {
        const uint8_t s = i < steps ? step[i] : 0;
        if (s & 64) {
            if (s & 128) {
                // A new file renamed over the old one, as atomic writers do.
                const std::string fresh = WriteFuzzFile("run.new", nullptr, 0);
                std::filesystem::rename(fresh, path);
            } else {
                std::filesystem::resize_file(path, 0);
            }
            session.check();
        }
        AppendToFile(path, take(i < steps ? s & 63 : text.size()));
        session.check();
    }
    // The writer ends its last line: nothing is left pending.
    AppendToFile(path, "\n");
    session.check();
    if (!session.enabled()) return 0;

    SimulationState fresh;
    PlotBox freshPlot;
    FuzzHost freshHost;
    InitialiseDefaults(fresh, freshPlot);
    fresh.view.plane = plane;
    const int32_t shown = std::max(state.loaded().usableRows(), 0);
    if (!LoadFile(fresh, freshPlot, freshHost, path)) {
        // The file holds no row: nothing is shown either.
        if (shown != 0) std::abort();
        return 0;
    }
    const int32_t rows = fresh.loaded().usableRows();
    if (shown != rows || !state.loaded().rows ||
        state.loaded().rows->columnCount() != fresh.loaded().rows->columnCount())
        std::abort();
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < fresh.loaded().rows->columnCount(); ++c)
            if (!SameValue(state.loaded().rows->value(r, c), fresh.loaded().rows->value(r, c))) std::abort();
    return 0;
}
