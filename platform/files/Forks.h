// SPDX-License-Identifier: GPL-3.0-or-later
// Open forks named by file reference numbers, as the file manager hands them
// out: a process-wide table maps each number to an open descriptor, whose
// offset is the fork's mark. Only data forks are opened; a resource fork is
// kept in an extended attribute and known only by its size.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

struct FSRef;

enum : SInt8 { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };
enum : UInt16 {
    fsAtMark = 0,
    fsFromStart = 1,
    fsFromLEOF = 2,
    fsFromMark = 3,
    // A hint that the data need not be cached; accepted and ignored.
    noCacheMask = 0x0020,
};

// Opens the data fork (forkNameLength 0) of a file. Reading with fsRdPerm,
// reading and writing with fsRdWrPerm, writing only with fsWrPerm; fsCurPerm
// takes reading and writing when allowed, else reading. notAFileErr for
// folders, links and other items that are not plain files; errFSForkNotFound
// for any other fork name; -43 when the reference no longer names the item.
OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName,
                 SInt8 permissions, SInt16* forkRefNum);
OSErr FSGetForkSize(SInt16 forkRefNum, SInt64* forkSize);
// Moves the mark. posErr for a place before the start, eofErr past the end.
OSErr FSSetForkPosition(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset);
// Reads requestCount bytes from the given place and leaves the mark after
// them. eofErr, with *actualCount telling how many came, when the end of the
// fork comes first.
OSErr FSReadFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount);
// Writes at the given place, extending the fork as needed; wrPermErr for a
// fork opened for reading.
OSErr FSWriteFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount);

// Opens the data fork of the existing file at path, read-only or for reading
// and writing, at position 0. -43 when there is no such file, -42 when no
// reference number is left.
OSErr FSOpenDataForkPath(const QByteArray& path, bool write, SInt16* refNum);
// Writes *count bytes at the fork's current position and moves past them;
// *count becomes the number written. -51 for a number that is not open, -61
// for a fork opened read-only, -50 for a negative count.
OSErr FSWrite(SInt16 refNum, long* count, const void* buffer);
// Closes the fork; its number may be handed out again. -51 when not open.
OSErr FSCloseFork(SInt16 refNum);
