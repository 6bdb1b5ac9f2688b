// SPDX-License-Identifier: GPL-3.0-or-later
// Reaching items whatever the length of their path.
#include "platform/files/ItemAt.h"

#include <QByteArrayList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace platform::files
{

namespace
{

// How many bytes of path one openat() takes at most: well inside PATH_MAX.
constexpr qsizetype kStretch = PATH_MAX / 2;

// Opens the stretch of path relative to folder as a folder for *at() calls,
// closing folder unless it is AT_FDCWD.
int openStretch(int folder, const QByteArray& stretch)
{
    const int next = ::openat(folder, stretch.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    if (folder != AT_FDCWD)
        ::close(folder);
    errno = error;
    return next;
}

} // namespace

ItemAt::ItemAt(const QByteArray& path) : m_folder(AT_FDCWD), m_name(path)
{
    if (path.size() < PATH_MAX)
        return;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0) {
        m_error = ENAMETOOLONG; // one name longer than any path: no file system keeps it
        return;
    }
    m_name = path.mid(slash + 1);
    int folder = AT_FDCWD;
    QByteArray stretch = path.startsWith('/') ? QByteArray("/") : QByteArray(".");
    const QByteArray folders = path.left(slash);
    for (const QByteArray& component : folders.split('/')) {
        if (component.isEmpty())
            continue;
        if (stretch.size() + 1 + component.size() > kStretch) {
            folder = openStretch(folder, stretch);
            if (folder < 0) {
                m_error = errno;
                m_folder = AT_FDCWD;
                return;
            }
            stretch.clear();
        }
        if (!stretch.isEmpty() && !stretch.endsWith('/'))
            stretch += '/';
        stretch += component;
    }
    folder = openStretch(folder, stretch);
    if (folder < 0) {
        m_error = errno;
        folder = AT_FDCWD;
    }
    m_folder = folder;
}

ItemAt::~ItemAt()
{
    if (m_folder != AT_FDCWD)
        ::close(m_folder);
}

QByteArray ItemAt::shortPath() const
{
    if (m_folder == AT_FDCWD)
        return m_name;
    return "/proc/self/fd/" + QByteArray::number(m_folder) + '/' + m_name;
}

int OpenFolder(const QByteArray& path, int flags)
{
    ItemAt at(path);
    if (at.error()) {
        errno = at.error();
        return -1;
    }
    return ::openat(at.folder(), at.name(), flags | O_DIRECTORY | O_CLOEXEC);
}

} // namespace platform::files
