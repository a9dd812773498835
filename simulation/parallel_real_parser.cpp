#include "parallel_real_parser.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "real_parser.h"
#include "real_scanner.h"

namespace {

constexpr uint64_t kBlockBytes = uint64_t(512) << 10;
/// Bytes read past a block's end for its last token; a longer token makes
/// the rest of the file go the sequential way.
constexpr uint64_t kMarginBytes = 4096;
constexpr std::size_t kSlots = 4;

/// What one worker found in one block: the values of its tokens, and where
/// (if anywhere) a token that is not exactly one number starts.
struct BlockResult {
    std::unique_ptr<double[]> values{new double[kBlockBytes / 2 + 1]};
    std::size_t count = 0;
    bool irregular = false;
    uint64_t irregularOffset = 0;
    bool ready = false;
};

class ParallelParse {
public:
    ParallelParse(int fd, uint64_t fileSize) : fd_(fd), fileSize_(fileSize) {
        blocks_ = (fileSize + kBlockBytes - 1) / kBlockBytes;
    }

    std::size_t Run(ValueSink& sink, std::size_t count);

private:
    void Work();
    void ParseBlock(uint64_t block, std::vector<char>& text, BlockResult& result, std::string& scratch);
    std::size_t ReadAt(uint64_t offset, char* buffer, std::size_t size) const;
    void Stop();

    int fd_;
    uint64_t fileSize_;
    uint64_t blocks_ = 0;
    BlockResult slots_[kSlots];
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t nextBlock_ = 0;  // next block a worker takes
    uint64_t committed_ = 0;  // blocks handed to the output so far
    bool stopping_ = false;
};

std::size_t ParallelParse::ReadAt(uint64_t offset, char* buffer, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, buffer + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += std::size_t(n);
    }
    return done;
}

void ParallelParse::ParseBlock(uint64_t block, std::vector<char>& text, BlockResult& result,
                               std::string& scratch) {
    // The block owns the tokens whose first character lies in [start, end).
    const uint64_t start = block * kBlockBytes;
    const uint64_t end = std::min(start + kBlockBytes, fileSize_);
    const uint64_t readFrom = start == 0 ? 0 : start - 1;
    const uint64_t readTo = std::min(end + kMarginBytes, fileSize_);
    const std::size_t got = ReadAt(readFrom, text.data(), std::size_t(readTo - readFrom));
    const char* const base = text.data();
    const char* const textEnd = base + got;
    const char* const ownEnd = base + std::min<uint64_t>(end - readFrom, got);
    const bool cutShort = readFrom + got < fileSize_;  // a token reaching textEnd may go on
    auto space = [](char c) { return IsScanSpace(static_cast<unsigned char>(c)); };

    const char* p = base + (start - readFrom);
    if (start > 0 && !space(base[0]))
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
            result.irregularOffset = readFrom + uint64_t(p - base);
            return;
        }
        result.values[result.count++] = value;
        p = q;
    }
}

void ParallelParse::Work() {
    std::vector<char> text(kBlockBytes + kMarginBytes + 1);
    std::string scratch;
    for (;;) {
        uint64_t block = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(
                lock, [&] { return stopping_ || nextBlock_ >= blocks_ || nextBlock_ < committed_ + kSlots; });
            if (stopping_ || nextBlock_ >= blocks_) return;
            block = nextBlock_++;
        }
        BlockResult& result = slots_[block % kSlots];
        ParseBlock(block, text, result, scratch);
        {
            std::lock_guard lock(mutex_);
            result.ready = true;
        }
        changed_.notify_all();
    }
}

void ParallelParse::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
}

std::size_t ParallelParse::Run(ValueSink& sink, std::size_t count) {
    const unsigned workers = std::max(2u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned i = 0; i < workers; ++i) threads.emplace_back([this] { Work(); });
    std::size_t stored = 0;
    uint64_t resumeAt = fileSize_;  // where a sequential read must take over
    for (uint64_t block = 0; block < blocks_ && stored < count; ++block) {
        BlockResult& result = slots_[block % kSlots];
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return result.ready; });
        }
        const std::size_t n = std::min(result.count, count - stored);
        sink.Store(stored, result.values.get(), n);
        stored += n;
        if (result.irregular && stored < count) {
            resumeAt = result.irregularOffset;
            break;
        }
        {
            std::lock_guard lock(mutex_);
            result.ready = false;
            ++committed_;
        }
        changed_.notify_all();
    }
    Stop();
    for (std::thread& thread : threads) thread.join();
    if (stored < count && resumeAt < fileSize_ && ::lseek(fd_, off_t(resumeAt), SEEK_SET) >= 0) {
        FdSource rest(fd_);
        RealReader reader(rest);
        stored += ParseRealsInto(reader, sink, stored, count - stored);
    }
    return stored;
}

}  // namespace

std::size_t ParseRealsParallel(int fd, uint64_t fileSize, ValueSink& sink, std::size_t count) {
    ParallelParse parse(fd, fileSize);
    return parse.Run(sink, count);
}
