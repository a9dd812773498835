// Feeds arbitrary bytes as the data file of a fixed three-body configuration
// of 40 rows, then draws a frame at a few positions; and the same bytes as
// a table opened on its own, which a table of one line per body and time
// must read alike in blocks of any size and whole.

#include <cstdlib>
#include <string_view>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "animation/view_steps.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"
#include "publication/view_paint.h"
#include "simulation/table_long_format.h"

namespace {

void Play(SimulationState& state, PlotBox& plot) {
    std::vector<uint32_t> pixels(120 * 90);
    RasterSurface surface(PixelRaster{pixels.data(), 120, 90, 120}, nullptr);
    PaintView(state, plot, surface, 120, 90);
    for (int tick = 0; tick < 5; ++tick) TickView(state, plot, surface);
}

/// Reads `text` as a table of one line per body and time in blocks of
/// `block` bytes, and stops the run where that differs from a whole read.
void ReadInBlocksAsWhole(std::string_view text, std::size_t block) {
    TableLayout layout;
    TableError error;
    if (!DetectTableLayout(text, true, layout, error) || layout.bodyColumn < 0) return;
    const LongTableRows whole = ReadLongTable(text, layout, TablePlane::XZ);
    LongTableReader reader(layout, TablePlane::XZ);
    for (std::size_t at = 0; at < text.size(); at += block)
        if (!reader.Feed(text.substr(at, block))) break;
    const LongTableRows read = reader.Finish();
    bool same = read.failed == whole.failed && read.error.message == whole.error.message &&
                read.rows == whole.rows && read.bodies == whole.bodies && read.names == whole.names &&
                read.cutLine == whole.cutLine && read.values.size() == whole.values.size() &&
                read.depths.size() == whole.depths.size();
    for (std::size_t k = 0; same && k < read.values.size(); ++k)
        same = SameValue(read.values[k], whole.values[k]);
    for (std::size_t k = 0; same && k < read.depths.size(); ++k)
        same = SameValue(read.depths[k], whole.depths[k]);
    if (!same) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string config = [] {
        const char text[] =
            "data = data.dat\nlines = 40\nplanets = 3\nradii = 1 2 3\ncolours = 1 2 3\nbox = -5 -5 5 5\n"
            "delay = 1\nstep = 2\npoints = 10\nstart = 3\nsun = 4\naxes = 1\nplanets = 1\norbits = 1\n";
        return WriteFuzzFile("fixed.ovx", reinterpret_cast<const uint8_t*>(text), sizeof text - 1);
    }();
    WriteFuzzFile("data.dat", data, size);
    FuzzHost host;
    {
        SimulationState state;
        PlotBox plot;
        InitialiseDefaults(state, plot);
        if (LoadSimulation(state, plot, host, config)) Play(state, plot);
    }
    const std::string table = WriteFuzzFile("table.csv", data, size);
    {
        SimulationState state;
        PlotBox plot;
        InitialiseDefaults(state, plot);
        if (LoadFile(state, plot, host, table)) Play(state, plot);
    }
    ReadInBlocksAsWhole(std::string_view(reinterpret_cast<const char*>(data), size), 1 + size % 13);
    return 0;
}
