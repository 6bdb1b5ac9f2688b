// Catalogue information, specifications, paths, look-up, creation and
// removal of items.
#include "platform/files/Files.h"

#include "platform/files/FolderIndex.h"
#include "platform/files/RefTable.h"
#include "platform/text/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::files;

// The parent's table id and the name, or a token standing for the item itself
// when the name does not fit or could be mistaken for a token.
void platform::files::MakeSpec(const QByteArray& path, FSSpec* spec)
{
    std::memset(spec, 0, sizeof *spec);
    spec->vRefNum = kSpecVolume;
    const QByteArray name = LastComponent(path);
    spec->parID = SInt32(InternPath(ParentOf(path)));
    if (path != "/" && name.size() <= 63 && !name.startsWith('\x01')) {
        spec->name[0] = static_cast<unsigned char>(name.size());
        std::memcpy(spec->name + 1, name.constData(), size_t(name.size()));
        return;
    }
    const QByteArray token = '\x01' + QByteArray::number(InternPath(path), 16);
    spec->name[0] = static_cast<unsigned char>(token.size());
    std::memcpy(spec->name + 1, token.constData(), size_t(token.size()));
}

namespace {

// The name as bytes for the file system; bdNamErr for names that cannot be one.
OSErr nameBytes(UniCharCount length, const UniChar* name, QByteArray* bytes)
{
    if (!name || length == 0)
        return bdNamErr;
    if (length > 255)
        return errFSNameTooLong;
    const QStringView view(reinterpret_cast<const char16_t*>(name), qsizetype(length));
    *bytes = NameToBytes(view);
    if (bytes->contains('/') || bytes->contains('\0') || *bytes == "." || *bytes == "..")
        return bdNamErr;
    if (bytes->size() > 255)
        return errFSNameTooLong;
    return noErr;
}

OSErr folderPath(const FSRef* parentRef, QByteArray* path)
{
    if (!parentRef)
        return paramErr;
    struct stat st;
    if (OSErr err = ResolveRef(*parentRef, path, &st); err != noErr)
        return err;
    return S_ISDIR(st.st_mode) ? noErr : dirNFErr;
}

// The item a reference names, checked; paramErr for no reference at all.
OSErr resolve(const FSRef* ref, QByteArray* path, struct stat* st)
{
    return ref ? ResolveRef(*ref, path, st) : paramErr;
}

// The folder's path and the name's bytes for a call naming an item in it.
OSErr folderAndName(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                    QByteArray* folder, QByteArray* bytes)
{
    if (OSErr err = folderPath(parentRef, folder); err != noErr)
        return err;
    return nameBytes(nameLength, name, bytes);
}

} // namespace

namespace platform {

OSErr StatusFromErrno(int error)
{
    switch (error) {
    case 0:
        return noErr;
    case ENOENT:
        return fnfErr;
    case EACCES:
    case EPERM:
        return afpAccessDenied;
    case ENOTDIR:
        return dirNFErr;
    case EEXIST:
        return dupFNErr;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return dskFulErr;
    case EROFS:
        return wPrErr;
    case ENAMETOOLONG:
        return errFSNameTooLong;
    case EMFILE:
    case ENFILE:
        return tmfoErr;
    case ENOMEM:
        return memFullErr;
    case EBUSY:
    case ENOTEMPTY:
        return fBsyErr;
    case EISDIR:
        return notAFileErr;
    case EXDEV:
        return diffVolErr;
    case EINVAL:
        return paramErr;
    default:
        return ioErr;
    }
}

OSErr PathOfRef(const FSRef& ref, QByteArray* path) { return ResolveRef(ref, path, nullptr); }

OSErr RefFromPath(const QByteArray& path, FSRef* ref)
{
    const QByteArray normal = NormalisePath(path);
    if (normal.isEmpty())
        return fnfErr;
    return MakeRef(normal, ref);
}

} // namespace platform

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef)
{
    QByteArray path;
    struct stat st;
    if (OSErr err = resolve(ref, &path, &st); err != noErr)
        return err;

    if (info) {
        if (OSErr err = FillCatalogInfo(path, st, whichInfo, info); err != noErr)
            return err;
    }
    if (outName) {
        const QString name = NameFromBytes(LastComponent(path));
        outName->length = UInt16(std::min<qsizetype>(name.size(), 255));
        std::memcpy(outName->unicode, name.utf16(), size_t(outName->length) * 2);
    }
    if (fsSpec)
        MakeSpec(path, fsSpec);
    if (parentRef) {
        if (path == "/")
            std::memset(parentRef, 0, sizeof *parentRef);
        else if (OSErr err = MakeRef(ParentOf(path), parentRef); err != noErr)
            return err;
    }
    return noErr;
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef)
{
    if (!source || !newRef || source->vRefNum != kSpecVolume || source->parID <= 0)
        return paramErr;
    // A specification may come from bytes held elsewhere (a descriptor): a
    // length beyond the name field or a NUL inside the name names nothing.
    if (source->name[0] >= sizeof source->name)
        return bdNamErr;
    const QByteArray parent = PathForId(UInt32(source->parID));
    if (parent.isEmpty())
        return dirNFErr;
    const QByteArray name(reinterpret_cast<const char*>(source->name + 1), source->name[0]);
    QByteArray path;
    if (name.startsWith('\x01')) {
        bool ok = false;
        const UInt32 id = name.mid(1).toUInt(&ok, 16);
        path = ok ? PathForId(id) : QByteArray();
        if (path.isEmpty() || (path != "/" && ParentOf(path) != parent))
            return paramErr;
    } else if (name.isEmpty()) {
        path = parent;
    } else {
        if (name.contains('/') || name.contains('\0') || name == "." || name == "..")
            return bdNamErr;
        path = Join(parent, name);
    }
    return MakeRef(path, newRef);
}

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
    const QByteArray normal = NormalisePath(QByteArray(reinterpret_cast<const char*>(path)));
    if (normal.isEmpty())
        return fnfErr;
    struct stat st;
    if (OSErr err = MakeRef(normal, ref, &st); err != noErr)
        return err;
    if (isDirectory)
        *isDirectory = S_ISDIR(st.st_mode);
    return noErr;
}

OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2)
{
    if (!ref1 || !ref2)
        return paramErr;
    struct stat a;
    struct stat b;
    if (OSErr err = ResolveRef(*ref1, nullptr, &a); err != noErr)
        return err;
    if (OSErr err = ResolveRef(*ref2, nullptr, &b); err != noErr)
        return err;
    if (a.st_dev != b.st_dev)
        return diffVolErr;
    return a.st_ino == b.st_ino ? noErr : diffRefErr;
}

OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         TextEncoding, FSRef* newRef)
{
    QByteArray folder;
    QByteArray bytes;
    if (OSErr err = folderAndName(parentRef, nameLength, name, &folder, &bytes); err != noErr)
        return err;
    const QByteArray exact = Join(folder, bytes);
    struct stat st;
    if (::lstat(exact.constData(), &st) == 0) {
        if (newRef)
            EncodeRef(InternPath(exact), st, newRef);
        return noErr;
    }
    if (errno != ENOENT)
        return platform::StatusFromErrno(errno);
    QByteArray actual;
    if (OSErr err = FindNameIgnoringCase(folder, bytes, &actual); err != noErr)
        return err;
    OSErr err = MakeRef(Join(folder, actual), newRef);
    return err == dirNFErr ? fnfErr : err;
}

namespace {

// Makes a new item named name in the folder parentRef with make(path), which
// answers -1 with errno set when it made nothing; records the new name in the
// folder's index and gives the new item's path and status.
template <typename Make>
OSErr createItem(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name, Make make,
                 QByteArray* path, struct stat* st)
{
    QByteArray folder;
    QByteArray bytes;
    if (OSErr err = folderAndName(parentRef, nameLength, name, &folder, &bytes); err != noErr)
        return err;
    *path = Join(folder, bytes);
    OwnFolderChange change(folder);
    if (make(*path) != 0)
        return platform::StatusFromErrno(errno);
    change.added(bytes);
    return ::lstat(path->constData(), st) == 0 ? noErr : platform::StatusFromErrno(errno);
}

} // namespace

OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap, const FSCatalogInfo*, FSRef* newRef, FSSpec* newSpec)
{
    QByteArray path;
    struct stat st;
    const OSErr err = createItem(
        parentRef, nameLength, name,
        [](const QByteArray& p) {
            const int fd =
                ::open(p.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd < 0)
                return -1;
            ::close(fd);
            return 0;
        },
        &path, &st);
    if (err != noErr)
        return err;
    if (newRef)
        EncodeRef(InternPath(path), st, newRef);
    if (newSpec)
        MakeSpec(path, newSpec);
    return noErr;
}

OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength,
                               const UniChar* name, FSCatalogInfoBitmap, const FSCatalogInfo*,
                               FSRef* newRef, FSSpec* newSpec, UInt32* newDirID)
{
    QByteArray path;
    struct stat st;
    const OSErr err = createItem(
        parentRef, nameLength, name,
        [](const QByteArray& p) { return ::mkdir(p.constData(), 0777); },
        &path, &st);
    if (err != noErr)
        return err;
    if (newRef)
        EncodeRef(InternPath(path), st, newRef);
    if (newSpec)
        MakeSpec(path, newSpec);
    if (newDirID)
        *newDirID = InternPath(path);
    return noErr;
}

OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                      TextEncoding, FSRef* newRef)
{
    QByteArray path;
    struct stat st;
    if (OSErr err = resolve(ref, &path, &st); err != noErr)
        return err;
    if (path == "/")
        return paramErr;
    const QByteArray folder = ParentOf(path);
    const QByteArray oldName = LastComponent(path);
    QByteArray bytes;
    if (OSErr err = nameBytes(nameLength, name, &bytes); err != noErr)
        return err;
    if (bytes != oldName) {
        // Names are looked up ignoring case, so a name another item holds
        // in other letter case is taken; changing only the case is not.
        QByteArray holder;
        if (FindNameIgnoringCase(folder, bytes, &holder) == noErr && holder != oldName)
            return dupFNErr;
        const QByteArray target = Join(folder, bytes);
        OwnFolderChange change(folder);
        if (::renameat2(AT_FDCWD, path.constData(), AT_FDCWD, target.constData(),
                        RENAME_NOREPLACE) != 0)
            return platform::StatusFromErrno(errno);
        change.removed(oldName);
        change.added(bytes);
        path = target;
    }
    return newRef ? MakeRef(path, newRef) : noErr;
}

OSErr FSDeleteObject(const FSRef* ref)
{
    QByteArray path;
    struct stat st;
    if (OSErr err = resolve(ref, &path, &st); err != noErr)
        return err;
    if (path == "/")
        return fBsyErr;
    OwnFolderChange change(ParentOf(path));
    const int result = S_ISDIR(st.st_mode) ? ::rmdir(path.constData()) : ::unlink(path.constData());
    if (result != 0)
        return platform::StatusFromErrno(errno);
    change.removed(LastComponent(path));
    return noErr;
}
