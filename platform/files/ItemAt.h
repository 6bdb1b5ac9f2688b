// SPDX-License-Identifier: GPL-3.0-or-later
// Private to platform/files: where an item is, as the *at() calls take it,
// an open folder and a name in it, so that no call depends on the length of
// the item's whole path.
//
// A path the kernel takes whole (shorter than PATH_MAX) is handed over as it
// is, relative to the working folder, at no extra cost. A longer one is
// opened a stretch of components at a time with openat(), each stretch
// relative to the folder the one before opened, so a tree's depth is limited
// only by the file system. Folders on the way are followed through links,
// as the kernel follows them in a path; the last component never is.
#pragma once

#include <QByteArray>

namespace platform::files
{

class ItemAt
{
public:
    explicit ItemAt(const QByteArray& path);
    ~ItemAt();
    ItemAt(const ItemAt&) = delete;
    ItemAt& operator=(const ItemAt&) = delete;

    // 0 when the folder holding the item could be reached, else its errno.
    int error() const { return m_error; }
    // AT_FDCWD, or a descriptor (O_PATH) of the folder holding the item.
    int folder() const { return m_folder; }
    // The whole path with AT_FDCWD, else the last component.
    const char* name() const { return m_name.constData(); }
    // A path naming the item for calls that take only paths (extended
    // attributes): the path itself, or one through /proc/self/fd.
    QByteArray shortPath() const;

private:
    int m_folder;
    int m_error = 0;
    QByteArray m_name;
};

// Opens the folder at path (following links, as a path does) with flags
// added to O_DIRECTORY | O_CLOEXEC; -1 with errno set on failure.
int OpenFolder(const QByteArray& path, int flags);

} // namespace platform::files
