// SPDX-License-Identifier: GPL-3.0-or-later
// The few toolkit helpers over the file manager that the file class and the
// engine share: an item's stored name, its file specification, and a string's
// UTF-16 units in a pointer block.
#pragma once

#include "platform/files/Files.h"

#include <QString>

using CFStringRef = QString;

// The item's name as the file manager holds it (UTF-16, at most 255 units).
OSErr FSGetFileDirName(const FSRef* ref, HFSUniStr255* outName);
// The reference of the item named by a volume, a folder id and a
// length-prefixed name (the parts of a file specification).
OSErr FSMakeFSRef(SInt16 volRefNum, SInt32 dirID, const unsigned char* name, FSRef* ref);
// The item's old-style file specification.
OSErr FSRefMakeFSSpec(const FSRef* ref, FSSpec* spec);
// The name read with FSGetFileDirName as a string; a null string on failure.
QString FSGetFileDirNameString(const FSRef& ref);

// A new block (NewPtr) holding the string's UTF-16 units; count gets their
// number. The caller releases the block with DisposePtr. Null when the block
// cannot be obtained; an empty string gives a block of no units.
UniChar* GetUnicodeString(const CFStringRef& string, UniCharCount& count);
