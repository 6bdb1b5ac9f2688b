// SPDX-License-Identifier: GPL-3.0-or-later
// The members of CFile that ask what an item is and what it holds.
#include "file/CFile.h"

#include "file/MoreFinderEvents.h"
#include "platform/text/TextEncoding.h"

#include <cstring>

namespace
{

// The Finder information's first half; status of reading it.
OSErr fileInfoOf(const FSRef& ref, FileInfo* info)
{
    FSCatalogInfo catalog{};
    const OSErr status =
        FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &catalog, nullptr, nullptr, nullptr);
    std::memcpy(info, catalog.finderInfo, sizeof *info);
    return status;
}

} // namespace

Boolean CFile::IsAFile(const FSRef& ref)
{
    FSCatalogInfo info{};
    if (FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) != noErr)
        return false; // what cannot be read is not called a file either
    return (info.nodeFlags & kFSNodeIsDirectoryMask) == 0;
}

Boolean CFile::FileIsAliasedDirectory(const FSRef* ref)
{
    Boolean aliasFile = false;
    Boolean folder = false;
    FSIsAliasFile(ref, &aliasFile, &folder);
    return aliasFile && folder;
}

Boolean CFile::FSObjectExists(const FSRef& ref, FSRef& parent)
{
    return FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, nullptr, &parent) == noErr;
}

OSErr CFile::FSGetType(const FSRef& ref, unsigned long& type)
{
    FileInfo info;
    const OSErr status = fileInfoOf(ref, &info);
    type = status == noErr ? info.fileType : 0;
    return status;
}

OSErr CFile::FSGetCreator(const FSRef& ref, unsigned long& creator)
{
    FileInfo info;
    const OSErr status = fileInfoOf(ref, &info);
    creator = status == noErr ? info.fileCreator : 0;
    return status;
}

OSErr CFile::FSGetDataForkSize(const FSRef& ref, unsigned long long& size)
{
    FSCatalogInfo info{};
    const OSErr status =
        FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr);
    size = status == noErr ? info.dataLogicalSize : 0;
    return status;
}

OSErr CFile::FSGetSize(const FSRef& ref, unsigned long long& size)
{
    FSCatalogInfo info{};
    const OSErr status = FSGetCatalogInfo(&ref, kFSCatInfoDataSizes | kFSCatInfoRsrcSizes, &info,
                                          nullptr, nullptr, nullptr);
    size = status == noErr ? info.dataLogicalSize + info.rsrcLogicalSize : 0;
    return status;
}

OSErr CFile::FSGetModDateAsUInt32(const FSRef& ref, unsigned long& seconds)
{
    FSCatalogInfo info{};
    const OSErr status =
        FSGetCatalogInfo(&ref, kFSCatInfoContentMod, &info, nullptr, nullptr, nullptr);
    seconds = status == noErr ? info.contentModDate.lowSeconds : 0;
    return status;
}

CFStringRef CFile::FSGetObjectName(const FSRef& ref)
{
    return FSGetFileDirNameString(ref);
}

OSErr CFile::FSGetPascalPath(const FSRef& ref, unsigned char* path)
{
    if (!path)
        return paramErr;
    UInt8 text[255];
    if (OSStatus status = FSRefMakePath(&ref, text, sizeof text); status != noErr)
        return OSErr(status);
    CopyCStringToPascal(reinterpret_cast<const char*>(text), path);
    return noErr;
}

CFStringRef CFile::FSGetComment(const FSRef& ref)
{
    CFStringRef comment;
    if (MoreFEGetCommentCFString(&ref, &comment, gAEIdleUPP) != noErr)
        return {};
    // An item without a comment has an empty one, which is not a failure.
    return comment.isNull() ? QStringLiteral("") : comment;
}

OSErr CFile::FSMakeFSSpec(const FSRef* ref, FSSpec* spec)
{
    return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, spec, nullptr);
}

OSErr CFile::GetFSRefFromAEDesc(FSRef* ref, const AEDesc* desc)
{
    if (!ref || !desc)
        return paramErr;
    // Each form's data is taken whole: a block of another size is refused
    // rather than read as a partial item.
    auto takeAs = [desc](DescType type, void* out, Size size) {
        AEDesc coerced;
        AEInitializeDesc(&coerced);
        const AEDesc* from = desc;
        OSErr status = noErr;
        if (desc->descriptorType != type) {
            status = AECoerceDesc(desc, type, &coerced);
            from = &coerced;
        }
        if (status == noErr)
            status = AEGetDescDataSize(from) == size ? AEGetDescData(from, out, size)
                                                     : errAECoercionFail;
        AEDisposeDesc(&coerced);
        return status;
    };
    if (takeAs(typeFSRef, ref, sizeof *ref) == noErr)
        return noErr;
    FSSpec spec;
    if (OSErr status = takeAs(typeFSS, &spec, sizeof spec); status != noErr)
        return status;
    return FSpMakeFSRef(&spec, ref);
}
