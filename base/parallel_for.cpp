#include "base/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

/// Threads kept waiting for the calls that run on several: starting and
/// joining a thread costs about 50 µs, which a tick of many bodies, cut
/// into ten parallel steps, would pay ten times over. One call uses them at
/// a time; a call made meanwhile (from another thread, or from within the
/// work) starts threads of its own as before.
class Crew {
public:
    static Crew& Get() {
        // Never destroyed: its threads wait until the process ends.
        static Crew* const crew = new Crew(Processors() > 1 ? Processors() - 1 : 0);
        return *crew;
    }

    /// Runs job(0) here and job(1) .. job(workers - 1) on kept threads, if
    /// there are enough and no other call has them; false otherwise.
    bool TryRun(unsigned workers, const std::function<void(unsigned)>& job) {
        if (workers - 1 > helpers_ || workers > 0xFFFF) return false;
        bool idle = false;
        if (!busy_.compare_exchange_strong(idle, true, std::memory_order_acquire)) return false;
        job_ = &job;
        left_.store(workers - 1, std::memory_order_relaxed);
        {
            // The round and the helpers it needs in one word, so that a
            // helper late from a round it sat out reads the two together.
            std::lock_guard<std::mutex> lock(mutex_);
            const uint64_t round = (ticket_.load(std::memory_order_relaxed) >> 16) + 1;
            ticket_.store(round << 16 | (workers - 1), std::memory_order_release);
        }
        wake_.notify_all();
        job(0);
        if (!Spin([&] { return left_.load(std::memory_order_acquire) == 0; })) {
            std::unique_lock<std::mutex> lock(mutex_);
            done_.wait(lock, [&] { return left_.load(std::memory_order_acquire) == 0; });
        }
        busy_.store(false, std::memory_order_release);
        return true;
    }

private:
    explicit Crew(unsigned helpers) : helpers_(helpers) {
        for (unsigned k = 0; k < helpers; ++k) std::thread([this, k] { Serve(k + 1); }).detach();
    }

    /// Waits a little for `ready` without sleeping: waking a sleeping thread
    /// takes tens of microseconds, while the parallel steps of one tick come
    /// closer together than that.
    template <typename Ready>
    static bool Spin(Ready ready) {
        for (int i = 0; i < 20000; ++i) {
            if (ready()) return true;
            if ((i & 63) == 63) std::this_thread::yield();
        }
        return ready();
    }

    void Serve(unsigned index) {
        uint64_t seen = 0;
        for (;;) {
            const auto next = [&] { return ticket_.load(std::memory_order_acquire) != seen; };
            if (!Spin(next)) {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, next);
            }
            seen = ticket_.load(std::memory_order_acquire);
            if (index > (seen & 0xFFFF)) continue;  // not needed this round
            (*job_)(index);
            if (left_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                std::lock_guard<std::mutex> lock(mutex_);
                done_.notify_one();
            }
        }
    }

    const unsigned helpers_;
    std::atomic<bool> busy_{false};
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    const std::function<void(unsigned)>* job_ = nullptr;
    std::atomic<unsigned> left_{0};
    std::atomic<uint64_t> ticket_{0};
};

/// Runs job(0) .. job(workers - 1) at once, job(0) on this thread.
void RunEach(unsigned workers, const std::function<void(unsigned)>& job) {
    if (workers <= 1) return job(0);
    if (Crew::Get().TryRun(workers, job)) return;
    std::vector<std::thread> threads;
    for (unsigned k = 1; k < workers; ++k) threads.emplace_back(job, k);
    job(0);
    for (std::thread& thread : threads) thread.join();
}

}  // namespace

unsigned Processors() { return std::max(1u, std::thread::hardware_concurrency()); }

unsigned WorkerCount(uint64_t items, uint64_t leastPerWorker, unsigned processors) {
    const uint64_t worth = items / std::max<uint64_t>(leastPerWorker, 1);
    return unsigned(std::clamp<uint64_t>(worth, 1, std::max(processors, 1u)));
}

void RunOnThreads(unsigned workers, const std::function<void()>& work) {
    RunEach(std::max(workers, 1u), [&](unsigned) { work(); });
}

void ParallelFor(int64_t first, int64_t last, unsigned workers,
                 const std::function<void(int64_t begin, int64_t end)>& work) {
    ParallelRuns(first, last, workers, [&](unsigned, int64_t begin, int64_t end) { work(begin, end); });
}

void ParallelRuns(int64_t first, int64_t last, unsigned workers,
                  const std::function<void(unsigned k, int64_t begin, int64_t end)>& work) {
    workers = std::max(workers, 1u);
    const int64_t n = last - first;
    const auto at = [&](unsigned k) { return first + n * int64_t(k) / int64_t(workers); };
    RunEach(workers, [&](unsigned k) { work(k, at(k), at(k + 1)); });
}
