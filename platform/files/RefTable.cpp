// SPDX-License-Identifier: GPL-3.0-or-later
// The table of interned paths behind file references, and the identity of
// items that references carry. Entries are never removed: a reference stays
// decodable for the life of the process and its item's identity tells
// whether the path still names the same item.
#include "platform/files/RefTable.h"

#include "platform/files/ItemAt.h"

#include <QCryptographicHash>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <shared_mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace platform::files
{

namespace
{

struct Table {
    std::shared_mutex lock;
    std::vector<QByteArray> paths{QByteArray()}; // id 0 is never used
    QHash<QByteArray, UInt32> ids;
};

Table& table()
{
    // Never destroyed, for the same reason as the folder index.
    static Table& t = *new Table;
    return t;
}

} // namespace

UInt32 InternPath(const QByteArray& path)
{
    Table& t = table();
    {
        std::shared_lock reader(t.lock);
        auto it = t.ids.constFind(path);
        if (it != t.ids.cend())
            return *it;
    }
    std::unique_lock writer(t.lock);
    auto it = t.ids.constFind(path);
    if (it != t.ids.cend())
        return *it;
    const auto id = UInt32(t.paths.size());
    t.paths.push_back(path);
    t.ids.insert(path, id);
    return id;
}

QByteArray PathForId(UInt32 id)
{
    Table& t = table();
    std::shared_lock reader(t.lock);
    return id < t.paths.size() ? t.paths[id] : QByteArray();
}

OSErr IdentifyAt(int folder, const char* name, struct stat* st, ItemIdentity* identity)
{
    const int empty = *name ? 0 : AT_EMPTY_PATH;
    struct statx sx;
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | empty,
                STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return StatusFromErrno(errno);
    struct stat s {
    };
    s.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    s.st_ino = ino_t(sx.stx_ino);
    s.st_mode = mode_t(sx.stx_mode);
    s.st_nlink = nlink_t(sx.stx_nlink);
    s.st_uid = uid_t(sx.stx_uid);
    s.st_gid = gid_t(sx.stx_gid);
    s.st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
    s.st_size = off_t(sx.stx_size);
    s.st_blksize = blksize_t(sx.stx_blksize);
    s.st_blocks = blkcnt_t(sx.stx_blocks);
    s.st_atim = {time_t(sx.stx_atime.tv_sec), long(sx.stx_atime.tv_nsec)};
    s.st_mtim = {time_t(sx.stx_mtime.tv_sec), long(sx.stx_mtime.tv_nsec)};
    s.st_ctim = {time_t(sx.stx_ctime.tv_sec), long(sx.stx_ctime.tv_nsec)};
    if (st)
        *st = s;
    if (!identity)
        return noErr;

    ItemIdentity id{};
    id.device = UInt64(s.st_dev);
    id.inode = UInt64(s.st_ino);
    id.mode = UInt32(s.st_mode);
    if (sx.stx_mask & STATX_BTIME) {
        id.checks |= kIdentityBirthTime;
        id.birthSeconds = SInt64(sx.stx_btime.tv_sec);
        id.birthNanoseconds = sx.stx_btime.tv_nsec;
    }
    alignas(file_handle) unsigned char storage[sizeof(file_handle) + MAX_HANDLE_SZ];
    auto* handle = reinterpret_cast<file_handle*>(storage);
    handle->handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    if (::name_to_handle_at(folder, name, handle, &mountId, empty) == 0) {
        id.checks |= kIdentityHandle;
        id.handleType = handle->handle_type;
        id.handleLength = handle->handle_bytes;
        if (handle->handle_bytes <= sizeof id.handle) {
            std::memcpy(id.handle, handle->f_handle, handle->handle_bytes);
        } else {
            const QByteArray digest = QCryptographicHash::hash(
                QByteArrayView(handle->f_handle, qsizetype(handle->handle_bytes)),
                QCryptographicHash::Sha1);
            std::memcpy(id.handle, digest.constData(),
                        std::min(sizeof id.handle, size_t(digest.size())));
        }
    } else if (errno == ENOENT || errno == ENOTDIR) {
        return fnfErr; // gone between the two calls
    }
    // Any other failure: the file system gives no handles (EOPNOTSUPP).
    *identity = id;
    return noErr;
}

bool SameItem(const ItemIdentity& a, const ItemIdentity& b)
{
    if (a.device != b.device || a.inode != b.inode || a.checks != b.checks)
        return false;
    if ((a.checks & kIdentityBirthTime) &&
        (a.birthSeconds != b.birthSeconds || a.birthNanoseconds != b.birthNanoseconds))
        return false;
    if ((a.checks & kIdentityHandle) &&
        (a.handleType != b.handleType || a.handleLength != b.handleLength ||
         std::memcmp(a.handle, b.handle, sizeof a.handle) != 0))
        return false;
    return true;
}

void EncodeRef(UInt32 pathId, const ItemIdentity& identity, FSRef* ref)
{
    std::memset(ref, 0, sizeof(FSRef));
    RefData data{kRefMagic, pathId, identity};
    std::memcpy(ref->hidden, &data, sizeof data);
}

OSErr ResolveRef(const FSRef& ref, QByteArray* path, struct stat* st)
{
    RefData data;
    std::memcpy(&data, ref.hidden, sizeof data);
    if (data.magic != kRefMagic || data.pathId == 0)
        return paramErr;
    QByteArray p = PathForId(data.pathId);
    if (p.isEmpty())
        return paramErr;
    ItemAt at(p);
    if (at.error())
        return at.error() == ENOENT || at.error() == ENOTDIR ? fnfErr : StatusFromErrno(at.error());
    struct stat s;
    ItemIdentity now;
    if (OSErr err = IdentifyAt(at.folder(), at.name(), &s, &now); err != noErr)
        return err == dirNFErr ? fnfErr : err;
    if (!SameItem(now, data.item))
        return fnfErr; // the item that was named is gone; another has its place
    if (path)
        *path = std::move(p);
    if (st)
        *st = s;
    return noErr;
}

bool IsItemOfRef(const FSRef& ref, int fd, struct stat* st)
{
    RefData data;
    std::memcpy(&data, ref.hidden, sizeof data);
    ItemIdentity opened;
    return IdentifyAt(fd, "", st, &opened) == noErr && SameItem(opened, data.item);
}

OSErr MakeRefAt(int folder, const char* name, const QByteArray& path, FSRef* ref, struct stat* st)
{
    ItemIdentity identity;
    if (OSErr err = IdentifyAt(folder, name, st, ref ? &identity : nullptr); err != noErr)
        return err;
    if (ref)
        EncodeRef(InternPath(path), identity, ref);
    return noErr;
}

OSErr MakeRef(const QByteArray& path, FSRef* ref, struct stat* st)
{
    ItemAt at(path);
    if (at.error())
        return StatusFromErrno(at.error());
    return MakeRefAt(at.folder(), at.name(), path, ref, st);
}

QByteArray NormalisePath(const QByteArray& input)
{
    QByteArray absolute = input;
    if (!absolute.startsWith('/')) {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return {};
        absolute = Join(QByteArray(cwd), input);
    }
    // Drop empty and "." components; keep ".." for realpath to settle.
    QByteArray cleaned;
    for (const QByteArray& part : absolute.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        cleaned += '/' + part;
    }
    if (cleaned.isEmpty())
        return QByteArrayLiteral("/");
    const QByteArray last = LastComponent(cleaned);
    const QByteArray parent = ParentOf(cleaned);
    if (last == "..") {
        char* real = ::realpath(cleaned.constData(), nullptr);
        if (!real)
            return {};
        QByteArray result(real);
        std::free(real);
        return result;
    }
    char* real = ::realpath(parent.constData(), nullptr);
    if (!real)
        return cleaned; // the caller's lstat will report why
    QByteArray result = Join(QByteArray(real), last);
    std::free(real);
    return result;
}

} // namespace platform::files
