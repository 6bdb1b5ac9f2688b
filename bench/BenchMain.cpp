// SPDX-License-Identifier: GPL-3.0-or-later
// tessaly_bench: converts a generated corpus through the engine, one file
// after another as a batch does, beside a plain libvips loop (the floor),
// ImageMagick's mogrify and one `vips copy` process per file, and prints
// seconds, pictures and megapixels per second, peak memory, output bytes
// per pixel and the ratios the targets are stated in.
//
//   tessaly_bench run <work folder>            the whole benchmark
//   tessaly_bench app <work folder>            the application's rows
//   tessaly_bench parallel <work folder> [N]   several pictures at once, N
//                                              at a time (default: cores)
//   tessaly_bench quality <work folder>        the medium set at each quality
//                                              level (time and bytes)
//   tessaly_bench calibrate <work folder> [K]  the encoder setting of each
//                                              quality level for each lossy
//                                              format, searched on every Kth
//                                              whole photo of the medium set
//                                              (default 7)
//   tessaly_bench calibrate-check <work folder> [K] [levels|tools]  the
//                                              same measurements of the saver
//                                              table's settings, then the
//                                              bytes at High and the
//                                              encoders' speed (or one part)
//   tessaly_bench engine <sources> <dest> <ext> [quality]  one timed engine
//                                              loop
//   tessaly_bench floor <sources> <dest> <ext> [libvips options]
//   tessaly_bench floor-parallel <sources> <dest> <ext> <threads>
#include "AppRows.h"
#include "Calibrate.h"
#include "Contenders.h"
#include "Corpus.h"
#include "Loops.h"
#include "Measure.h"
#include "NameLookup.h"
#include "ParallelRows.h"
#include "Report.h"

#include <vips/vips8>

#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace
{

QByteArray gSelf;
QByteArray gWork;

std::vector<Row> MeasureFastest(const Set& set, const std::vector<Contender>& contenders,
                                int repeats, const std::vector<QByteArray>& destinations = {})
{
    return Measure(gWork, set, contenders, repeats, Pick::Fastest, destinations);
}

int RunBenchmark(const QByteArray& work)
{
    gWork = QFileInfo(QString::fromUtf8(work)).absoluteFilePath().toUtf8();
    Corpus corpus;
    if (!PrepareCorpus(gWork + "/corpus", &corpus))
        return 1;
    for (const QByteArray& folder : corpus.crowdedFolders)
        RemoveFilesExcept(folder, "existing-");

    const Set a = Describe("(a) 200 640x480 PNG>JPEG", corpus.smallPngs, "jpg");
    const Set b = Describe("(b) 40 3000x2000 JPEG>WebP", corpus.cameraJpegs, "webp");
    const Set c = Describe("(c) 12000x9000 PNG>JPEG", corpus.hugePng, "jpg");
    const Set d = Describe("(d) (a) into 20,000 files", corpus.smallPngs, "jpg");
    const Set e = Describe("(e) 200 640x480 PNG>PNG", corpus.smallPngs, "png");

    std::fprintf(stderr, "Running\n");
    std::vector<Row> rows;
    std::map<QByteArray, Row> engines, floors, safeFloors, peers;
    const Contender safeFloor = Floor(gSelf, "floor, written as the engine does", {}, true);
    for (const auto& [set, repeats] : {std::pair{&a, 5}, {&b, 1}, {&c, 3}, {&e, 3}}) {
        // Timed contenders in turns; the peers once.
        std::vector<Row> timed =
            MeasureFastest(*set, {Floor(gSelf), Engine(gSelf), safeFloor}, repeats);
        std::vector<Row> others = MeasureFastest(*set, {Mogrify(), VipsCopy(set->extension)}, 1);
        timed.insert(timed.end(), others.begin(), others.end());
        for (Row& row : timed) {
            row.floorSeconds = timed[0].seconds;
            row.peerBytes = others[0].outputBytes;
            rows.push_back(row);
        }
        floors[set->label] = timed[0];
        engines[set->label] = timed[1];
        safeFloors[set->label] = timed[2];
        peers[set->label] = others[0];
    }
    Row crowded = MeasureFastest(d, {Engine(gSelf)}, int(corpus.crowdedFolders.size()),
                                 corpus.crowdedFolders)[0];
    crowded.floorSeconds = floors[a.label].seconds;
    crowded.peerBytes = peers[a.label].outputBytes;
    rows.push_back(crowded);
    PrintTable("Conversions (quality 768 = libvips Q 75 = ImageMagick -quality 75)", rows);

    // Saver options, measured with the floor loop.
    std::vector<Contender> pngVariants, jpegVariants;
    for (const char* variant :
         {"compression=6,filter=none", "compression=3,filter=all", "compression=4,filter=all",
          "compression=5,filter=all", "compression=6,filter=all"})
        pngVariants.push_back(Floor(gSelf, QByteArray("PNG ") + variant, variant));
    for (const char* variant : {"optimize_coding=false", "optimize_coding=true"})
        jpegVariants.push_back(Floor(gSelf, QByteArray("JPEG ") + variant, variant));
    std::vector<Row> options = MeasureFastest(e, pngVariants, 1);
    for (Row& row : options) {
        row.peerBytes = peers[e.label].outputBytes;
        row.floorSeconds = floors[e.label].seconds;
    }
    for (Row row : MeasureFastest(a, jpegVariants, 2)) {
        row.peerBytes = peers[a.label].outputBytes;
        row.floorSeconds = floors[a.label].seconds;
        options.push_back(row);
    }
    PrintTable("Saver options (floor loop; x floor against the saver table's options)", options);

    const double decodedHuge = 12000.0 * 9000.0 * 3.0;
    const auto sizeRatio = [&](const Set& set) {
        return double(engines[set.label].outputBytes) / double(peers[set.label].outputBytes);
    };
    const auto floorRatio = [&](const Set& set) {
        return engines[set.label].seconds / floors[set.label].seconds;
    };
    std::printf("\nEngine time / time of the floor written as the engine does (temporary file,\n"
                "rename): (a) %.3f  (b) %.3f  (c) %.3f  (e) %.3f\n",
                engines[a.label].seconds / safeFloors[a.label].seconds,
                engines[b.label].seconds / safeFloors[b.label].seconds,
                engines[c.label].seconds / safeFloors[c.label].seconds,
                engines[e.label].seconds / safeFloors[e.label].seconds);
    const bool pass = PrintChecks({
        {"(a) engine time / floor time", floorRatio(a), 1.15},
        {"(b) engine time / floor time", floorRatio(b), 1.15},
        {"(c) engine time / floor time", floorRatio(c), 1.15},
        {"(d) engine time / (a) engine time", crowded.seconds / engines[a.label].seconds, 1.2},
        {"(c) engine peak memory / (decoded size / 4)",
         engines[c.label].peakMemoryKiB * 1024.0 / (decodedHuge / 4), 1.0},
        {"(a) JPEG bytes / ImageMagick's", sizeRatio(a), 1.05},
        {"(c) JPEG bytes / ImageMagick's", sizeRatio(c), 1.05},
        {"(e) PNG bytes / ImageMagick's", sizeRatio(e), 1.1},
    });
    const bool lookupsPass = RunNameLookupBenchmark(gWork);
    std::printf("\nWork folder: %s (the corpus is kept for the next run)\n", gWork.constData());
    return pass && lookupsPass ? 0 : 3;
}

// What each quality level costs: the medium set (40 camera JPEGs into WebP,
// set (b) of the conversions) through the engine at every level the
// preferences offer, beside the default row's bytes.
int RunQualityBenchmark(const QByteArray& work)
{
    gWork = QFileInfo(QString::fromUtf8(work)).absoluteFilePath().toUtf8();
    Corpus corpus;
    if (!PrepareCorpus(gWork + "/corpus", &corpus))
        return 1;
    std::vector<Row> rows;
    for (const char* extension : {"webp", "jpg"}) {
        const Set set = Describe(QByteArray("40 3000x2000 JPEG>") + extension + " by level",
                                 corpus.cameraJpegs, extension);
        std::vector<Contender> levels;
        for (const auto& [name, quality] : {std::pair{"Low 256", 256},
                                            {"Normal 512", 512},
                                            {"High 768 (default)", 768},
                                            {"Best 1023", 1023},
                                            {"Lossless 1024", 1024}})
            levels.push_back(EngineAtQuality(gSelf, QByteArray("engine, ") + name, quality));
        std::vector<Row> measured = MeasureFastest(set, levels, 1);
        for (Row& row : measured) {
            row.floorSeconds = measured[2].seconds;
            row.peerBytes = measured[2].outputBytes;
            rows.push_back(row);
        }
    }
    PrintTable("Quality levels (x floor and bytes against the default level, High 768)", rows);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (VIPS_INIT(argv[0]) != 0)
        return 1;
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    gSelf = length > 0 ? QByteArray(self, length) : QByteArray(argv[0]);

    const std::vector<QByteArray> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "run")
        return RunBenchmark(args[1]);
    if (args.size() == 2 && args[0] == "app")
        return RunApplicationBenchmark(gSelf, args[1]);
    if (args.size() == 2 && args[0] == "lookups")
        return RunNameLookupBenchmark(args[1]) ? 0 : 3;
    if (args.size() == 2 && args[0] == "quality")
        return RunQualityBenchmark(args[1]);
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "calibrate")
        return RunCalibration(gSelf, args[1], args.size() == 3 ? std::max(1, args[2].toInt()) : 7,
                              CalibrationPart::Search);
    if (args.size() >= 2 && args.size() <= 4 && args[0] == "calibrate-check") {
        const QByteArray which = args.size() == 4 ? args[3] : "all";
        const CalibrationPart part = which == "levels"  ? CalibrationPart::Levels
                                     : which == "tools" ? CalibrationPart::Tools
                                                        : CalibrationPart::Check;
        if (which == "all" || part != CalibrationPart::Check)
            return RunCalibration(gSelf, args[1],
                                  args.size() >= 3 ? std::max(1, args[2].toInt()) : 5, part);
    }
    if (args.size() == 4 && args[0] == "engine")
        return RunEngineLoop(args[1], args[2], args[3]);
    if (args.size() == 5 && args[0] == "engine")
        return RunEngineLoop(args[1], args[2], args[3], args[4]);
    if (args.size() >= 2 && args.size() <= 3 && args[0] == "parallel")
        return RunParallelBenchmark(gSelf, args[1], args.size() == 3 ? args[2].toInt() : 0);
    if ((args.size() == 4 || args.size() == 5) && (args[0] == "floor" || args[0] == "floor-safe"))
        return RunFloorLoop(args[1], {args[2], args[3], args.size() == 5 ? args[4] : QByteArray(),
                                      args[0] == "floor-safe"});
    if (args.size() == 5 && args[0] == "floor-parallel" && args[4].toInt() > 0)
        return RunFloorLoop(args[1], {args[2], args[3], {}, true, args[4].toInt()});
    std::fprintf(stderr, "usage: %s run <work folder>\n", argv[0]);
    return 2;
}
