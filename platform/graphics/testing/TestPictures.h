// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures for the tests and the benchmark, drawn and read with libvips, so
// that code outside platform/ never needs its headers; and what the tests
// ask of libvips' state. Built into tessaly_graphics_test_support, never
// into the program.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace platform::testing
{

struct TestPictureOptions {
    bool alpha = false;                // the right half is fully transparent
    bool floatSamples = false;         // scRGB, 0..1 (TIFF holds it)
    int orientation = 0;               // EXIF orientation tag to store; 0 stores none
    bool iccProfile = false;           // embed libvips' sRGB profile
    int frames = 1;                    // more than one: an animation whose frames differ
    QByteArray xmp = {};               // an XMP packet to store
    const char* saveOptions = nullptr; // more saver options, libvips' text ("Q=90")
    int seed = 1;
};

// Draws a photo-like picture (smooth gradients, soft discs and sensor-like
// noise) with a pure red square marking the stored top-left corner, and
// writes it to path in format, given as the suffix libvips knows it by
// ("jpg", "png", "webp", "tif", "gif", "avif", ...). Formats libvips writes
// only through ImageMagick ("bmp", "tga", "ico", "pcx", "psd", "xpm") are
// written by it. Large pictures are drawn and written a strip at a time.
OSErr WriteTestPicture(const QByteArray& path, const char* format, int width, int height,
                       const TestPictureOptions& options = {});

struct PictureFacts {
    int width = 0;
    int height = 0; // of one frame
    int frames = 0;
    int bands = 0; // alpha included
    int bitsPerSample = 0;
    bool alpha = false;
    int orientation = 1;
    std::string loader; // libvips' loader, such as "jpegload_source"
    QByteArray iccProfile;
    QByteArray xmp;
    std::vector<double> bandMeans; // of every pixel of every frame
};

// How the samples of a half-transparent picture are stored.
enum class SampleKind { RGB16, Grey16, FloatRGB };

// A picture whose left half is opaque (pure red, or for grey a dark grey of
// 25% white) and whose right half is fully transparent, with its samples
// stored as kind: 16-bit RGBA or grey-with-alpha PNG, or a 32-bit float
// RGBA TIFF. format is "png" or "tif".
OSErr WriteHalfTransparentPicture(const QByteArray& path, const char* format, int width, int height,
                                  SampleKind kind);

// Decodes the whole picture at path, failing on any error in it, and
// describes it.
OSErr ReadPictureFacts(const QByteArray& path, PictureFacts* facts);

// The band values of one pixel of the first frame.
OSErr ReadPixel(const QByteArray& path, int x, int y, std::vector<double>* values);

// The mean absolute difference of two pictures' samples, every band of
// every pixel, both decoded whole and failing on any error; paramErr when
// their sizes or bands differ.
OSErr MeanAbsoluteDifference(const QByteArray& a, const QByteArray& b, double* difference);

// The text of this thread's last libvips failure in the graphics module.
std::string LastCodecErrorText();

// How many libvips objects (pictures, sources, targets, operations) are
// alive in this process: a call that leaves more than it found leaked.
int LiveCodecObjects();

// How many picture headers this process's loaders have read: what a
// conversion costs in decoding, counted rather than timed.
long long PictureHeaderReads();

// The threads libvips gives the next picture it works on.
int CodecThreadsPerPicture();

} // namespace platform::testing
