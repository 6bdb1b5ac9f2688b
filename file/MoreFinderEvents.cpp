// SPDX-License-Identifier: GPL-3.0-or-later
// Comments and change notices, kept by the file system instead of a Finder.
#include "file/MoreFinderEvents.h"

AEIdleUPP gAEIdleUPP = nullptr;

OSErr MoreFEGetCommentCFString(const FSRef* ref, CFStringRef* comment, AEIdleUPP)
{
    if (!ref || !comment)
        return paramErr;
    return platform::CopyItemComment(*ref, comment);
}

OSErr MoreFESetCommentCFString(const FSRef* ref, const CFStringRef& comment, AEIdleUPP)
{
    if (!ref)
        return paramErr;
    return platform::SetItemComment(*ref, comment);
}

OSErr MoreFEUpdateItemFSRef(const FSRef* ref)
{
    // File managers watch folders themselves (inotify); there is nobody to
    // tell, only the reference to check.
    return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr);
}
