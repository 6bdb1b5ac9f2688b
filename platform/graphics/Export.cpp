// SPDX-License-Identifier: GPL-3.0-or-later
// One picture from its file into an export type: load, turn upright, make
// it fit the saver, write it beside the output and put it in place.
#include "platform/graphics/PictureFiles.h"

#include "GraphicsCore.h"
#include "JpegRecode.h"
#include "PictureSource.h"
#include "ProbedPictures.h"
#include "TemporaryOutput.h"
#include "VipsSupport.h"
#include "platform/graphics/SaverTable.h"

#include <vips/vips8>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

namespace platform
{

namespace
{

using graphics::PictureSource;
using graphics::SaverEntry;

// Writes the picture into memory, re-codes its Huffman tables there and
// writes the result (or, when the re-coder cannot take the stream, the
// stream as libvips wrote it) to target.
void SaveReencoded(const vips::VImage& picture, const SaverEntry& saver, const std::string& options,
                   vips::VTarget& target)
{
    std::vector<std::uint8_t> recoded;
    {
        vips::VTarget memory = vips::VTarget::new_to_memory();
        vips::VImage::call_option_string(
            saver.saver, options.c_str(),
            vips::VImage::option()->set("in", picture)->set("target", memory));
        VipsBlob* blob = nullptr;
        g_object_get(memory.get_target(), "blob", &blob, nullptr);
        if (!blob)
            throw vips::VError("no stream in memory");
        const std::unique_ptr<VipsBlob, void (*)(VipsBlob*)> held(
            blob, [](VipsBlob* b) { vips_area_unref(VIPS_AREA(b)); });
        std::size_t length = 0;
        const auto* data = static_cast<const std::uint8_t*>(vips_blob_get(blob, &length));
        if (!graphics::RecodeJpegHuffman(std::span(data, length), &recoded)) {
            if (vips_target_write(target.get_target(), data, length) != 0)
                throw vips::VError();
            return;
        }
    }
    if (vips_target_write(target.get_target(), recoded.data(), recoded.size()) != 0)
        throw vips::VError();
}

void Save(const vips::VImage& picture, const SaverEntry& saver, const ExportOptions& request,
          vips::VTarget& target)
{
    const graphics::PictureShape shape{picture.width(), picture.height(), picture.bands(),
                                       graphics::FromFullChromaJpeg(picture)};
    const std::string options = graphics::SaverOptions(saver, request, shape);
    if (graphics::ReencodesTables(saver, graphics::HonouredQuality(saver, request.quality),
                                  shape)) {
        SaveReencoded(picture, saver, options, target);
        return;
    }
    vips::VImage::call_option_string(
        saver.saver, options.c_str(),
        vips::VImage::option()->set("in", picture)->set("target", target));
}

} // namespace

void SetThreadsPerPicture(int threads)
{
    if (!graphics::EnsureVips())
        return;
    // libvips takes 0 as "no change", so its own choice is kept from before
    // the first change.
    static const int byDefault = vips_concurrency_get();
    vips_concurrency_set(threads > 0 ? threads : byDefault);
}

UInt64 DecodedBytes(const PictureHeader& header)
{
    if (header.width <= 0 || header.height <= 0 || header.bands <= 0 ||
        header.bytesPerSample <= 0 || header.pages <= 0)
        return 0;
    // A header may claim more than any memory holds: the product saturates.
    UInt64 bytes = 1;
    for (const UInt64 factor : {UInt64(header.width), UInt64(header.height), UInt64(header.bands),
                                UInt64(header.bytesPerSample), UInt64(header.pages)}) {
        if (bytes > std::numeric_limits<UInt64>::max() / factor)
            return std::numeric_limits<UInt64>::max();
        bytes *= factor;
    }
    return bytes;
}

OSErr ProbePicture(const QByteArray& path, PictureHeader* header)
{
    PictureHeader found;
    if (!graphics::FindProbedHeader(path, &found)) {
        graphics::ProbedPicture probed;
        probed.source = std::make_unique<PictureSource>();
        if (const OSErr status = probed.source->Open(path))
            return status;
        if (const OSErr status = probed.source->Load(graphics::PixelAccess::Sequential,
                                                     graphics::Pages::First, &probed.picture))
            return status;
        VipsImage* image = probed.picture.get_image();
        found.width = image->Xsize;
        found.height = image->Ysize;
        found.bands = image->Bands;
        found.bytesPerSample = int(vips_format_sizeof(image->BandFmt));
        found.pages = probed.source->Animated() ? std::max(1, vips_image_get_n_pages(image)) : 1;
        graphics::KeepProbe(path, found, std::move(probed));
    }
    if (header)
        *header = found;
    return noErr;
}

void ForgetProbedPictures()
{
    graphics::ForgetProbes();
}

OSErr ExportPicture(const QByteArray& sourcePath, const QByteArray& outputPath,
                    const ExportOptions& options, UInt64* bytesWritten)
{
    if (outputPath.isEmpty())
        return paramErr;
    if (!graphics::EnsureVips())
        return codecErr;
    const SaverEntry* saver = graphics::FindSaver(options.exportType);
    if (!saver || options.quality > codecLosslessQuality)
        return badComponentType;

    // The probe's opened file and header-read picture when it kept them for
    // this unchanged file; otherwise the file is opened here.
    graphics::ProbedPicture probed;
    if (!graphics::TakeProbedPicture(sourcePath, &probed)) {
        probed.source = std::make_unique<PictureSource>();
        if (const OSErr status = probed.source->Open(sourcePath))
            return status;
    }
    const PictureSource& source = *probed.source;
    // Frames are kept only when both formats animate; otherwise the first
    // frame is the picture, as the probe read it.
    const auto pages =
        saver->animated && source.Animated() ? graphics::Pages::All : graphics::Pages::First;

    graphics::TemporaryOutput output(outputPath);
    try {
        vips::VImage picture = probed.picture;
        probed.picture = vips::VImage();
        if (!picture.get_image() || pages != graphics::Pages::First) {
            picture = vips::VImage();
            if (const OSErr status =
                    source.Load(graphics::PixelAccess::Sequential, pages, &picture))
                return status;
        }
        if (static_cast<long long>(picture.width()) * picture.height() > kMaxPicturePixels)
            return codecSizeErr;
        if (pages == graphics::Pages::First && graphics::NeedsTurning(picture)) {
            // Turning needs the pixels out of order, which a sequential
            // load cannot give.
            picture = vips::VImage();
            if (const OSErr status =
                    source.Load(graphics::PixelAccess::Random, graphics::Pages::First, &picture))
                return status;
            picture = picture.autorot();
        }
        picture = graphics::IntoSaverColour(picture);
        if (options.stripLocation)
            picture = graphics::WithoutLocation(picture);
        picture = graphics::WithIptcFor(picture, saver->iptcHome);
        if (!saver->keepsTransparency && picture.has_alpha())
            picture = graphics::FlattenOntoWhite(picture);
        if (saver->decodeFirst)
            picture = graphics::InMemory(picture);

        if (const OSErr status = output.Create())
            return status;
        Save(picture, *saver, options, output.Target());
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
