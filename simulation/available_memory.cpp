#include "available_memory.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

/// The value in kB of the line `name` ("MemAvailable:"), as bytes.
std::optional<uint64_t> FieldBytes(std::string_view text, std::string_view name) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.substr(0, name.size()) != name) continue;
        uint64_t kib = 0;
        bool digits = false;
        for (const char c : line.substr(name.size())) {
            if (c >= '0' && c <= '9') {
                if (kib > (UINT64_MAX >> 10) / 10) return std::nullopt;
                kib = kib * 10 + uint64_t(c - '0');
                digits = true;
            } else if (digits) {
                break;
            }
        }
        if (!digits) return std::nullopt;
        return kib << 10;
    }
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> AvailableMemoryOf(std::string_view meminfo) {
    const std::optional<uint64_t> available = FieldBytes(meminfo, "MemAvailable:");
    if (!available) return std::nullopt;
    return *available + FieldBytes(meminfo, "SwapFree:").value_or(0);
}

std::optional<uint64_t> AvailableMemory() {
    std::FILE* in = std::fopen("/proc/meminfo", "r");
    if (!in) return std::nullopt;
    std::string text(8192, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in));
    std::fclose(in);
    return AvailableMemoryOf(text);
}
