// SPDX-License-Identifier: GPL-3.0-or-later
// The property-list reader: any bytes either parse or are reported as
// malformed. What parses is storable as it came back, and what is written
// reads back as the same text: writing is a fixed point after one pass
// (compared as text, since NaN equals nothing and a file's date may carry
// more precision than the writer keeps).
#include "FuzzSupport.h"

#include "platform/prefs/PropertyList.h"

using namespace tessaly::prefs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray xml(reinterpret_cast<const char*>(data), qsizetype(size));
    const ParsedPropertyList parsed = parsePropertyList(xml);
    if (!parsed.ok) {
        if (!parsed.values.isEmpty() || parsed.error.isEmpty())
            fuzzsupport::Fail("a refused property list came with values or without a reason");
        return 0;
    }
    for (auto it = parsed.values.cbegin(); it != parsed.values.cend(); ++it) {
        if (!isStorableText(it.key()) || !storableValue(it.value()))
            fuzzsupport::Fail("a value read from a file cannot be stored again");
    }
    const QByteArray written = serializePropertyList(parsed.values);
    const ParsedPropertyList again = parsePropertyList(written);
    if (!again.ok || serializePropertyList(again.values) != written)
        fuzzsupport::Fail("values read from a file do not survive writing and reading");
    return 0;
}
