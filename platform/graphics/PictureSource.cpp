// Opening source pictures and choosing their loader.
#include "PictureSource.h"

#include "VipsSupport.h"

#include <vips/vips8>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Whether ImageMagick read a format that one of libvips' own loaders reads
// too: then that loader already refused the file, and ImageMagick would
// only half-read what a strict loader rejected (a truncated TIFF, say).
bool FormatHasDedicatedLoader(const vips::VImage& picture)
{
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

std::string DescriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

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
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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

OSErr PictureSource::Load(PixelAccess access, Pages pages, vips::VImage* picture) const
{
    if (m_fd < 0 || !m_rule)
        return paramErr;
    try {
        if (::lseek(m_fd, 0, SEEK_SET) < 0)
            return StatusFromFileError(errno);
        vips::VSource source(nullptr);
        if (m_readsSource)
            source = vips::VSource::new_from_descriptor(m_fd);
        const std::string fileName = DescriptorPath(m_fd);

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
        else
            options->set("filename", fileName.c_str());
        vips::VImage::call(m_loader.c_str(), options);
        if (m_rule->fallback && FormatHasDedicatedLoader(*picture)) {
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
