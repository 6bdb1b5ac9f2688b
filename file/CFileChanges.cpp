// SPDX-License-Identifier: GPL-3.0-or-later
// The members of CFile that change an item: name, codes, comment, dates.
#include "file/CFile.h"

#include "file/MoreFinderEvents.h"
#include "platform/files/Forks.h"

#include <cstring>

namespace
{

// Replaces one code of the Finder information, keeping everything else.
OSErr setCode(const FSRef& ref, OSType FileInfo::*code, unsigned long value)
{
    FSCatalogInfo catalog{};
    if (OSErr status =
            FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &catalog, nullptr, nullptr, nullptr);
        status != noErr)
        return status;
    FileInfo info;
    std::memcpy(&info, catalog.finderInfo, sizeof info);
    info.*code = OSType(value);
    std::memcpy(catalog.finderInfo, &info, sizeof info);
    return FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &catalog);
}

} // namespace

OSErr CFile::FSSetObjectName(FSRef& ref, const CFStringRef& name)
{
    UniCharCount count = 0;
    UniChar* units = GetUnicodeString(name, count);
    if (!units)
        return memFullErr;
    FSRef renamed;
    const OSErr status = FSRenameUnicode(&ref, count, units, kTextEncodingUnknown, &renamed);
    DisposePtr(reinterpret_cast<Ptr>(units));
    if (status == noErr)
        ref = renamed;
    return status;
}

OSErr CFile::FSSetType(const FSRef& ref, const unsigned long& type)
{
    return setCode(ref, &FileInfo::fileType, type);
}

OSErr CFile::FSSetCreator(const FSRef& ref, const unsigned long& creator)
{
    return setCode(ref, &FileInfo::fileCreator, creator);
}

OSErr CFile::FSSetComment(const FSRef& ref, const CFStringRef& comment)
{
    return MoreFESetCommentCFString(&ref, comment, gAEIdleUPP);
}

OSErr CFile::FSSetModCreateDate(const FSRef& ref, const UTCDateTime* modDate,
                                const UTCDateTime* createDate)
{
    FSCatalogInfo info{};
    FSCatalogInfoBitmap which = kFSCatInfoNone;
    if (modDate) {
        info.contentModDate = *modDate;
        which |= kFSCatInfoContentMod;
    }
    if (createDate) {
        info.createDate = *createDate;
        which |= kFSCatInfoCreateDate;
    }
    if (which != kFSCatInfoNone)
        FSSetCatalogInfo(&ref, which, &info);
    MoreFEUpdateItemFSRef(&ref);
    return noErr;
}

OSErr CFile::FSSetModCreateAccessDate(const FSRef& ref, const UTCDateTime* date)
{
    constexpr FSCatalogInfoBitmap kDates =
        kFSCatInfoCreateDate | kFSCatInfoContentMod | kFSCatInfoAttrMod;
    FSCatalogInfo info{};
    if (!date || FSGetCatalogInfo(&ref, kDates, &info, nullptr, nullptr, nullptr) != noErr)
        return noErr;
    info.createDate = *date;
    info.contentModDate = *date;
    info.attributeModDate = *date;
    FSSetCatalogInfo(&ref, kDates, &info);

    // Reading needs no more than read permission.
    SInt16 fork = 0;
    if (FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork) == noErr) {
        char byte;
        if (FSSetForkPosition(fork, fsFromStart, 0) == noErr)
            FSReadFork(fork, fsAtMark | noCacheMask, 0, 1, &byte, nullptr);
        FSCloseFork(fork);
    }
    MoreFEUpdateItemFSRef(&ref);
    return noErr;
}
