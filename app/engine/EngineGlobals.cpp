// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's process-wide state.
#include "app/engine/EngineGlobals.h"

// The flags are atomic because a conversion may run on a worker thread while
// the window's commands set them.
std::atomic<Boolean> gStopping{false};
std::atomic<Boolean> gQuitting{false};

SInt32 gWhichFilter = 0;
SInt32 gNbrFilesToBeProcessed = 0;
SInt32 gNbrFilesProcessed = 0;
FSRef* gFSRefArray = nullptr;
