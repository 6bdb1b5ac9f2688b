// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptor coercion: the input's data, taken as each type of descriptor,
// is coerced to every type. Whatever the bytes, a coercion gives a
// descriptor of the type asked for or an error with no descriptor.
#include "FuzzSupport.h"

#include "platform/events/Descriptors.h"

#include <QDir>
#include <QFile>

using namespace fuzzsupport;

namespace
{

constexpr DescType kTypes[] = {typeNull,  typeFSRef,   typeFSS,
                               typeAlias, typeFileURL, FOUR_CHAR_CODE("TEXT")};

// Items the coercions can find: the seeds name them by URL, so that
// mutations start from descriptors that resolve.
const QByteArray kFixtureFolder = "/tmp/tessaly-fuzz-descriptors";

void MakeFixture()
{
    QDir().mkpath(QFile::decodeName(kFixtureFolder + "/folder"));
    static const uint8_t text[] = "item";
    WriteWhole(kFixtureFolder + "/folder/item.txt", text, sizeof text - 1);
}

void CheckCoercion(const AEDesc& from, DescType toType)
{
    AEDesc result;
    const OSErr status = AECoerceDesc(&from, toType, &result);
    if (status == noErr) {
        if (result.descriptorType != toType)
            Fail("a coercion gave another type than asked for");
        if (from.descriptorType != toType) {
            // The item must come back from the form it was put into.
            AEDesc back;
            if (toType != typeNull && AECoerceDesc(&result, typeFSRef, &back) != noErr)
                Fail("a coerced descriptor does not name an item");
            AEDisposeDesc(&back);
        }
    } else if (result.descriptorType != typeNull || result.dataHandle) {
        Fail("a failed coercion left a descriptor");
    }
    AEDisposeDesc(&result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool made = (MakeFixture(), true);
    (void)made;

    for (const DescType fromType : kTypes) {
        AEDesc from;
        if (AECreateDesc(fromType, data, Size(size), &from) != noErr)
            Fail("a descriptor could not be made");
        for (const DescType toType : kTypes)
            CheckCoercion(from, toType);
        AEDisposeDesc(&from);
    }
    return 0;
}
