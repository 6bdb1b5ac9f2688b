// Pictures for the tests and the benchmark, drawn and read with libvips, so
// that code outside platform/ never needs its headers.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace platform::testing {

struct TestPictureOptions {
    bool alpha = false;        // the right half is fully transparent
    bool floatSamples = false; // scRGB, 0..1 (TIFF holds it)
    int orientation = 0;       // EXIF orientation tag to store; 0 stores none
    bool iccProfile = false;   // embed libvips' sRGB profile
    int frames = 1;            // more than one: an animation whose frames differ
    QByteArray xmp;            // an XMP packet to store
    const char* saveOptions = nullptr; // more saver options, libvips' text ("Q=90")
    int seed = 1;
};

// Draws a photo-like picture (smooth gradients, soft discs and sensor-like
// noise) with a pure red square marking the stored top-left corner, and
// writes it to path in format, given as the suffix libvips knows it by
// ("jpg", "png", "webp", "tif", "gif", "avif", ...). Large pictures are drawn and
// written a strip at a time.
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

// Decodes the whole picture at path, failing on any error in it, and
// describes it.
OSErr ReadPictureFacts(const QByteArray& path, PictureFacts* facts);

// The band values of one pixel of the first frame.
OSErr ReadPixel(const QByteArray& path, int x, int y, std::vector<double>* values);

} // namespace platform::testing
