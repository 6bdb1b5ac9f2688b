// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/graphics/testing/MetadataTesting.h"

#include "GraphicsCore.h"

#include <cstdint>
#include <vector>

namespace platform::testing
{

bool IptcWithoutPlaces(const QByteArray& block, QByteArray* filtered)
{
    // A copy of exactly the block's size: QByteArray's closing NUL would hide
    // a read one byte past the end from the address sanitizer.
    const std::vector<std::uint8_t> bytes(block.begin(), block.end());
    std::vector<std::uint8_t> out;
    const bool read = graphics::IptcWithoutLocation(bytes, &out);
    *filtered = QByteArray(reinterpret_cast<const char*>(out.data()), qsizetype(out.size()));
    return read;
}

} // namespace platform::testing
