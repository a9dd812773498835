// The block pipeline with a trivial parse: its order, progress, stops and cancel.

#include "simulation/block_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "simulation/load_progress.h"

namespace {

struct Case {
    const char* name;
    uint64_t fileSize;
    unsigned workers;
    uint64_t endAt, cancelAt;  // Place ends the read, or asks for a cancel, at these blocks
    // Block `parseLate` is parsed only once block `parseFirst` is, so that a
    // later block, parsed, waits when an earlier one ends the read.
    uint64_t parseLate, parseFirst;
    uint64_t placed;  // blocks placed, from block 0
};

/// What the workers of a run share, and what they saw.
struct Shared {
    const Case& c;
    LoadProgress progress;
    std::mutex mutex;
    std::condition_variable parsed;
    std::set<uint64_t> parsedBlocks;
    std::vector<uint64_t> placed, stored = std::vector<uint64_t>(20, 0);
};

/// Parses block b into the value 1000 + b, and records what it sees.
class Recorder final : public BlockWorker {
public:
    explicit Recorder(Shared& run) : r_(run) {}

    void Parse(uint64_t b) override {
        std::unique_lock lock(r_.mutex);
        if (b == r_.c.parseLate)
            r_.parsed.wait(lock, [&] { return r_.parsedBlocks.contains(r_.c.parseFirst); });
        r_.parsedBlocks.insert(b);
        r_.parsed.notify_all();
    }
    bool Place(uint64_t b) override {
        // Progress has the end of the blocks placed before.
        EXPECT_EQ(r_.progress.bytesRead.load(), std::min(b * 100, r_.c.fileSize)) << "block " << b;
        r_.placed.push_back(block_ = b);
        if (b == r_.c.cancelAt) r_.progress.cancelled = true;
        return b != r_.c.endAt;
    }
    void Store() override {
        std::lock_guard lock(r_.mutex);
        r_.stored[block_] += 1000 + block_;
    }

private:
    Shared& r_;
    uint64_t block_ = 0;
};

TEST(BlockPipeline, PlacesBlocksInFileOrderUpToTheFirstEndOrCancel) {
    const uint64_t none = UINT64_MAX;
    const Case cases[] = {
        {"an empty file", 0, 4, none, none, none, none, 0},
        {"one short block", 70, 4, none, none, none, none, 1},
        {"many blocks, the last short", 1037, 3, none, none, none, none, 11},
        {"many blocks on this thread alone", 1000, 1, none, none, none, none, 10},
        {"a cancel in the middle", 1037, 3, none, 4, 4, 5, 5},
        {"an end in the middle, block 5 parsed before it", 1037, 4, 3, none, 3, 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Shared run{c};
        const bool cancelled =
            RunBlockPipeline({.fileSize = c.fileSize, .blockBytes = 100}, c.workers, &run.progress,
                             [&] { return std::make_unique<Recorder>(run); });
        EXPECT_EQ(cancelled, c.cancelAt != none);
        ASSERT_EQ(run.placed.size(), c.placed);
        for (uint64_t b = 0; b < run.stored.size(); ++b) {
            if (b < c.placed) EXPECT_EQ(run.placed[b], b);
            EXPECT_EQ(run.stored[b], b < c.placed ? 1000 + b : 0) << "block " << b;
        }
        EXPECT_EQ(run.progress.fileBytes.load(), c.fileSize);
        EXPECT_EQ(run.progress.bytesRead.load(), std::min(c.placed * 100, c.fileSize));
    }
}

}  // namespace
