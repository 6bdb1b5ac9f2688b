// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/graphics/testing/JpegTesting.h"

#include "JpegRecode.h"
#include "VipsSupport.h"
#include "platform/graphics/Graphics.h"

#include <vips/vips8>

#include <cstdint>
#include <span>
#include <vector>

namespace platform::testing
{

namespace
{

using vips::VImage;

VImage DecodeJpeg(const QByteArray& jpeg)
{
    return VImage::new_from_buffer(jpeg.constData(), size_t(jpeg.size()), "",
                                   VImage::option()->set("fail_on", VIPS_FAIL_ON_ERROR))
        .copy_memory();
}

} // namespace

OSErr EncodeTestJpeg(const QByteArray& sourcePath, JpegColours colours, const char* options,
                     QByteArray* jpeg)
{
    if (!graphics::EnsureVips() || !jpeg)
        return paramErr;
    try {
        VImage picture = VImage::new_from_file(sourcePath.constData());
        if (colours == JpegColours::Grey)
            picture = picture.colourspace(VIPS_INTERPRETATION_B_W);
        else if (colours == JpegColours::Cmyk)
            picture = picture.bandjoin(255 - picture.extract_band(1))
                          .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK));
        vips::VTarget target = vips::VTarget::new_to_memory();
        VImage::call_option_string("jpegsave_target", options,
                                   VImage::option()->set("in", picture)->set("target", target));
        VipsBlob* blob = nullptr;
        g_object_get(target.get_target(), "blob", &blob, nullptr);
        if (!blob)
            return ioErr;
        size_t length = 0;
        const void* data = vips_blob_get(blob, &length);
        *jpeg = QByteArray(static_cast<const char*>(data), qsizetype(length));
        vips_area_unref(VIPS_AREA(blob));
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return ioErr;
    }
}

bool RecodeJpegTables(const QByteArray& jpeg, QByteArray* recoded)
{
    std::vector<std::uint8_t> out;
    const bool done = graphics::RecodeJpegHuffman(
        std::span(reinterpret_cast<const std::uint8_t*>(jpeg.constData()), size_t(jpeg.size())),
        &out);
    *recoded = QByteArray(reinterpret_cast<const char*>(out.data()), qsizetype(out.size()));
    return done;
}

OSErr SameJpegPixels(const QByteArray& a, const QByteArray& b, bool* same)
{
    if (!graphics::EnsureVips() || !same)
        return paramErr;
    try {
        const VImage first = DecodeJpeg(a);
        const VImage second = DecodeJpeg(b);
        *same = first.width() == second.width() && first.height() == second.height() &&
                first.bands() == second.bands() && (first - second).abs().max() == 0.0;
        return noErr;
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        return codecBadDataErr;
    }
}

} // namespace platform::testing
