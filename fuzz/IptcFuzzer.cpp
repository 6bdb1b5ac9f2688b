// SPDX-License-Identifier: GPL-3.0-or-later
// The IPTC filter that leaves out where a photo was taken, on any bytes as
// libvips' IPTC block. It either refuses them, leaving nothing, or gives a
// block no longer than them that it takes again as it stands: a place
// dataset it let through would go on a second pass.
#include "FuzzSupport.h"

#include "platform/graphics/testing/MetadataTesting.h"

using namespace fuzzsupport;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray filtered;
    if (!platform::testing::IptcWithoutPlaces(input, &filtered)) {
        if (!filtered.isEmpty())
            Fail("a refused block came back with bytes");
        return 0;
    }
    // A last IPTC resource of odd size without its padding byte gets one.
    if (filtered.size() > input.size() + 1)
        Fail("the filtered block grew");
    QByteArray again;
    if (!platform::testing::IptcWithoutPlaces(filtered, &again) || again != filtered)
        Fail("a filtered block does not filter to itself");
    return 0;
}
