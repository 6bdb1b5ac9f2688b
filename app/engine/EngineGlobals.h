// SPDX-License-Identifier: GPL-3.0-or-later
// State the engine shares for the life of the process: the stop and quit
// flags and the counters and block of one folder's walk.
#pragma once

#include "platform/files/Files.h"

#include <atomic>

// Set by the Stop command; cleared when a batch starts.
extern std::atomic<Boolean> gStopping;
// Set by the Quit command; never cleared.
extern std::atomic<Boolean> gQuitting;

// The walk's mode word, handed to the filter as its user data.
enum : SInt32 { kCollectFilesMode = 1, kCountFilesMode = 2 };
extern SInt32 gWhichFilter;
extern SInt32 gNbrFilesToBeProcessed;
extern SInt32 gNbrFilesProcessed;
// One folder's collected file references, gNbrFilesToBeProcessed of them.
extern FSRef* gFSRefArray;
