// SPDX-License-Identifier: GPL-3.0-or-later
// The steps between loader and saver.
#include "GraphicsCore.h"

#include <string_view>
#include <vector>

namespace platform::graphics
{

bool NeedsTurning(const vips::VImage& picture)
{
    const int orientation = vips_image_get_orientation(picture.get_image());
    return orientation >= 2 && orientation <= 8;
}

bool FromFullChromaJpeg(const vips::VImage& picture)
{
    // libvips' JPEG loader says "4:4:4" (or "4:4:4:4" for CMYK) when no
    // component is subsampled, "4:2:0" for any subsampling.
    const char* sampling = nullptr;
    if (!vips_image_get_typeof(picture.get_image(), "jpeg-chroma-subsample"))
        return false;
    if (vips_image_get_string(picture.get_image(), "jpeg-chroma-subsample", &sampling) != 0 ||
        !sampling) {
        vips_error_clear();
        return false;
    }
    return std::string_view(sampling).starts_with("4:4:4");
}

// libvips' savers take sRGB, grey and CMYK at 8 or 16 bits and bring those
// down to what they write themselves; other colour spaces (scRGB from a
// floating-point TIFF or OpenEXR, Lab, XYZ...) they would cast as numbers,
// black or garbage. Those become 16-bit sRGB or grey first, which keeps
// their depth where the format holds it.
vips::VImage IntoSaverColour(const vips::VImage& picture)
{
    switch (picture.interpretation()) {
    case VIPS_INTERPRETATION_sRGB:
    case VIPS_INTERPRETATION_B_W:
    case VIPS_INTERPRETATION_RGB16:
    case VIPS_INTERPRETATION_GREY16:
    case VIPS_INTERPRETATION_CMYK:
        return picture;
    default:
        break;
    }
    if (!vips_colourspace_issupported(picture.get_image()))
        return picture;
    const bool alpha = picture.has_alpha();
    const int colourBands = picture.bands() - (alpha ? 1 : 0);
    const VipsInterpretation into =
        colourBands == 1 ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_RGB16;
    if (!alpha)
        return picture.colourspace(into);
    // libvips 8.14 carries alpha through the conversion as a number (a
    // float picture's opaque 1.0 comes out as 256 of 65535), so it goes
    // round the conversion and is scaled by hand: 0..1 in scRGB, 0..255 in
    // the other spaces libvips describes.
    const double sourceOpaque = picture.interpretation() == VIPS_INTERPRETATION_scRGB ? 1.0 : 255.0;
    const vips::VImage colour =
        picture.extract_band(0, vips::VImage::option()->set("n", colourBands)).colourspace(into);
    const vips::VImage opacity =
        (picture.extract_band(colourBands) * (65535.0 / sourceOpaque)).cast(VIPS_FORMAT_USHORT);
    return colour.bandjoin(opacity).copy(vips::VImage::option()->set("interpretation", into));
}

// Formats without transparency get the picture as it would look on white
// paper, not libvips' default black. White, and full opacity, are the top
// of the samples' own scale.
vips::VImage FlattenOntoWhite(vips::VImage picture)
{
    if (picture.interpretation() == VIPS_INTERPRETATION_CMYK)
        picture = picture.colourspace(VIPS_INTERPRETATION_sRGB);
    const VipsInterpretation interpretation = picture.interpretation();
    const bool sixteenBit = interpretation == VIPS_INTERPRETATION_RGB16 ||
                            interpretation == VIPS_INTERPRETATION_GREY16 ||
                            picture.format() == VIPS_FORMAT_USHORT;
    const double white = sixteenBit ? 65535.0 : 255.0;
    return picture.flatten(vips::VImage::option()
                               ->set("background", std::vector<double>(picture.bands() - 1, white))
                               ->set("max_alpha", white));
}

} // namespace platform::graphics
