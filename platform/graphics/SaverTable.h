// The one table of savers: every export type this program can offer, in the
// order users see them, with the libvips saver that writes it and the
// options it writes with. Everything format-specific about writing lives in
// this table; the export code only reads it.
#pragma once

#include "platform/graphics/Graphics.h"

#include <span>

namespace platform::graphics {

struct SaverEntry {
    OSType exportType;
    const char* description;
    const char* extension; // without the dot, lower case
    const char* mimeType;
    // A libvips saver writing to a VipsTarget, so that no file name is ever
    // parsed for options.
    const char* saver;
    // libvips option text given to every save.
    const char* options;
    // Options under which the encoder holds the whole picture in memory;
    // given only to pictures within kWholePictureBufferLimit.
    const char* wholePictureOptions;
    // The saver's 1..100 quality option ("Q"), or null when quality does not
    // apply (lossless formats).
    const char* qualityOption;
    // Set for codecLosslessQuality, or null when the format has no lossless mode.
    const char* losslessOption;
    bool keepsTransparency; // otherwise alpha is flattened onto white
    bool animated;          // holds several frames: animations are kept
    // The saver exists whenever its library does, its encoder only when a
    // plug-in is installed: try a tiny picture before offering it.
    bool probeEncoder;
};

// An encoder's whole-picture buffer (about two bytes per sample) may take
// at most this much memory.
constexpr long long kWholePictureBufferLimit = 256LL * 1024 * 1024;

// The table in its documented order, whether or not this libvips has the savers.
std::span<const SaverEntry> AllSavers();
// The entries whose saver (and encoder) the running libvips has, in table order.
std::span<const SaverEntry* const> AvailableSavers();
// The available entry for exportType, or null.
const SaverEntry* FindSaver(OSType exportType);

// The quality level on libvips' 1..100 scale: 768 (codecHighQuality) is 75.
int VipsQuality(CodecQ quality);

} // namespace platform::graphics
