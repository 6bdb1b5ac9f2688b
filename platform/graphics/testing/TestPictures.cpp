// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing and reading test pictures.
#include "platform/graphics/testing/TestPictures.h"

#include "PictureSource.h"
#include "VipsSupport.h"
#include "platform/graphics/Graphics.h"

#include <vips/vips8>

#include <cmath>
#include <string>

namespace platform::testing
{

namespace
{

using vips::VImage;

// One frame: three smooth colour fields, two soft discs, noise of a few
// levels and the red corner mark. Every operation is lazy, so a frame of any
// size streams into its saver.
VImage DrawFrame(int width, int height, int seed)
{
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy.extract_band(0) / double(width);
    const VImage y = xy.extract_band(1) / double(height);
    const double phase = seed * 0.7;

    const VImage red = (x * 3.1 + phase).sin() * 60 + y * 90 + 70;
    const VImage green = ((x * 2.3 - y * 1.7 + phase) * 57.29578).sin() * 70 + 110;
    const VImage blue = (y * 4.0 - phase).cos() * 50 + x * 80 + 60;
    VImage picture = red.bandjoin(green).bandjoin(blue);

    // Soft discs: a bright one and a dark one, their edges blended.
    const auto disc = [&](double cx, double cy, double r) {
        const VImage distance = ((x - cx) * (x - cx) + (y - cy) * (y - cy) * 0.5625).pow(0.5);
        const VImage edge = distance.linear(-25.0, r * 25.0 + 0.5);
        return (edge > 1.0).ifthenelse(1.0, (edge < 0.0).ifthenelse(0.0, edge));
    };
    const VImage bright = disc(0.3 + 0.1 * std::sin(phase), 0.6, 0.18);
    const VImage dark = disc(0.72, 0.35 + 0.1 * std::cos(phase), 0.12);
    picture = picture * (1 - bright) + bright * 235;
    picture = picture * (1 - dark) + dark * 25;

    const VImage noise =
        VImage::gaussnoise(width, height, VImage::option()->set("sigma", 6.0)->set("seed", seed));
    picture = picture + noise;

    const VImage mark = (x < 0.125) & (y < 0.125);
    picture = mark.ifthenelse(std::vector<double>{255, 0, 0}, picture);
    return picture.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

VImage Draw(int width, int height, const TestPictureOptions& options)
{
    VImage picture = DrawFrame(width, height, options.seed);
    if (options.frames > 1) {
        std::vector<VImage> frames{picture};
        for (int i = 1; i < options.frames; ++i)
            frames.push_back(DrawFrame(width, height, options.seed + i));
        picture = VImage::arrayjoin(frames, VImage::option()->set("across", 1));
        picture.set("page-height", height);
    }
    if (options.alpha) {
        const VImage opaque =
            (VImage::xyz(picture.width(), picture.height()).extract_band(0) < double(width / 2))
                .ifthenelse(std::vector<double>{255}, std::vector<double>{0})
                .cast(VIPS_FORMAT_UCHAR);
        picture = picture.bandjoin(opaque);
    }
    if (options.iccProfile)
        picture = picture.icc_transform(
            "srgb", VImage::option()->set("input_profile", "srgb")->set("embedded", false));
    if (options.floatSamples)
        picture = picture.colourspace(VIPS_INTERPRETATION_scRGB);
    if (options.orientation)
        picture.set("orientation", options.orientation);
    if (!options.xmp.isEmpty())
        vips_image_set_blob_copy(picture.get_image(), VIPS_META_XMP_NAME, options.xmp.constData(),
                                 size_t(options.xmp.size()));
    return picture;
}

int BitsPerSample(VipsBandFormat format)
{
    return int(vips_format_sizeof(format) * 8);
}

QByteArray Blob(const VImage& picture, const char* name)
{
    const void* data = nullptr;
    size_t length = 0;
    if (!vips_image_get_typeof(picture.get_image(), name) ||
        vips_image_get_blob(picture.get_image(), name, &data, &length) != 0)
        return {};
    return QByteArray(static_cast<const char*>(data), qsizetype(length));
}

bool LoaderTakes(const char* loader, const char* argument)
{
    VipsOperation* operation = vips_operation_new(loader);
    if (!operation) {
        vips_error_clear();
        return false;
    }
    GParamSpec* property = nullptr;
    VipsArgumentClass* argumentClass = nullptr;
    VipsArgumentInstance* argumentInstance = nullptr;
    const bool takes = vips_object_get_argument(VIPS_OBJECT(operation), argument, &property,
                                                &argumentClass, &argumentInstance) == 0;
    if (!takes)
        vips_error_clear();
    g_object_unref(operation);
    return takes;
}

// Decodes the picture into memory once: the facts take several passes over
// it, and libvips 8.14's JPEG 2000 loader cannot decode a picture of a
// single tile a second time.
VImage LoadWhole(const QByteArray& path, bool allFrames)
{
    VImage header = VImage::new_from_source(vips::VSource::new_from_file(path.constData()), "",
                                            VImage::option()->set("fail_on", VIPS_FAIL_ON_ERROR));
    // Only loaders of animations and multi-page files take "n"; JPEG 2000
    // counts its resolution levels as pages.
    const char* loader = nullptr;
    if (vips_image_get_string(header.get_image(), "vips-loader", &loader) != 0)
        vips_error_clear();
    if (!allFrames || vips_image_get_n_pages(header.get_image()) <= 1 || !loader ||
        !LoaderTakes(loader, "n"))
        return graphics::InMemory(header);
    return graphics::InMemory(VImage::new_from_source(
        vips::VSource::new_from_file(path.constData()), "",
        VImage::option()->set("fail_on", VIPS_FAIL_ON_ERROR)->set("n", -1)));
}

// ImageMagick names its formats as the suffixes do; libvips' magicksave
// writes to named files only.
OSErr WriteThroughImageMagick(const QByteArray& path, const char* format, const VImage& picture)
{
    if (!vips_type_find("VipsOperation", "magicksave"))
        return paramErr;
    try {
        picture.magicksave(path.constData(), VImage::option()->set("format", format));
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return ioErr;
    }
}

void* CountObject(void*, void* count, void*)
{
    ++*static_cast<int*>(count);
    return nullptr;
}

} // namespace

OSErr WriteTestPicture(const QByteArray& path, const char* format, int width, int height,
                       const TestPictureOptions& options)
{
    if (!graphics::EnsureVips() || width < 1 || height < 1 || options.frames < 1)
        return paramErr;
    // libvips writes AVIF with its HEIF saver, which is not found by ".avif".
    const bool avif = std::string(format) == "avif";
    const std::string suffix = std::string(".") + (avif ? "heic" : format);
    const char* saver = vips_foreign_find_save_target(suffix.c_str());
    if (!saver) {
        graphics::TakeVipsError();
        return WriteThroughImageMagick(path, format, Draw(width, height, options));
    }
    try {
        const VImage picture = Draw(width, height, options);
        vips::VTarget target = vips::VTarget::new_to_file(path.constData());
        vips::VOption* arguments = VImage::option()->set("in", picture)->set("target", target);
        if (avif)
            arguments->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1);
        VImage::call_option_string(saver, options.saveOptions, arguments);
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return ioErr;
    }
}

OSErr ReadPictureFacts(const QByteArray& path, PictureFacts* facts)
{
    if (!graphics::EnsureVips() || !facts)
        return paramErr;
    try {
        const VImage picture = LoadWhole(path, true);
        PictureFacts read;
        read.width = picture.width();
        read.height = vips_image_get_page_height(picture.get_image());
        read.frames = picture.height() / read.height;
        read.bands = picture.bands();
        read.bitsPerSample = BitsPerSample(picture.format());
        read.alpha = picture.has_alpha();
        read.orientation = vips_image_get_orientation(picture.get_image());
        const char* loader = nullptr;
        if (vips_image_get_string(picture.get_image(), "vips-loader", &loader) == 0 && loader)
            read.loader = loader;
        else
            vips_error_clear();
        read.iccProfile = Blob(picture, VIPS_META_ICC_NAME);
        read.xmp = Blob(picture, VIPS_META_XMP_NAME);
        // Averaging decodes every pixel, so damage anywhere shows here.
        for (int band = 0; band < picture.bands(); ++band)
            read.bandMeans.push_back(picture.extract_band(band).avg());
        *facts = read;
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return codecBadDataErr;
    }
}

OSErr ReadPixel(const QByteArray& path, int x, int y, std::vector<double>* values)
{
    if (!graphics::EnsureVips() || !values)
        return paramErr;
    try {
        *values = LoadWhole(path, false).getpoint(x, y);
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return codecBadDataErr;
    }
}

OSErr MeanAbsoluteDifference(const QByteArray& a, const QByteArray& b, double* difference)
{
    if (!graphics::EnsureVips() || !difference)
        return paramErr;
    try {
        const VImage first = LoadWhole(a, false), second = LoadWhole(b, false);
        if (first.width() != second.width() || first.height() != second.height() ||
            first.bands() != second.bands())
            return paramErr;
        *difference = (first.cast(VIPS_FORMAT_FLOAT) - second.cast(VIPS_FORMAT_FLOAT)).abs().avg();
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return codecBadDataErr;
    }
}

} // namespace platform::testing

namespace platform::testing
{

OSErr WriteHalfTransparentPicture(const QByteArray& path, const char* format, int width, int height,
                                  SampleKind kind)
{
    if (!graphics::EnsureVips() || width < 2 || height < 1)
        return paramErr;
    try {
        // 1 in the left half, 0 in the right, as floating point so that
        // the samples below keep their whole range.
        const VImage left =
            (VImage::xyz(width, height).extract_band(0) < double(width / 2)) / 255.0;
        const bool grey = kind == SampleKind::Grey16;
        const double top = kind == SampleKind::FloatRGB ? 1.0 : 65535.0;
        const VImage colour =
            grey ? left * (0.25 * top) : (left * top).bandjoin(left * 0.0).bandjoin(left * 0.0);
        const VImage alpha = left * top;
        VImage picture = colour.bandjoin(alpha);
        if (kind == SampleKind::FloatRGB)
            picture = picture.cast(VIPS_FORMAT_FLOAT)
                          .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_scRGB));
        else
            picture = picture.cast(VIPS_FORMAT_USHORT)
                          .copy(VImage::option()->set("interpretation",
                                                      grey ? VIPS_INTERPRETATION_GREY16
                                                           : VIPS_INTERPRETATION_RGB16));
        const std::string suffix = std::string(".") + format;
        const char* saver = vips_foreign_find_save_target(suffix.c_str());
        if (!saver) {
            graphics::TakeVipsError();
            return paramErr;
        }
        vips::VTarget target = vips::VTarget::new_to_file(path.constData());
        VImage::call(saver, VImage::option()->set("in", picture)->set("target", target));
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return ioErr;
    }
}

std::string LastCodecErrorText()
{
    return graphics::LastVipsErrorText();
}

int LiveCodecObjects()
{
    int count = 0;
    vips_object_map(CountObject, &count, nullptr);
    return count;
}

long long PictureHeaderReads()
{
    return graphics::HeaderReadCount();
}

int CodecThreadsPerPicture()
{
    return vips_concurrency_get();
}

} // namespace platform::testing
