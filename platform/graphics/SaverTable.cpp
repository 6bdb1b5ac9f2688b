// SPDX-License-Identifier: GPL-3.0-or-later
// The saver table and the part of it the running libvips can write.
#include "platform/graphics/SaverTable.h"

#include "VipsSupport.h"
#include "platform/memory/MemoryPolicy.h"

#include <vips/vips8>

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform::graphics
{

namespace
{

// Commonest first, JPEG first. Each four-character code is the one the old
// graphics exporters used for the format where they had one ('JPEG', 'PNGf',
// 'TIFF', 'GIFf', 'jp2 '); the newer formats take their brand or extension.
//
// Quality (0..1024, 768 = codecHighQuality) means one look in every format.
// JPEG sets the scale: Low, Normal, High and Best are its Q 25, 50, 75 (the
// level the common tools use by default) and 100. Every other lossy format
// writes, at each level, the setting of its own quality option whose median
// butteraugli distance from the source matches JPEG's there, over whole
// photos of the benchmark's medium set (40 photo-like 3000 × 2000 JPEGs of
// Q 92; the search runs on every 7th, 12 s a comparison); the levels'
// distances and bytes stand beside each setting. bench/run.sh calibrate
// measures them again and prints the rows for a new libvips or encoder.
// 1024 (codecLosslessQuality) picks the lossless mode where the format has
// one.
// butteraugli's distance is the worst spot of a picture, and on these photos
// that is a saturated edge: formats that halve the colour resolution blurred
// it (4.3 to 4.5 at High against JPEG's 2.8, which keeps a 4:4:4 source's
// colour). So HEIF and AVIF keep a 4:4:4 JPEG's colour resolution as JPEG
// does, and WebP, whose lossy mode cannot, converts it with libwebp's sharp
// (iterative) subsampling. A calibration on squares from the middle of the
// photos, which miss that edge, left HEIF's High 15 % closer to the source
// than JPEG's on whole photos and AVIF's 10 % further.
// Where no setting comes within 10 % of JPEG's distance the nearest is kept
// and marked: Best in WebP (lossy WebP is always subsampled and stops at
// 1.33 at Q 100; its near-lossless mode gives 0.54 from 81 to 99, the
// nearest to JPEG's 0.34), HEIF at Low (x265 takes the quality in steps of
// two: 31 and 32 give 13 % above JPEG's distance, 33 gives 14 % below),
// JPEG XL at Best (Q 99 lands 13 % above, Q 100 22 % below) and JPEG 2000 at
// Best (no Q comes below 0.49).
//
// Options chosen with bench/run.sh; the figures are from its corpus of
// photo-like pictures, against ImageMagick's mogrify at -quality 75:
// - JPEG: optimised Huffman tables for every picture. Up to 32 MiB of
//   coefficients (JpegCoefficientBytes, 3 bytes a pixel at Q 75, so about
//   11 megapixels), within PictureMemoryBudget(), libjpeg optimises them
//   itself, holding the whole picture's coefficients; larger pictures are
//   written with the standard tables into memory and re-coded there
//   (JpegRecode.h), the same bytes at the cost of the compressed stream
//   (0.2 to 0.5 bytes a pixel) instead of the coefficients. Against
//   ImageMagick, which optimises while width × height × components bytes
//   fit its 256 MiB memory limit: 200 640 × 480 PNGs, 1.010 times its size
//   (1.236 with the standard tables); 3000 × 2000 JPEGs of Q 92, 0.82 (it
//   keeps their 4:4:4 sampling); four 10328 × 7760 photo-like TIFFs, 1.002
//   (14.53 MB against 14.50 MB), converted one at a time within a peak of
//   92 MiB, where ImageMagick peaks at 253 MiB (libjpeg's own optimisation
//   peaked at 311 MiB: 229.5 MiB of coefficients on top of libvips' 33 MiB
//   and its pipeline's strips).
//   A JPEG source whose colour has full resolution (4:4:4) keeps it, as
//   ImageMagick does: 1024 × 768 of thin coloured lines at 4:4:4 Q 95
//   came out with a mean absolute error of 0.105 (PSNR 15.3 dB, 435 kB)
//   when subsampled, 0.033 (25.2 dB, 702 kB) at 4:4:4, as ImageMagick's
//   (0.033, 25.2 dB, 702 kB); coloured text on white 0.031 against 0.021.
// - PNG: adaptive row filtering at zlib level 4: 1.06 times ImageMagick's
//   size in a third of its time, and faster than libvips' default
//   (unfiltered, level 6), which is 1.14 times the size. Level 6 with
//   filtering would reach 1.00 at 2.3 times the time; level 3 gives 1.07 at
//   0.84 of it.
// - WebP, HEIF, AVIF, JPEG XL, JPEG 2000: the calibrated levels, at the
//   speed the encoders' own tools take by default: AVIF at effort 3, which
//   libheif gives libaom as its speed 6 (avifenc's and heif-enc's default;
//   libvips' own default, 4, is speed 5); HEIF at
//   x265's preset "slow", heif-enc's too (libvips' effort does not reach
//   x265); JPEG XL at effort 7, cjxl's default.
// - TIFF: LZW with horizontal differencing: lossless, and read by every
//   TIFF reader, unlike deflate.
// - GIF and PPM: quality does not apply.
// The descriptions are English here and everywhere the catalogue goes; the
// preferences window's popup shows them in the user's language.
constexpr SaverEntry kSavers[] = {
    {.exportType = FOUR_CHAR_CODE("JPEG"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "JPEG image"),
     .extension = "jpg",
     .mimeType = "image/jpeg",
     .saver = "jpegsave_target",
     .wholePictureOptions = "optimize_coding=true",
     .wholePictureBytes = JpegCoefficientBytes,
     .fullChromaOptions = "subsample_mode=off",
     .reencodeAbove = UInt64(32) << 20,
     .qualityOption = "Q",
     .levels = {{.setting = 25, .distance = 7.556, .bytesPerPixel = 0.0295},
                {.setting = 50, .distance = 4.044, .bytesPerPixel = 0.0407},
                {.setting = 75, .distance = 2.784, .bytesPerPixel = 0.0688},
                {.setting = 100, .distance = 0.342, .bytesPerPixel = 0.6480}},
     .keepsTransparency = false,
     .iptcHome = IptcHome::App13},
    {.exportType = FOUR_CHAR_CODE("PNGf"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "PNG image"),
     .extension = "png",
     .mimeType = "image/png",
     .saver = "pngsave_target",
     .options = "compression=4,filter=all"},
    {.exportType = FOUR_CHAR_CODE("WEBP"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "WebP image"),
     .extension = "webp",
     .mimeType = "image/webp",
     .saver = "webpsave_target",
     .fullChromaOptions = "smart_subsample=true",
     .qualityOption = "Q",
     .levels = {{.setting = 43, .distance = 7.529, .bytesPerPixel = 0.0062},
                {.setting = 71, .distance = 4.040, .bytesPerPixel = 0.0205},
                {.setting = 81, .distance = 2.858, .bytesPerPixel = 0.0473},
                {.setting = 87,
                 .options = "near_lossless=true",
                 .distance = 0.539,
                 .bytesPerPixel = 0.5270,
                 .unmatched = true}},
     .losslessOption = "lossless",
     .finerMode = "near_lossless=true",
     .animated = true,
     .decodeFirst = true},
    {.exportType = FOUR_CHAR_CODE("TIFF"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "TIFF image"),
     .extension = "tif",
     .mimeType = "image/tiff",
     .saver = "tiffsave_target",
     .options = "compression=lzw,predictor=horizontal",
     .iptcHome = IptcHome::PhotoshopTag},
    {.exportType = FOUR_CHAR_CODE("GIFf"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "GIF image"),
     .extension = "gif",
     .mimeType = "image/gif",
     .saver = "gifsave_target",
     .animated = true},
    {.exportType = FOUR_CHAR_CODE("heic"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "HEIF image"),
     .extension = "heic",
     .mimeType = "image/heic",
     .saver = "heifsave_target",
     .options = "compression=hevc",
     .fullChromaOptions = "subsample_mode=off",
     .qualityOption = "Q",
     .levels = {{.setting = 31, .distance = 8.541, .bytesPerPixel = 0.0027, .unmatched = true},
                {.setting = 37, .distance = 4.297, .bytesPerPixel = 0.0255},
                {.setting = 41, .distance = 3.034, .bytesPerPixel = 0.0480},
                {.setting = 84, .distance = 0.336, .bytesPerPixel = 0.4267}},
     .losslessOption = "lossless",
     .probeEncoder = true},
    {.exportType = FOUR_CHAR_CODE("avif"),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "AVIF image"),
     .extension = "avif",
     .mimeType = "image/avif",
     .saver = "heifsave_target",
     .options = "compression=av1,effort=3",
     .fullChromaOptions = "subsample_mode=off",
     .qualityOption = "Q",
     .levels = {{.setting = 51, .distance = 7.614, .bytesPerPixel = 0.0036},
                {.setting = 67, .distance = 4.097, .bytesPerPixel = 0.0355},
                {.setting = 75, .distance = 2.845, .bytesPerPixel = 0.0601},
                {.setting = 100, .distance = 0.331, .bytesPerPixel = 0.6423}},
     .losslessOption = "lossless",
     .probeEncoder = true},
    {.exportType = FOUR_CHAR_CODE("jxl "),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "JPEG XL image"),
     .extension = "jxl",
     .mimeType = "image/jxl",
     .saver = "jxlsave_target",
     .qualityOption = "Q",
     .levels = {{.setting = 37, .distance = 7.348, .bytesPerPixel = 0.0033},
                {.setting = 68, .distance = 3.954, .bytesPerPixel = 0.0124},
                {.setting = 79, .distance = 2.795, .bytesPerPixel = 0.0295},
                {.setting = 99, .distance = 0.387, .bytesPerPixel = 0.2189, .unmatched = true}},
     .losslessOption = "lossless"},
    {.exportType = FOUR_CHAR_CODE("jp2 "),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "JPEG 2000 image"),
     .extension = "jp2",
     .mimeType = "image/jp2",
     .saver = "jp2ksave_target",
     .qualityOption = "Q",
     .levels = {{.setting = 41, .distance = 7.350, .bytesPerPixel = 0.1047},
                {.setting = 46, .distance = 4.131, .bytesPerPixel = 0.2237},
                {.setting = 50, .distance = 2.875, .bytesPerPixel = 0.3250},
                {.setting = 100, .distance = 0.494, .bytesPerPixel = 0.4871, .unmatched = true}},
     .losslessOption = "lossless"},
    {.exportType = FOUR_CHAR_CODE("PPM "),
     .description = QT_TRANSLATE_NOOP("ExtensionPopup", "Portable pixmap"),
     .extension = "ppm",
     .mimeType = "image/x-portable-pixmap",
     .saver = "ppmsave_target",
     .options = "format=ppm",
     .keepsTransparency = false},
};

// Writes a small picture into memory with the entry's saver: the encoder
// plug-in is there when this works.
bool EncoderWorks(const SaverEntry& entry)
{
    try {
        vips::VImage picture = vips::VImage::black(16, 16, vips::VImage::option()->set("bands", 3));
        vips::VTarget target = vips::VTarget::new_to_memory();
        const std::string options =
            SaverOptions(entry, {entry.exportType, codecHighQuality}, {16, 16, 3});
        vips::VImage::call_option_string(
            entry.saver, options.c_str(),
            vips::VImage::option()->set("in", picture)->set("target", target));
        return true;
    } catch (const vips::VError&) {
        TakeVipsError();
        return false;
    }
}

std::vector<const SaverEntry*> FindAvailableSavers()
{
    std::vector<const SaverEntry*> available;
    if (!EnsureVips())
        return available;
    for (const SaverEntry& entry : kSavers) {
        if (!vips_type_find("VipsOperation", entry.saver))
            continue;
        if (entry.probeEncoder && !EncoderWorks(entry))
            continue;
        available.push_back(&entry);
    }
    return available;
}

} // namespace

std::span<const SaverEntry> AllSavers()
{
    return kSavers;
}

std::span<const SaverEntry* const> AvailableSavers()
{
    static std::once_flag once;
    static std::vector<const SaverEntry*> available;
    std::call_once(once, [] { available = FindAvailableSavers(); });
    return available;
}

const SaverEntry* FindSaver(OSType exportType)
{
    for (const SaverEntry* entry : AvailableSavers()) {
        if (entry->exportType == exportType)
            return entry;
    }
    return nullptr;
}

bool SameExtension(const char* a, const char* b)
{
    return a && b && g_ascii_strcasecmp(a, b) == 0;
}

const SaverEntry* FindSaverForExtension(const char* extension)
{
    for (const SaverEntry* entry : AvailableSavers()) {
        if (SameExtension(entry->extension, extension))
            return entry;
    }
    return nullptr;
}

// Optimised Huffman tables are counted from the whole picture's DCT
// coefficients, so libjpeg keeps them all until the end (its full-image
// coefficient buffer): 64 coefficients of 2 bytes for each 8 × 8 block of
// every component, each component's blocks rounded up to whole MCUs.
// Colour is YCbCr, and below Q 90 libvips subsamples its chroma 4:2:0: a
// luma block per 8 × 8 pixels and one block of each chroma component per
// 16 × 16, 3 bytes a pixel (240.6 MB, 229.5 MiB, for 10328 × 7760). At Q 90
// and above chroma keeps full resolution, as grey and CMYK always do, and as
// a 4:4:4 JPEG's does at every quality: 2 bytes a pixel for each component.
UInt64 JpegCoefficientBytes(const PictureShape& shape, int vipsQuality)
{
    const bool subsampled = shape.bands == 3 && vipsQuality < 90 && !shape.fullChroma;
    const int most = subsampled ? 2 : 1; // the largest sampling factor
    const auto blocks = [most](long long pixels, int factor) {
        const long long inBlocks = (pixels * factor + most * 8 - 1) / (most * 8);
        return UInt64((inBlocks + factor - 1) / factor * factor);
    };
    UInt64 total = 0;
    for (int component = 0; component < std::max(1, shape.bands); ++component) {
        const int factor = subsampled && component == 0 ? 2 : 1;
        total += blocks(shape.width, factor) * blocks(shape.height, factor);
    }
    return total * 64 * 2;
}

LevelSetting EncoderLevel(const SaverEntry& saver, CodecQ quality)
{
    LevelSetting below{.setting = 0, .options = saver.levels[0].options};
    CodecQ from = codecMinQuality;
    const LevelSetting* above = nullptr;
    CodecQ to = codecMaxQuality;
    for (size_t i = 0; i < std::size(kQualityLevels) && !above; ++i) {
        if (quality < kQualityLevels[i]) {
            above = &saver.levels[i];
            to = kQualityLevels[i];
        } else {
            below = saver.levels[i];
            from = kQualityLevels[i];
        }
    }
    double setting = below.setting;
    if (above && std::strcmp(above->options, below.options) == 0)
        setting +=
            double(above->setting - below.setting) * double(quality - from) / double(to - from);
    // libvips' scale starts at 1.
    return {.setting = int(std::clamp(std::lround(setting), 1L, 100L)), .options = below.options};
}

namespace
{

WholePictureBuffer BufferFor(const SaverEntry& saver, CodecQ quality, const PictureShape& shape)
{
    if (!saver.wholePictureBytes)
        return WholePictureBuffer::Omitted;
    return ChooseWholePictureBuffer(
        saver.wholePictureBytes(shape, EncoderLevel(saver, quality).setting), saver.reencodeAbove);
}

} // namespace

bool ReencodesTables(const SaverEntry& saver, CodecQ quality, const PictureShape& shape)
{
    return BufferFor(saver, quality, shape) == WholePictureBuffer::Recoded;
}

CodecQ HonouredQuality(const SaverEntry& saver, CodecQ quality)
{
    if (quality >= codecLosslessQuality && !saver.losslessOption)
        return codecMaxQuality;
    return std::min<CodecQ>(quality, codecLosslessQuality);
}

namespace
{

// lossless, or the quality option at level's setting in its mode.
std::string OptionsFor(const SaverEntry& saver, CodecQ quality, bool lossless,
                       const LevelSetting& level, const PictureShape& shape)
{
    std::string options;
    const auto add = [&options](const std::string& option) {
        if (option.empty())
            return;
        if (!options.empty())
            options += ',';
        options += option;
    };
    add(saver.options);
    if (BufferFor(saver, quality, shape) == WholePictureBuffer::Held)
        add(saver.wholePictureOptions);
    if (shape.fullChroma)
        add(saver.fullChromaOptions);
    if (lossless)
        add(std::string(saver.losslessOption) + "=true");
    else if (saver.qualityOption) {
        add(level.options);
        add(std::string(saver.qualityOption) + '=' + std::to_string(level.setting));
    }
    // EXIF, ICC profile and XMP travel with the picture wherever the format
    // holds them (libvips keeps them unless told to strip).
    add("strip=false");
    return options;
}

} // namespace

std::string SaverOptions(const SaverEntry& saver, const ExportOptions& request,
                         const PictureShape& shape)
{
    const CodecQ quality = HonouredQuality(saver, request.quality);
    const bool lossless = quality >= codecLosslessQuality && saver.losslessOption;
    return OptionsFor(saver, quality, lossless, EncoderLevel(saver, quality), shape);
}

std::string SaverOptionsAtSetting(const SaverEntry& saver, const LevelSetting& level,
                                  const PictureShape& shape)
{
    return OptionsFor(saver, codecHighQuality, false, level, shape);
}

} // namespace platform::graphics
