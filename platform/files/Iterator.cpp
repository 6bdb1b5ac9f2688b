// SPDX-License-Identifier: GPL-3.0-or-later
// Flat folder iteration, one item per call, in name order.
//
// The order is the one a file manager shows, made exact so that it is the
// same everywhere: items sort by their names folded as look-ups fold them
// (Unicode case folding after normal form C; bytes that are not UTF-8 stay as
// they are), compared byte by byte, which is code point order; names that
// fold alike sort by their own bytes. Folders sort among the files. So
// "a.png" < "B10.png" < "b2.png" < "Zebra" < "Éclair".
//
// The folder's names are read when the iterator opens; an item removed since
// is passed over, one added since is not seen. The last item comes together
// with errFSNoMoreItems, as callers of the old file manager must be ready for.
#include "platform/files/Files.h"

#include "platform/files/FolderIndex.h"
#include "platform/files/ItemAt.h"
#include "platform/files/RefTable.h"
#include "platform/text/TextEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace platform::files;

struct OpaqueFSIterator {
    DIR* dir = nullptr;
    QByteArray folder;
    std::vector<QByteArray> names; // in name order
    size_t next = 0;
    int readError = 0; // a failure reading the folder, told after its items
};

namespace
{

struct Entry {
    QByteArray key;
    QByteArray name;
    bool operator<(const Entry& o) const { return key != o.key ? key < o.key : name < o.name; }
};

// Reads the folder's names other than "." and "..", sorted.
void readNames(OpaqueFSIterator* it)
{
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        dirent* entry = ::readdir(it->dir);
        if (!entry) {
            it->readError = errno;
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        QByteArray name(entry->d_name);
        entries.push_back({FoldedName(name), std::move(name)});
    }
    std::sort(entries.begin(), entries.end());
    it->names.reserve(entries.size());
    for (Entry& e : entries)
        it->names.push_back(std::move(e.name));
}

} // namespace

OSErr FSOpenIterator(const FSRef* container, FSIteratorFlags flags, FSIterator* iterator)
{
    if (!container || !iterator)
        return paramErr;
    *iterator = nullptr;
    if (flags != kFSIterateFlat)
        return paramErr;
    QByteArray folder;
    struct stat st;
    if (OSErr err = ResolveRef(*container, &folder, &st); err != noErr)
        return err;
    if (!S_ISDIR(st.st_mode))
        return errFSNotAFolder;
    const int fd = OpenFolder(folder, O_RDONLY | O_NOFOLLOW);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return platform::StatusFromErrno(error);
    }
    auto* it = new OpaqueFSIterator;
    it->dir = dir;
    it->folder = folder;
    readNames(it);
    *iterator = it;
    return noErr;
}

OSErr FSCloseIterator(FSIterator iterator)
{
    if (!iterator)
        return paramErr;
    ::closedir(iterator->dir);
    delete iterator;
    return noErr;
}

OSErr FSGetCatalogInfoBulk(FSIterator it, ItemCount maximumObjects, ItemCount* actualObjects,
                           Boolean* containerChanged, FSCatalogInfoBitmap whichInfo,
                           FSCatalogInfo* catalogInfos, FSRef* refs, FSSpec* specs,
                           HFSUniStr255* names)
{
    if (actualObjects)
        *actualObjects = 0;
    if (containerChanged)
        *containerChanged = false;
    if (!it || !actualObjects || maximumObjects == 0)
        return paramErr;
    while (it->next < it->names.size()) {
        const QByteArray& name = it->names[it->next++];
        const QByteArray path = Join(it->folder, name);
        struct stat st;
        if (OSErr err = MakeRefAt(dirfd(it->dir), name.constData(), path, refs, &st);
            err != noErr) {
            if (err == fnfErr)
                continue; // removed since it was listed
            return err;
        }
        if (catalogInfos) {
            if (OSErr err = FillCatalogInfo(path, st, whichInfo, catalogInfos); err != noErr)
                return err;
        }
        if (specs)
            MakeSpec(path, specs);
        if (names) {
            const QString unicode = NameFromBytes(name);
            names->length = UInt16(std::min<qsizetype>(unicode.size(), 255));
            std::memcpy(names->unicode, unicode.utf16(), size_t(names->length) * 2);
        }
        *actualObjects = 1;
        const bool last = it->next == it->names.size() && !it->readError;
        return last ? errFSNoMoreItems : noErr;
    }
    if (it->readError)
        return platform::StatusFromErrno(it->readError);
    return errFSNoMoreItems;
}
