#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "simulation/available_memory.h"

namespace {

TEST(AvailableMemory, IsWhatTheKernelCallsAvailablePlusFreeSwap) {
    EXPECT_EQ(AvailableMemoryOf("MemTotal:       24683744 kB\nMemFree:        22285536 kB\n"
                                "MemAvailable:   24144760 kB\nSwapTotal: 0 kB\nSwapFree:  1024 kB\n"),
              (uint64_t(24144760) + 1024) * 1024);
    EXPECT_EQ(AvailableMemoryOf("MemAvailable: 5 kB\n"), uint64_t(5) * 1024);
    // Kernels before 3.14 do not say; nothing is refused then.
    EXPECT_EQ(AvailableMemoryOf("MemTotal: 100 kB\nMemFree: 50 kB\n"), std::nullopt);
    EXPECT_EQ(AvailableMemoryOf("MemAvailable: 99999999999999999999 kB\n"), std::nullopt);
}

}  // namespace
