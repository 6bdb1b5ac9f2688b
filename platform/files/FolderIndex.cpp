// Case-insensitive name look-up with a small cache of folded folder indexes.
#include "platform/files/FolderIndex.h"

#include "platform/files/Files.h"
#include "platform/text/TextEncoding.h"

#include <QHash>

#include <cerrno>
#include <dirent.h>
#include <list>
#include <mutex>

namespace platform::files {

namespace {

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
    struct stat st;
    if (::stat(folder.constData(), &st) != 0)
        return false;
    *stamp = {st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size};
    return true;
}

struct Index {
    QByteArray folder;
    Stamp stamp;
    QHash<QByteArray, QByteArray> names; // folded -> actual
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

OSErr scan(const QByteArray& folder, QHash<QByteArray, QByteArray>* names)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return StatusFromErrno(errno);
    struct stat st;
    if (::fstat(dirfd(dir), &st) == 0 && st.st_size > 0)
        names->reserve(qsizetype(st.st_size / 32)); // a guess at the entry count
    errno = 0;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray key = FoldedName(name);
        if (!names->contains(key)) // of two names that differ only in case, keep the first
            names->insert(key, name);
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
        QHash<QByteArray, QByteArray> names;
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
    auto it = index->names.constFind(FoldedName(nameBytes));
    if (it == index->names.cend())
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
    if (Index* index = findIndex(m_folder); index && !index->names.contains(FoldedName(name)))
        index->names.insert(FoldedName(name), name);
}

void OwnFolderChange::removed(const QByteArray& name)
{
    if (!m_indexWasCurrent)
        return;
    std::lock_guard guard(lockOfIndexes());
    if (Index* index = findIndex(m_folder)) {
        auto it = index->names.find(FoldedName(name));
        if (it != index->names.end() && *it == name)
            index->names.erase(it);
        else if (it != index->names.end())
            index->stamp = Stamp{}; // a twin may still hold the key: rescan next time
    }
}

} // namespace platform::files
