// SPDX-License-Identifier: GPL-3.0-or-later
// Calibrating the quality levels: for every lossy format, the encoder
// setting at each level whose median butteraugli distance from the source
// matches JPEG's at that level, searched on whole photos of the medium set;
// then the bytes of whole photos at High against JPEG's, and the encoders'
// speed against their own command-line tools.
#include "Calibrate.h"

#include "AppRows.h"
#include "Contenders.h"
#include "Corpus.h"
#include "Measure.h"
#include "Processes.h"
#include "Report.h"

#include "platform/graphics/SaverTable.h"

#include <vips/vips8>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace
{

using platform::graphics::SaverEntry;

// Within this of the target the search stops; the levels must be within
// 10 %. butteraugli takes about 12 s for a photo of the set on one core,
// so the search starts at the table's setting and steps from there.
constexpr double kCloseEnough = 0.03;
constexpr double kTolerance = 0.10;
constexpr int kFirstStep = 4;
// The levels in the order they are searched: High first, the one the
// targets on bytes are stated at.
constexpr size_t kSearchOrder[] = {2, 1, 0, 3};

struct Sample {
    QByteArray sourcePng; // the photo as decoded from the source, for butteraugli
    vips::VImage photo;
    platform::graphics::PictureShape shape;
};

struct Measured {
    int setting = 0;
    const char* mode = "";    // LevelSetting::options
    double distance = 0;      // median over the samples
    double bytesPerPixel = 0; // median over the samples
    bool failed = false;
};

// Whether libvips' JPEG loader found no subsampled component: the program
// then writes JPEG at 4:4:4 too.
bool FullChroma(const vips::VImage& photo)
{
    const char* sampling = nullptr;
    return vips_image_get_typeof(photo.get_image(), "jpeg-chroma-subsample") &&
           vips_image_get_string(photo.get_image(), "jpeg-chroma-subsample", &sampling) == 0 &&
           sampling && QByteArray(sampling).startsWith("4:4:4");
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Every everyth photo of sources, decoded once.
bool PrepareSamples(const QByteArray& sources, const QByteArray& folder, int every,
                    std::vector<Sample>* samples)
{
    MakeFolders(folder);
    const std::vector<QByteArray> photos = FilesIn(sources);
    for (size_t i = 0; i < photos.size(); i += size_t(every)) {
        try {
            vips::VImage photo = vips::VImage::new_from_file(photos[i].constData());
            Sample sample;
            sample.photo = photo.copy_memory();
            sample.shape = {sample.photo.width(), sample.photo.height(), sample.photo.bands(),
                            FullChroma(photo)};
            sample.sourcePng = folder + "/source-" + QByteArray::number(qulonglong(i)) + ".png";
            sample.photo.pngsave(sample.sourcePng.constData(),
                                 vips::VImage::option()->set("compression", 1)->set("strip", true));
            samples->push_back(sample);
        } catch (const vips::VError& error) {
            std::fprintf(stderr, "cannot read %s: %s\n", photos[i].constData(), error.what());
            return false;
        }
    }
    return !samples->empty();
}

// Encodes sample with saver at setting (0: the format's lossless mode is not
// used here; the table's own options otherwise), decodes it and asks
// butteraugli how far it is from the source. Returns a negative distance
// when a step fails.
double Distance(const SaverEntry& saver, const platform::graphics::LevelSetting& level,
                const Sample& sample, const QByteArray& decodedPng, double* bytesPerPixel)
{
    try {
        const std::string options =
            platform::graphics::SaverOptionsAtSetting(saver, level, sample.shape);
        vips::VTarget target = vips::VTarget::new_to_memory();
        vips::VImage::call_option_string(
            saver.saver, options.c_str(),
            vips::VImage::option()->set("in", sample.photo)->set("target", target));
        VipsBlob* blob = nullptr;
        g_object_get(target.get_target(), "blob", &blob, nullptr);
        size_t length = 0;
        const void* data = vips_blob_get(blob, &length);
        *bytesPerPixel = double(length) / (double(sample.shape.width) * sample.shape.height);
        vips::VImage decoded = vips::VImage::new_from_buffer(data, length, "");
        if (decoded.bands() > 3)
            decoded = decoded.extract_band(0, vips::VImage::option()->set("n", 3));
        decoded.cast(VIPS_FORMAT_UCHAR)
            .pngsave(decodedPng.constData(),
                     vips::VImage::option()->set("compression", 1)->set("strip", true));
        vips_area_unref(VIPS_AREA(blob));
    } catch (const vips::VError& error) {
        std::fprintf(stderr, "%s at %d %s: %s\n", saver.extension, level.setting, level.options,
                     error.what());
        return -1;
    }
    const ProcessRun run = RunProcess({"butteraugli", sample.sourcePng, decodedPng});
    bool ok = false;
    const double distance = run.output.trimmed().split('\n').value(0).trimmed().toDouble(&ok);
    return run.succeeded && ok ? distance : -1;
}

class Calibration
{
public:
    Calibration(std::vector<Sample> samples, QByteArray folder)
        : m_samples(std::move(samples)), m_folder(std::move(folder))
    {
    }

    // The median distance and bytes of saver at setting over the samples,
    // two at a time; remembered for the saver.
    Measured evaluate(const SaverEntry& saver, int setting, const char* mode = "")
    {
        std::map<int, Measured>& known = m_points[{saver.exportType, mode}];
        if (const auto found = known.find(setting); found != known.end())
            return found->second;
        std::vector<double> distances(m_samples.size()), bytes(m_samples.size());
        std::atomic<size_t> next = 0;
        const auto work = [&](int slot) {
            const QByteArray decoded =
                m_folder + "/decoded-" + QByteArray::number(slot) + "." + saver.extension + ".png";
            for (size_t i; (i = next++) < m_samples.size();)
                distances[i] = Distance(saver, {.setting = setting, .options = mode}, m_samples[i],
                                        decoded, &bytes[i]);
        };
        std::thread other(work, 1);
        work(0);
        other.join();
        Measured point{setting, mode, Median(distances), Median(bytes)};
        point.failed =
            std::any_of(distances.begin(), distances.end(), [](double d) { return d < 0; });
        std::fprintf(stderr, "  %-5s setting %3d %s: distance %.3f, %.4f bytes/pixel\n",
                     saver.extension, setting, mode, point.distance, point.bytesPerPixel);
        known[setting] = point;
        return point;
    }

    // The setting of saver whose distance is nearest target, starting at
    // start unless what is known rules it out: steps of growing size until
    // the target lies between two known settings, then interpolation
    // between them (the distance falls with the setting, roughly
    // exponentially), halving where that does not narrow.
    Measured match(const SaverEntry& saver, double target, int start, const char* mode = "")
    {
        const auto error = [target](const Measured& p) {
            return p.failed ? INFINITY : std::abs(p.distance - target) / target;
        };
        std::map<int, Measured>& known = m_points[{saver.exportType, mode}];
        int step = kFirstStep;
        int lastWidth = 101;
        for (;;) {
            // The distance is above target at lower, at or below it at upper.
            const Measured *low = nullptr, *high = nullptr;
            for (const auto& [setting, point] : known) {
                if (point.failed)
                    continue;
                if (point.distance > target)
                    low = &point;
                else if (!high)
                    high = &point;
            }
            const int lower = low ? low->setting : 0, upper = high ? high->setting : 101;
            const Measured* best = nearest(saver, mode, error);
            if ((best && error(*best) <= kCloseEnough) || upper - lower <= 1)
                break;
            int next;
            if ((!low || start > lower) && (!high || start < upper) && !known.count(start)) {
                next = std::clamp(start, 1, 100); // the table's setting, where it is still open
            } else if (!high) {
                next = std::min(100, lower + step);
                step *= 2;
            } else if (!low) {
                next = std::max(1, upper - step);
                step *= 2;
            } else if (upper - lower > lastWidth / 2) {
                next = (lower + upper) / 2;
            } else {
                const double along = std::log(low->distance / target) /
                                     std::log(low->distance / std::max(high->distance, 1e-3));
                next = std::clamp(int(std::lround(lower + along * (upper - lower))), lower + 1,
                                  upper - 1);
            }
            if (low && high)
                lastWidth = upper - lower;
            if (known.count(next))
                next = (lower + upper) / 2;
            if (known.count(next))
                break;
            evaluate(saver, next, mode);
        }
        const Measured* best = nearest(saver, mode, error);
        return best ? *best : Measured{0, mode, std::nan(""), 0, true};
    }

private:
    template <typename Error>
    const Measured* nearest(const SaverEntry& saver, const char* mode, Error error)
    {
        const Measured* best = nullptr;
        for (const auto& [setting, point] : m_points[{saver.exportType, mode}]) {
            if (!best || error(point) < error(*best))
                best = &point;
        }
        return best;
    }

    std::vector<Sample> m_samples;
    QByteArray m_folder;
    std::map<std::pair<OSType, std::string>, std::map<int, Measured>> m_points;
};

std::vector<const SaverEntry*> LossySavers()
{
    std::vector<const SaverEntry*> lossy;
    for (const SaverEntry* saver : platform::graphics::AvailableSavers()) {
        if (platform::graphics::QualityApplies(*saver))
            lossy.push_back(saver);
    }
    return lossy;
}

// Each lossy format's settings at each level: searched for JPEG's distance,
// or the table's own, measured.
using Levels = std::map<OSType, std::vector<Measured>>;

Levels MeasureLevels(Calibration& calibration, const std::vector<const SaverEntry*>& lossy,
                     const SaverEntry& jpeg, bool searching)
{
    Levels measured;
    for (const SaverEntry* saver : lossy)
        measured[saver->exportType].resize(std::size(saver->levels));
    for (const size_t level : kSearchOrder) {
        const Measured target = calibration.evaluate(jpeg, jpeg.levels[level].setting);
        measured[jpeg.exportType][level] = target;
        for (const SaverEntry* saver : lossy) {
            if (saver == &jpeg)
                continue;
            const platform::graphics::LevelSetting& inTable = saver->levels[level];
            if (!searching) {
                measured[saver->exportType][level] =
                    calibration.evaluate(*saver, inTable.setting, inTable.options);
                continue;
            }
            Measured point = calibration.match(*saver, target.distance, inTable.setting);
            if (std::abs(point.distance / target.distance - 1) > kTolerance && saver->finerMode) {
                const Measured finer =
                    calibration.match(*saver, target.distance, inTable.setting, saver->finerMode);
                if (std::abs(finer.distance - target.distance) <
                    std::abs(point.distance - target.distance))
                    point = finer;
            }
            measured[saver->exportType][level] = point;
        }
    }
    return measured;
}

// Prints the levels against JPEG's and the rows for the saver table; adds a
// check for each level the table says is matched when not searching.
// Whether every level is within 10 % of JPEG's distance.
bool PrintLevels(const Levels& measured, const std::vector<const SaverEntry*>& lossy,
                 const SaverEntry& jpeg, size_t photos, bool searching, std::vector<Check>* checks)
{
    const std::vector<Measured>& jpegLevels = measured.at(jpeg.exportType);
    bool all = true;
    std::printf("\nCalibrated levels: median butteraugli distance over %zu whole photos "
                "(target: JPEG's)\n",
                photos);
    std::printf("%-6s %-7s %8s %9s %9s %7s %12s\n", "format", "level", "setting", "distance",
                "JPEG's", "ratio", "bytes/pixel");
    for (const SaverEntry* saver : lossy) {
        for (size_t level = 0; level < std::size(saver->levels); ++level) {
            const Measured& point = measured.at(saver->exportType)[level];
            const double target = jpegLevels[level].distance;
            const double ratio = point.distance / target;
            const bool within = !point.failed && std::abs(ratio - 1) <= kTolerance;
            all = all && within;
            std::printf("%-6s %-7s %8d %9.3f %9.3f %7.3f %12.4f %s%s\n", saver->extension,
                        platform::graphics::kQualityLevelNames[level], point.setting,
                        point.distance, target, ratio, point.bytesPerPixel, point.mode,
                        within ? "" : "  (outside 10 %)");
            if (!searching && saver != &jpeg && !saver->levels[level].unmatched)
                checks->push_back({QByteArray(saver->extension) + " " +
                                       platform::graphics::kQualityLevelNames[level] +
                                       ": |distance / JPEG's - 1|",
                                   std::abs(ratio - 1), kTolerance});
        }
    }
    std::printf("\nFor the saver table (SaverTable.cpp):\n");
    bool same = true;
    for (const SaverEntry* saver : lossy) {
        std::printf("    %s:\n     .levels = {", saver->extension);
        for (size_t level = 0; level < std::size(saver->levels); ++level) {
            const Measured& point = measured.at(saver->exportType)[level];
            std::printf("%s{.setting = %d, ", level ? ",\n                " : "", point.setting);
            if (*point.mode)
                std::printf(".options = \"%s\", ", point.mode);
            std::printf(".distance = %.3f, .bytesPerPixel = %.4f", point.distance,
                        point.bytesPerPixel);
            std::printf(std::abs(point.distance / jpegLevels[level].distance - 1) > kTolerance
                            ? ", .unmatched = true}"
                            : "}");
            same = same && point.setting == saver->levels[level].setting &&
                   std::string_view(point.mode) == saver->levels[level].options;
        }
        std::printf("},\n");
    }
    std::printf(same ? "The table's settings are these.\n"
                     : "The table's settings differ from these.\n");
    return all;
}

// The command-line encoders, one process per photo and two at a time, at
// their own default speed and the setting the table gives at High.
Contender CommandLine(const QByteArray& label, const QByteArray& command)
{
    return {label, [=](const Set& set, const QByteArray& out) {
                const QByteArray script = "cd \"$1\" && ls | xargs -P 2 -I{} sh -c '" + command +
                                          "' - {} \"$2\"/{}." + set.extension;
                return RunProcess({"sh", "-c", script, "-", set.sources, out});
            }};
}

} // namespace

int RunCalibration(const QByteArray& self, const QByteArray& work, int every, CalibrationPart part)
{
    const QByteArray absolute = QFileInfo(QString::fromUtf8(work)).absoluteFilePath().toUtf8();
    QByteArray sources;
    if (!PrepareCameraJpegs(absolute + "/corpus", &sources))
        return 1;
    const QByteArray folder = absolute + "/calibrate";
    RemoveTree(folder);
    vips_concurrency_set(1);

    const std::vector<const SaverEntry*> lossy = LossySavers();
    const SaverEntry* jpeg = platform::graphics::FindSaver(FOUR_CHAR_CODE("JPEG"));
    if (!jpeg)
        return 1;
    const bool searching = part == CalibrationPart::Search;
    bool allWithin = true; // what a search answers; a check answers with its checks
    std::vector<Check> checks;
    if (part != CalibrationPart::Tools) {
        std::vector<Sample> samples;
        if (!PrepareSamples(sources, folder + "/photos", every, &samples))
            return 1;
        std::fprintf(stderr, "%s on %zu whole photos of the medium set\n",
                     searching ? "Calibrating" : "Measuring the table", samples.size());
        Calibration calibration(samples, folder + "/photos");
        const Levels measured = MeasureLevels(calibration, lossy, *jpeg, searching);
        allWithin = PrintLevels(measured, lossy, *jpeg, samples.size(), searching, &checks);
    }
    if (searching) {
        // The program writes with the table it was built with: bytes and
        // speed are measured once these rows are in it.
        std::printf("With these rows in the saver table, bench/run.sh calibrate-check measures "
                    "the bytes of whole photos and the encoders' speed.\n");
        return allWithin ? 0 : 3;
    }
    if (part == CalibrationPart::Levels)
        return PrintChecks(checks) ? 0 : 3;

    // Whole photos at High through the program, and the encoders' own tools
    // on the same photos.
    const Programs programs = ProgramsBeside(self);
    IsolateApplicationRuns(absolute);
    const auto setting = [&](const char* extension) {
        const SaverEntry* saver = platform::graphics::FindSaverForExtension(extension);
        return saver ? QByteArray::number(saver->levels[2].setting) : QByteArray("75");
    };
    std::vector<Row> rows;
    long long jpegBytes = 0;
    for (const SaverEntry* saver : lossy) {
        const Set set = Describe(QByteArray("40 3000x2000 JPEG>") + saver->extension + " at High",
                                 sources, saver->extension);
        Row row = Measure(absolute, set, {ToFolder(programs, 2)}, 1)[0];
        if (saver == jpeg)
            jpegBytes = row.outputBytes;
        rows.push_back(row);
    }
    for (Row& row : rows)
        row.peerBytes = jpegBytes;
    PrintTable("Whole photos at High (x peer: bytes against JPEG's at High)", rows);
    for (size_t i = 0; i < lossy.size(); ++i) {
        const QByteArray extension = lossy[i]->extension;
        const double most = extension == "webp" ? 0.9 : extension == "jpg" ? 1.0 : 0.7;
        if (extension == "jpg" || extension == "jp2")
            continue;
        checks.push_back({extension + " bytes at High / JPEG's",
                          double(rows[i].outputBytes) / double(jpegBytes), most});
    }

    // Speed: 8 photos, the program with one and two workers against the
    // encoders' own tools at their default speed, two processes at a time.
    const QByteArray eight = folder + "/eight";
    MakeFolders(eight);
    const std::vector<QByteArray> photos = FilesIn(sources);
    for (size_t i = 0; i < photos.size() && i < 40; i += 5)
        QFile::link(QString::fromUtf8(photos[i]),
                    QString::fromUtf8(eight) + "/" +
                        QFileInfo(QString::fromUtf8(photos[i])).fileName());
    // The tools at their own default speed and the table's setting at High;
    // AVIF also through heif-enc, which gives libaom the same quality as the
    // program (both through libheif).
    const struct {
        const char* extension;
        QByteArray label;
        QByteArray tool;
    } encoders[] = {
        {"avif", "avifenc -s 6, 2 at a time",
         "avifenc -s 6 -j 1 --min 0 --max 63 -a end-usage=q -a cq-level=" +
             QByteArray::number(((100 - setting("avif").toInt()) * 63 + 50) / 100) +
             " \"$1\" \"$2\" >/dev/null"},
        {"avif", "heif-enc -A, 2 at a time",
         "heif-enc -A -q " + setting("avif") + " -o \"$2\" \"$1\" >/dev/null"},
        {"heic", "heif-enc, 2 at a time",
         "heif-enc -q " + setting("heic") + " -o \"$2\" \"$1\" >/dev/null"},
        {"jxl", "cjxl, 2 at a time",
         "cjxl --lossless_jpeg=0 -q " + setting("jxl") + " \"$1\" \"$2\" >/dev/null 2>&1"},
    };
    std::vector<Row> speed;
    std::map<QByteArray, std::vector<Row>> programRows;
    for (const auto& encoder : encoders) {
        const Set set = Describe(QByteArray("8 3000x2000 JPEG>") + encoder.extension + " at High",
                                 eight, encoder.extension);
        // The program once per format, beside its first tool.
        std::vector<Contender> contenders = {CommandLine(encoder.label, encoder.tool)};
        const bool first = !programRows.count(encoder.extension);
        if (first)
            contenders.insert(contenders.end(), {ToFolder(programs, 1), ToFolder(programs, 2)});
        std::vector<Row> measuredRows = Measure(absolute, set, contenders, 1);
        if (first)
            programRows[encoder.extension] = {measuredRows[1], measuredRows[2]};
        const std::vector<Row>& program = programRows[encoder.extension];
        Row tool = measuredRows[0];
        for (Row row : {tool, program[0], program[1]}) {
            row.floorSeconds = tool.seconds;
            row.peerBytes = tool.outputBytes;
            speed.push_back(row);
        }
        checks.push_back({QByteArray(encoder.extension) + " time (2 workers) / " + encoder.label,
                          program[1].seconds / tool.seconds, 1.0});
    }
    PrintTable("Encoder speed (x floor: time against the tool's, x peer: bytes against its)",
               speed);
    return PrintChecks(checks) ? 0 : 3;
}
