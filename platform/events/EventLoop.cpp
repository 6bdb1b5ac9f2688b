// SPDX-License-Identifier: GPL-3.0-or-later
// The event loop over Qt's: timers are QTimers owned by the application
// object, a turn is processEvents, and off-loop work waits in the loop.
#include "platform/events/EventLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <signal.h>
#include <thread>

struct OpaqueEventLoopTimerRef {
    QTimer* timer = nullptr;
};

namespace
{

// Timers that can still fire. Touched on the loop's thread only.
std::set<EventLoopTimerRef>& liveTimers()
{
    static auto* timers = new std::set<EventLoopTimerRef>;
    return *timers;
}

void forget(EventLoopTimerRef ref)
{
    liveTimers().erase(ref);
    ref->timer->deleteLater();
    delete ref;
}

std::mutex gExitLock;
std::function<void()> gExitHandler;

} // namespace

EventLoopRef GetCurrentEventLoop()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    return reinterpret_cast<EventLoopRef>(QThread::currentThread());
}

OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer)
{
    if (outTimer)
        *outTimer = nullptr;
    if (!loop || !proc || fireDelay < 0 || interval < 0)
        return paramErr;
    auto* ref = new OpaqueEventLoopTimerRef;
    ref->timer = new QTimer;
    ref->timer->setTimerType(Qt::PreciseTimer);
    ref->timer->setSingleShot(true);
    ref->timer->setInterval(int(fireDelay * 1000.0 + 0.5));
    liveTimers().insert(ref);
    QObject::connect(ref->timer, &QTimer::timeout, ref->timer, [ref, proc, userData, interval]() {
        if (interval > 0) {
            ref->timer->start(int(interval * 1000.0 + 0.5));
        } else {
            // Gone before the callback runs: the callback may run for long
            // and may install timers itself.
            liveTimers().erase(ref);
        }
        proc(interval > 0 ? ref : nullptr, userData);
        if (interval <= 0) {
            ref->timer->deleteLater();
            delete ref;
        }
    });
    ref->timer->start();
    if (outTimer)
        *outTimer = ref;
    return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer)
{
    if (!timer || !liveTimers().count(timer))
        return paramErr;
    timer->timer->stop();
    forget(timer);
    return noErr;
}

void RunApplicationEventLoop()
{
    if (QCoreApplication::instance())
        QCoreApplication::exec();
}

void QuitApplicationEventLoop()
{
    QCoreApplication::quit();
}

Boolean WaitNextEvent(EventMask, EventRecord*, UInt32, void*)
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return false;
}

OSErr YieldToAnyThread()
{
    return noErr;
}

void ExitToShell()
{
    std::function<void()> handler;
    {
        std::lock_guard lock(gExitLock);
        handler = gExitHandler;
    }
    std::fflush(nullptr);
    if (handler) {
        handler();
        return;
    }
    std::_Exit(0);
}

void platform::SetExitToShellHandler(std::function<void()> handler)
{
    std::lock_guard lock(gExitLock);
    gExitHandler = std::move(handler);
}

void platform::RunOffLoop(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    std::atomic<bool> done{false};
    std::thread worker([&]() {
        work();
        done = true;
        // Wakes the wait below if it sleeps for events.
        QMetaObject::invokeMethod(
            app, []() {}, Qt::QueuedConnection);
    });
    // Not a nested QEventLoop: quitting the application exits every running
    // loop, and this wait must last until the work is done all the same.
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
}

namespace
{
std::mutex gWakeLock;
std::condition_variable gWake;
std::uint64_t gWakeCount = 0;
} // namespace

void platform::WakeWaitingLoop()
{
    {
        std::lock_guard lock(gWakeLock);
        ++gWakeCount;
    }
    gWake.notify_all();
    // Wakes the loop's wait when it sleeps for events.
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, []() {}, Qt::QueuedConnection);
}

void platform::WaitOnLoop(const std::function<bool()>& done)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        // Not a nested QEventLoop, for the reason RunOffLoop gives.
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return;
    }
    std::unique_lock lock(gWakeLock);
    for (;;) {
        // A wake between the check and the wait is not lost: the count moved.
        const std::uint64_t seen = gWakeCount;
        lock.unlock();
        if (done())
            return;
        lock.lock();
        gWake.wait(lock, [seen] { return gWakeCount != seen; });
    }
}

namespace
{
std::atomic<Boolean>* gTerminationFlag = nullptr;
volatile std::sig_atomic_t gCaughtSignal = 0;

extern "C" void OnTerminationSignal(int number)
{
    if (gCaughtSignal != 0) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    gCaughtSignal = number;
    gTerminationFlag->store(true);
}
} // namespace

void platform::SetFlagOnTerminationSignals(std::atomic<Boolean>* flag)
{
    static_assert(std::atomic<Boolean>::is_always_lock_free);
    gTerminationFlag = flag;
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);
}

int platform::CaughtSignal()
{
    return int(gCaughtSignal);
}
