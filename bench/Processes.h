// SPDX-License-Identifier: GPL-3.0-or-later
// Running a contender as a child process and measuring it: wall time, the
// child's own peak resident memory (from wait4), and what it printed.
#pragma once

#include <QByteArray>

#include <vector>

struct ProcessRun {
    bool succeeded = false;
    double seconds = 0;     // wall time of the whole process
    long peakMemoryKiB = 0; // the largest resident size it reached
    double cpuSeconds = 0;  // processor time of it and its children
    QByteArray output;      // its standard output
};

// Runs program (looked up in PATH) with arguments and waits for it; in
// workingFolder when one is given.
ProcessRun RunProcess(const std::vector<QByteArray>& arguments,
                      const QByteArray& workingFolder = {});

// A child started straight from this process would inherit its peak memory
// in the kernel's count (exec keeps the larger of the two), so GNU time, a
// small process, starts it and writes its peak to reportPath. This gives
// that command, or arguments alone where GNU time is missing.
std::vector<QByteArray> WithPeakMemoryReport(const std::vector<QByteArray>& arguments,
                                             const QByteArray& reportPath);
// The peak resident size in KiB that GNU time wrote to reportPath; 0 if none.
long ReadPeakMemory(const QByteArray& reportPath);

// Processor time of the children this process has reaped so far (and of
// theirs); between two readings, what the children reaped between took.
double ChildrenCpuSeconds();

// The seconds an in-process loop reported on its "RESULT " line, which leave
// out its start-up; fallback when it printed none.
double ReportedSeconds(const ProcessRun& run, double fallback);
