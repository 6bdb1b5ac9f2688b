// Flat folder iteration, one item per call. The iterator reads one entry
// ahead so that it can hand out the last item together with errFSNoMoreItems,
// as callers of the old file manager must be ready for.
#include "platform/files/Files.h"

#include "platform/files/RefTable.h"
#include "platform/text/TextEncoding.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace platform::files;

struct OpaqueFSIterator {
    DIR* dir = nullptr;
    QByteArray folder;
    QByteArray pending; // the entry read ahead, empty when there is none
    bool exhausted = false;
    int readError = 0;
};

namespace {

// Reads the next entry other than "." and "..", remembering a read error.
void readAhead(OpaqueFSIterator* it)
{
    it->pending.clear();
    while (!it->exhausted) {
        errno = 0;
        dirent* entry = ::readdir(it->dir);
        if (!entry) {
            it->exhausted = true;
            it->readError = errno;
            return;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        it->pending = QByteArray(entry->d_name);
        return;
    }
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
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return platform::StatusFromErrno(errno);
    auto* it = new OpaqueFSIterator;
    it->dir = dir;
    it->folder = folder;
    readAhead(it);
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
    for (;;) {
        if (it->pending.isEmpty()) {
            if (it->readError)
                return platform::StatusFromErrno(it->readError);
            return errFSNoMoreItems;
        }
        const QByteArray name = it->pending;
        readAhead(it);
        struct stat st;
        if (::fstatat(dirfd(it->dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue; // removed since it was listed
            return platform::StatusFromErrno(errno);
        }
        const QByteArray path = Join(it->folder, name);
        const UInt32 id = InternPath(path);
        if (refs)
            EncodeRef(id, st, refs);
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
        const bool last = it->pending.isEmpty() && !it->readError;
        return last ? errFSNoMoreItems : noErr;
    }
}
