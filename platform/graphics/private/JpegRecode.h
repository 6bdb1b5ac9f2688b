// SPDX-License-Identifier: GPL-3.0-or-later
// Optimal Huffman tables for a JPEG written with the standard ones, without
// holding the picture's coefficients: the entropy-coded data is decoded into
// its symbols twice, once to count them and once to write them again with
// tables built from the counts, as libjpeg builds them when it optimises.
// The coefficients do not change, so the new file decodes to the same
// pixels.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include <cstdint>
#include <span>
#include <vector>

namespace platform::graphics
{

// Re-codes jpeg, a whole baseline or extended sequential Huffman-coded JPEG
// of 8-bit samples, into *recoded and returns true. Anything else
// (progressive or arithmetic coding, 12-bit samples, a damaged or truncated
// stream, data after the end) returns false and leaves *recoded empty: the
// caller keeps the original bytes.
bool RecodeJpegHuffman(std::span<const std::uint8_t> jpeg, std::vector<std::uint8_t>* recoded);

} // namespace platform::graphics
