// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's part for several pictures at once: the one-at-a-time
// engine, the parallel floor (libvips in N threads, whole pictures each),
// `tessaly --to -j N`, the window with TESSALY_JOBS=N and both mogrifys, on
// small, medium and large pictures, medians of three interleaved rounds.
#pragma once

#include <QByteArray>

// self: this benchmark program, beside tessaly and tessaly_store_settings;
// jobs: N, 0 for the machine's cores. Prints the table and the targets; 0
// when all targets are met, 3 when one is missed, 1 when the corpus could
// not be made.
int RunParallelBenchmark(const QByteArray& self, const QByteArray& work, int jobs);
