// SPDX-License-Identifier: GPL-3.0-or-later
// The memory policy's decisions.
#include "platform/memory/MemoryPolicy.h"

#include "platform/memory/UsableMemory.h"

#include <algorithm>
#include <atomic>
#include <limits>

namespace platform
{

namespace
{

std::atomic<UInt64> gSetBudget{0};

} // namespace

UInt64 DefaultPictureMemoryBudget(const QByteArray& root)
{
    const UInt64 usable = UsableMemory(root);
    return usable ? usable / 4 : UInt64(1) << 30;
}

UInt64 PictureMemoryBudget()
{
    static const UInt64 byDefault = DefaultPictureMemoryBudget();
    const UInt64 set = gSetBudget.load();
    return set ? set : byDefault;
}

void SetPictureMemoryBudget(UInt64 bytes)
{
    gSetBudget = bytes;
}

bool AdmitsPicture(UInt64 bytes, int running, UInt64 inUse, UInt64 budget)
{
    // A picture that ran alone may hold more than the whole budget.
    return running == 0 || (inUse <= budget && bytes <= budget - inUse);
}

WholePictureBuffer ChooseWholePictureBuffer(UInt64 bufferBytes, UInt64 saverCeiling)
{
    const UInt64 ceiling = saverCeiling ? saverCeiling : std::numeric_limits<UInt64>::max();
    if (bufferBytes <= std::min(ceiling, PictureMemoryBudget()))
        return WholePictureBuffer::Held;
    return saverCeiling ? WholePictureBuffer::Recoded : WholePictureBuffer::Omitted;
}

UInt64 KeptPictureCost(UInt64 fileBytes, bool decodesAtHeader, UInt64 decodedBytes)
{
    const UInt64 decoded = decodesAtHeader ? decodedBytes : 0;
    return fileBytes > std::numeric_limits<UInt64>::max() - decoded
               ? std::numeric_limits<UInt64>::max()
               : fileBytes + decoded;
}

} // namespace platform
