// SPDX-License-Identifier: GPL-3.0-or-later
// libvips for the graphics module: started once per process whichever
// thread gets there first, kept quiet, and with its failures turned into the
// platform's statuses here so that nothing above platform/ sees an exception.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "platform/MacTypes.h"

#include <string>

namespace vips
{
class VImage;
}

namespace platform::graphics
{

// Starts libvips the first time any thread asks; false when it cannot start.
bool EnsureVips();

// Takes what libvips reported for the call that just failed, keeps it as
// this thread's last error text and clears libvips' buffer.
void TakeVipsError();
// The text of this thread's last libvips failure (for tests and debugging;
// the program shows no messages).
const std::string& LastVipsErrorText();

// errno from a file call, as a platform status.
OSErr StatusFromFileError(int error);

// The picture's pixels decoded into memory, holding the picture it came
// from. libvips 8.14's HEIF loader (HEIC and AVIF) keeps its ICC profile,
// EXIF and XMP in memory that goes with the loaded picture, and a plain
// copy_memory() shares them: once the loader went, the saver read them freed.
vips::VImage InMemory(const vips::VImage& picture);

} // namespace platform::graphics
