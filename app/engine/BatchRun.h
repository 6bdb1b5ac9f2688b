// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run: the open-documents handler keeps the dropped items and arms
// a timer; the timer runs one batch over them, reporting on the status
// display; after a batch, when the setting says so, a second timer says
// goodbye and ends the process.
//
// A drop that arrives while a batch is armed or running waits and runs
// after it, in arrival order: the running batch never reads a list that is
// being replaced. One that arrives during the goodbye second puts the
// goodbye off until after its batch; once "Bye." shows, nothing more is
// taken.
#pragma once

#include "platform/events/AppleEvents.h"
#include "platform/events/EventLoop.h"

#include <functional>

// The item list of the batch that is armed or running.
extern AEDescList gDescList;

OSErr OpenDocsAppleEventHandler(const AppleEvent* event, AppleEvent* reply, SRefCon refcon);
void ProcessTimerProc(EventLoopTimerRef timer, void* userData);
void PauseTimerProc(EventLoopTimerRef timer, void* userData);

// One batch over gDescList into destination, from the busy state to the
// idle state; ProcessTimerProc is the destination question, this and the
// quit timer.
void RunBatch(const FSRef& destination);

// For the tests: runs on the loop's thread between a dropped folder's
// counting walk and its collecting walk, where the tree may change.
void SetBetweenWalksHook(std::function<void()> hook);

// What the goodbye asks of the outside: stopTaking when it begins, so that
// nothing is handed over to a process about to end; takeAgain when items
// handed over just before turned up and the program stays to convert them.
void SetGoodbyeHooks(std::function<void()> stopTaking, std::function<void()> takeAgain);
// From the moment the goodbye takes no more work until the process ends.
bool Leaving();

// Whether a batch is armed or running, and how many drops wait behind it.
bool BatchPending();
int WaitingDropCount();
