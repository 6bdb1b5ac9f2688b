// SPDX-License-Identifier: GPL-3.0-or-later
// The ways of converting a set that the benchmark times.
#pragma once

#include "AppRows.h"
#include "Measure.h"

#include <QByteArray>

// The engine, one file after another (self: this benchmark program).
Contender Engine(const QByteArray& self, const QByteArray& label = "engine (ProcessFSRef)");
// The engine with the "Quality" setting stored at quality (0..1024).
Contender EngineAtQuality(const QByteArray& self, const QByteArray& label, int quality);
// The libvips loop with the engine's saver options (and options added);
// safeWrites writes each picture as the engine does.
Contender Floor(const QByteArray& self, const QByteArray& label = "floor (libvips loop)",
                const QByteArray& options = {}, bool safeWrites = false);
// The libvips loop in threads, each converting whole pictures with one
// libvips thread, written as the engine does.
Contender ParallelFloor(const QByteArray& self, int threads);
// `tessaly --to` with -j jobs; 0 leaves the program's own choice.
Contender ToFolder(const Programs& programs, int jobs = 0);
// The windowed program, offscreen, with TESSALY_JOBS=jobs; 0 leaves the
// program's own choice.
Contender Window(const Programs& programs, int jobs = 0);
// ImageMagick's mogrify, or with graphicsMagick GraphicsMagick's, at quality 75.
Contender Mogrify(bool graphicsMagick = false);
// One `vips copy` process per file.
Contender VipsCopy(const QByteArray& extension);
