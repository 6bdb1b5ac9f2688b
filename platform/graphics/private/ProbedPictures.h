// SPDX-License-Identifier: GPL-3.0-or-later
// What probes found, kept for the next open of the same file. A conversion
// asks whether a file is a picture, then opens its importer, then exports
// it: three reads of one header. A probe keeps the header it read, and
// the opened source with its header-read picture, for the file as it was
// (its identity); the next probe of the unchanged file takes the header
// from here, and its export takes the opened picture, once. A file whose
// identity changed in between (rewritten, replaced under its name) is read
// anew and its old entry dropped.
//
// Bounded: a few hundred headers; at most kMaxKeptPictures opened pictures
// (two descriptors each), costing together what the memory policy allows
// (kMaxKeptPictureBytes in MemoryPolicy.h), each kept at most
// kMaxKeptPictureAge.
// Shared by every thread, under one lock: a probe on one thread and the
// export on another is the common case.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "PictureSource.h"
#include "platform/graphics/PictureFiles.h"

#include <vips/vips8>

#include <chrono>
#include <memory>

namespace platform::graphics
{

constexpr int kMaxKeptPictures = 16;
constexpr std::chrono::seconds kMaxKeptPictureAge{30};

// A probe's opened file and its picture with the header read (sequential
// access, first page), ready for an export.
struct ProbedPicture {
    std::unique_ptr<PictureSource> source;
    vips::VImage picture;
};

// Keeps what a successful probe of path found: the header, and the opened
// picture within the bounds. A file that was not settled when opened is
// not kept: it could still change without its identity showing it.
void KeepProbe(const QByteArray& path, const PictureHeader& header, ProbedPicture opened);

// The header a probe of path found, when the file is unchanged since.
bool FindProbedHeader(const QByteArray& path, PictureHeader* header);

// The opened picture a probe of path kept, when the file is unchanged
// since; handed over once.
bool TakeProbedPicture(const QByteArray& path, ProbedPicture* opened);

// Drops everything kept (PictureFiles.h's ForgetProbedPictures).
void ForgetProbes();

} // namespace platform::graphics
