// SPDX-License-Identifier: GPL-3.0-or-later
// The application's bundle (its resources folder, <executable>/../share/tessaly)
// and the icon service. Resources are looked up as "name.type"; an icon family
// ("icns") is a scalable picture here, so "Tessaly"/"icns" also finds
// tessaly.svg.
#pragma once

#include "platform/files/Files.h"

#include <QString>

using CFBundleRef = struct OpaqueCFBundleRef*;
using CFStringRef = QString;
using CFURLRef = QString; // a file path; empty for none
using IconRef = struct OpaqueIconRef*;

// Null when the program has no bundle folder beside it.
CFBundleRef CFBundleGetMainBundle();
// The resource's path, or an empty one when the bundle has no such resource.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, const CFStringRef& resourceName,
                                 const CFStringRef& resourceType, const CFStringRef& subDirName);
Boolean CFURLGetFSRef(const CFURLRef& url, FSRef* fsRef);

// Registers the icon file as the application's icon (the windows' icon).
OSErr RegisterIconRefFromFSRef(OSType creator, OSType iconType, const FSRef* iconFile,
                               IconRef* theIconRef);
// Gives back an icon reference that RegisterIconRefFromFSRef handed out.
OSErr ReleaseIconRef(IconRef theIconRef);

namespace platform
{
// The file last registered as the application's icon; empty before.
QString ApplicationIconFile();
} // namespace platform
