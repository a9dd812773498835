// The rule for how many threads a loop runs on, and the ranges it cuts.

#include "base/parallel_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

TEST(ParallelFor, WorkerCountGivesEachWorkerItsLeastUpToTheProcessors) {
    struct Case {
        uint64_t items, leastPerWorker;
        unsigned processors, workers;
    };
    const Case cases[] = {
        {0, 1, 4, 1},
        {3, 1, 4, 3},
        {100, 1, 4, 4},
        {4095, 4096, 8, 1},
        {8191, 4096, 8, 1},
        {8192, 4096, 8, 2},
        {uint64_t(1) << 40, 1, 2, 2},
        {(uint64_t(1) << 32) + 1, 1, 8, 8},
        {10, 0, 4, 4},
        {10, 1, 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WorkerCount(c.items, c.leastPerWorker, c.processors), c.workers)
            << c.items << " items, at least " << c.leastPerWorker << " each, " << c.processors
            << " processors";
}

TEST(ParallelFor, RangesCoverTheLoopOnceInOrder) {
    for (const auto& [first, last, workers] :
         {std::tuple{0, 10, 1u}, {5, 105, 3u}, {-7, 3, 4u}, {0, 2, 4u}}) {
        std::mutex mutex;
        std::vector<std::pair<int64_t, int64_t>> ranges;
        ParallelFor(first, last, workers, [&](int64_t begin, int64_t end) {
            std::lock_guard lock(mutex);
            ranges.emplace_back(begin, end);
        });
        std::sort(ranges.begin(), ranges.end());
        ASSERT_EQ(ranges.size(), workers);
        int64_t at = first;
        for (const auto& [begin, end] : ranges) {
            EXPECT_EQ(begin, at);
            EXPECT_LE(end - begin, (last - first + int(workers) - 1) / int(workers));
            at = end;
        }
        EXPECT_EQ(at, last);
    }
}

// The kept threads serve one call at a time: calls made within the work, or
// from several threads at once, and rounds of changing sizes in quick
// succession (a thread sitting one out may still be waking from it) must
// each run every run once, with its own place, and return.
TEST(ParallelFor, RunsCountEachPlaceOnceWhenCallsNestAndOverlap) {
    const auto runsOnce = [](unsigned workers, int64_t n) {
        std::vector<std::atomic<int>> seen(workers);
        std::atomic<int64_t> total{0}, nested{0};
        ParallelRuns(0, n, workers, [&](unsigned k, int64_t begin, int64_t end) {
            ++seen[k];
            total += end - begin;
            // Nested: served while the outer call holds the kept threads.
            ParallelFor(0, 3, 2, [&](int64_t b, int64_t e) { nested += e - b; });
        });
        bool once = total == n && nested == 3 * int64_t(workers);
        for (const auto& count : seen) once = once && count == 1;
        return once;
    };
    std::atomic<int> failures{0};
    std::vector<std::thread> callers;
    for (int c = 0; c < 3; ++c)
        callers.emplace_back([&, c] {
            for (int round = 0; round < 300; ++round)
                if (!runsOnce(1 + unsigned(round + c) % 4, 1000 + round)) ++failures;
        });
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(failures, 0);
    for (unsigned workers : {2u, 1u, 3u, 2u})  // one caller, sizes changing
        EXPECT_TRUE(runsOnce(workers, 17)) << workers;
}

}  // namespace
