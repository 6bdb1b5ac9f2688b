// SPDX-License-Identifier: GPL-3.0-or-later
// Pointer blocks and relocatable blocks (handles). Pointer blocks know their
// size, so callers can ask for it the way the old memory manager allowed.
#pragma once

#include "platform/MacTypes.h"

// A new block of byteCount bytes, or null when it cannot be obtained.
Ptr NewPtr(Size byteCount);
// As NewPtr, zero-filled.
Ptr NewPtrClear(Size byteCount);
// Releases a block from NewPtr; null is accepted.
void DisposePtr(Ptr p);
Size GetPtrSize(Ptr p);

// A handle is a pointer to a master pointer naming the block; the block may
// move when resized, the handle stays.
Handle NewHandle(Size byteCount);
Handle NewHandleClear(Size byteCount);
void DisposeHandle(Handle h);
Size GetHandleSize(Handle h);
// Resizes the block, keeping its leading bytes; false when memory ran out.
bool SetHandleSize(Handle h, Size newSize);
// The status of the last memory call on this thread (noErr or memFullErr).
OSErr MemError();
