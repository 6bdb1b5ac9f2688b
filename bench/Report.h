// The benchmark's table and the targets it checks.
#pragma once

#include <QByteArray>

#include <vector>

struct Row {
    QByteArray set;        // which pictures, into what
    QByteArray contender;  // engine, floor, mogrify, vips copy, or an option variant
    double seconds = 0;
    int pictures = 0;
    double megapixels = 0; // input pixels, in millions
    long peakMemoryKiB = 0;
    long long outputBytes = 0;
    double floorSeconds = 0; // of the same set; 0 when there is none
    long long peerBytes = 0;  // ImageMagick's output of the same set; 0 when there is none
};

void PrintTable(const char* title, const std::vector<Row>& rows);

struct Check {
    QByteArray what;
    double value = 0;
    double limit = 0; // passes when value <= limit
};

// Prints each check with PASS or FAIL; true when all pass.
bool PrintChecks(const std::vector<Check>& checks);
