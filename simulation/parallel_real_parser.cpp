#include "parallel_real_parser.h"

#include <sys/mman.h>
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
constexpr uint64_t kPageBytes = 4096;
/// The text is given back in whole units of this size: the page cache may
/// hold a file in folios of up to this size, mapped whole.
constexpr uint64_t kReleaseBytes = uint64_t(2) << 20;

/// What one block holds: the values of its tokens, and where (if anywhere) a
/// token that is not exactly one number starts.
struct BlockResult {
    std::size_t count = 0;
    bool irregular = false;
    uint64_t irregularOffset = 0;
};

/// The file's text, mapped read-only for the parse's life.
class MappedText {
public:
    MappedText(int fd, uint64_t size) : fd_(fd), size_(size) {
        void* map = size ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
        if (map != MAP_FAILED) text_ = static_cast<const char*>(map);
    }
    ~MappedText() {
        if (text_) ::munmap(const_cast<char*>(text_), size_);
    }
    const char* text() const { return text_; }
    /// The byte at `offset`, read from the file rather than the mapping: the
    /// page holding it may have been given back, and touching it would map
    /// its whole folio again for the rest of the parse.
    char ByteAt(uint64_t offset) const {
        char c = 0;
        return ::pread(fd_, &c, 1, off_t(offset)) == 1 ? c : text_[offset];
    }
    /// Gives back the pages of [from, to), `to` rounded up to a page: the
    /// page cache keeps them, but they no longer count in the process's
    /// resident memory.
    void Release(uint64_t from, uint64_t to) const {
        to = (to + kPageBytes - 1) / kPageBytes * kPageBytes;
        if (to > from) ::madvise(const_cast<char*>(text_) + from, to - from, MADV_DONTNEED);
    }

private:
    int fd_;
    const char* text_ = nullptr;
    uint64_t size_;
};

class ParallelParse {
public:
    ParallelParse(const MappedText& map, uint64_t fileSize, ValueSink& sink, std::size_t count,
                  LoadProgress* progress)
        : map_(map), fileSize_(fileSize), sink_(sink), count_(count), progress_(progress) {
        blocks_ = (fileSize + kBlockBytes - 1) / kBlockBytes;
    }

    /// Parses on all cores; returns the values stored and, through
    /// `resumeAt`, where a sequential read must take over (the file's size
    /// when none must).
    std::size_t Run(uint64_t& resumeAt);

private:
    void Work();
    void ParseBlock(uint64_t block, double* values, BlockResult& result, std::string& scratch) const;
    bool Cancelled() const { return progress_ && progress_->cancelled.load(std::memory_order_relaxed); }

    const MappedText& map_;
    uint64_t fileSize_;
    ValueSink& sink_;
    std::size_t count_;
    LoadProgress* progress_;
    uint64_t blocks_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t nextBlock_ = 0;    // next block a worker takes
    uint64_t placedBlock_ = 0;  // the block whose first value's index is known
    std::size_t placedAt_ = 0;  // that index
    bool stopping_ = false;     // no block from placedBlock_ on is stored
    uint64_t resumeAt_ = 0;
    uint64_t releasedTo_ = 0;   // the text before this has been given back
};

void ParallelParse::ParseBlock(uint64_t block, double* values, BlockResult& result,
                               std::string& scratch) const {
    // The block owns the tokens whose first character lies in [start, end).
    const char* const base = map_.text();
    const uint64_t start = block * kBlockBytes;
    const uint64_t end = std::min(start + kBlockBytes, fileSize_);
    const uint64_t limit = std::min(end + kMarginBytes, fileSize_);
    const char* const textEnd = base + limit;
    const char* const ownEnd = base + end;
    const bool cutShort = limit < fileSize_;  // a token reaching textEnd may go on
    auto space = [](char c) { return IsScanSpace(static_cast<unsigned char>(c)); };

    const char* p = base + start;
    if (start > 0 && !space(map_.ByteAt(start - 1)))
        while (p < ownEnd && !space(*p)) ++p;  // the previous block's token
    result.count = 0;
    result.irregular = false;
    for (;;) {
        while (p < ownEnd && space(*p)) ++p;
        if (p >= ownEnd) return;
        double value = 0;
        const char* q = ParseRealAt(p, textEnd, value, scratch);
        // Regular: exactly one number, ending at white space or the file's end.
        if (!q || (q < textEnd ? !space(*q) : cutShort)) {
            result.irregular = true;
            result.irregularOffset = uint64_t(p - base);
            return;
        }
        values[result.count++] = value;
        p = q;
    }
}

void ParallelParse::Work() {
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
        ParseBlock(block, values.get(), result, scratch);
        const uint64_t blockStart = block * kBlockBytes;
        const uint64_t blockEnd = std::min(blockStart + kBlockBytes, fileSize_);
        // Blocks are placed in file order: the block's first value follows
        // the previous block's last. Storing happens outside the lock, so
        // the threads fill the table (and fault its pages in) together.
        std::size_t first = 0, n = 0;
        uint64_t releaseFrom = 0, releaseTo = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || placedBlock_ == block; });
            if (stopping_) return;
            first = placedAt_;
            n = std::min(result.count, count_ - first);
            placedAt_ = first + n;
            placedBlock_ = block + 1;
            if (placedAt_ == count_ || Cancelled()) {
                stopping_ = true;
            } else if (result.irregular) {
                stopping_ = true;
                resumeAt_ = result.irregularOffset;
            }
            if (progress_) progress_->bytesRead.store(blockEnd, std::memory_order_relaxed);
            releaseFrom = releasedTo_;
            releasedTo_ = blockEnd == fileSize_ ? fileSize_ : blockEnd / kReleaseBytes * kReleaseBytes;
            releaseTo = releasedTo_;
        }
        changed_.notify_all();
        // The text is given back in file order, up to this block's end: the
        // end of each block's parse reads into the next block, and pages
        // mapped by that read must go when the next block goes, not stay.
        map_.Release(releaseFrom, releaseTo);
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
    resumeAt = placedAt_ < count_ ? resumeAt_ : fileSize_;
    return placedAt_;
}

}  // namespace

std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count,
                               LoadProgress* progress) {
    if (progress) progress->fileBytes.store(fileSize, std::memory_order_relaxed);
    const MappedText map(fd, fileSize);
    std::size_t stored = 0;
    uint64_t resumeAt = 0;  // the whole file goes the sequential way when it cannot be mapped
    if (map.text()) {
        ParallelParse parse(map, fileSize, sink, count, progress);
        stored = parse.Run(resumeAt);
    }
    if (progress && progress->cancelled.load()) return stored;
    if (stored < count && resumeAt < fileSize && ::lseek(fd, off_t(resumeAt), SEEK_SET) >= 0) {
        FdSource rest(fd);
        RealReader reader(rest);
        stored += ParseRealsInto(reader, sink, stored, count - stored);
    }
    if (progress) progress->bytesRead.store(fileSize);
    return stored;
}
