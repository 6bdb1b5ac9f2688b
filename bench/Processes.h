// Running a contender as a child process and measuring it: wall time, the
// child's own peak resident memory (from wait4), and what it printed.
#pragma once

#include <QByteArray>

#include <vector>

struct ProcessRun {
    bool succeeded = false;
    double seconds = 0;      // wall time of the whole process
    long peakMemoryKiB = 0;  // the largest resident size it reached
    QByteArray output;       // its standard output
};

// Runs program (looked up in PATH) with arguments and waits for it.
ProcessRun RunProcess(const std::vector<QByteArray>& arguments);

// The seconds an in-process loop reported on its "RESULT " line, which leave
// out its start-up; fallback when it printed none.
double ReportedSeconds(const ProcessRun& run, double fallback);
