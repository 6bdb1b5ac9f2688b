// SPDX-License-Identifier: GPL-3.0-or-later
// How much memory picture work may take, decided here and nowhere else.
//
// - The budget: a quarter of the memory this process may use, the smaller
//   of physical memory and its control group's limit (UsableMemory.h), so
//   that in a container or a limited user slice nothing is admitted past
//   what the kernel will allow; 1 GiB when neither can be read. Tests and
//   tools may set another.
// - Conversions at once: a picture counts as its decoded size (DecodedBytes
//   in PictureFiles.h, every frame). It starts when it fits what the
//   pictures already running leave of the budget; one larger than the whole
//   budget runs alone.
// - A saver's whole-picture buffer (JPEG's coefficients, for optimised
//   Huffman tables): held by the encoder when it fits both the budget and
//   the saver's own ceiling (SaverEntry::reencodeAbove); larger, the saver
//   writes without it and re-codes its stream afterwards where it can.
// - Pictures kept open by probes: each costs its file's bytes (a loader may
//   map the whole file), plus its decoded size when the loader decodes at
//   its header; together at most kMaxKeptPictureBytes, and one that costs
//   more alone is not kept.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

namespace platform
{

// The budget the pictures converting at one time in this process share:
// DefaultPictureMemoryBudget() unless set; setting 0 brings it back.
UInt64 PictureMemoryBudget();
void SetPictureMemoryBudget(UInt64 bytes);

// A quarter of UsableMemory(root), or 1 GiB when that reads nothing. root
// is the file system's root, "/" but for tests, which give a tree of their
// own.
UInt64 DefaultPictureMemoryBudget(const QByteArray& root = "/");

// Whether a picture taking bytes once decoded may start while running
// pictures take inUse together, within budget.
bool AdmitsPicture(UInt64 bytes, int running, UInt64 inUse, UInt64 budget);

// How a saver writes a picture whose whole-picture buffer takes
// bufferBytes, given its ceiling for that buffer (0: no ceiling, and no
// second pass to fall back on), within PictureMemoryBudget().
enum class WholePictureBuffer {
    Held,    // the encoder holds the whole picture
    Recoded, // written without it, the stream re-coded afterwards
    Omitted, // written without it
};
WholePictureBuffer ChooseWholePictureBuffer(UInt64 bufferBytes, UInt64 saverCeiling);

// What a probe's opened picture costs while kept, and what all of them
// may cost together.
constexpr UInt64 kMaxKeptPictureBytes = UInt64(64) << 20;
UInt64 KeptPictureCost(UInt64 fileBytes, bool decodesAtHeader, UInt64 decodedBytes);

} // namespace platform
