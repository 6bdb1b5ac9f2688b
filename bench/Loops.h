// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion loops the benchmark times, each run in its own process so
// that its peak memory is its own: the engine (ProcessFSRef, one file after
// another, as a batch runs) and the floor (the same saver and options called
// straight from libvips, nothing else), also several pictures at once.
#pragma once

#include <QByteArray>

// Each prints "RESULT <seconds>" on standard output and returns the exit code.
// quality, when not empty, is stored as the "Quality" setting first.
int RunEngineLoop(const QByteArray& sources, const QByteArray& destination,
                  const QByteArray& extension, const QByteArray& quality = {});
struct FloorOptions {
    QByteArray destination;
    QByteArray extension;
    QByteArray extraOptions; // libvips saver options added to the engine's
    // Each picture is written the way the engine writes it: to a new file
    // beside the output, then renamed into place.
    bool safeWrites = false;
    // 0: one picture after another, libvips choosing its threads for each;
    // more: that many threads, each converting whole pictures, one libvips
    // thread each.
    int threads = 0;
};

int RunFloorLoop(const QByteArray& sources, const FloorOptions& floor);
