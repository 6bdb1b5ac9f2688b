// SPDX-License-Identifier: GPL-3.0-or-later
// The steps a picture goes through between its loader and its saver, in
// libvips' own terms: turned upright, brought into a colour space the savers
// take, flattened onto white for formats without transparency.
#pragma once
#ifndef TESSALY_PLATFORM_PRIVATE
#error                                                                                             \
    "This header is private to platform/; outside it use Graphics.h, PictureFiles.h or SaverTable.h"
#endif

#include "platform/graphics/SaverTable.h"

#include <vips/vips8>

#include <cstdint>
#include <span>
#include <vector>

namespace platform::graphics
{

// Whether the picture carries an EXIF orientation other than upright.
bool NeedsTurning(const vips::VImage& picture);

// Whether the picture was loaded from a JPEG whose colour has full
// resolution (4:4:4): none of its components subsampled.
bool FromFullChromaJpeg(const vips::VImage& picture);

// libvips' savers take sRGB, grey and CMYK at 8 or 16 bits; other colour
// spaces become 16-bit sRGB or grey.
vips::VImage IntoSaverColour(const vips::VImage& picture);

// The picture with its metadata less where it was taken: no GPS fields in
// its EXIF, no location properties in its XMP, no place datasets in its
// IPTC; everything else kept.
vips::VImage WithoutLocation(const vips::VImage& picture);

// The picture with its IPTC block where home says (see IptcHome); one that
// cannot be read is left out.
vips::VImage WithIptcFor(const vips::VImage& picture, IptcHome home);

// The IPTC block (libvips' "iptc-data" or "photoshop-data": Photoshop image
// resources, with or without the "Photoshop 3.0" header, or IIM datasets
// alone) less the datasets that name a place, every other byte as it was.
// False with *out empty when the block cannot be read through.
bool IptcWithoutLocation(std::span<const std::uint8_t> block, std::vector<std::uint8_t>* out);

// The picture as it would look on white paper, its alpha band gone, at the
// picture's own depth.
vips::VImage FlattenOntoWhite(vips::VImage picture);

} // namespace platform::graphics
