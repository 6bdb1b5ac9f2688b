// SPDX-License-Identifier: GPL-3.0-or-later
// Several pictures at once against one at a time and the peers.
#include "ParallelRows.h"

#include "AppRows.h"
#include "Contenders.h"
#include "Corpus.h"
#include "Measure.h"
#include "Report.h"

#include <QFileInfo>
#include <QThread>

#include <cmath>
#include <cstdio>

namespace
{

constexpr int kRounds = 3;

// The columns of a set's rows, in the order the contenders run each round.
enum Column { kEngine, kFloor, kToFolder, kWindow, kImageMagick, kGraphicsMagick, kColumns };

// value, or not a number when a row it comes from failed.
double From(std::initializer_list<const Row*> rows, double value)
{
    for (const Row* row : rows) {
        if (row->failed)
            return std::nan("");
    }
    return value;
}

} // namespace

int RunParallelBenchmark(const QByteArray& self, const QByteArray& workFolder, int jobs)
{
    const QByteArray work = QFileInfo(QString::fromUtf8(workFolder)).absoluteFilePath().toUtf8();
    if (jobs <= 0)
        jobs = QThread::idealThreadCount();
    const Programs programs = ProgramsBeside(self);
    Corpus corpus;
    QByteArray largeTiffs;
    if (!PrepareCorpus(work + "/corpus", &corpus) ||
        !PrepareLargeTiffs(work + "/corpus", &largeTiffs))
        return 1;
    IsolateApplicationRuns(work);

    // Each set with the throughput over the one-at-a-time engine that
    // `tessaly --to` has to reach (0: none), and whether memory is checked.
    struct Goal {
        Set set;
        double overEngine = 0;
        bool memory = false;
    };
    const Goal goals[] = {
        {Describe("(a) 200 640x480 PNG>JPEG", corpus.smallPngs, "jpg"), 1.45},
        {Describe("(b) 40 3000x2000 JPEG>WebP", corpus.cameraJpegs, "webp"), 1.7},
        {Describe("(c) 4 10328x7760 TIFF>JPEG", largeTiffs, "jpg"), 0, true},
    };
    const std::vector<Contender> contenders = {
        Engine(self, "engine, one at a time"),
        ParallelFloor(self, jobs),
        ToFolder(programs, jobs),
        Window(programs, jobs),
        Mogrify(),
        Mogrify(true),
    };

    std::fprintf(stderr, "Running %d at a time\n", jobs);
    std::vector<Row> rows;
    std::vector<Check> checks;
    for (const auto& [set, overEngine, memory] : goals) {
        std::vector<Row> timed = Measure(work, set, contenders, kRounds, Pick::Median);
        const Row& engine = timed[kEngine];
        const Row& floor = timed[kFloor];
        const Row& to = timed[kToFolder];
        const Row& window = timed[kWindow];
        const Row& imageMagick = timed[kImageMagick];
        const bool jpeg = set.extension == "jpg";
        const QByteArray name = set.label.left(3) + " ";
        for (Row& row : timed) {
            row.floorSeconds = floor.seconds;
            row.peerBytes = jpeg && !imageMagick.failed ? imageMagick.outputBytes : 0;
        }
        rows.insert(rows.end(), timed.begin(), timed.end());

        // Throughputs on one set compare as the inverse of their times.
        checks.push_back({name + "tessaly --to throughput / parallel floor's",
                          floor.seconds / to.seconds, 0.9, true});
        if (overEngine > 0)
            checks.push_back({name + "tessaly --to throughput / one-at-a-time engine's",
                              engine.seconds / to.seconds, overEngine, true});
        checks.push_back(
            {name + "window time / tessaly --to time", window.seconds / to.seconds, 1.1});
        if (jpeg)
            checks.push_back({name + "tessaly --to JPEG bytes / ImageMagick's",
                              From({&to, &imageMagick},
                                   double(to.outputBytes) / double(imageMagick.outputBytes)),
                              1.05});
        if (memory) {
            checks.push_back({name + "tessaly --to peak memory / one-at-a-time engine's",
                              From({&to, &engine}, double(to.peakMemoryKiB) / engine.peakMemoryKiB),
                              2.0});
            checks.push_back({name + "one-at-a-time engine peak memory / ImageMagick's",
                              From({&engine, &imageMagick},
                                   double(engine.peakMemoryKiB) / imageMagick.peakMemoryKiB),
                              1.0});
        }
    }

    const QByteArray title = "Several pictures at once, " + QByteArray::number(jobs) +
                             " at a time (median of " + QByteArray::number(kRounds) +
                             " rounds, contenders in turns each round;\nthe engine loop's time "
                             "leaves out its process start-up, the others' include it;\nCPU s "
                             "and peak memory are of the whole process; x floor: time / the "
                             "parallel floor's)";
    PrintTable(title.constData(), rows);
    PrintLoadAverage();
    const bool pass = PrintChecks(checks);
    std::printf("\nWork folder: %s (the corpus is kept for the next run)\n", work.constData());
    return pass ? 0 : 3;
}
