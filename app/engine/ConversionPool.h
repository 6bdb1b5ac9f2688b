// SPDX-License-Identifier: GPL-3.0-or-later
// The workers a batch converts its files on: several files at once, each
// with one libvips thread, within a budget of memory. The batch (on the
// event loop's thread) decides and claims every output itself, in walk
// order, and hands each job over only when HasRoomFor says it may start; the
// pool never queues work of its own, so a job handed over is a job started.
#pragma once

#include "app/engine/Conversion.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// How many files a batch converts at once: set by SetBatchWorkers (the
// command line's -j), else by TESSALY_JOBS, else one per core.
int BatchWorkers();
// 0 goes back to TESSALY_JOBS or the number of cores.
void SetBatchWorkers(int workers);
// The number TESSALY_JOBS (or -j) gives: 1 to 256, else 0.
int ParseWorkerCount(const QString& text);

class ConversionPool
{
public:
    // A started job; done turns true once its output is complete or gone.
    struct Ticket {
        ConversionJob job;
        std::atomic<bool> done{false};
    };

    ConversionPool(int workers, UInt64 memoryBudget);
    // Lets the started jobs finish.
    ~ConversionPool();
    ConversionPool(const ConversionPool&) = delete;
    ConversionPool& operator=(const ConversionPool&) = delete;

    // Whether a job whose picture takes bytes once decoded may start now: a
    // worker is free and the memory policy admits it (MemoryPolicy.h).
    bool HasRoomFor(UInt64 bytes) const;
    bool WorkerFree() const;
    bool Idle() const;

    // Starts the job on a free worker, counting its decoded bytes; call only
    // when HasRoomFor(job.decodedBytes).
    std::shared_ptr<Ticket> Start(const ConversionJob& job);

    // For tests: called at every start with the jobs running and the bytes
    // they count, this one included.
    static void SetStartObserver(std::function<void(int running, UInt64 bytes)> observer);

private:
    void work();

    const int m_workers;
    const UInt64 m_budget;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Ticket>> m_handedOver;
    int m_running = 0;
    UInt64 m_bytesInUse = 0;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};
