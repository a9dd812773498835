#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

/// Bytes of memory a new allocation can still be given without pushing the
/// system out of memory, from the text of /proc/meminfo: what the kernel
/// reports as available plus free swap. Nothing when the text does not say.
std::optional<uint64_t> AvailableMemoryOf(std::string_view meminfo);

/// AvailableMemoryOf this system's /proc/meminfo, read now.
std::optional<uint64_t> AvailableMemory();
