// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue information read from and written to items: what stat() tells,
// and what extended attributes keep (Finder information, resource fork size,
// a creation date set here); also alias files and Finder comments.
#include "platform/files/Attributes.h"
#include "platform/files/Dates.h"
#include "platform/files/ItemAt.h"
#include "platform/files/RefTable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

using namespace platform::files;

namespace
{

UTCDateTime dateOf(const struct timespec& t)
{
    return platform::UTCDateTimeFromTimespec(t);
}

// The creation date: one set through the file manager, else the file
// system's birth time, else (file systems that keep none) the content
// modification date.
OSErr creationDate(const QByteArray& path, const struct stat& st, UTCDateTime* date)
{
    bool present = false;
    if (OSErr err = ReadCreationDate(path, date, &present); err != noErr || present)
        return err;
    ItemAt at(path);
    struct statx sx;
    if (!at.error() &&
        ::statx(at.folder(), at.name(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &sx) == 0 &&
        (sx.stx_mask & STATX_BTIME))
        *date = dateOf({time_t(sx.stx_btime.tv_sec), long(sx.stx_btime.tv_nsec)});
    else
        *date = dateOf(st.st_mtim);
    return noErr;
}

constexpr FSCatalogInfoBitmap kFinderInfoBits = kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo;
constexpr FSCatalogInfoBitmap kSettableInfo = kFinderInfoBits | kFSCatInfoCreateDate |
                                              kFSCatInfoContentMod | kFSCatInfoAttrMod |
                                              kFSCatInfoAccessDate;

} // namespace

OSErr platform::files::FillCatalogInfo(const QByteArray& path, const struct stat& st,
                                       FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info)
{
    std::memset(info, 0, sizeof *info);
    const bool folder = S_ISDIR(st.st_mode);
    if (folder)
        info->nodeFlags |= kFSNodeIsDirectoryMask;
    info->volume = kSpecVolume;
    // Only when asked: a walk fetches node flags for every item and should
    // not pay for interning paths or reading attributes it never looks at.
    if (whichInfo & kFSCatInfoParentDirID)
        info->parentDirID = InternPath(ParentOf(path));
    if (whichInfo & kFSCatInfoNodeID)
        info->nodeID = InternPath(path);
    info->createDate = dateOf(st.st_mtim);
    if (whichInfo & kFSCatInfoCreateDate) {
        if (OSErr err = creationDate(path, st, &info->createDate); err != noErr)
            return err;
    }
    info->contentModDate = dateOf(st.st_mtim);
    info->attributeModDate = dateOf(st.st_ctim);
    info->accessDate = dateOf(st.st_atim);
    info->permissions[0] = UInt32(st.st_uid);
    info->permissions[1] = UInt32(st.st_gid);
    info->permissions[2] = UInt32(st.st_mode & 07777);
    if (whichInfo & kFinderInfoBits) {
        QByteArray bytes;
        if (OSErr err = ReadAttribute(path, kFinderInfoAttribute, &bytes); err != noErr)
            return err;
        FinderInfoFromAttribute(bytes, folder, info);
    }
    if (!folder) {
        info->dataLogicalSize = UInt64(st.st_size);
        info->dataPhysicalSize = UInt64(st.st_blocks) * 512;
    }
    if (whichInfo & kFSCatInfoRsrcSizes) {
        if (OSErr err = AttributeSize(path, kResourceForkAttribute, &info->rsrcLogicalSize);
            err != noErr)
            return err;
        info->rsrcPhysicalSize = info->rsrcLogicalSize;
    }
    info->textEncodingHint = kTextEncodingUnknown;
    return noErr;
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                       const FSCatalogInfo* catalogInfo)
{
    if (!ref || !catalogInfo)
        return paramErr;
    if (whichInfo & ~kSettableInfo)
        return errFSBadInfoBitmap;
    QByteArray path;
    struct stat st;
    if (OSErr err = ResolveRef(*ref, &path, &st); err != noErr)
        return err;
    const bool folder = S_ISDIR(st.st_mode);

    // The file system's own dates first: they can be set everywhere, the
    // attributes below only where the file system keeps them.
    if (whichInfo & (kFSCatInfoContentMod | kFSCatInfoAccessDate)) {
        struct timespec times[2];
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_nsec = UTIME_OMIT;
        if (whichInfo & kFSCatInfoAccessDate)
            times[0] = platform::TimespecFromUTCDateTime(catalogInfo->accessDate);
        if (whichInfo & kFSCatInfoContentMod)
            times[1] = platform::TimespecFromUTCDateTime(catalogInfo->contentModDate);
        ItemAt at(path);
        if (at.error())
            return platform::StatusFromErrno(at.error());
        if (::utimensat(at.folder(), at.name(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return platform::StatusFromErrno(errno);
    }
    if (whichInfo & kFinderInfoBits) {
        // Either half may be set alone; the other keeps what it holds.
        FSCatalogInfo merged{};
        QByteArray bytes;
        if (OSErr err = ReadAttribute(path, kFinderInfoAttribute, &bytes); err != noErr)
            return err;
        FinderInfoFromAttribute(bytes, folder, &merged);
        if (whichInfo & kFSCatInfoFinderInfo)
            std::memcpy(merged.finderInfo, catalogInfo->finderInfo, sizeof merged.finderInfo);
        if (whichInfo & kFSCatInfoFinderXInfo)
            std::memcpy(merged.extFinderInfo, catalogInfo->extFinderInfo,
                        sizeof merged.extFinderInfo);
        const QByteArray wanted = FinderInfoToAttribute(merged, folder);
        if (wanted != bytes) {
            if (OSErr err = WriteAttribute(path, st, kFinderInfoAttribute, wanted); err != noErr)
                return err;
        }
    }
    if (whichInfo & kFSCatInfoCreateDate) {
        if (OSErr err = WriteCreationDate(path, st, catalogInfo->createDate); err != noErr)
            return err;
    }
    // The attribute modification date is the change time, which only the
    // system stamps (it did so just now); there is nothing to write.
    return noErr;
}

OSErr FSIsAliasFile(const FSRef* fileRef, Boolean* aliasFileFlag, Boolean* folderFlag)
{
    if (!fileRef || !aliasFileFlag || !folderFlag)
        return paramErr;
    *aliasFileFlag = false;
    *folderFlag = false;
    QByteArray path;
    struct stat st;
    if (OSErr err = ResolveRef(*fileRef, &path, &st); err != noErr)
        return err;
    if (!S_ISLNK(st.st_mode))
        return noErr;
    *aliasFileFlag = true;
    // A link whose target is missing is still an alias file, of nothing.
    ItemAt at(path);
    struct stat target;
    *folderFlag = !at.error() && ::fstatat(at.folder(), at.name(), &target, 0) == 0 &&
                  S_ISDIR(target.st_mode);
    return noErr;
}

namespace platform
{

OSErr CopyItemComment(const FSRef& ref, QString* comment)
{
    if (!comment)
        return paramErr;
    QByteArray path;
    if (OSErr err = ResolveRef(ref, &path, nullptr); err != noErr)
        return err;
    QByteArray bytes;
    if (OSErr err = ReadAttribute(path, kCommentAttribute, &bytes); err != noErr)
        return err;
    *comment = QString::fromUtf8(bytes);
    return noErr;
}

OSErr SetItemComment(const FSRef& ref, const QString& comment)
{
    QByteArray path;
    struct stat st;
    if (OSErr err = ResolveRef(ref, &path, &st); err != noErr)
        return err;
    return WriteAttribute(path, st, kCommentAttribute, comment.toUtf8());
}

} // namespace platform
