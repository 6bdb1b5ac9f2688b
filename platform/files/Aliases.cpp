// SPDX-License-Identifier: GPL-3.0-or-later
// Alias records: versioned bytes naming an item by path and by device and
// inode, with its folder's identity too, so that the item is found again
// after it was renamed within that folder. Every look-up goes through the
// file layer's walk from folder to folder (ItemAt), so an alias reaches an
// item at any depth, not only within the reach of one path.
//
// Layout, version 1 (integers little-endian):
//   "TSAL"  u16 version  u16 reserved
//   u64 device  u64 inode  u64 folder device  u64 folder inode
//   u32 path length  path bytes
#include "platform/files/Files.h"

#include "platform/files/ItemAt.h"
#include "platform/files/RefTable.h"

#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

namespace
{

constexpr char kMagic[4] = {'T', 'S', 'A', 'L'};
constexpr UInt16 kVersion = 1;
constexpr qsizetype kHeaderSize = 4 + 2 + 2 + 8 * 4 + 4;

struct AliasRecord {
    UInt64 device = 0;
    UInt64 inode = 0;
    UInt64 folderDevice = 0;
    UInt64 folderInode = 0;
    QByteArray path;
};

QByteArray encode(const AliasRecord& r)
{
    QByteArray out(kHeaderSize, Qt::Uninitialized);
    char* p = out.data();
    std::memcpy(p, kMagic, 4);
    qToLittleEndian<UInt16>(kVersion, p + 4);
    qToLittleEndian<UInt16>(0, p + 6);
    qToLittleEndian<UInt64>(r.device, p + 8);
    qToLittleEndian<UInt64>(r.inode, p + 16);
    qToLittleEndian<UInt64>(r.folderDevice, p + 24);
    qToLittleEndian<UInt64>(r.folderInode, p + 32);
    qToLittleEndian<UInt32>(UInt32(r.path.size()), p + 40);
    return out + r.path;
}

bool decode(const QByteArray& bytes, AliasRecord* r)
{
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.constData(), kMagic, 4) != 0)
        return false;
    const char* p = bytes.constData();
    if (qFromLittleEndian<UInt16>(p + 4) != kVersion)
        return false;
    r->device = qFromLittleEndian<UInt64>(p + 8);
    r->inode = qFromLittleEndian<UInt64>(p + 16);
    r->folderDevice = qFromLittleEndian<UInt64>(p + 24);
    r->folderInode = qFromLittleEndian<UInt64>(p + 32);
    const UInt32 length = qFromLittleEndian<UInt32>(p + 40);
    if (length == 0 || qsizetype(length) != bytes.size() - kHeaderSize)
        return false;
    r->path = bytes.mid(kHeaderSize);
    return r->path.startsWith('/') && !r->path.contains('\0');
}

// lstat() for a path of any length; false when the item cannot be reached.
bool statOf(const QByteArray& path, struct stat* st)
{
    const ItemAt at(path);
    return !at.error() && ::fstatat(at.folder(), at.name(), st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool sameItem(const struct stat& st, UInt64 device, UInt64 inode)
{
    return UInt64(st.st_dev) == device && UInt64(st.st_ino) == inode;
}

OSErr recordFor(const FSRef& target, AliasRecord* r)
{
    QByteArray path;
    struct stat st;
    if (OSErr err = ResolveRef(target, &path, &st); err != noErr)
        return err;
    struct stat folder {
    };
    statOf(ParentOf(path), &folder);
    *r = {UInt64(st.st_dev), UInt64(st.st_ino), UInt64(folder.st_dev), UInt64(folder.st_ino), path};
    return noErr;
}

OSErr toHandle(const QByteArray& bytes, AliasHandle* alias)
{
    Handle h = NewHandle(Size(bytes.size()));
    if (!h)
        return memFullErr;
    std::memcpy(*h, bytes.constData(), size_t(bytes.size()));
    *alias = h;
    return noErr;
}

// Looks for the inode among the entries of the folder the record names.
OSErr findInFolder(const AliasRecord& r, QByteArray* found)
{
    const QByteArray folder = ParentOf(r.path);
    struct stat st;
    if (!statOf(folder, &st) || !sameItem(st, r.folderDevice, r.folderInode))
        return fnfErr;
    // A folder opened is checked again, so that nothing put in its place
    // between the two calls is searched (a link to a folder is followed, as
    // a path is, and cannot be checked so).
    const bool isFolder = S_ISDIR(st.st_mode);
    const int fd = OpenFolder(folder, O_RDONLY);
    if (fd < 0)
        return platform::StatusFromErrno(errno);
    DIR* dir = nullptr;
    if ((isFolder && (::fstat(fd, &st) != 0 || !sameItem(st, r.folderDevice, r.folderInode))) ||
        !(dir = ::fdopendir(fd))) {
        ::close(fd);
        return fnfErr;
    }
    OSErr result = fnfErr;
    while (dirent* entry = ::readdir(dir)) {
        if (UInt64(entry->d_ino) != r.inode || std::strcmp(entry->d_name, ".") == 0 ||
            std::strcmp(entry->d_name, "..") == 0)
            continue;
        struct stat item;
        if (::fstatat(dirfd(dir), entry->d_name, &item, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameItem(item, r.device, r.inode)) {
            *found = Join(folder, QByteArray(entry->d_name));
            result = noErr;
            break;
        }
    }
    ::closedir(dir);
    return result;
}

} // namespace

OSErr FSNewAlias(const FSRef*, const FSRef* target, AliasHandle* inAlias)
{
    if (!target || !inAlias)
        return paramErr;
    *inAlias = nullptr;
    AliasRecord r;
    if (OSErr err = recordFor(*target, &r); err != noErr)
        return err;
    return toHandle(encode(r), inAlias);
}

OSErr NewAlias(const FSSpec*, const FSSpec* target, AliasHandle* alias)
{
    if (!target || !alias)
        return paramErr;
    *alias = nullptr;
    FSRef ref;
    if (OSErr err = FSpMakeFSRef(target, &ref); err != noErr)
        return err;
    return FSNewAlias(nullptr, &ref, alias);
}

OSErr UpdateAlias(const FSSpec*, const FSSpec* target, AliasHandle alias, Boolean* wasChanged)
{
    if (!target || !alias)
        return paramErr;
    if (wasChanged)
        *wasChanged = false;
    FSRef ref;
    if (OSErr err = FSpMakeFSRef(target, &ref); err != noErr)
        return err;
    AliasRecord r;
    if (OSErr err = recordFor(ref, &r); err != noErr)
        return err;
    const QByteArray bytes = encode(r);
    const QByteArray old(*alias, qsizetype(GetHandleSize(alias)));
    if (old == bytes)
        return noErr;
    if (!SetHandleSize(alias, Size(bytes.size())))
        return memFullErr;
    std::memcpy(*alias, bytes.constData(), size_t(bytes.size()));
    if (wasChanged)
        *wasChanged = true;
    return noErr;
}

OSErr FSResolveAliasBytes(const QByteArray& aliasBytes, FSRef* target, Boolean* wasChanged)
{
    if (!target)
        return paramErr;
    if (wasChanged)
        *wasChanged = false;
    AliasRecord r;
    if (!decode(aliasBytes, &r))
        return paramErr;
    struct stat st;
    if (statOf(r.path, &st) && sameItem(st, r.device, r.inode))
        return MakeRef(r.path, target);
    QByteArray renamed;
    if (findInFolder(r, &renamed) == noErr) {
        if (wasChanged)
            *wasChanged = true;
        return MakeRef(renamed, target);
    }
    return fnfErr;
}

OSErr FSResolveAlias(const FSRef*, AliasHandle alias, FSRef* target, Boolean* wasChanged)
{
    if (!alias || !*alias)
        return paramErr;
    return FSResolveAliasBytes(QByteArray(*alias, qsizetype(GetHandleSize(alias))), target,
                               wasChanged);
}
