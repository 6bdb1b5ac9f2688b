// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's table and the targets it checks.
#pragma once

#include <QByteArray>

#include <vector>

struct Row {
    QByteArray set;        // which pictures, into what
    QByteArray contender;  // engine, floor, mogrify, vips copy, or an option variant
    bool failed = false;   // a run of it failed: no time to show
    double seconds = 0;    // not a number when failed
    double cpuSeconds = 0; // processor time of the whole process tree
    int pictures = 0;
    double megapixels = 0; // input pixels, in millions
    long peakMemoryKiB = 0;
    long long outputBytes = 0;
    double floorSeconds = 0; // of the same set; 0 when there is none
    long long peerBytes = 0; // ImageMagick's output of the same set; 0 when there is none
};

// ratioHeading names the column of seconds / floorSeconds.
void PrintTable(const char* title, const std::vector<Row>& rows,
                const char* ratioHeading = "x floor");
// How busy the machine was while the rows were measured.
void PrintLoadAverage();

struct Check {
    QByteArray what;
    double value = 0;     // not a number when what it needs failed
    double limit = 0;     // passes when value <= limit
    bool atLeast = false; // passes when value >= limit instead
};

// Prints each check with PASS or FAIL; true when all pass. A value that is
// not a number fails.
bool PrintChecks(const std::vector<Check>& checks);
