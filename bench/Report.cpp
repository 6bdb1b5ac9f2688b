// SPDX-License-Identifier: GPL-3.0-or-later
// Printing the benchmark's results.
#include "Report.h"

#include <QFile>

#include <cstdio>

void PrintTable(const char* title, const std::vector<Row>& rows, const char* ratioHeading)
{
    std::printf("\n%s\n", title);
    std::printf("%-28s %-34s %8s %8s %8s %8s %9s %11s %8s %8s\n", "set", "contender", "seconds",
                "pict/s", "MP/s", "CPU s", "peak MiB", "bytes/pixel", ratioHeading, "x IM size");
    for (const Row& row : rows) {
        if (row.failed) {
            std::printf("%-28s %-34s %8s\n", row.set.constData(), row.contender.constData(),
                        "failed");
            continue;
        }
        const double seconds = row.seconds > 0 ? row.seconds : 1e-9;
        char ratio[32] = "-";
        if (row.floorSeconds > 0)
            std::snprintf(ratio, sizeof ratio, "%.3f", row.seconds / row.floorSeconds);
        char size[32] = "-";
        if (row.peerBytes > 0)
            std::snprintf(size, sizeof size, "%.3f",
                          double(row.outputBytes) / double(row.peerBytes));
        std::printf("%-28s %-34s %8.3f %8.2f %8.2f %8.2f %9.1f %11.4f %8s %8s\n",
                    row.set.constData(), row.contender.constData(), row.seconds,
                    row.pictures / seconds, row.megapixels / seconds, row.cpuSeconds,
                    row.peakMemoryKiB / 1024.0,
                    row.megapixels > 0 ? double(row.outputBytes) / (row.megapixels * 1e6) : 0.0,
                    ratio, size);
    }
    std::fflush(stdout);
}

bool PrintChecks(const std::vector<Check>& checks)
{
    bool allPass = true;
    std::printf("\nTargets\n");
    for (const Check& check : checks) {
        // Comparisons with a value that is not a number are false.
        const bool pass = check.atLeast ? check.value >= check.limit : check.value <= check.limit;
        allPass = allPass && pass;
        std::printf("  %-4s %-66s %9.3f %s %.3f\n", pass ? "PASS" : "FAIL", check.what.constData(),
                    check.value, check.atLeast ? ">=" : "<=", check.limit);
    }
    std::fflush(stdout);
    return allPass;
}

void PrintLoadAverage()
{
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    if (loadAverage.open(QIODevice::ReadOnly))
        std::printf("Load average of the machine at the end: %s",
                    loadAverage.readLine().constData());
}
