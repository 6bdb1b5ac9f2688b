// SPDX-License-Identifier: GPL-3.0-or-later
// Opening source pictures and choosing their loader.
#include "PictureSource.h"

#include "VipsSupport.h"
#include "platform/files/ItemAt.h"

#include <vips/vips8>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

namespace platform::graphics
{

// A loader this program accepts, named by its libvips nickname without the
// "_source"/"_buffer" ending.
struct LoaderRule {
    const char* name;
    bool animated;
    // Serves only formats no dedicated loader reads (checked on the format
    // the loader reports, see Load).
    bool fallback;
};

namespace
{

// Left out on purpose: csvload and matrixload (text read as numbers),
// vipsload and rawload (libvips' working format, raw memory), pdfload
// (documents), analyzeload, fitsload, matload and openslideload (scientific
// and slide data).
constexpr LoaderRule kLoaders[] = {
    {"jpegload", false, false},  {"pngload", false, false},     {"webpload", true, false},
    {"tiffload", false, false},  {"gifload", true, false},      {"heifload", false, false},
    {"jxlload", false, false},   {"jp2kload", false, false},    {"ppmload", false, false},
    {"radload", false, false},   {"openexrload", false, false}, {"svgload", false, false},
    {"magickload", false, true},
};

// The nickname of a loader that libvips names by its type name.
std::string LoaderNickname(const char* loader)
{
    const GType type = vips_type_find("VipsOperation", loader);
    if (!type)
        return {};
    auto* objectClass = VIPS_OBJECT_CLASS(g_type_class_ref(type));
    std::string nickname = objectClass->nickname ? objectClass->nickname : "";
    g_type_class_unref(objectClass);
    return nickname;
}

const LoaderRule* FindRule(const std::string& nickname)
{
    for (const LoaderRule& rule : kLoaders) {
        const size_t length = std::strlen(rule.name);
        if (nickname.compare(0, length, rule.name) == 0 &&
            (nickname.size() == length || nickname[length] == '_'))
            return &rule;
    }
    return nullptr;
}

void* AddDedicatedSuffixes(void* loaderClass, void* set, void*)
{
    auto* foreignClass = static_cast<VipsForeignClass*>(loaderClass);
    const char* nickname = VIPS_OBJECT_CLASS(foreignClass)->nickname;
    if (nickname && std::strncmp(nickname, "magickload", 10) == 0)
        return nullptr;
    for (const char** suffix = foreignClass->suffs; suffix && *suffix; ++suffix)
        static_cast<std::set<std::string>*>(set)->insert(*suffix);
    return nullptr;
}

// Suffixes (".tif") of the formats that libvips reads without ImageMagick.
const std::set<std::string>& DedicatedSuffixes()
{
    static std::once_flag once;
    static std::set<std::string> suffixes;
    std::call_once(once, [] {
        vips_foreign_map("VipsForeignLoad", AddDedicatedSuffixes, &suffixes, nullptr);
    });
    return suffixes;
}

// Containers whose images may be stored in another format: a Windows icon
// or cursor holds bitmaps or PNGs (every 256-pixel icon is a PNG inside).
// ImageMagick names the format of the image it read, not the file's, so a
// favicon reads as "PNG"; such a file is judged by its container.
struct Container {
    const char* suffix;
    unsigned char signature[4];
};
constexpr Container kContainers[] = {
    {".ico", {0, 0, 1, 0}},
    {".cur", {0, 0, 2, 0}},
};

// The suffix of the file's container when it is one of kContainers: its
// signature and at least one image in its directory.
const char* ContainerSuffix(int fd)
{
    unsigned char head[6] = {};
    if (::pread(fd, head, sizeof head, 0) != ssize_t(sizeof head))
        return nullptr;
    const int images = head[4] | head[5] << 8;
    for (const Container& container : kContainers) {
        if (std::memcmp(head, container.signature, sizeof container.signature) == 0 && images > 0)
            return container.suffix;
    }
    return nullptr;
}

// Whether ImageMagick read a format that one of libvips' own loaders reads
// too: then that loader already refused the file, and ImageMagick would
// only half-read what a strict loader rejected (a truncated TIFF, say).
bool FormatHasDedicatedLoader(const vips::VImage& picture, int fd)
{
    if (const char* container = ContainerSuffix(fd))
        return DedicatedSuffixes().count(container) != 0;
    // libvips keeps the name as a reference-counted string, which
    // vips_image_get_string reads as well as a plain one.
    const char* format = nullptr;
    if (!vips_image_get_typeof(picture.get_image(), "magick-format") ||
        vips_image_get_string(picture.get_image(), "magick-format", &format) != 0 || !format) {
        vips_error_clear();
        return true; // a format it does not name cannot be checked
    }
    std::string suffix = ".";
    for (const char* c = format; *c; ++c)
        suffix += char(g_ascii_tolower(*c));
    return DedicatedSuffixes().count(suffix) != 0;
}

std::atomic<long long> gHeaderReads{0};

long long Nanoseconds(const struct timespec& time)
{
    return (long long)time.tv_sec * 1000000000LL + time.tv_nsec;
}

// The grain of the file system's times, as far as a time shows it: whole
// seconds mean one that keeps seconds (FAT keeps two); finer ones keep at
// most hundredths.
long long TimeGrainNs(long long time)
{
    return time % 1000000000LL == 0 ? 2000000000LL : 10000000LL;
}

FileIdentity IdentityOf(const struct stat& info)
{
    return {(unsigned long long)info.st_dev, (unsigned long long)info.st_ino,
            (long long)info.st_size, Nanoseconds(info.st_mtim), Nanoseconds(info.st_ctim)};
}

std::string DescriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

int FreeBytes(void* bytes, void*)
{
    g_free(bytes);
    return 0;
}

// The whole file from its start, in a blob the loader keeps while it needs
// it; null with errno set when it cannot be read.
VipsBlob* ReadWhole(int fd)
{
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return nullptr;
    const size_t size = size_t(info.st_size);
    void* bytes = g_try_malloc(size ? size : 1);
    if (!bytes) {
        errno = ENOMEM;
        return nullptr;
    }
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, static_cast<char*>(bytes) + got, size - got, off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            g_free(bytes);
            if (n == 0)
                errno = EIO; // shorter than it was a moment ago
            return nullptr;
        }
        got += size_t(n);
    }
    return vips_blob_new(FreeBytes, bytes, size);
}

} // namespace

bool IdentityOfFile(const QByteArray& path, FileIdentity* identity)
{
    const files::ItemAt at(path);
    struct stat info;
    if (at.error() || ::fstatat(at.folder(), at.name(), &info, 0) != 0)
        return false;
    *identity = IdentityOf(info);
    return true;
}

long long HeaderReadCount()
{
    return gHeaderReads.load();
}

PictureSource::~PictureSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

OSErr PictureSource::Open(const QByteArray& path)
{
    if (path.isEmpty())
        return paramErr;
    if (!EnsureVips())
        return codecErr;
    // O_NONBLOCK keeps open() from waiting for a FIFO's writer; fstat on the
    // opened file then decides, so nothing can swap the item in between.
    // Opened relative to its folder, so a picture deeper than any path opens
    // too; from then on the loaders read the descriptor, never the path.
    const files::ItemAt at(path);
    if (at.error())
        return StatusFromFileError(at.error());
    // File times come from this clock, so a time read before the file is
    // looked at tells whether a later change could repeat its times.
    struct timespec openedAt = {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &openedAt);
    const int fd = ::openat(at.folder(), at.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return StatusFromFileError(errno);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return StatusFromFileError(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? OSErr(notAFileErr) : OSErr(noCodecErr);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_identity = IdentityOf(info);
    m_settled = m_identity.changedNs + TimeGrainNs(m_identity.changedNs) <= Nanoseconds(openedAt);
    m_beyondPaths = at.folder() != AT_FDCWD;

    const char* found = nullptr;
    {
        vips::VSource source = vips::VSource::new_from_descriptor(m_fd);
        found = vips_foreign_find_load_source(source.get_source());
    }
    m_readsSource = found != nullptr;
    if (!found) {
        // Loaders that only read named files (OpenEXR, ImageMagick) get the
        // descriptor's name, which holds no characters libvips would parse.
        ::lseek(m_fd, 0, SEEK_SET);
        found = vips_foreign_find_load(DescriptorPath(m_fd).c_str());
    }
    if (!found) {
        TakeVipsError();
        return noCodecErr;
    }
    m_loader = LoaderNickname(found);
    m_rule = FindRule(m_loader);
    return m_rule ? OSErr(noErr) : OSErr(noCodecErr);
}

bool PictureSource::Animated() const
{
    return m_rule && m_rule->animated;
}

bool PictureSource::DecodesWholeAtHeader() const
{
    return m_rule && m_rule->fallback;
}

OSErr PictureSource::Load(PixelAccess access, Pages pages, vips::VImage* picture) const
{
    if (m_fd < 0 || !m_rule)
        return paramErr;
    ++gHeaderReads;
    try {
        if (::lseek(m_fd, 0, SEEK_SET) < 0)
            return StatusFromFileError(errno);
        vips::VSource source(nullptr);
        if (m_readsSource)
            source = vips::VSource::new_from_descriptor(m_fd);
        const std::string fileName = DescriptorPath(m_fd);
        std::string loader = m_loader;
        VipsBlob* bytes = nullptr;
        if (!m_readsSource && m_beyondPaths && m_rule->fallback) {
            bytes = ReadWhole(m_fd);
            if (!bytes)
                return StatusFromFileError(errno);
            loader += "_buffer";
        }

        vips::VOption* options = vips::VImage::option();
        options
            ->set("access",
                  access == PixelAccess::Sequential ? VIPS_ACCESS_SEQUENTIAL : VIPS_ACCESS_RANDOM)
            ->set("fail_on", VIPS_FAIL_ON_ERROR)
            ->set("out", picture);
        if (pages == Pages::All && m_rule->animated)
            options->set("n", -1);
        if (m_readsSource)
            options->set("source", source);
        else if (bytes)
            options->set("buffer", bytes);
        else
            options->set("filename", fileName.c_str());
        if (bytes)
            vips_area_unref(VIPS_AREA(bytes)); // the options hold it now
        vips::VImage::call(loader.c_str(), options);
        if (m_rule->fallback && FormatHasDedicatedLoader(*picture, m_fd)) {
            *picture = vips::VImage();
            return noCodecErr;
        }
        return noErr;
    } catch (const vips::VError&) {
        TakeVipsError();
        *picture = vips::VImage();
        return codecBadDataErr;
    }
}

} // namespace platform::graphics
