// The rule for how many threads a loop runs on, and the ranges it cuts.

#include "simulation/parallel_for.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
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

}  // namespace
