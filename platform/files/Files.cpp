// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogue information, specifications, paths, look-up, creation and
// removal of items.
#include "platform/files/Files.h"

#include "platform/files/FolderIndex.h"
#include "platform/files/ItemAt.h"
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

namespace
{

// Whether every UTF-16 unit of name stands for something a file name can
// hold: a character, or a lone surrogate standing for a byte that is not
// UTF-8 (U+DC80-U+DCFF). Any other lone surrogate stands for nothing.
bool isNameText(QStringView name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (QChar::isHighSurrogate(unit)) {
            if (i + 1 == name.size() || !QChar::isLowSurrogate(name[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(unit) && (unit < 0xDC80 || unit > 0xDCFF)) {
            return false;
        }
    }
    return true;
}

// The name as bytes for the file system; bdNamErr for names that cannot be one.
OSErr nameBytes(UniCharCount length, const UniChar* name, QByteArray* bytes)
{
    if (!name || length == 0)
        return bdNamErr;
    if (length > 255)
        return errFSNameTooLong;
    const QStringView view(reinterpret_cast<const char16_t*>(name), qsizetype(length));
    if (!isNameText(view))
        return bdNamErr;
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

namespace platform
{

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
    // A file specification may come from bytes held elsewhere (a descriptor): a
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
    if (OSErr err = MakeRef(Join(folder, bytes), newRef); err != fnfErr)
        return err;
    QByteArray actual;
    if (OSErr err = FindNameIgnoringCase(folder, bytes, &actual); err != noErr)
        return err;
    OSErr err = MakeRef(Join(folder, actual), newRef);
    return err == dirNFErr ? fnfErr : err;
}

namespace
{

// Makes a new item named name in the folder parentRef with make(folder,
// name), an *at() call that answers -1 with errno set when it made nothing;
// records the new name in the folder's index and gives the new item's path
// and reference. A name that an item holds in other letter case is taken,
// as look-ups see it.
template <typename Make>
OSErr createItem(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name, Make make,
                 QByteArray* path, FSRef* newRef)
{
    QByteArray folder;
    QByteArray bytes;
    if (OSErr err = folderAndName(parentRef, nameLength, name, &folder, &bytes); err != noErr)
        return err;
    QByteArray holder;
    if (FindNameIgnoringCase(folder, bytes, &holder) == noErr)
        return dupFNErr;
    *path = Join(folder, bytes);
    ItemAt at(*path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    OwnFolderChange change(folder);
    if (make(at.folder(), at.name()) != 0)
        return platform::StatusFromErrno(errno);
    change.added(bytes);
    FSRef made;
    return MakeRefAt(at.folder(), at.name(), *path, newRef ? newRef : &made, nullptr);
}

} // namespace

OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                          FSCatalogInfoBitmap, const FSCatalogInfo*, FSRef* newRef, FSSpec* newSpec)
{
    QByteArray path;
    const OSErr err = createItem(
        parentRef, nameLength, name,
        [](int folder, const char* itemName) {
            const int fd = ::openat(folder, itemName,
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd < 0)
                return -1;
            ::close(fd);
            return 0;
        },
        &path, newRef);
    if (err != noErr)
        return err;
    if (newSpec)
        MakeSpec(path, newSpec);
    return noErr;
}

OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                               FSCatalogInfoBitmap, const FSCatalogInfo*, FSRef* newRef,
                               FSSpec* newSpec, UInt32* newDirID)
{
    QByteArray path;
    const OSErr err = createItem(
        parentRef, nameLength, name,
        [](int folder, const char* itemName) { return ::mkdirat(folder, itemName, 0777); }, &path,
        newRef);
    if (err != noErr)
        return err;
    if (newSpec)
        MakeSpec(path, newSpec);
    if (newDirID)
        *newDirID = InternPath(path);
    return noErr;
}

OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name, TextEncoding,
                      FSRef* newRef)
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
        ItemAt from(path);
        ItemAt to(target);
        if (from.error() || to.error())
            return platform::StatusFromErrno(from.error() ? from.error() : to.error());
        OwnFolderChange change(folder);
        if (::renameat2(from.folder(), from.name(), to.folder(), to.name(), RENAME_NOREPLACE) != 0)
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
    ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    OwnFolderChange change(ParentOf(path));
    if (::unlinkat(at.folder(), at.name(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) != 0)
        return platform::StatusFromErrno(errno);
    change.removed(LastComponent(path));
    return noErr;
}
