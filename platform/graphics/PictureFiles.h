// The graphics module's work on files named by path, under the component
// calls of Graphics.h (which only turn FSSpecs into paths and keep
// settings). One call is one self-contained job (source, claimed output,
// export type, quality) that touches no global state of the program, so
// tools and workers can run it as it is.
#pragma once

#include "platform/graphics/Graphics.h"

#include <QByteArray>

namespace platform
{

// Pictures over this many pixels (all frames together) are refused with
// codecSizeErr. 2^28 is 16384 × 16384, WebP's own limit: it admits any
// camera's pictures and large panoramas, while a header that lies about its
// size can neither make a decoder that holds whole frames (WebP, HEIF, GIF,
// interlaced PNG: up to 4 bytes a pixel) take more than a gigabyte nor keep
// the converter busy for long.
constexpr long long kMaxPicturePixels = 1LL << 28;

// Whether a picture loader reads the file at path: noErr, or why not.
OSErr ProbePicture(const QByteArray& path);

// Converts the picture at sourcePath into exportType at quality (0..1024)
// and puts it at outputPath, replacing what is there (the claimed, empty
// output file) only when the picture is complete. On failure nothing of the
// export remains and outputPath is as it was; neither way does the call
// keep a descriptor or any of the codec's memory.
OSErr ExportPicture(const QByteArray& sourcePath, const QByteArray& outputPath, OSType exportType,
                    CodecQ quality, UInt64* bytesWritten = nullptr);

} // namespace platform
