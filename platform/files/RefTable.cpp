// The table of interned paths behind file references. Entries are never
// removed: a reference stays decodable for the life of the process and its
// device and inode tell whether the path still names the same item.
#include "platform/files/RefTable.h"

#include <QHash>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <unistd.h>
#include <vector>

namespace platform::files {

namespace {

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

void EncodeRef(UInt32 pathId, const struct stat& st, FSRef* ref)
{
    std::memset(ref, 0, sizeof(FSRef));
    RefData data{kRefMagic, pathId, UInt64(st.st_dev), UInt64(st.st_ino), UInt32(st.st_mode)};
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
    struct stat s;
    if (::lstat(p.constData(), &s) != 0)
        return errno == ENOENT || errno == ENOTDIR ? fnfErr : StatusFromErrno(errno);
    if (UInt64(s.st_dev) != data.device || UInt64(s.st_ino) != data.inode)
        return fnfErr; // the item that was named is gone; another has its place
    if (path)
        *path = std::move(p);
    if (st)
        *st = s;
    return noErr;
}

OSErr MakeRef(const QByteArray& path, FSRef* ref, struct stat* st)
{
    struct stat s;
    if (::lstat(path.constData(), &s) != 0)
        return StatusFromErrno(errno);
    if (ref)
        EncodeRef(InternPath(path), s, ref);
    if (st)
        *st = s;
    return noErr;
}

QByteArray ParentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray LastComponent(const QByteArray& path)
{
    if (path == "/")
        return path;
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray Join(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
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
