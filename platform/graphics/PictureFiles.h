// SPDX-License-Identifier: GPL-3.0-or-later
// The graphics module's work on files named by path, under the component
// calls of Graphics.h (which only turn FSSpecs into paths and keep
// settings). One call is one self-contained job (source, claimed output,
// export options) that touches no global state of the program, so
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

// What a picture's header tells before any pixel is decoded.
struct PictureHeader {
    long long width = 0;
    long long height = 0; // of one page
    int bands = 0;
    int bytesPerSample = 0;
    int pages = 1; // frames the loader reads as one picture (animations)
};

// The memory the picture takes once decoded, every frame it loads.
UInt64 DecodedBytes(const PictureHeader& header);

// Whether a picture loader reads the file at path: noErr, or why not. With
// header given, it also gets what the picture's header says.
//
// What a probe finds is kept for the next open of the same unchanged file
// (same device, inode, size and times): a second probe reads no header
// again, and the export takes the probe's opened file and loader once.
// What is kept is bounded (a few hundred headers; sixteen opened files,
// 64 MiB of their loaders' memory, half a minute each) and shared by every
// thread; a file changed or replaced since is read anew.
OSErr ProbePicture(const QByteArray& path, PictureHeader* header = nullptr);

// Lets go of everything probes kept: their opened files and loaders. A
// batch calls it when it ends, and code that counts descriptors before it.
void ForgetProbedPictures();

// The threads libvips gives each picture; 0 leaves libvips' own choice (one
// per core). A process converting several pictures at once gives each one.
void SetThreadsPerPicture(int threads);

// Converts the picture at sourcePath as options say (export type, quality,
// location data) and puts it at outputPath, replacing what is there (the claimed, empty
// output file) only when the picture is complete. On failure nothing of the
// export remains and outputPath is as it was; neither way does the call
// keep a descriptor or any of the codec's memory (it takes what a probe of
// sourcePath kept, and lets that go too).
OSErr ExportPicture(const QByteArray& sourcePath, const QByteArray& outputPath,
                    const ExportOptions& options, UInt64* bytesWritten = nullptr);

} // namespace platform
