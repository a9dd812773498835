// Feeds arbitrary bytes as the data file of a fixed three-body configuration
// of 40 rows, then draws a frame at a few positions.

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/view_steps.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string config = [] {
        const char text[] =
            "data = data.dat\nlines = 40\nplanets = 3\nradii = 1 2 3\ncolours = 1 2 3\nbox = -5 -5 5 5\n"
            "delay = 1\nstep = 2\npoints = 10\nstart = 3\nsun = 4\naxes = 1\nplanets = 1\norbits = 1\n";
        return WriteFuzzFile("fixed.ovx", reinterpret_cast<const uint8_t*>(text), sizeof text - 1);
    }();
    WriteFuzzFile("data.dat", data, size);
    SimulationState state;
    PlotBox plot;
    FuzzHost host;
    InitialiseDefaults(state, plot);
    if (!LoadSimulation(state, plot, host, config)) return 0;
    std::vector<uint32_t> pixels(120 * 90);
    RasterSurface surface(PixelRaster{pixels.data(), 120, 90, 120}, nullptr);
    PaintView(state, plot, surface, 120, 90);
    for (int tick = 0; tick < 5; ++tick) TickView(state, plot, surface);
    return 0;
}
