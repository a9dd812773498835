// Splits the input at the first "\n@@\n" into a configuration and a data
// file, loads them as File > New Simulation does, paints one frame framed or
// full-window and runs a few ticks.

#include <algorithm>
#include <string_view>
#include <vector>

#include "animation/animation_commands.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/view_steps.h"
#include "fuzz_support.h"
#include "plot/plot_box.h"
#include "plot/raster_surface.h"
#include "publication/view_paint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find("\n@@\n");
    const std::string_view config = input.substr(0, split);
    const std::string_view rows =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 4);
    const std::string path =
        WriteFuzzFile("load.ovx", reinterpret_cast<const uint8_t*>(config.data()), config.size());
    // The configuration may name any data file; the usual names all hold the data part.
    for (const char* name : {"load.dat", "data.dat", "orbit.dat", "d.dat"})
        WriteFuzzFile(name, reinterpret_cast<const uint8_t*>(rows.data()), rows.size());

    SimulationState state;
    PlotBox plot;
    FuzzHost host;
    InitialiseDefaults(state, plot);
    if (size % 2) ToggleFullWindow(state, plot);
    LoadSimulation(state, plot, host, path);
    std::vector<uint32_t> pixels(160 * 120);
    RasterSurface surface(PixelRaster{pixels.data(), 160, 120, 160}, nullptr);
    PaintView(state, plot, surface, 160, 120);
    state.playback.stopRequested = 0;
    for (int tick = 0; tick < 6; ++tick)
        if (TickView(state, plot, surface).stop) break;
    return 0;
}
