// SPDX-License-Identifier: GPL-3.0-or-later
// What the graphics tests share: damaged or lying pictures made from real
// ones, and one probe or export run in a child process.
#pragma once

#include "platform/graphics/Graphics.h"

#include <QByteArray>

#include <sys/types.h>

// Garbage over 512 bytes in the middle of the picture data.
QByteArray WithGarbageInside(QByteArray bytes);
// A real PNG whose header claims width × height pixels, its checksum made to match.
QByteArray PngClaimingSize(QByteArray png, quint32 width, quint32 height);

// A probe or export in a fresh copy of this program: to bound a call that
// could hang (a FIFO; the child is killed after a minute), to measure its
// peak memory, to limit the size of the files it may write, or to take away
// root's right to ignore permissions.
struct ChildJob {
    QByteArray source;
    OSType exportType = 0;       // 0: only probe the source
    long long fileSizeLimit = 0; // bytes; 0 for none
    bool unprivileged = false;   // as "nobody" when started as root
    QByteArray output = {};
};

struct ChildResult {
    bool finished = false; // false: it crashed or was killed
    bool timedOut = false;
    OSErr status = 0;
    long peakMemoryKiB = 0;
};

ChildResult RunChildJob(const ChildJob& job);
// Starts the job in a child process and returns at once: the child's
// process id, or -1. The caller waits for it (waitpid).
pid_t StartChildJob(const ChildJob& job);

// How many descriptors this process has open.
int OpenDescriptors();
