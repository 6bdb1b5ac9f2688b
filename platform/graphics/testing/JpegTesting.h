// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the JPEG Huffman re-coder need of libvips and of the
// re-coder itself, so that they never include their headers. Built into
// tessaly_graphics_test_support, never into the program.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

namespace platform::testing
{

enum class JpegColours { Colour, Grey, Cmyk };

// The picture at sourcePath, turned into colours, written as a JPEG by
// libvips' saver with options (libvips' option text, such as
// "Q=50,optimize_coding=true,restart_interval=3").
OSErr EncodeTestJpeg(const QByteArray& sourcePath, JpegColours colours, const char* options,
                     QByteArray* jpeg);

// The re-coder run on jpeg: true with the new stream in *recoded when it
// took jpeg, false with *recoded empty otherwise.
bool RecodeJpegTables(const QByteArray& jpeg, QByteArray* recoded);

// Whether two JPEG streams decode (libvips, failing on any error) to the same
// size, bands and every sample equal.
OSErr SameJpegPixels(const QByteArray& a, const QByteArray& b, bool* same);

} // namespace platform::testing
