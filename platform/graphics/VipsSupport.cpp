// SPDX-License-Identifier: GPL-3.0-or-later
// Starting libvips and turning its failures into statuses.
#include "VipsSupport.h"

#include <vips/vips8>

#include <cerrno>
#include <mutex>

namespace platform::graphics
{

namespace
{

thread_local std::string tLastError;

// libvips writes warnings about odd but readable files (an ignored colour
// profile, extra bytes after the picture) to the terminal. This program
// reports nothing, so they go nowhere.
void DropLogMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool StartVips()
{
    if (VIPS_INIT("tessaly") != 0)
        return false;
    g_log_set_handler("VIPS",
                      GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO |
                                     G_LOG_LEVEL_DEBUG),
                      DropLogMessage, nullptr);
    // Every file is converted once: caching operations would only keep
    // earlier pictures' memory and file descriptors alive through a batch.
    vips_cache_set_max(0);
    return true;
}

} // namespace

bool EnsureVips()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] { started = StartVips(); });
    return started;
}

void TakeVipsError()
{
    tLastError = vips_error_buffer();
    vips_error_clear();
}

const std::string& LastVipsErrorText()
{
    return tLastError;
}

OSErr StatusFromFileError(int error)
{
    switch (error) {
    case 0:
        return noErr;
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
        return fnfErr;
    case EACCES:
    case EPERM:
        return afpAccessDenied;
    case EROFS:
        return vLckdErr;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return dskFulErr;
    case ENAMETOOLONG:
        return bdNamErr;
    case EMFILE:
    case ENFILE:
        return tmfoErr;
    case ENOMEM:
        return memFullErr;
    case EISDIR:
        return notAFileErr;
    default:
        return ioErr;
    }
}

vips::VImage InMemory(const vips::VImage& picture)
{
    vips::VImage copy = picture.copy_memory();
    // The copy's metadata may point into the loader's memory, so the copy
    // holds the picture it came from until it goes. Rewriting the blobs
    // instead would have libvips parse EXIF again and bring back the
    // orientation that turning the picture upright removed. The loader's
    // decoded pixels stay as long, which costs time, not peak memory: both
    // were held while copying anyway.
    g_object_set_data_full(G_OBJECT(copy.get_image()), "tessaly-decoded-from",
                           g_object_ref(picture.get_image()), g_object_unref);
    return copy;
}

} // namespace platform::graphics
