// SPDX-License-Identifier: GPL-3.0-or-later
// The file manager's view of the Linux file system: file references, file
// specifications, catalogue information, flat folder iterators, creation and
// aliases, with the platform's status codes.
//
// A file reference names one existing item by an entry in a process-wide
// table of paths and by the item's identity: device and inode, and where the
// file system offers them the item's file handle (name_to_handle_at; on ext4,
// xfs and btrfs it holds the inode's generation) and its birth time. It is 80
// bytes, copied by value, and becomes invalid (-43) when the item at that
// path is no longer the same one, also when a new item was given the old
// one's inode number. On a file system that offers neither handles nor birth
// times (ramfs, many FUSE file systems) only device and inode are compared:
// there a reference can still reach a file created in its item's place that
// the file system gave the same inode number.
//
// Paths of any length work: items are reached through open folders, so the
// depth of a tree is limited only by the file system. Symbolic links are
// items of their own and are never followed by these calls.
#pragma once

#include "platform/MacTypes.h"
#include "platform/memory/Memory.h"

#include <QByteArray>
#include <QString>
#include <type_traits>

struct FSRef {
    UInt8 hidden[80];
};
static_assert(sizeof(FSRef) == 80 && std::is_trivially_copyable_v<FSRef>);

#pragma pack(push, 2)
// The older form of an item's place: volume, parent folder and a short name.
// Names that do not fit 63 bytes are carried as a token that stands for the
// item itself, so every existing item round-trips whatever its name.
struct FSSpec {
    SInt16 vRefNum;
    SInt32 parID;
    unsigned char name[64]; // length-prefixed, at most 63 bytes
};
#pragma pack(pop)
static_assert(sizeof(FSSpec) == 70);

struct HFSUniStr255 {
    UInt16 length;
    UniChar unicode[255];
};

using FSCatalogInfoBitmap = UInt32;
enum : FSCatalogInfoBitmap {
    kFSCatInfoNone = 0x00000000,
    kFSCatInfoTextEncoding = 0x00000001,
    kFSCatInfoNodeFlags = 0x00000002,
    kFSCatInfoVolume = 0x00000004,
    kFSCatInfoParentDirID = 0x00000008,
    kFSCatInfoNodeID = 0x00000010,
    kFSCatInfoCreateDate = 0x00000020,
    kFSCatInfoContentMod = 0x00000040,
    kFSCatInfoAttrMod = 0x00000080,
    kFSCatInfoAccessDate = 0x00000100,
    kFSCatInfoBackupDate = 0x00000200,
    kFSCatInfoPermissions = 0x00000400,
    kFSCatInfoFinderInfo = 0x00000800,
    kFSCatInfoFinderXInfo = 0x00001000,
    kFSCatInfoValence = 0x00002000,
    kFSCatInfoDataSizes = 0x00004000,
    kFSCatInfoRsrcSizes = 0x00008000,
    kFSCatInfoGettableInfo = 0x0003FFFF,
};

enum : UInt16 {
    kFSNodeLockedMask = 0x0001,
    kFSNodeIsDirectoryMask = 0x0010,
};

// Seconds since 1904-01-01 00:00:00 UTC, with a 16-bit fraction.
struct UTCDateTime {
    UInt16 highSeconds;
    UInt32 lowSeconds;
    UInt16 fraction;
};

struct FSCatalogInfo {
    UInt16 nodeFlags;
    SInt16 volume;
    UInt32 parentDirID;
    UInt32 nodeID;
    UInt8 sharingFlags;
    UInt8 userPrivileges;
    UInt8 reserved1;
    UInt8 reserved2;
    UTCDateTime createDate;
    UTCDateTime contentModDate;
    UTCDateTime attributeModDate;
    UTCDateTime accessDate;
    UTCDateTime backupDate;
    UInt32 permissions[4]; // owner, group, mode, special
    UInt8 finderInfo[16];
    UInt8 extFinderInfo[16];
    UInt64 dataLogicalSize;
    UInt64 dataPhysicalSize;
    UInt64 rsrcLogicalSize;
    UInt64 rsrcPhysicalSize;
    UInt32 valence;
    TextEncoding textEncodingHint;
};

// The first 16 bytes of a file's Finder information, in native byte order.
struct Point {
    SInt16 v;
    SInt16 h;
};
struct FileInfo {
    OSType fileType;
    OSType fileCreator;
    UInt16 finderFlags;
    Point location;
    UInt16 reservedField;
};
static_assert(sizeof(FileInfo) == 16);

using FSIterator = struct OpaqueFSIterator*;
using FSIteratorFlags = UInt32;
enum : FSIteratorFlags { kFSIterateFlat = 0, kFSIterateSubtree = 1 };

// --- references, specifications and paths -----------------------------------

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
// The item's path as bytes, terminated ("/" separators; UTF-8 where the names are).
OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);
// The item a path names. Where no item has a component's exact name, the
// one whose name differs only in letter case is taken, as look-ups by name
// do. A last link is not followed, unless a "/" follows it: then, as in any
// path, it leads to its folder (dirNFErr when it leads to something else).
OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
// Whether two references name the same item: noErr when they do, diffRefErr not.
OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2);
inline constexpr OSErr diffVolErr = -1303;
inline constexpr OSErr diffRefErr = -1304; // this layer's choice

// Writes the settable parts: Finder information (either half), creation,
// content modification and access dates. The attribute modification date is
// the system's change time and is accepted without effect; other bits give
// errFSBadInfoBitmap. Finder information and creation dates are kept in
// extended attributes: errFSOperationNotSupported where the file system or
// the item (a symbolic link) cannot hold them. The file system's own dates
// are written first, so they are set even then.
OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo,
                       const FSCatalogInfo* catalogInfo);
// An alias file is a symbolic link; folderFlag tells whether it leads to a
// folder. Both flags are false for other items and on failure.
OSErr FSIsAliasFile(const FSRef* fileRef, Boolean* aliasFileFlag, Boolean* folderFlag);

// --- names and creation -------------------------------------------------------

// Looks a name up in a folder, ignoring letter case (and Unicode normal form);
// of names that differ only so, the exact one, else the first in name order.
// -43 (fnfErr) when no item has the name; -37 (bdNamErr) for a name that no
// item can have: empty, "." or "..", holding "/" or NUL, or holding a lone
// surrogate other than U+DC80-U+DCFF (those stand for bytes that are not
// UTF-8); -1410 (errFSNameTooLong) for a name over 255 UTF-16 units or 255
// bytes; -120 (dirNFErr) when the parent is not a folder. Every call below
// that takes a name refuses names with the same statuses.
OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         TextEncoding textEncodingHint, FSRef* newRef);
// Creates an empty file, claiming the name atomically: -48 when an item holds
// the name, in any letter case, as look-ups see names.
OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                          FSRef* newRef, FSSpec* newSpec);
OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID);
// Renames the item within its folder; newRef names it afterwards. -48 when
// another item holds the name, in any letter case. Nothing is ever replaced.
OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                      TextEncoding textEncodingHint, FSRef* newRef);
// Removes a file or an empty folder.
OSErr FSDeleteObject(const FSRef* ref);

// --- flat iteration --------------------------------------------------------------

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags flags, FSIterator* iterator);
OSErr FSCloseIterator(FSIterator iterator);
// Gives at most one item per call in name order: by the name folded as
// look-ups fold it, byte by byte, then by the name's own bytes (Iterator.cpp
// tells the details). Larger maximums are served one item at a time too. The
// last item may come with errFSNoMoreItems; a call after it gives 0 items
// and errFSNoMoreItems.
OSErr FSGetCatalogInfoBulk(FSIterator iterator, ItemCount maximumObjects, ItemCount* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* specs,
                           HFSUniStr255* names);

// --- aliases ----------------------------------------------------------------------

using AliasHandle = Handle;
using AliasPtr = Ptr;
// An alias record of target (fromFile, which is relative resolution, is ignored).
OSErr FSNewAlias(const FSRef* fromFile, const FSRef* target, AliasHandle* inAlias);
OSErr NewAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle* alias);
// Rewrites alias so that it names target; wasChanged tells whether it did.
OSErr UpdateAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle alias,
                  Boolean* wasChanged);
// Finds the item again, also after it was renamed within its folder.
// wasChanged is set when the record no longer matches the item's path.
OSErr FSResolveAlias(const FSRef* fromFile, AliasHandle alias, FSRef* target, Boolean* wasChanged);
// The same from bytes held elsewhere (a preference value, an event descriptor).
OSErr FSResolveAliasBytes(const QByteArray& aliasBytes, FSRef* target, Boolean* wasChanged);

// --- for other platform modules --------------------------------------------------

namespace platform
{
// Maps errno onto the platform's status codes.
OSErr StatusFromErrno(int error);
// The path bytes of the item a reference names, after checking that it still
// is the same item; the status says why not.
OSErr PathOfRef(const FSRef& ref, QByteArray* path);
// A reference to the item at path, looked up as FSPathMakeRef does.
OSErr RefFromPath(const QByteArray& path, FSRef* ref);
// The path of a local file URI ("file:///p", "file://localhost/p" or
// "file:/p") with its escapes decoded to the bytes they stand for; empty
// for other text and for a path that holds a NUL.
QByteArray PathOfFileURI(const QByteArray& uri);
// The file URI of a path: every byte outside the unreserved set and "/" is
// escaped, so a name that is not UTF-8 travels whole, as ASCII text.
QByteArray FileURIOfPath(const QByteArray& path);
// The absolute path of an item the user names: a local file URI, or a path
// (a relative one against the current folder), byte for byte. Empty when it
// names no local item: another URI, or a path that cannot be made whole.
QByteArray PathOfItem(const QByteArray& item);
// The item's Finder comment (the freedesktop user.xdg.comment attribute);
// empty when it has none. Setting an empty comment removes it.
OSErr CopyItemComment(const FSRef& ref, QString* comment);
OSErr SetItemComment(const FSRef& ref, const QString& comment);

} // namespace platform
