// Feeds arbitrary bytes to the configuration reader.

#include <cstdio>

#include "animation/simulation_state.h"
#include "fuzz_support.h"
#include "simulation/configuration_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    SimulationState state;
    FuzzHost host;
    std::FILE* file = size ? ::fmemopen(const_cast<uint8_t*>(data), size, "r") : std::fopen("/dev/null", "r");
    if (!file) return 0;
    ReadConfigurationFrom(file, state.loaded().fields, host);
    ResolveBodyColours(state.loaded());
    std::fclose(file);
    // Whatever was read, the colours stay within their slots.
    for (int64_t k = int64_t(state.loaded().fields.bodyCount) + 1;
         k < kBodySlots && state.loaded().fields.bodyCount >= 0; ++k)
        if (state.loaded().bodyColour[std::size_t(k)] != 0) __builtin_trap();
    return 0;
}
