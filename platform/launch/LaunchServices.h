// SPDX-License-Identifier: GPL-3.0-or-later
// Launch Services as the pane's item helpers use it: what kind of item a file
// reference names, whether it is invisible, and opening a URL with the
// desktop's default application.
//
// The kinds follow what Linux file managers show:
//   container    a folder (a mount point is a folder too, and also a volume)
//   package      a folder whose extension marks a bundle (app, bundle,
//                framework, plugin, kext; any letter case): such folders are
//                shown as one item where they come from
//   application  a package named .app, a regular file that the user may
//                execute, or a desktop entry (a .desktop file) of type
//                Application: what the desktop can launch
//   invisible    a name that starts with a dot, or a name listed in its
//                folder's ".hidden" file (one name a line), as GNOME Files and
//                Dolphin hide them
// Symbolic links are items of their own and are never followed.
#pragma once

#include "platform/files/Files.h"

#include <QString>
#include <QUrl>
#include <QVariant>

using LSRequestedInfo = UInt32;
using LSItemInfoFlags = UInt32;
using LSRolesMask = UInt32;

enum : LSRequestedInfo {
    kLSRequestExtension = 0x1,
    kLSRequestTypeCreator = 0x2,
    kLSRequestBasicFlagsOnly = 0x4,
    kLSRequestAppTypeFlags = 0x8,
    kLSRequestAllFlags = 0x10,
    kLSRequestIconAndKind = 0x20,
    kLSRequestExtensionFlagsOnly = 0x40,
    kLSRequestAllInfo = 0xFFFFFFFF,
};

enum : LSItemInfoFlags {
    kLSItemInfoIsPlainFile = 0x1,
    kLSItemInfoIsPackage = 0x2,
    kLSItemInfoIsApplication = 0x4,
    kLSItemInfoIsContainer = 0x8,
    kLSItemInfoIsAliasFile = 0x10,
    kLSItemInfoIsSymlink = 0x20,
    kLSItemInfoIsInvisible = 0x40,
    kLSItemInfoIsVolume = 0x1000,
};

inline constexpr LSRolesMask kLSRolesAll = 0xFFFFFFFF;

// Launch Services' own status codes.
inline constexpr OSStatus kLSDataUnavailableErr = -10813;
inline constexpr OSStatus kLSApplicationNotFoundErr = -10814;

struct LSItemInfoRecord {
    LSItemInfoFlags flags = 0;
    OSType filetype = 0;
    OSType creator = 0;
    QString extension; // with kLSRequestExtension; null when the name has none
};

// The attribute LSCopyItemAttribute answers: a Boolean.
extern const QString kLSItemIsInvisible;

// The item's flags (and extension when asked). -43 when the reference no
// longer names an item, -50 for null arguments.
OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo,
                              LSItemInfoRecord* outItemInfo);
// One attribute of the item; kLSDataUnavailableErr for an attribute this
// layer does not know.
OSStatus LSCopyItemAttribute(const FSRef* inItem, LSRolesMask inRoles,
                             const QString& inAttributeName, QVariant* outValue);
// Opens url with the desktop's default application: through the window
// system's services where the running platform has them, otherwise through
// the freedesktop opener (xdg-open) started on its own. Does not wait for the
// application; launchedURL (when given) is left empty, since the desktop
// does not say which application it chose.
OSStatus LSOpenCFURLRef(const QUrl& url, QUrl* launchedURL);

// --- URLs of items -------------------------------------------------------------

// A file:// URL for the item the reference names; an empty URL when it names
// none.
QUrl CFURLCreateFromFSRef(const FSRef* ref);
// A file:// URL for a POSIX path (a folder's URL ends with "/"); an empty URL
// for an empty or relative path.
QUrl CFURLCreateWithFileSystemPath(const QString& filePath, bool isDirectory);
// The URL's path extension (the text after the last "." of the last path
// component), or a null string.
QString CFURLCopyPathExtension(const QUrl& url);

// The workspace's call that opens a web page in the user's browser.
namespace NSWorkspace
{
bool openURL(const QUrl& url);
}
