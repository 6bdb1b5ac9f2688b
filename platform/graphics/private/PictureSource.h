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

private:
    int m_fd = -1;
    std::string m_loader;
    bool m_readsSource = false;
    const LoaderRule* m_rule = nullptr;
};

} // namespace platform::graphics
