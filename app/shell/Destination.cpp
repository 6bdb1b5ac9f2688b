// SPDX-License-Identifier: GPL-3.0-or-later
// The destination question and the folder chooser.
#include "app/shell/Destination.h"

#include "app/engine/Settings.h"
#include "app/shell/StatusDisplay.h"
#include "file/MoreFiles.h"
#include "platform/events/AppleEvents.h"
#include "platform/text/TextEncoding.h"
#include "platform/ui/Windows.h"

#include <optional>

namespace
{
std::optional<FSRef> gFixedDestination;
} // namespace

void SetFixedDestination(const FSRef* folder)
{
    if (folder)
        gFixedDestination = *folder;
    else
        gFixedDestination.reset();
}

OSErr ChooseFolder(const FSSpec* defaultLocation, const char* prompt, FSSpec* spec,
                   NavObjectFilterUPP filterProc)
{
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    if (prompt)
        CopyCStringToPascal(prompt, options.message);
    AEDesc location;
    AEInitializeDesc(&location);
    bool hasLocation = false;
    if (defaultLocation)
        hasLocation =
            AECreateDesc(typeFSS, defaultLocation, sizeof *defaultLocation, &location) == noErr;
    NavReplyRecord reply;
    const OSErr chosen = NavChooseFolder(hasLocation ? &location : nullptr, &reply, &options,
                                         nullptr, filterProc, nullptr);
    AEDisposeDesc(&location);
    if (chosen != noErr)
        return chosen;
    if (!reply.validRecord) {
        NavDisposeReply(&reply);
        return userCanceledErr;
    }
    const OSErr got =
        AEGetNthPtr(&reply.selection, 1, typeFSS, nullptr, nullptr, spec, sizeof *spec, nullptr);
    const OSErr disposed = NavDisposeReply(&reply);
    return got != noErr ? got : disposed;
}

Boolean GetDestination(FSRef& folder)
{
    if (gFixedDestination) {
        folder = *gFixedDestination;
        return true;
    }
    if (!(CopyTo() && GetCopyToLocation(folder))) {
        FSSpec spec;
        if (ChooseFolder(nullptr,
                         QT_TRANSLATE_NOOP("NavDialog", "Choose a folder for the destination of "
                                                        "the transformed pictures."),
                         &spec, nullptr) != noErr)
            return false;
        if (FSpMakeFSRef(&spec, &folder) != noErr)
            return false;
    }
    HFSUniStr255 name;
    if (FSGetCatalogInfo(&folder, kFSCatInfoNone, nullptr, &name, nullptr, nullptr) != noErr)
        return true;
    SetWindowTitleWithCFString(gWindow,
                               QString(reinterpret_cast<const QChar*>(name.unicode), name.length));
    FSSpec spec;
    if (FSRefMakeFSSpec(&folder, &spec) != noErr)
        return true;
    SetWindowProxyFSSpec(gWindow, &spec);
    SetWindowModified(gWindow, false);
    return true;
}
