#pragma once
// The threads of an analysis: each worker prepares its own copy of the model and takes the
// next job until none is left, a failure or a cancel stops them all, and the calling thread
// waits and reports progress meanwhile. Sensitivity runs and calibration starts both use it.

#include "core/analysis/AnalysisSimulation.h"
#include "core/analysis/Sensitivity.h"
#include "core/support/Notifier.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the workers and the thread waiting for them share.
struct TWorkerPool {
    std::atomic<size_t> Next = 0;
    std::mutex Lock;
    std::condition_variable Changed;
    size_t Finished = 0; // workers that have ended; under Lock
    std::string Problem; // the first failure; under Lock

    // Wakes the waiting thread to look at the progress.
    void Notify() {
        { const std::lock_guard lock(Lock); }
        Changed.notify_one();
    }
};

// Runs work(simulation, collector, job) for every job below count, on one thread per
// simulation (never more threads than jobs). Each worker's evaluation messages go to its own
// collector in collectors, which is sized here. Meanwhile the calling thread calls
// report(done) with done = progress() at the start, whenever it has grown by every since the
// last report, and at the end; workers call pool.Notify() when progress() has grown. Failed,
// with the first failure in problem; cancelled when stop was set; else finished.
template <class TCollector, class TWork, class TProgress, class TReport>
TAnalysisOutcome RunOnWorkers(std::vector<std::unique_ptr<TAnalysisSimulation>>& simulations,
                              size_t count, std::atomic<bool>& stop, TWorkerPool& pool,
                              std::vector<TCollector>& collectors, const TWork& work,
                              const TProgress& progress, int64_t every, const TReport& report,
                              std::string& problem) {
    const size_t workers = std::min(simulations.size(), std::max<size_t>(count, 1));
    collectors.assign(workers, TCollector());
    auto body = [&](size_t w) {
        std::string failure;
        try {
            const TThreadNotifierScope collect(&collectors[w]);
            TAnalysisSimulation& simulation = *simulations[w];
            simulation.RestoreConstants();
            std::vector<std::string> messages;
            if (!simulation.Prepare(messages))
                failure = "The model's copy does not pass its check: " +
                          (messages.empty() ? std::string("?") : messages.front());
            while (failure.empty() && !stop.load(std::memory_order_relaxed)) {
                const size_t job = pool.Next.fetch_add(1, std::memory_order_relaxed);
                if (job >= count) break;
                work(simulation, collectors[w], job);
            }
            simulation.RestoreConstants();
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "unknown failure";
        }
        const std::lock_guard lock(pool.Lock);
        if (!failure.empty()) {
            if (pool.Problem.empty()) pool.Problem = failure;
            stop.store(true, std::memory_order_relaxed);
        }
        ++pool.Finished;
        pool.Changed.notify_one();
    };
    std::vector<std::thread> threads;
    try {
        for (size_t w = 0; w < workers; ++w)
            threads.emplace_back(body, w);
    } catch (const std::exception& e) {
        stop.store(true);
        for (std::thread& thread : threads)
            thread.join();
        problem = std::string("Could not start the analysis threads: ") + e.what();
        return aoFailed;
    }
    every = std::max<int64_t>(every, 1);
    int64_t reported = 0;
    bool anyReported = false;
    std::unique_lock lock(pool.Lock);
    for (;;) {
        const int64_t done = progress();
        const bool over = pool.Finished == workers;
        if (!anyReported || (over ? done != reported : done >= reported + every)) {
            reported = done;
            anyReported = true;
            lock.unlock();
            report(done);
            lock.lock();
            continue;
        }
        if (over) break;
        pool.Changed.wait(
            lock, [&] { return pool.Finished == workers || progress() >= reported + every; });
    }
    lock.unlock();
    for (std::thread& thread : threads)
        thread.join();
    if (!pool.Problem.empty()) {
        problem = pool.Problem;
        return aoFailed;
    }
    return stop.load() ? aoCancelled : aoFinished;
}
