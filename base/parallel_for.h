#pragma once
#include <cstdint>
#include <functional>

/// The processors work is spread over: the machine's, at least one.
unsigned Processors();

/// Threads worth running for `items` pieces of work when each thread should
/// have at least `leastPerWorker` of them (below that, starting a thread
/// costs more than it saves): one per `leastPerWorker` items, at least one,
/// at most one per processor.
unsigned WorkerCount(uint64_t items, uint64_t leastPerWorker, unsigned processors = Processors());

/// Runs `work` on `workers` threads at once, this one among them, and
/// returns when all are done; for workers that take their share from a
/// common queue.
void RunOnThreads(unsigned workers, const std::function<void()>& work);

/// Cuts [first, last) into `workers` consecutive ranges of near equal size
/// (the k-th from first + n * k / workers, n being the length) and runs
/// `work(begin, end)` on each, each on its own thread (the first on this
/// one); returns when all are done.
void ParallelFor(int64_t first, int64_t last, unsigned workers,
                 const std::function<void(int64_t begin, int64_t end)>& work);

/// As ParallelFor, telling each run its place k among the runs (0 for the
/// first): for work that gathers into one store per run.
void ParallelRuns(int64_t first, int64_t last, unsigned workers,
                  const std::function<void(unsigned k, int64_t begin, int64_t end)>& work);
