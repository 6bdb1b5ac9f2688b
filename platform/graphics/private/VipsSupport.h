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

} // namespace platform::graphics
