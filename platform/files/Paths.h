// SPDX-License-Identifier: GPL-3.0-or-later
// Absolute paths as text, their bytes as they are: the folder an item is
// in, its own name, and a name within a folder. No file system is asked.
#pragma once

#include <QByteArray>

namespace platform::files
{

// The folder holding the item at path; "/" for the root and its items.
QByteArray ParentOf(const QByteArray& path);
// The item's own name; "/" for the root.
QByteArray LastComponent(const QByteArray& path);
QByteArray Join(const QByteArray& folder, const QByteArray& name);

} // namespace platform::files
