// Open forks named by file reference numbers, as the file manager hands them
// out: a process-wide table maps each number to an open descriptor. Only data
// forks exist here.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

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
