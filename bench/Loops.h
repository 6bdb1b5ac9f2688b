// The conversion loops the benchmark times, each run in its own process so
// that its peak memory is its own: the engine (ProcessFSRef, one file after
// another, as a batch runs) and the floor (the same saver and options called
// straight from libvips, nothing else).
#pragma once

#include <QByteArray>

// Each prints "RESULT <seconds>" on standard output and returns the exit code.
int RunEngineLoop(const QByteArray& sources, const QByteArray& destination,
                  const QByteArray& extension);
// With safeWrites, each picture is written the way the engine writes it: to
// a new file beside the output, flushed to disk, then renamed into place.
int RunFloorLoop(const QByteArray& sources, const QByteArray& destination,
                 const QByteArray& extension, const QByteArray& extraOptions, bool safeWrites);
