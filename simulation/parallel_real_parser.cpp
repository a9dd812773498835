#include "parallel_real_parser.h"

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>

#include "load_progress.h"
#include "real_parser.h"
#include "real_scanner.h"

namespace {

/// Longest token taken in a block; a longer one makes the rest of the file
/// go the sequential way, which decides what such a run of characters is.
constexpr uint64_t kMarginBytes = 4096;

/// What one block holds: the values of its tokens, and where (if anywhere) a
/// token that is not exactly one number starts.
struct BlockResult {
    std::size_t count = 0;
    uint64_t firstOffset = 0;  ///< where the block's first token starts
    bool irregular = false;
    uint64_t irregularOffset = 0;
};

/// What the blocks of one read share; `placedAt` and `resumeAt` change only
/// as blocks are placed, one at a time.
struct RealRead {
    int fd;
    FileBlocks blocks;
    ValueSink& sink;
    std::size_t count;
    bool lastRunPending;
    std::size_t placedAt = 0;  ///< values in the blocks placed
    uint64_t resumeAt = 0;     ///< where a sequential read must take over; the file's size when none must
};

class RealBlockWorker final : public BlockWorker {
public:
    explicit RealBlockWorker(RealRead& read)
        : read_(read),
          text_(new char[kParallelBlockBytes + kMarginBytes + 1]),
          values_(new double[kParallelBlockBytes / 2 + 1]) {}

    void Parse(uint64_t block) override { result_ = ParseBlock(block); }
    bool Place(uint64_t block) override;
    void Store() override { read_.sink.Store(first_, values_.get(), stored_); }

private:
    /// The block's values go to values_; the rest is returned, kept in
    /// locals while the block is parsed.
    BlockResult ParseBlock(uint64_t block);

    RealRead& read_;
    std::unique_ptr<char[]> text_;
    std::unique_ptr<double[]> values_;
    std::string scratch_;
    BlockResult result_;
    std::size_t first_ = 0;   // index of the placed block's first value
    std::size_t stored_ = 0;  // its values stored
};

BlockResult RealBlockWorker::ParseBlock(uint64_t block) {
    // The block owns the tokens whose first character lies in [start, end).
    // Its text is read with the character before it (which tells whether
    // the block starts inside a token) and a margin after it: copying 1 MiB
    // into a buffer that stays in the cache parses faster than reading a
    // mapping of the file, and leaves nothing of the file in memory.
    const uint64_t fileSize = read_.blocks.fileSize;
    const uint64_t start = read_.blocks.start(block);
    const uint64_t end = read_.blocks.end(block);
    const uint64_t limit = std::min(end + kMarginBytes, fileSize);
    const uint64_t from = start > 0 ? start - 1 : 0;
    char* const text = text_.get();
    double* const values = values_.get();
    const bool lastRunPending = read_.lastRunPending;
    BlockResult result;
    result.firstOffset = end;
    if (!ReadFileRange(read_.fd, from, limit, text)) {
        // The sequential read takes over here and meets the same failure.
        result.irregular = true;
        result.irregularOffset = start;
        return result;
    }
    const char* const textEnd = text + (limit - from);
    const char* const ownEnd = text + (end - from);
    const bool cutShort = limit < fileSize;  // a token reaching textEnd may go on
    auto space = [](char c) { return IsScanSpace(static_cast<unsigned char>(c)); };

    const char* p = text + (start - from);
    if (start > 0 && !space(text[0]))
        while (p < ownEnd && !space(*p)) ++p;  // the previous block's token
    for (;;) {
        while (p < ownEnd && space(*p)) ++p;
        if (p >= ownEnd) return result;
        if (result.count == 0) result.firstOffset = from + uint64_t(p - text);
        double value = 0;
        const char* q = ParseRealAt(p, textEnd, value, scratch_);
        // Regular: exactly one number, ending at white space or the file's
        // end (unless what ends the file is pending).
        if (!q || (q < textEnd ? !space(*q) : cutShort || lastRunPending)) {
            result.irregular = true;
            result.irregularOffset = from + uint64_t(p - text);
            return result;
        }
        values[result.count++] = value;
        p = q;
    }
}

bool RealBlockWorker::Place(uint64_t) {
    // The block's first value follows the previous block's last.
    first_ = read_.placedAt;
    stored_ = result_.count;
    bool goOn = true;
    if (first_ + stored_ >= read_.count) {
        // The last value wanted lies in this block: a sequential read takes
        // them from its first token, and so knows where they end.
        stored_ = 0;
        goOn = false;
        read_.resumeAt = result_.firstOffset;
    } else if (result_.irregular) {
        goOn = false;
        read_.resumeAt = result_.irregularOffset;
    }
    read_.placedAt = first_ + stored_;
    return goOn;
}

}  // namespace

std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count,
                               LoadProgress* progress, bool lastRunPending, uint64_t* endByte) {
    RealRead read{.fd = fd,
                  .blocks = {.fileSize = fileSize},
                  .sink = sink,
                  .count = count,
                  .lastRunPending = lastRunPending,
                  .resumeAt = fileSize};
    const bool cancelled = RunBlockPipeline(read.blocks, read.blocks.workers(), progress,
                                            [&] { return std::make_unique<RealBlockWorker>(read); });
    std::size_t stored = read.placedAt;
    const uint64_t resumeAt = read.resumeAt;
    if (endByte) *endByte = resumeAt;
    if (cancelled) return stored;
    if (stored < count && resumeAt < fileSize && ::lseek(fd, off_t(resumeAt), SEEK_SET) >= 0) {
        FdSource rest(fd);
        RealReader reader(rest, lastRunPending);
        stored += ParseRealsInto(reader, sink, stored, count - stored);
        if (endByte) *endByte = resumeAt + reader.offset();
    }
    if (progress) progress->bytesRead.store(fileSize);
    return stored;
}
