#include "parallel_real_parser.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "load_progress.h"
#include "real_parser.h"
#include "real_scanner.h"

namespace {

constexpr uint64_t kBlockBytes = kParallelBlockBytes;
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

class ParallelParse {
public:
    ParallelParse(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count, LoadProgress* progress,
                  bool lastRunPending)
        : fd_(fd),
          fileSize_(fileSize),
          sink_(sink),
          count_(count),
          progress_(progress),
          lastRunPending_(lastRunPending) {
        blocks_ = (fileSize + kBlockBytes - 1) / kBlockBytes;
    }

    /// Parses on all cores; returns the values stored and, through
    /// `resumeAt`, where a sequential read must take over (the file's size
    /// when none must).
    std::size_t Run(uint64_t& resumeAt);

private:
    void Work();
    void ParseBlock(uint64_t block, char* text, double* values, BlockResult& result,
                    std::string& scratch) const;
    bool Cancelled() const { return progress_ && progress_->cancelled.load(std::memory_order_relaxed); }

    int fd_;
    uint64_t fileSize_;
    ValueSink& sink_;
    std::size_t count_;
    LoadProgress* progress_;
    bool lastRunPending_;
    uint64_t blocks_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t nextBlock_ = 0;    // next block a worker takes
    uint64_t placedBlock_ = 0;  // the block whose first value's index is known
    std::size_t placedAt_ = 0;  // that index
    bool stopping_ = false;     // no block from placedBlock_ on is stored
    uint64_t resumeAt_ = 0;
};

void ParallelParse::ParseBlock(uint64_t block, char* text, double* values, BlockResult& result,
                               std::string& scratch) const {
    // The block owns the tokens whose first character lies in [start, end).
    // Its text is read with the character before it (which tells whether
    // the block starts inside a token) and a margin after it: copying 1 MiB
    // into a buffer that stays in the cache parses faster than reading a
    // mapping of the file, and leaves nothing of the file in memory.
    const uint64_t start = block * kBlockBytes;
    const uint64_t end = std::min(start + kBlockBytes, fileSize_);
    const uint64_t limit = std::min(end + kMarginBytes, fileSize_);
    const uint64_t from = start > 0 ? start - 1 : 0;
    result.count = 0;
    result.irregular = false;
    result.firstOffset = end;
    if (!ReadFileRange(fd_, from, limit, text)) {
        // The sequential read takes over here and meets the same failure.
        result.irregular = true;
        result.irregularOffset = start;
        return;
    }
    const char* const textEnd = text + (limit - from);
    const char* const ownEnd = text + (end - from);
    const bool cutShort = limit < fileSize_;  // a token reaching textEnd may go on
    auto space = [](char c) { return IsScanSpace(static_cast<unsigned char>(c)); };

    const char* p = text + (start - from);
    if (start > 0 && !space(text[0]))
        while (p < ownEnd && !space(*p)) ++p;  // the previous block's token
    for (;;) {
        while (p < ownEnd && space(*p)) ++p;
        if (p >= ownEnd) return;
        if (result.count == 0) result.firstOffset = from + uint64_t(p - text);
        double value = 0;
        const char* q = ParseRealAt(p, textEnd, value, scratch);
        // Regular: exactly one number, ending at white space or the file's
        // end (unless what ends the file is pending).
        if (!q || (q < textEnd ? !space(*q) : cutShort || lastRunPending_)) {
            result.irregular = true;
            result.irregularOffset = from + uint64_t(p - text);
            return;
        }
        values[result.count++] = value;
        p = q;
    }
}

void ParallelParse::Work() {
    std::unique_ptr<char[]> text(new char[kBlockBytes + kMarginBytes + 1]);
    std::unique_ptr<double[]> values(new double[kBlockBytes / 2 + 1]);
    std::string scratch;
    BlockResult result;
    for (;;) {
        uint64_t block = 0;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || nextBlock_ >= blocks_ || Cancelled()) return;
            block = nextBlock_++;
        }
        ParseBlock(block, text.get(), values.get(), result, scratch);
        const uint64_t blockEnd = std::min((block + 1) * kBlockBytes, fileSize_);
        // Blocks are placed in file order: the block's first value follows
        // the previous block's last. Storing happens outside the lock, so
        // the threads fill the table (and fault its pages in) together.
        std::size_t first = 0, n = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || placedBlock_ == block; });
            if (stopping_) return;
            first = placedAt_;
            n = result.count;
            placedBlock_ = block + 1;
            if (first + n >= count_) {
                // The last value wanted lies in this block: a sequential read
                // takes them from its first token, and so knows where they end.
                n = 0;
                stopping_ = true;
                resumeAt_ = result.firstOffset;
            } else if (Cancelled()) {
                stopping_ = true;
            } else if (result.irregular) {
                stopping_ = true;
                resumeAt_ = result.irregularOffset;
            }
            placedAt_ = first + n;
            if (progress_) progress_->bytesRead.store(blockEnd, std::memory_order_relaxed);
        }
        changed_.notify_all();
        sink_.Store(first, values.get(), n);
    }
}

std::size_t ParallelParse::Run(uint64_t& resumeAt) {
    resumeAt_ = fileSize_;
    const unsigned workers = std::max(2u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; ++i) threads.emplace_back([this] { Work(); });
    Work();
    for (std::thread& thread : threads) thread.join();
    resumeAt = resumeAt_;
    return placedAt_;
}

}  // namespace

std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count,
                               LoadProgress* progress, bool lastRunPending, uint64_t* endByte) {
    if (progress) progress->fileBytes.store(fileSize, std::memory_order_relaxed);
    ParallelParse parse(fd, fileSize, sink, count, progress, lastRunPending);
    uint64_t resumeAt = 0;
    std::size_t stored = parse.Run(resumeAt);
    if (endByte) *endByte = resumeAt;
    if (progress && progress->cancelled.load()) return stored;
    if (stored < count && resumeAt < fileSize && ::lseek(fd, off_t(resumeAt), SEEK_SET) >= 0) {
        FdSource rest(fd);
        RealReader reader(rest, lastRunPending);
        stored += ParseRealsInto(reader, sink, stored, count - stored);
        if (endByte) *endByte = resumeAt + reader.offset();
    }
    if (progress) progress->bytesRead.store(fileSize);
    return stored;
}

/// Reads [from, to) of the file into `text`; false when it cannot all be read.
bool ReadFileRange(int fd, uint64_t from, uint64_t to, char* text) {
    while (from < to) {
        const ssize_t n = ::pread(fd, text, std::size_t(to - from), off_t(from));
        if (n <= 0) return false;
        from += uint64_t(n);
        text += n;
    }
    return true;
}
