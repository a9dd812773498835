#include "block_pipeline.h"

#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "base/parallel_for.h"
#include "load_progress.h"

unsigned FileBlocks::workers() const { return WorkerCount(count(), 1); }

namespace {

class BlockPipeline {
public:
    BlockPipeline(const FileBlocks& blocks, LoadProgress* progress) : blocks_(blocks), progress_(progress) {}

    void Work(BlockWorker& worker);
    bool Cancelled() const { return progress_ && progress_->cancelled.load(std::memory_order_relaxed); }

private:
    const FileBlocks& blocks_;
    LoadProgress* progress_;
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t nextBlock_ = 0;    // next block a worker takes
    uint64_t placedBlock_ = 0;  // the next block to place
    bool stopping_ = false;     // no block from placedBlock_ on is placed
};

void BlockPipeline::Work(BlockWorker& worker) {
    const uint64_t count = blocks_.count();
    for (;;) {
        uint64_t block = 0;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || nextBlock_ >= count || Cancelled()) return;
            block = nextBlock_++;
        }
        worker.Parse(block);
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || placedBlock_ == block; });
            if (stopping_) return;
            if (!worker.Place(block) || Cancelled()) stopping_ = true;
            placedBlock_ = block + 1;
            if (progress_) progress_->bytesRead.store(blocks_.end(block), std::memory_order_relaxed);
        }
        changed_.notify_all();
        // Outside the lock, so that the threads fill the table (and fault
        // its pages in) together.
        worker.Store();
    }
}

}  // namespace

bool RunBlockPipeline(const FileBlocks& blocks, unsigned workers, LoadProgress* progress,
                      const std::function<std::unique_ptr<BlockWorker>()>& makeWorker) {
    if (progress) progress->fileBytes.store(blocks.fileSize, std::memory_order_relaxed);
    BlockPipeline pipeline(blocks, progress);
    RunOnThreads(std::max(workers, 1u), [&] {
        const std::unique_ptr<BlockWorker> worker = makeWorker();
        pipeline.Work(*worker);
    });
    return pipeline.Cancelled();
}

bool ReadFileRange(int fd, uint64_t from, uint64_t to, char* text) {
    while (from < to) {
        const ssize_t n = ::pread(fd, text, std::size_t(to - from), off_t(from));
        if (n <= 0) return false;
        from += uint64_t(n);
        text += n;
    }
    return true;
}
