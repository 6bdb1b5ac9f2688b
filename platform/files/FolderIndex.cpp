// SPDX-License-Identifier: GPL-3.0-or-later
// Case-insensitive name look-up with a small cache of folded folder indexes.
#include "platform/files/FolderIndex.h"

#include "platform/files/Files.h"
#include "platform/files/ItemAt.h"
#include "platform/text/TextEncoding.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <mutex>
#include <utility>

namespace platform::files
{

namespace
{

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    off_t size = 0;

    bool operator==(const Stamp& o) const
    {
        return device == o.device && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec && size == o.size;
    }
};

bool stampOf(const QByteArray& folder, Stamp* stamp)
{
    ItemAt at(folder);
    struct stat st;
    if (at.error()) {
        errno = at.error();
        return false;
    }
    if (::fstatat(at.folder(), at.name(), &st, 0) != 0)
        return false;
    *stamp = {st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size};
    return true;
}

// A folder's names by their folded form. Another program may have made
// names that differ only in letter case; all of them are kept, so that one
// stays found when another goes. The first in name order (its bytes) is the
// one a look-up gives.
struct Names {
    QHash<QByteArray, QByteArray> first;      // folded -> the first name
    QHash<QByteArray, QByteArrayList> others; // folded -> the rest, rare

    void add(const QByteArray& key, const QByteArray& name)
    {
        auto it = first.find(key);
        if (it == first.end()) {
            first.insert(key, name);
            return;
        }
        if (*it == name)
            return;
        QByteArrayList& rest = others[key];
        if (rest.contains(name))
            return;
        if (name < *it)
            rest.append(std::exchange(*it, name));
        else
            rest.append(name);
    }

    void remove(const QByteArray& key, const QByteArray& name)
    {
        auto it = first.find(key);
        if (it == first.end())
            return;
        auto rest = others.find(key);
        if (*it != name) {
            if (rest != others.end() && rest->removeOne(name) && rest->isEmpty())
                others.erase(rest);
            return;
        }
        if (rest == others.end()) {
            first.erase(it);
            return;
        }
        auto next = std::min_element(rest->begin(), rest->end());
        *it = *next;
        rest->erase(next);
        if (rest->isEmpty())
            others.erase(rest);
    }
};

struct Index {
    QByteArray folder;
    Stamp stamp;
    Names names;
};

constexpr size_t kCachedFolders = 8;

// Made on first use and never destroyed: look-ups may come from static
// initialisers, and a worker thread may still finish an export while the
// process exits.
std::mutex& lockOfIndexes()
{
    static auto* lock = new std::mutex;
    return *lock;
}

std::list<Index>& indexes() // most recently used first
{
    static auto* list = new std::list<Index>;
    return *list;
}

Index* findIndex(const QByteArray& folder)
{
    for (auto it = indexes().begin(); it != indexes().end(); ++it) {
        if (it->folder == folder) {
            indexes().splice(indexes().begin(), indexes(), it);
            return &indexes().front();
        }
    }
    return nullptr;
}

OSErr scan(const QByteArray& folder, Names* names)
{
    const int fd = OpenFolder(folder, O_RDONLY);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return StatusFromErrno(error);
    }
    struct stat st;
    if (::fstat(dirfd(dir), &st) == 0 && st.st_size > 0)
        names->first.reserve(qsizetype(st.st_size / 32)); // a guess at the entry count
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        names->add(FoldedName(name), name);
    }
    const int error = errno;
    ::closedir(dir);
    return error ? StatusFromErrno(error) : noErr;
}

} // namespace

QByteArray FoldedName(const QByteArray& nameBytes)
{
    bool ascii = true;
    for (char c : nameBytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return nameBytes.toLower();
    // Qt's folding turns lone surrogates into U+FFFD, so the bytes that are
    // not UTF-8 (carried as lone surrogates) are kept out of it.
    const QString name = NameFromBytes(nameBytes);
    QString folded;
    qsizetype runStart = 0;
    auto foldRun = [&](qsizetype end) {
        if (end > runStart)
            folded += name.mid(runStart, end - runStart)
                          .normalized(QString::NormalizationForm_C)
                          .toCaseFolded();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (unit >= 0xDC80 && unit <= 0xDCFF) {
            foldRun(i);
            folded += QChar(unit);
            runStart = i + 1;
        }
    }
    foldRun(name.size());
    return NameToBytes(folded);
}

OSErr FindNameIgnoringCase(const QByteArray& folder, const QByteArray& nameBytes,
                           QByteArray* actualName)
{
    Stamp now;
    if (!stampOf(folder, &now))
        return StatusFromErrno(errno);
    std::lock_guard guard(lockOfIndexes());
    Index* index = findIndex(folder);
    if (!index || !(index->stamp == now)) {
        Names names;
        if (OSErr err = scan(folder, &names); err != noErr)
            return err;
        if (!index) {
            indexes().push_front(Index{folder, now, {}});
            if (indexes().size() > kCachedFolders)
                indexes().pop_back();
            index = &indexes().front();
        }
        index->stamp = now;
        index->names = std::move(names);
    }
    auto it = index->names.first.constFind(FoldedName(nameBytes));
    if (it == index->names.first.cend())
        return fnfErr;
    *actualName = *it;
    return noErr;
}

OwnFolderChange::OwnFolderChange(const QByteArray& folder) : m_folder(folder)
{
    Stamp before;
    if (!stampOf(folder, &before))
        return;
    std::lock_guard guard(lockOfIndexes());
    Index* index = findIndex(folder);
    m_indexWasCurrent = index && index->stamp == before;
}

OwnFolderChange::~OwnFolderChange()
{
    if (!m_indexWasCurrent)
        return;
    Stamp after;
    const bool known = stampOf(m_folder, &after);
    std::lock_guard guard(lockOfIndexes());
    Index* index = findIndex(m_folder);
    if (!index)
        return;
    if (known)
        index->stamp = after;
    else
        index->stamp = Stamp{};
}

void OwnFolderChange::added(const QByteArray& name)
{
    if (!m_indexWasCurrent)
        return;
    std::lock_guard guard(lockOfIndexes());
    if (Index* index = findIndex(m_folder))
        index->names.add(FoldedName(name), name);
}

void OwnFolderChange::removed(const QByteArray& name)
{
    if (!m_indexWasCurrent)
        return;
    std::lock_guard guard(lockOfIndexes());
    if (Index* index = findIndex(m_folder))
        index->names.remove(FoldedName(name), name);
}

} // namespace platform::files
