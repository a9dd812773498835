#include "parallel_for.h"

#include <algorithm>
#include <thread>
#include <vector>

unsigned Processors() { return std::max(1u, std::thread::hardware_concurrency()); }

unsigned WorkerCount(uint64_t items, uint64_t leastPerWorker, unsigned processors) {
    const uint64_t worth = items / std::max<uint64_t>(leastPerWorker, 1);
    return unsigned(std::clamp<uint64_t>(worth, 1, std::max(processors, 1u)));
}

void RunOnThreads(unsigned workers, const std::function<void()>& work) {
    std::vector<std::thread> threads;
    for (unsigned k = 1; k < workers; ++k) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
}

void ParallelFor(int64_t first, int64_t last, unsigned workers,
                 const std::function<void(int64_t begin, int64_t end)>& work) {
    workers = std::max(workers, 1u);
    const int64_t n = last - first;
    const auto at = [&](unsigned k) { return first + n * int64_t(k) / int64_t(workers); };
    std::vector<std::thread> threads;
    for (unsigned k = 1; k < workers; ++k) threads.emplace_back(work, at(k), at(k + 1));
    work(first, at(1));
    for (std::thread& thread : threads) thread.join();
}
