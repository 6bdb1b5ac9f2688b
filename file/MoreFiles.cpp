// SPDX-License-Identifier: GPL-3.0-or-later
// Toolkit helpers over the file manager.
#include "file/MoreFiles.h"

#include <algorithm>
#include <cstring>

OSErr FSGetFileDirName(const FSRef* ref, HFSUniStr255* outName)
{
    return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, outName, nullptr, nullptr);
}

OSErr FSMakeFSRef(SInt16 volRefNum, SInt32 dirID, const unsigned char* name, FSRef* ref)
{
    if (!name || !ref)
        return paramErr;
    FSSpec spec;
    spec.vRefNum = volRefNum;
    spec.parID = dirID;
    const size_t length = std::min<size_t>(name[0], sizeof spec.name - 1);
    spec.name[0] = static_cast<unsigned char>(length);
    std::memcpy(spec.name + 1, name + 1, length);
    return FSpMakeFSRef(&spec, ref);
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
