#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

/// Files from this size on are parsed on all cores.
inline constexpr uint64_t kParallelParseMinBytes = uint64_t(8) << 20;

/// Bytes of the blocks the file is cut into, each parsed by one thread.
inline constexpr uint64_t kParallelBlockBytes = uint64_t(1) << 20;

struct LoadProgress;

/// How a file is cut into blocks: block b holds the bytes [start(b), end(b)).
struct FileBlocks {
    uint64_t fileSize = 0;
    uint64_t blockBytes = kParallelBlockBytes;

    uint64_t count() const { return (fileSize + blockBytes - 1) / blockBytes; }
    uint64_t start(uint64_t block) const { return block * blockBytes; }
    uint64_t end(uint64_t block) const { return std::min(start(block) + blockBytes, fileSize); }
    /// Threads worth running: one a block, at most one a processor.
    unsigned workers() const;
};

/// One thread's part in a block pipeline: what a reader does with a block,
/// and the buffers it does it in, reused from block to block.
class BlockWorker {
public:
    virtual ~BlockWorker() = default;
    /// Parses `block` into this worker's buffers, alongside other workers'
    /// parsing and storing.
    virtual void Parse(uint64_t block) = 0;
    /// Places the block just parsed after those before it (its first value,
    /// row or line follows their last), once they are all placed: calls come
    /// one at a time, in file order. False ends the read with this block,
    /// which is still stored.
    virtual bool Place(uint64_t block) = 0;
    /// Stores the block just placed, alongside other workers' parsing and
    /// storing.
    virtual void Store() = 0;
};

/// Reads the blocks of a file on `workers` threads, this one among them,
/// each with its own worker from `makeWorker` (made on that thread): each
/// thread takes the next block no thread has taken, parses it, waits for
/// its turn to place it, and stores it; the threads end once a block ends
/// the read or none is left. So a block's results go where a sequential
/// read puts them, and nothing after the first block that ends the read is
/// placed, whatever the threads. With `progress`, the file's size goes to
/// fileBytes and the end of each block placed to bytesRead, and a cancel
/// ends the read with the block being placed. Returns whether a cancel was
/// asked by the end.
bool RunBlockPipeline(const FileBlocks& blocks, unsigned workers, LoadProgress* progress,
                      const std::function<std::unique_ptr<BlockWorker>()>& makeWorker);

/// Reads [from, to) of the file into `text` with positioned reads (the
/// file offset is left alone, so blocks can be read from several threads);
/// false when it cannot all be read.
bool ReadFileRange(int fd, uint64_t from, uint64_t to, char* text);
