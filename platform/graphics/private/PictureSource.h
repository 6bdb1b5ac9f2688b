// SPDX-License-Identifier: GPL-3.0-or-later
// A source picture: the opened file and the libvips loader that reads its
// content. Only regular files are opened (a FIFO or a device would hang the
// read), and only loaders of pictures are used: libvips also reads text as
// matrices, its own working format, documents and scientific data, and none
// of those is a picture to this program.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "platform/graphics/Graphics.h"

#include <QByteArray>

#include <string>

namespace vips
{
class VImage;
}

namespace platform::graphics
{

struct LoaderRule;

enum class PixelAccess { Sequential, Random };
enum class Pages { First, All };

// What tells one content of a file from another without reading it: the
// same device, inode, size and modification and change times.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path now, links followed as Open follows
// them; false when it cannot be looked at.
bool IdentityOfFile(const QByteArray& path, FileIdentity* identity);

// How many headers the loaders have read in this process (each Load reads
// one): the tests count the decoding work a conversion takes.
long long HeaderReadCount();

class PictureSource
{
public:
    PictureSource() = default;
    ~PictureSource();
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    // Opens the file at path (following symbolic links) and finds the loader
    // for its content: fnfErr, afpAccessDenied, notAFileErr and the like for
    // the file, noCodecErr when no picture loader reads it.
    OSErr Open(const QByteArray& path);

    // Whether the loader reads animations (the frames come as one tall
    // picture with "page-height" set).
    bool Animated() const;

    // Reads the header; pixels are decoded when they are asked for, and a
    // truncated or corrupt picture fails then rather than coming out grey.
    // codecBadDataErr when the header cannot be read.
    OSErr Load(PixelAccess access, Pages pages, vips::VImage* picture) const;

    // The opened file's identity, as it was when it was opened.
    const FileIdentity& Identity() const { return m_identity; }
    // Whether the file had last changed at least one grain of its file
    // system's times before it was opened. A file changed within that
    // grain could change again and keep the very same times and size; a
    // settled one cannot: any later change shows in its change time.
    bool Settled() const { return m_settled; }
    // Whether the loader decodes the whole picture when it reads the header
    // (ImageMagick's does).
    bool DecodesWholeAtHeader() const;

private:
    int m_fd = -1;
    std::string m_loader;
    bool m_readsSource = false;
    // The file's path is too long for ImageMagick's policy check, which
    // resolves every file name it is given: its loader gets the bytes.
    bool m_beyondPaths = false;
    const LoaderRule* m_rule = nullptr;
    FileIdentity m_identity;
    bool m_settled = false;
};

} // namespace platform::graphics
