// SPDX-License-Identifier: GPL-3.0-or-later
// Private to platform/files: finding a name in a folder without regard to
// letter case. A folder's names are indexed once by their folded form and the
// index is kept while the folder's time stamps say it is unchanged; changes
// this process makes itself are applied to the index instead of forcing a new
// scan, so converting into a folder of 100,000 items stays fast. Every name
// that folds to a key is kept (another program may have made names that
// differ only in letter case), so one stays found when another goes.
//
// Known limit: a change by another process within the same time-stamp tick
// as one of ours can go unseen until the folder changes again.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>
#include <sys/stat.h>

namespace platform::files
{

// The key two names share when they differ only in letter case or Unicode
// normal form.
QByteArray FoldedName(const QByteArray& nameBytes);

// The actual name of the item in folder whose name folds like nameBytes; of
// several, the first by its bytes, which is the first in name order.
OSErr FindNameIgnoringCase(const QByteArray& folder, const QByteArray& nameBytes,
                           QByteArray* actualName);

// Wraps one change this process makes in a folder.
class OwnFolderChange
{
public:
    explicit OwnFolderChange(const QByteArray& folder);
    ~OwnFolderChange();
    OwnFolderChange(const OwnFolderChange&) = delete;
    OwnFolderChange& operator=(const OwnFolderChange&) = delete;

    void added(const QByteArray& name);
    void removed(const QByteArray& name);

private:
    QByteArray m_folder;
    bool m_indexWasCurrent = false;
};

} // namespace platform::files
