// Running one probe or export in a fresh child process of this test
// program: to bound a call that could hang (a FIFO), to measure a call's
// peak memory, to limit the size of the files it may write, or to take away
// root's right to ignore permissions. The child is this program started
// again; a static initializer sees the job in its environment, does it,
// prints the result and exits before any test runs.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

struct ChildJob {
    enum class Kind { Probe, Export };
    Kind kind = Kind::Export;
    QByteArray source;
    QByteArray output;
    OSType exportType = 0;
    long long fileSizeLimit = 0; // bytes; 0 for none
    bool unprivileged = false;   // run as "nobody" when started as root
    int timeoutSeconds = 60;
};

struct ChildResult {
    bool finished = false; // false: it crashed, or was killed after the timeout
    bool timedOut = false;
    OSErr status = 0;
    long peakMemoryKiB = 0; // the child's own maximum resident size
};

ChildResult RunChildJob(const ChildJob& job);
