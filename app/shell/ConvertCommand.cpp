// SPDX-License-Identifier: GPL-3.0-or-later
// "Convert…" asks with the platform's file dialog and drops what was chosen.
#include "app/shell/ConvertCommand.h"

#include "app/shell/DragHandlers.h"
#include "platform/nav/FolderChooser.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <vector>

namespace
{
const char kConvertPrompt[] = QT_TRANSLATE_NOOP("NavDialog", "Choose the pictures to convert.");
}

OSStatus HandleConvertCommand()
{
    NavDialogOptions options;
    NavGetDefaultDialogOptions(&options);
    const QByteArray prompt(kConvertPrompt);
    options.message[0] = UInt8(prompt.size());
    std::copy(prompt.begin(), prompt.end(), options.message + 1);
    NavReplyRecord reply;
    if (OSErr err = NavChooseItems(&options, &reply); err != noErr)
        return err;
    if (!reply.validRecord)
        return userCanceledErr;
    long count = 0;
    AECountItems(&reply.selection, &count);
    // The same items, and the same event, as a drop of them on the window:
    // during a batch they wait for it as a drop does.
    std::vector<FSSpec> specs;
    for (long index = 1; index <= count; ++index) {
        FSRef item;
        FSSpec spec;
        if (AEGetNthPtr(&reply.selection, index, typeFSRef, nullptr, nullptr, &item, sizeof item,
                        nullptr) == noErr &&
            FSGetCatalogInfo(&item, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr) == noErr)
            specs.push_back(spec);
    }
    NavDisposeReply(&reply);
    const OSErr err = SendOpenDocAppleEventToSelf(SInt32(specs.size()), specs.data());
    if (err != noErr)
        SysBeep(30);
    return err;
}
