// tessaly_bench: converts a generated corpus through the engine, one file
// after another as a batch does, beside a plain libvips loop (the floor),
// ImageMagick's mogrify and one `vips copy` process per file, and prints
// seconds, pictures and megapixels per second, peak memory, output bytes
// per pixel and the ratios the targets are stated in.
//
//   tessaly_bench run <work folder>            the whole benchmark
//   tessaly_bench app <work folder>            the application's rows
//   tessaly_bench engine <sources> <dest> <ext>  one timed engine loop
//   tessaly_bench floor <sources> <dest> <ext> [libvips options]
#include "AppRows.h"
#include "Corpus.h"
#include "Loops.h"
#include "NameLookup.h"
#include "Processes.h"
#include "Report.h"

#include <vips/vips8>

#include <QFileInfo>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

QByteArray gSelf;
QByteArray gWork;
int gOutputs = 0;

struct Set {
    QByteArray label;
    QByteArray sources;
    QByteArray extension;
    int pictures = 0;
    double megapixels = 0;
};

Set Describe(QByteArray label, QByteArray sources, QByteArray extension)
{
    Set set{label, sources, extension};
    set.pictures = int(FilesIn(sources).size());
    set.megapixels = double(PixelsIn(sources)) / 1e6;
    return set;
}

QByteArray NewOutputFolder()
{
    const QByteArray folder = gWork + "/out/" + QByteArray::number(++gOutputs);
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

// One way of converting a set: a label and how to run it into a folder.
struct Contender {
    QByteArray label;
    std::function<ProcessRun(const Set&, const QByteArray& out)> run;
};

// Runs the contenders in turn, repeats times over, so that load from other
// work on the machine falls on all of them alike; each keeps its best time.
// Outputs stay until every run of the set is done: removing files makes the
// file system slower to create the next ones, for whoever comes next.
std::vector<Row> Measure(const Set& set, const std::vector<Contender>& contenders, int repeats,
                         const std::vector<QByteArray>& destinations = {})
{
    std::vector<Row> rows(contenders.size());
    std::vector<QByteArray> written;
    for (int round = 0; round < repeats; ++round) {
        for (size_t i = 0; i < contenders.size(); ++i) {
            const QByteArray out =
                destinations.empty() ? NewOutputFolder() : destinations[size_t(round)];
            const ProcessRun result = contenders[i].run(set, out);
            if (!result.succeeded)
                std::fprintf(stderr, "%s on %s failed\n", contenders[i].label.constData(),
                             set.label.constData());
            const double seconds = ReportedSeconds(result, result.seconds);
            Row& row = rows[i];
            if (round == 0 || seconds < row.seconds) {
                row.seconds = seconds;
                row.outputBytes = BytesIn(out);
            }
            row.peakMemoryKiB = std::max(row.peakMemoryKiB, result.peakMemoryKiB);
            written.push_back(out);
        }
    }
    for (size_t i = 0; i < contenders.size(); ++i) {
        rows[i].set = set.label;
        rows[i].contender = contenders[i].label;
        rows[i].pictures = set.pictures;
        rows[i].megapixels = set.megapixels;
        std::fprintf(stderr, "  %-28s %-34s %8.3f s\n", set.label.constData(),
                     contenders[i].label.constData(), rows[i].seconds);
    }
    for (const QByteArray& out : written) {
        if (destinations.empty())
            RemoveTree(out);
        else
            RemoveFilesExcept(out, "existing-");
    }
    return rows;
}

Contender Engine()
{
    return {"engine (ProcessFSRef)", [](const Set& set, const QByteArray& out) {
                return RunProcess({gSelf, "engine", set.sources, out, set.extension});
            }};
}

Contender Floor(const QByteArray& label = "floor (libvips loop)", const QByteArray& options = {},
                bool safeWrites = false)
{
    return {label, [=](const Set& set, const QByteArray& out) {
                return RunProcess({gSelf, safeWrites ? "floor-safe" : "floor", set.sources, out,
                                   set.extension, options});
            }};
}

Contender Mogrify()
{
    return {"mogrify -quality 75", [](const Set& set, const QByteArray& out) {
                std::vector<QByteArray> arguments = {"mogrify", "-path",   out, "-format",
                                                     set.extension, "-quality", "75"};
                for (const QByteArray& file : FilesIn(set.sources))
                    arguments.push_back(file);
                return RunProcess(arguments);
            }};
}

Contender VipsCopy(const QByteArray& extension)
{
    const QByteArray options = extension == "png" ? "" : "[Q=75]";
    return {"vips copy" + options + " per file", [=](const Set& set, const QByteArray& out) {
                ProcessRun total;
                total.succeeded = true;
                for (const QByteArray& file : FilesIn(set.sources)) {
                    const QByteArray name = file.mid(file.lastIndexOf('/') + 1);
                    const QByteArray output =
                        out + "/" + name.left(name.lastIndexOf('.')) + "." + set.extension + options;
                    const ProcessRun one = RunProcess({"vips", "copy", file, output});
                    total.succeeded = total.succeeded && one.succeeded;
                    total.seconds += one.seconds;
                    total.peakMemoryKiB = std::max(total.peakMemoryKiB, one.peakMemoryKiB);
                }
                return total;
            }};
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
    const Contender safeFloor = Floor("floor, written as the engine does", {}, true);
    for (const auto& [set, repeats] : {std::pair{&a, 5}, {&b, 1}, {&c, 3}, {&e, 3}}) {
        // Timed contenders in turns; the peers once.
        std::vector<Row> timed = Measure(*set, {Floor(), Engine(), safeFloor}, repeats);
        std::vector<Row> others = Measure(*set, {Mogrify(), VipsCopy(set->extension)}, 1);
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
    Row crowded = Measure(d, {Engine()}, int(corpus.crowdedFolders.size()), corpus.crowdedFolders)[0];
    crowded.floorSeconds = floors[a.label].seconds;
    crowded.peerBytes = peers[a.label].outputBytes;
    rows.push_back(crowded);
    PrintTable("Conversions (quality 768 = libvips Q 75 = ImageMagick -quality 75)", rows);

    // Saver options, measured with the floor loop.
    std::vector<Contender> pngVariants, jpegVariants;
    for (const char* variant : {"compression=6,filter=none", "compression=3,filter=all",
                                "compression=4,filter=all", "compression=5,filter=all",
                                "compression=6,filter=all"})
        pngVariants.push_back(Floor(QByteArray("PNG ") + variant, variant));
    for (const char* variant : {"optimize_coding=false", "optimize_coding=true"})
        jpegVariants.push_back(Floor(QByteArray("JPEG ") + variant, variant));
    std::vector<Row> options = Measure(e, pngVariants, 1);
    for (Row& row : options) {
        row.peerBytes = peers[e.label].outputBytes;
        row.floorSeconds = floors[e.label].seconds;
    }
    for (Row row : Measure(a, jpegVariants, 2)) {
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
    if (args.size() == 4 && args[0] == "engine")
        return RunEngineLoop(args[1], args[2], args[3]);
    if ((args.size() == 4 || args.size() == 5) && (args[0] == "floor" || args[0] == "floor-safe"))
        return RunFloorLoop(args[1], args[2], args[3], args.size() == 5 ? args[4] : QByteArray(),
                            args[0] == "floor-safe");
    std::fprintf(stderr, "usage: %s run <work folder>\n", argv[0]);
    return 2;
}
