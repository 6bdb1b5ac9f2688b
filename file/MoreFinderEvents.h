// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit's Finder requests that the file class uses: reading and
// setting an item's comment and telling file managers that an item changed.
//
// On this system no Finder is asked: the comment is the item's
// user.xdg.comment attribute, which freedesktop file managers show, and file
// managers notice changes by themselves. The calls keep their shape, idle
// procedure included, though nothing here ever waits for another program.
#pragma once

#include "file/MoreFiles.h"

struct EventRecord;
// Called while waiting for another program's reply, to let other work go on.
using AEIdleUPP = Boolean (*)(EventRecord* event, SInt32* sleepTime, void* mouseRegion);

// The idle procedure the application installs at start-up; null until then.
extern AEIdleUPP gAEIdleUPP;

// A new string with the item's comment; empty when it has none. The status
// of reading it otherwise.
OSErr MoreFEGetCommentCFString(const FSRef* ref, CFStringRef* comment, AEIdleUPP idleProc);
// Sets the item's comment; an empty one removes it. errFSOperationNotSupported
// where the file system or the item cannot keep attributes.
OSErr MoreFESetCommentCFString(const FSRef* ref, const CFStringRef& comment, AEIdleUPP idleProc);
// Tells whoever shows the item that it changed: -43 when the reference no
// longer names an item, else noErr.
OSErr MoreFEUpdateItemFSRef(const FSRef* ref);
