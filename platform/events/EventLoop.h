// SPDX-License-Identifier: GPL-3.0-or-later
// The application's event loop: running and quitting it, one-shot and
// repeating timers on it, one turn of it, ending the process, and running a
// piece of work on a worker thread while the loop keeps turning.
#pragma once

#include "platform/files/Files.h"

#include <atomic>
#include <functional>

using EventLoopRef = struct OpaqueEventLoopRef*;
using EventLoopTimerRef = struct OpaqueEventLoopTimerRef*;
using EventTimerInterval = double; // seconds
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef timer, void* userData);
using EventLoopTimerUPP = EventLoopTimerProcPtr;
inline constexpr EventTimerInterval kEventDurationSecond = 1.0;
inline constexpr EventTimerInterval kEventDurationMillisecond = 0.001;

inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc)
{
    return proc;
}
// The loop of the calling thread; null when the process has no event loop.
EventLoopRef GetCurrentEventLoop();
// Calls proc after fireDelay seconds, then every interval seconds; an
// interval of 0 fires once. The timer lives until it fired once (interval 0)
// or until it is removed.
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc, void* userData,
                               EventLoopTimerRef* outTimer);
// paramErr for a timer that has already fired its only time or was removed.
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);

void RunApplicationEventLoop();
void QuitApplicationEventLoop();

struct EventRecord {
    UInt16 what;
    UInt32 message;
    UInt32 when;
    Point where;
    UInt16 modifiers;
};
using EventMask = UInt16;
inline constexpr EventMask everyEvent = 0xFFFF;
// Handles the events that are pending once (drawing included); the mask and
// the sleep time are not looked at. Always false: no event is handed back.
Boolean WaitNextEvent(EventMask mask, EventRecord* event, UInt32 sleep, void* mouseRgn);
// Threads here are preemptive; nothing to yield to.
OSErr YieldToAnyThread();

// Ends the process at once with status 0, after flushing standard output.
// Nothing of the caller runs after it, unless a replacement was installed.
void ExitToShell();

namespace platform
{
// Replaces what ExitToShell does (tests, which must keep running); an empty
// function puts the real exit back.
void SetExitToShellHandler(std::function<void()> handler);

// Runs work on a worker thread and returns when it is done. Meanwhile the
// calling thread, when it is the event loop's, keeps handling events, so
// windows repaint and commands are served. Without an event loop, or from
// another thread, the work runs right here. work must touch no user
// interface.
void RunOffLoop(const std::function<void()>& work);

// Waits until done() holds, checking it again after every wake. Meanwhile
// the calling thread, when it is the event loop's, keeps handling events;
// any other thread sleeps. Work running on other threads calls
// WakeWaitingLoop when something done() looks at may have changed.
void WaitOnLoop(const std::function<bool()>& done);
// Wakes WaitOnLoop, from any thread.
void WakeWaitingLoop();

// From now on an interrupt or termination signal (Ctrl-C, SIGTERM, SIGHUP)
// only sets flag, so that the work under way can end between two steps;
// a second one ends the process at once. CaughtSignal is the first such
// signal's number, 0 before any.
void SetFlagOnTerminationSignals(std::atomic<Boolean>* flag);
int CaughtSignal();
} // namespace platform
