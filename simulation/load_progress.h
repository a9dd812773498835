#pragma once
#include <atomic>
#include <cstdint>

/// Shared between a load and whoever watches it from another thread: how far
/// the reader has come, and a request to stop.
struct LoadProgress {
    /// Bytes of the data file read so far, in file order, out of fileBytes.
    std::atomic<uint64_t> bytesRead{0};
    std::atomic<uint64_t> fileBytes{0};
    /// Set by the watcher; the reader stops at its next block and the load
    /// ends as a failed one.
    std::atomic<bool> cancelled{false};
};

#include <string>

/// How long a load runs before its progress is shown.
inline constexpr int kProgressDelayMs = 500;

/// "Loading data: 120 of 300 MB", the progress as shown to the user.
std::string ProgressText(const LoadProgress& progress);
