// SPDX-License-Identifier: GPL-3.0-or-later
// The application's rows of the benchmark: the small and medium sets
// converted end to end by the windowed program (offscreen, copy-to folder
// stored, through its event loop) and by `tessaly --to`, beside the engine
// alone; and the longest event-loop gap while the large picture converts.
#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

struct Programs {
    QByteArray bench;
    QByteArray tessaly;
    QByteArray storeSettings;
};

// The programs beside self, this benchmark program.
Programs ProgramsBeside(const QByteArray& self);

// Every run of the program from here on reads a preference folder of the
// benchmark's own (a fresh one under work), draws offscreen, and has no
// session bus, so that each is an instance of its own.
void IsolateApplicationRuns(const QByteArray& work);

// Stores the copy-to folder out, quit-when-done and the output format in the
// preference folder every run of the program reads.
bool StoreSettings(const Programs& programs, const QByteArray& out, const QByteArray& extension);

struct WindowedRun {
    bool succeeded = false;
    double seconds = 0;     // from the launch until the last output is complete
    double cpuSeconds = 0;  // of the whole process, start-up included
    long peakMemoryKiB = 0; // its largest resident size
    QByteArray errors;      // its standard error
};

// Launches the windowed program with the folder sources dropped on its icon,
// as a user would, with environment added to this process's, and times it
// until its count outputs in out are complete; it then says goodbye and
// quits by itself (StoreSettings asked it to).
WindowedRun RunWindowed(const Programs& programs, const QByteArray& sources, const QByteArray& out,
                        int count,
                        const std::vector<std::pair<QString, QString>>& environment = {});

// self: this benchmark program, beside tessaly and tessaly_store_settings.
// Prints the table and the targets; 0 when all targets are met, 3 when one
// is missed, 1 when a run failed.
int RunApplicationBenchmark(const QByteArray& self, const QByteArray& work);
