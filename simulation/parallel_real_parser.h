#pragma once
#include <cstddef>
#include <cstdint>

/// Files from this size on are parsed on all cores.
inline constexpr uint64_t kParallelParseMinBytes = uint64_t(8) << 20;

class ValueSink;

/// Reads up to `count` reals from the regular file `fd` (of `fileSize`
/// bytes) into `sink` with the same values and the same stopping point as
/// ParseReals, parsing blocks of the file on several threads. Blocks are
/// committed in file order; from the first token that is not exactly one
/// number (text, numbers run together) the rest is read sequentially, so the
/// first incomplete row is found exactly where a sequential read finds it,
/// and nothing after the values read is written.
std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count);
