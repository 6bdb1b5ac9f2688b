// Toolkit helpers over the file manager.
#include "file/MoreFiles.h"

#include <cstring>

OSErr FSGetFileDirName(const FSRef* ref, HFSUniStr255* outName)
{
    return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, outName, nullptr, nullptr);
}

OSErr FSRefMakeFSSpec(const FSRef* ref, FSSpec* spec)
{
    return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, spec, nullptr);
}

QString FSGetFileDirNameString(const FSRef& ref)
{
    HFSUniStr255 name;
    if (FSGetFileDirName(&ref, &name) != noErr)
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(name.unicode), name.length);
}

UniChar* GetUnicodeString(const CFStringRef& string, UniCharCount& count)
{
    count = UniCharCount(string.size());
    auto* units = reinterpret_cast<UniChar*>(NewPtr(Size(count * sizeof(UniChar))));
    if (units && count)
        std::memcpy(units, string.utf16(), count * sizeof(UniChar));
    return units;
}
