// SPDX-License-Identifier: GPL-3.0-or-later
// Running contenders in rounds and summing up their rounds.
#include "Measure.h"

#include "Corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace
{

int gOutputs = 0;

QByteArray NewOutputFolder(const QByteArray& work)
{
    const QByteArray folder = work + "/out/" + QByteArray::number(++gOutputs);
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

// How many files in out have the set's extension.
int OutputsIn(const QByteArray& out, const Set& set)
{
    const std::vector<QByteArray> files = FilesIn(out);
    return int(std::count_if(files.begin(), files.end(), [&](const QByteArray& file) {
        return file.endsWith("." + set.extension);
    }));
}

struct Round {
    double seconds = 0;
    double cpuSeconds = 0;
    long long outputBytes = 0;
};

} // namespace

Set Describe(QByteArray label, QByteArray sources, QByteArray extension)
{
    Set set{label, sources, extension};
    set.pictures = int(FilesIn(sources).size());
    set.megapixels = double(PixelsIn(sources)) / 1e6;
    return set;
}

size_t PickedRound(const std::vector<double>& seconds, Pick pick)
{
    std::vector<size_t> order(seconds.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return seconds[x] < seconds[y]; });
    if (order.empty())
        return 0;
    return pick == Pick::Fastest ? order.front() : order[(order.size() - 1) / 2];
}

std::vector<Row> Measure(const QByteArray& work, const Set& set,
                         const std::vector<Contender>& contenders, int repeats, Pick pick,
                         const std::vector<QByteArray>& destinations)
{
    std::vector<Row> rows(contenders.size());
    std::vector<std::vector<Round>> rounds(contenders.size());
    std::vector<QByteArray> written;
    for (int round = 0; round < repeats; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            const QByteArray out =
                destinations.empty() ? NewOutputFolder(work) : destinations[size_t(round)];
            const ProcessRun result = contenders[i].run(set, out);
            Row& row = rows[i];
            // A run that said it succeeded but left pictures out, or wrote
            // another format, failed too.
            const bool allWritten = !destinations.empty() || OutputsIn(out, set) == set.pictures;
            if (!result.succeeded || !allWritten) {
                std::fprintf(stderr, "%s on %s failed%s\n", contenders[i].label.constData(),
                             set.label.constData(),
                             allWritten ? "" : ": outputs missing or of another format");
                row.failed = true;
            }
            rounds[i].push_back(
                {ReportedSeconds(result, result.seconds), result.cpuSeconds, BytesIn(out)});
            std::fprintf(stderr, "    round %d %-34s %8.3f s %8.1f MiB\n", round + 1,
                         contenders[i].label.constData(), rounds[i].back().seconds,
                         result.peakMemoryKiB / 1024.0);
            row.peakMemoryKiB = std::max(row.peakMemoryKiB, result.peakMemoryKiB);
            written.push_back(out);
        }
    }
    for (size_t i = 0; i < contenders.size(); ++i) {
        std::vector<double> seconds;
        for (const Round& round : rounds[i])
            seconds.push_back(round.seconds);
        const Round picked = rounds[i].empty() ? Round{} : rounds[i][PickedRound(seconds, pick)];
        Row& row = rows[i];
        row.set = set.label;
        row.contender = contenders[i].label;
        row.pictures = set.pictures;
        row.megapixels = set.megapixels;
        row.seconds = row.failed ? std::nan("") : picked.seconds;
        row.cpuSeconds = picked.cpuSeconds;
        row.outputBytes = picked.outputBytes;
        std::fprintf(stderr, "  %-28s %-34s %8.3f s\n", set.label.constData(),
                     contenders[i].label.constData(), row.seconds);
    }
    for (const QByteArray& out : written) {
        if (destinations.empty())
            RemoveTree(out);
        else
            RemoveFilesExcept(out, "existing-");
    }
    return rows;
}
