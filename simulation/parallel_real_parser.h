#pragma once
#include <cstddef>
#include <cstdint>

#include "block_pipeline.h"

class ValueSink;
struct LoadProgress;

/// Reads up to `count` reals from the regular file `fd` (of `fileSize`
/// bytes) into `sink` with the same values and the same stopping point as
/// ParseReals. The file's blocks are read and parsed on several threads,
/// each thread reading a block at a time into its own buffer (so no more of
/// the text than that is ever in memory) and storing its block's values into `sink`
/// itself (so Store is called from several threads at once, for disjoint
/// ranges). From the first token that is not exactly one number (text,
/// numbers run together) the rest is read sequentially, so the first
/// incomplete row is found exactly where a sequential read finds it, and
/// nothing after the values read is written. With `progress`, the bytes
/// read are published as blocks complete, and a cancel request stops the
/// read early (the count and end byte returned are then meaningless).
/// `lastRunPending` is RealReader's; `endByte`, when given, receives
/// RealReader::offset() of the read.
std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count,
                               LoadProgress* progress = nullptr, bool lastRunPending = false,
                               uint64_t* endByte = nullptr);
