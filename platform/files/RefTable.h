// SPDX-License-Identifier: GPL-3.0-or-later
// Private to platform/files: the process-wide table of paths that file
// references and file specifications point into, and the checks that keep a
// reference from naming a different item than the one it was made for.
#pragma once

#include "platform/files/Files.h"
#include "platform/files/Paths.h"

#include <QByteArray>
#include <sys/stat.h>

namespace platform::files
{

// What tells one item from every other, also from an item that the file
// system later gives the same inode number: the file handle the kernel hands
// out for the item (on ext4, xfs and btrfs it holds the inode's generation,
// which changes whenever an inode is used again) and the birth time. Where a
// file system offers neither, only device and inode are left.
struct ItemIdentity {
    UInt64 device;
    UInt64 inode;
    UInt32 mode;
    UInt32 checks; // which of the fields below hold something
    SInt64 birthSeconds;
    UInt32 birthNanoseconds;
    SInt32 handleType;
    UInt32 handleLength; // the handle's own length; longer than handle[] means a digest
    UInt8 handle[28];    // the handle, or the SHA-1 of one that does not fit
};

enum : UInt32 { kIdentityHandle = 1, kIdentityBirthTime = 2 };

// Whether two identities are of the same item.
bool SameItem(const ItemIdentity& a, const ItemIdentity& b);

// What a reference carries inside its 80 bytes.
struct RefData {
    UInt32 magic;
    UInt32 pathId;
    ItemIdentity item;
};
static_assert(sizeof(RefData) <= sizeof(FSRef));

constexpr UInt32 kRefMagic = 0x54535232; // "TSR2"
// The volume reference number that file specifications made here carry.
constexpr SInt16 kSpecVolume = -100;

// Interns a normalised absolute path; the same path always gives the same id.
UInt32 InternPath(const QByteArray& path);
// The path interned under id, or an empty array for an unknown id.
QByteArray PathForId(UInt32 id);

// The status and identity of the entry name in the open folder (or AT_FDCWD
// and a path), not following a last link; with an empty name, of the open
// descriptor folder itself. errno's status on failure.
OSErr IdentifyAt(int folder, const char* name, struct stat* st, ItemIdentity* identity);

void EncodeRef(UInt32 pathId, const ItemIdentity& identity, FSRef* ref);
// Decodes and checks that the item at the path is still the one named; fills
// path and st. fnfErr when another item has taken its place.
OSErr ResolveRef(const FSRef& ref, QByteArray* path, struct stat* st);
// Whether the open descriptor fd is of the very item ref names; fills st.
bool IsItemOfRef(const FSRef& ref, int fd, struct stat* st);
// A reference to the item at an absolute, normalised path (no following).
OSErr MakeRef(const QByteArray& path, FSRef* ref, struct stat* st = nullptr);
// The same for the entry name of an open folder whose path is path.
OSErr MakeRefAt(int folder, const char* name, const QByteArray& path, FSRef* ref, struct stat* st);

// The catalogue fields of the item at path whose lstat is st.
OSErr FillCatalogInfo(const QByteArray& path, const struct stat& st, FSCatalogInfoBitmap whichInfo,
                      FSCatalogInfo* info);
// A file specification for the item at path.
void MakeSpec(const QByteArray& path, FSSpec* spec);

// Absolute path with "." and empty components removed and the parent folder
// resolved through realpath, so the last component (possibly a link) stays.
QByteArray NormalisePath(const QByteArray& path);
// The item a normalised path names, as it is called: where no item has a
// component's exact name, the one whose name differs only in letter case is
// taken, as look-ups by name do. Folders on the way are followed through
// links, and so is the last item when followLast is set (it must then lead
// to a folder).
OSErr LocatePath(const QByteArray& path, bool followLast, QByteArray* actual);

} // namespace platform::files
