// SPDX-License-Identifier: GPL-3.0-or-later
// Items and their paths: making references from paths the way names are
// looked up, and paths from references.
#include "platform/files/Files.h"

#include "platform/files/FolderIndex.h"
#include "platform/files/ItemAt.h"
#include "platform/files/Paths.h"
#include "platform/files/RefTable.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

namespace
{

// How many links one look-up follows before it gives up, as the kernel does.
constexpr int kMaxLinks = 40;

OSErr lstatOf(const QByteArray& path, struct stat* st)
{
    ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    if (::fstatat(at.folder(), at.name(), st, AT_SYMLINK_NOFOLLOW) != 0)
        return platform::StatusFromErrno(errno);
    return noErr;
}

// Where the link at path leads, as a normalised path.
OSErr linkTarget(const QByteArray& path, QByteArray* target)
{
    ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    QByteArray text(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlinkat(at.folder(), at.name(), text.data(), size_t(text.size()));
        if (n < 0)
            return platform::StatusFromErrno(errno);
        if (n < text.size()) {
            text.truncate(n);
            break;
        }
        text.resize(text.size() * 2);
    }
    *target = NormalisePath(text.startsWith('/') ? text : Join(ParentOf(path), text));
    return target->isEmpty() ? fnfErr : noErr;
}

OSErr locate(const QByteArray& path, bool followLast, int linksLeft, QByteArray* actual)
{
    struct stat st;
    OSErr err = lstatOf(path, &st);
    QByteArray found = path;
    if (err == fnfErr && path != "/") {
        // No item has the exact name: one whose name folds alike stands for it.
        QByteArray folder;
        if (OSErr up = locate(ParentOf(path), true, linksLeft, &folder); up != noErr)
            return up;
        QByteArray name;
        if (err = FindNameIgnoringCase(folder, LastComponent(path), &name); err != noErr)
            return err;
        found = Join(folder, name);
        err = lstatOf(found, &st);
    }
    if (err != noErr)
        return err;
    if (followLast && S_ISLNK(st.st_mode)) {
        if (linksLeft == 0)
            return fnfErr;
        QByteArray target;
        if (OSErr link = linkTarget(found, &target); link != noErr)
            return link == dirNFErr ? dirNFErr : fnfErr;
        return locate(target, true, linksLeft - 1, actual);
    }
    if (followLast && !S_ISDIR(st.st_mode))
        return dirNFErr;
    *actual = found;
    return noErr;
}

// Whether the text starts as a URI of a scheme ("https://...").
bool isOtherURI(const QByteArray& text)
{
    const qsizetype colon = text.indexOf("://");
    if (colon <= 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

// A reference to the item path names; a trailing "/" leads through a last
// link to the folder it names, as it does in POSIX paths.
OSErr refForPath(const QByteArray& path, FSRef* ref, struct stat* st)
{
    const QByteArray normal = NormalisePath(path);
    if (normal.isEmpty())
        return fnfErr;
    QByteArray actual;
    if (OSErr err = LocatePath(normal, path.endsWith('/'), &actual); err != noErr)
        return err;
    return MakeRef(actual, ref, st);
}

} // namespace

QByteArray platform::files::ParentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray platform::files::LastComponent(const QByteArray& path)
{
    if (path == "/")
        return path;
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray platform::files::Join(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

OSErr platform::files::LocatePath(const QByteArray& path, bool followLast, QByteArray* actual)
{
    return locate(path, followLast, kMaxLinks, actual);
}

namespace platform
{

OSErr PathOfRef(const FSRef& ref, QByteArray* path)
{
    return ResolveRef(ref, path, nullptr);
}

OSErr RefFromPath(const QByteArray& path, FSRef* ref)
{
    return path.isEmpty() ? fnfErr : refForPath(path, ref, nullptr);
}

QByteArray PathOfFileURI(const QByteArray& uri)
{
    if (!uri.left(5).toLower().startsWith("file:"))
        return {};
    QByteArray rest = uri.mid(5);
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        if (slash < 0)
            return {};
        const QByteArray host = rest.mid(2, slash - 2).toLower();
        if (!host.isEmpty() && host != "localhost")
            return {};
        rest = rest.mid(slash);
    }
    if (!rest.startsWith('/'))
        return {};
    for (const char end : {'?', '#'})
        if (const qsizetype at = rest.indexOf(end); at >= 0)
            rest.truncate(at);
    const QByteArray path = QByteArray::fromPercentEncoding(rest);
    return path.contains('\0') ? QByteArray() : path;
}

QByteArray FileURIOfPath(const QByteArray& path)
{
    return "file://" + path.toPercentEncoding("/");
}

QByteArray PathOfItem(const QByteArray& item)
{
    if (item.left(5).toLower().startsWith("file:"))
        return PathOfFileURI(item);
    if (item.isEmpty() || item.contains('\0') || isOtherURI(item))
        return {};
    // A trailing "/" still means what it means in the path (through a link
    // to its folder), so it is kept.
    const QByteArray absolute = NormalisePath(item);
    if (absolute.isEmpty() || !item.endsWith('/') || absolute.endsWith('/'))
        return absolute;
    return absolute + '/';
}

} // namespace platform

OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize)
{
    if (!ref || !path || maxPathSize == 0)
        return paramErr;
    QByteArray p;
    if (OSErr err = ResolveRef(*ref, &p, nullptr); err != noErr)
        return err;
    if (UInt32(p.size()) + 1 > maxPathSize)
        return pathTooLongErr;
    std::memcpy(path, p.constData(), size_t(p.size()) + 1);
    return noErr;
}

OSStatus FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory)
{
    if (!path || !*path || !ref)
        return paramErr;
    struct stat st;
    if (OSErr err = refForPath(QByteArray(reinterpret_cast<const char*>(path)), ref, &st);
        err != noErr)
        return err;
    if (isDirectory)
        *isDirectory = S_ISDIR(st.st_mode);
    return noErr;
}
