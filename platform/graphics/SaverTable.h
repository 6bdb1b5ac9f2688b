// SPDX-License-Identifier: GPL-3.0-or-later
// The one table of savers: every export type this program can offer, in the
// order users see them, with the libvips saver that writes it and the
// options it writes with. Everything format-specific about writing lives in
// this table and in SaverOptions; the export code, the tests and the
// benchmark only read them. The table speaks libvips' names as plain text,
// so code outside platform/ may read it without libvips' headers.
#pragma once

#include "platform/graphics/Graphics.h"

#include <QtGlobal>

#include <span>
#include <string>

namespace platform::graphics
{

// What the saver is given besides the picture: width × height × bands
// decides whether the whole-picture options fit.
struct PictureShape {
    long long width = 0;
    long long height = 0;
    int bands = 0;
    // The source is a JPEG whose colour has full resolution (4:4:4): a
    // JPEG, HEIF or AVIF written from it keeps that, and WebP, whose lossy
    // mode always halves it, halves it with care (fullChromaOptions).
    bool fullChroma = false;
};

// The encoder setting a quality level writes with, and what it gave when the
// table was calibrated (bench/run.sh calibrate): the median butteraugli
// distance from the source and the median output bytes per pixel over whole
// photos of the benchmark's medium set.
struct LevelSetting {
    int setting = 0;
    // Options of a mode the level writes in where the quality option alone
    // cannot come as close to the source as JPEG does (WebP's near-lossless
    // mode, whose preprocessing the quality option then sets).
    const char* options = "";
    double distance = 0;
    double bytesPerPixel = 0;
    // No setting of the format came within 10 % of JPEG's distance: this is
    // the nearest.
    bool unmatched = false;
};

// The levels the preferences offer below lossless, in the order of
// SaverEntry::levels, and their names (English; the popup translates them).
inline constexpr CodecQ kQualityLevels[] = {codecLowQuality, codecNormalQuality, codecHighQuality,
                                            codecMaxQuality};
inline constexpr const char* kQualityLevelNames[] = {
    QT_TRANSLATE_NOOP("QualityPopup", "Low"), QT_TRANSLATE_NOOP("QualityPopup", "Normal"),
    QT_TRANSLATE_NOOP("QualityPopup", "High"), QT_TRANSLATE_NOOP("QualityPopup", "Best")};

// Where a saver takes the picture's IPTC block (libvips' "iptc-data") for
// writing it whole.
enum class IptcHome {
    AsLoaded, // it writes none
    // A JPEG's APP13 segment: Photoshop image resources after "Photoshop
    // 3.0". IIM datasets alone (as TIFF's IPTC tag holds them) would make a
    // segment no reader takes.
    App13,
    // TIFF's Photoshop tag. libvips 8.14 writes TIFF's IPTC tag with a
    // quarter of its bytes (it counts them in fours, libtiff in ones), which
    // no reader takes; so the datasets go into the Photoshop tag's image
    // resources, which it writes whole and from which readers take IPTC.
    PhotoshopTag,
};

struct SaverEntry {
    OSType exportType;
    const char* description;
    const char* extension; // without the dot, lower case
    const char* mimeType;
    // A libvips saver writing to a VipsTarget, so that no file name is ever
    // parsed for options.
    const char* saver;
    // The format's own settings, in libvips' option text, given to every save.
    const char* options = "";
    // Options under which the encoder holds the whole picture in memory,
    // and the memory it then takes for a picture at a quality (libvips'
    // 1..100); given only to pictures whose buffer fits
    // PictureMemoryBudget().
    const char* wholePictureOptions = "";
    UInt64 (*wholePictureBytes)(const PictureShape& shape, int vipsQuality) = nullptr;
    // Options that keep a source's full-resolution colour (PictureShape's
    // fullChroma) where the saver would otherwise subsample it.
    const char* fullChromaOptions = "";
    // Pictures whose whole-picture buffer is larger than this, or than
    // PictureMemoryBudget(), are written without wholePictureOptions into
    // memory and their JPEG entropy data re-coded afterwards with optimal
    // Huffman tables (see ReencodesTables); 0 when the saver has no such
    // second pass.
    UInt64 reencodeAbove = 0;
    // The saver's 1..100 quality option ("Q"), or null when quality does not
    // apply (lossless formats).
    const char* qualityOption = nullptr;
    // The quality option's value at Low, Normal, High and Best: for each
    // format the setting whose distance from the source matches JPEG's at
    // that level, so that a level looks the same in every format. Qualities
    // between the levels take the setting between, in proportion (0 is 0).
    LevelSetting levels[4] = {};
    // Set for codecLosslessQuality, or null when the format has no lossless mode.
    const char* losslessOption = nullptr;
    // The mode the calibration tries for a level the quality option cannot
    // reach (LevelSetting::options), or null.
    const char* finerMode = nullptr;
    bool keepsTransparency = true; // otherwise alpha is flattened onto white
    bool animated = false;         // holds several frames: animations are kept
    // The saver exists whenever its library does, its encoder only when a
    // plug-in is installed: try a tiny picture before offering it.
    bool probeEncoder = false;
    // libvips 8.14's saver keeps its input alive when the input fails in the
    // middle of a save (a truncated source), and with it the source's
    // descriptor and buffers. Such savers get the picture decoded first, so
    // a bad source fails before the saver starts. The saver holds the whole
    // picture in memory anyway, so this costs time, not peak memory.
    bool decodeFirst = false;
    IptcHome iptcHome = IptcHome::AsLoaded;
};

// The table in its documented order, whether or not this libvips has the savers.
std::span<const SaverEntry> AllSavers();
// The entries whose saver (and encoder) the running libvips has, in table order.
std::span<const SaverEntry* const> AvailableSavers();
// The available entry for exportType, or null.
const SaverEntry* FindSaver(OSType exportType);
// The first available entry, in table order, whose extension is extension
// with letter case ignored, or null: the one rule by which an extension
// names a type.
bool SameExtension(const char* a, const char* b);
const SaverEntry* FindSaverForExtension(const char* extension);

// The quality option's value for quality (below lossless) on the saver's
// 1..100 scale, and the mode's options: the table's level at each level; in
// proportion between two levels of the same mode, and otherwise the lower
// one's (from 0 to Low, 0 to Low's setting). Distance and bytes are left 0.
LevelSetting EncoderLevel(const SaverEntry& saver, CodecQ quality);

// Whether the saver takes a quality at all, and whether it has a lossless
// mode (codecLosslessQuality).
inline bool QualityApplies(const SaverEntry& saver)
{
    return saver.qualityOption != nullptr;
}
inline bool HasLosslessMode(const SaverEntry& saver)
{
    return saver.losslessOption != nullptr;
}
// The level the saver writes for quality: quality itself, or the nearest
// the format can honour (codecMaxQuality for lossless where it has no
// lossless mode).
CodecQ HonouredQuality(const SaverEntry& saver, CodecQ quality);

// The memory libjpeg's coefficient buffer takes for a picture of shape at
// a quality: what optimised Huffman tables cost (see SaverTable.cpp).
UInt64 JpegCoefficientBytes(const PictureShape& shape, int vipsQuality);

// Whether a save of shape at quality is written with the standard Huffman
// tables into memory, then re-coded with optimal ones: what the saver's
// whole-picture options would do, at the cost of the picture's JPEG stream
// in memory (0.2 to 0.5 bytes a pixel) instead of its coefficients (2 to 8).
bool ReencodesTables(const SaverEntry& saver, CodecQ quality, const PictureShape& shape);

// The one place a save's options are made, as libvips option text: the
// format's own settings, those of the whole picture when it fits the
// budget and the tables are not re-coded afterwards, those keeping a
// 4:4:4 source's colour resolution, the quality the format honours mapped
// onto the saver's scale or its lossless mode, and metadata kept.
std::string SaverOptions(const SaverEntry& saver, const ExportOptions& request,
                         const PictureShape& shape);
// The same options with the quality option at setting instead of a level's:
// what the calibration tries.
std::string SaverOptionsAtSetting(const SaverEntry& saver, const LevelSetting& level,
                                  const PictureShape& shape);

} // namespace platform::graphics
