// One picture from its file into an export type: load, turn upright, make
// it fit the saver, write it beside the output and put it in place.
#include "platform/graphics/GraphicsCore.h"

#include "platform/graphics/PictureSource.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/TemporaryOutput.h"
#include "platform/graphics/VipsSupport.h"

#include <vips/vips8>

#include <new>
#include <string>
#include <vector>

namespace platform {

namespace {

using graphics::PictureSource;
using graphics::SaverEntry;

bool NeedsTurning(const vips::VImage& picture)
{
    const int orientation = vips_image_get_orientation(picture.get_image());
    return orientation >= 2 && orientation <= 8;
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
    const int colourBands = picture.bands() - (picture.has_alpha() ? 1 : 0);
    return picture.colourspace(colourBands == 1 ? VIPS_INTERPRETATION_GREY16
                                                : VIPS_INTERPRETATION_RGB16);
}

// Formats without transparency get the picture as it would look on white
// paper, not libvips' default black.
vips::VImage FlattenOntoWhite(vips::VImage picture)
{
    if (picture.interpretation() == VIPS_INTERPRETATION_CMYK)
        picture = picture.colourspace(VIPS_INTERPRETATION_sRGB);
    const VipsInterpretation interpretation = picture.interpretation();
    const bool sixteenBit = interpretation == VIPS_INTERPRETATION_RGB16 ||
                            interpretation == VIPS_INTERPRETATION_GREY16;
    const double white = sixteenBit ? 65535.0 : 255.0;
    return picture.flatten(vips::VImage::option()
                               ->set("background", std::vector<double>(picture.bands() - 1, white))
                               ->set("max_alpha", white));
}

// The saver's option text for this picture: its fixed options, plus those
// that make the encoder hold the whole picture when that fits the budget.
std::string OptionsFor(const SaverEntry& saver, const vips::VImage& picture)
{
    std::string options = saver.options;
    const long long bufferBytes =
        2LL * picture.width() * picture.height() * picture.bands();
    if (*saver.wholePictureOptions && bufferBytes <= graphics::kWholePictureBufferLimit) {
        if (!options.empty())
            options += ',';
        options += saver.wholePictureOptions;
    }
    return options;
}

void Save(const vips::VImage& picture, const SaverEntry& saver, CodecQ quality,
          vips::VTarget& target)
{
    const std::string options = OptionsFor(saver, picture);
    vips::VOption* arguments = vips::VImage::option()->set("in", picture)->set("target", target);
    if (quality >= codecLosslessQuality && saver.losslessOption)
        arguments->set(saver.losslessOption, true);
    else if (saver.qualityOption)
        arguments->set(saver.qualityOption, graphics::VipsQuality(quality));
    vips::VImage::call_option_string(saver.saver, options.empty() ? nullptr : options.c_str(),
                                     arguments);
}

} // namespace

OSErr ProbePicture(const QByteArray& path)
{
    PictureSource source;
    if (const OSErr status = source.Open(path))
        return status;
    vips::VImage picture;
    return source.Load(graphics::PixelAccess::Sequential, graphics::Pages::First, &picture);
}

OSErr ExportPicture(const QByteArray& sourcePath, const QByteArray& outputPath, OSType exportType,
                    CodecQ quality, UInt64* bytesWritten)
{
    if (outputPath.isEmpty())
        return paramErr;
    if (!graphics::EnsureVips())
        return codecErr;
    const SaverEntry* saver = graphics::FindSaver(exportType);
    if (!saver)
        return badComponentType;

    PictureSource source;
    if (const OSErr status = source.Open(sourcePath))
        return status;
    // Frames are kept only when both formats animate; otherwise the first
    // frame is the picture.
    const auto pages =
        saver->animated && source.Animated() ? graphics::Pages::All : graphics::Pages::First;

    graphics::TemporaryOutput output(outputPath);
    try {
        vips::VImage picture;
        if (const OSErr status = source.Load(graphics::PixelAccess::Sequential, pages, &picture))
            return status;
        if (static_cast<long long>(picture.width()) * picture.height() > kMaxPicturePixels)
            return codecSizeErr;
        if (pages == graphics::Pages::First && NeedsTurning(picture)) {
            // Turning needs the pixels out of order, which a sequential
            // load cannot give.
            picture = vips::VImage();
            if (const OSErr status =
                    source.Load(graphics::PixelAccess::Random, graphics::Pages::First, &picture))
                return status;
            picture = picture.autorot();
        }
        picture = IntoSaverColour(picture);
        if (!saver->keepsTransparency && picture.has_alpha())
            picture = FlattenOntoWhite(picture);

        if (const OSErr status = output.Create())
            return status;
        Save(picture, *saver, quality, output.Target());
        return output.Commit(bytesWritten);
    } catch (const vips::VError&) {
        graphics::TakeVipsError();
        const OSErr writeStatus = output.WriteStatus();
        return writeStatus ? writeStatus : codecErr;
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

} // namespace platform
