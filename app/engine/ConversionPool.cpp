// SPDX-License-Identifier: GPL-3.0-or-later
// The batch's workers.
#include "app/engine/ConversionPool.h"

#include "platform/events/EventLoop.h"
#include "platform/memory/MemoryPolicy.h"

#include <QString>

#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int kMostWorkers = 256;
std::atomic<int> gSetWorkers{0};

std::mutex gObserverLock;
std::function<void(int, UInt64)> gStartObserver;

} // namespace

int ParseWorkerCount(const QString& text)
{
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    return ok && count >= 1 && count <= kMostWorkers ? count : 0;
}

int BatchWorkers()
{
    if (const int set = gSetWorkers.load())
        return set;
    if (const int fromEnvironment =
            ParseWorkerCount(QString::fromLocal8Bit(std::getenv("TESSALY_JOBS"))))
        return fromEnvironment;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores ? int(std::min<unsigned>(cores, kMostWorkers)) : 1;
}

void SetBatchWorkers(int workers)
{
    gSetWorkers = workers >= 1 && workers <= kMostWorkers ? workers : 0;
}

ConversionPool::ConversionPool(int workers, UInt64 memoryBudget)
    : m_workers(std::max(1, workers)), m_budget(memoryBudget)
{
    m_threads.reserve(size_t(m_workers));
    for (int i = 0; i < m_workers; ++i)
        m_threads.emplace_back([this] { work(); });
}

ConversionPool::~ConversionPool()
{
    {
        std::lock_guard lock(m_lock);
        m_ending = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool ConversionPool::HasRoomFor(UInt64 bytes) const
{
    std::lock_guard lock(m_lock);
    return m_running < m_workers &&
           platform::AdmitsPicture(bytes, m_running, m_bytesInUse, m_budget);
}

bool ConversionPool::WorkerFree() const
{
    std::lock_guard lock(m_lock);
    return m_running < m_workers;
}

bool ConversionPool::Idle() const
{
    std::lock_guard lock(m_lock);
    return m_running == 0;
}

std::shared_ptr<ConversionPool::Ticket> ConversionPool::Start(const ConversionJob& job)
{
    auto ticket = std::make_shared<Ticket>();
    ticket->job = job;
    int running = 0;
    UInt64 inUse = 0;
    {
        std::lock_guard lock(m_lock);
        running = ++m_running;
        inUse = m_bytesInUse += job.decodedBytes;
        m_handedOver.push_back(ticket);
    }
    m_wake.notify_one();
    std::lock_guard lock(gObserverLock);
    if (gStartObserver)
        gStartObserver(running, inUse);
    return ticket;
}

void ConversionPool::SetStartObserver(std::function<void(int, UInt64)> observer)
{
    std::lock_guard lock(gObserverLock);
    gStartObserver = std::move(observer);
}

void ConversionPool::work()
{
    for (;;) {
        std::shared_ptr<Ticket> ticket;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_ending || !m_handedOver.empty(); });
            // Jobs handed over are started jobs: they run even when ending.
            if (m_handedOver.empty())
                return;
            ticket = std::move(m_handedOver.front());
            m_handedOver.pop_front();
        }
        RunConversionJob(ticket->job);
        {
            std::lock_guard lock(m_lock);
            --m_running;
            m_bytesInUse -= ticket->job.decodedBytes;
            ticket->done = true;
        }
        platform::WakeWaitingLoop();
    }
}
