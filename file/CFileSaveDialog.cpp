// SPDX-License-Identifier: GPL-3.0-or-later
// CFile's save dialog: ask for a name and a folder, then create the file.
#include "file/CFile.h"

#include "file/MoreFinderEvents.h"
#include "platform/nav/Navigation.h"
#include "platform/text/TextEncoding.h"

namespace
{

// Creates the chosen file in the chosen folder, first deleting the item it
// replaces when the user agreed to replace one. False on any failure.
bool createChosenFile(const NavReplyRecord& reply, FSRef& newRef)
{
    FSRef folder;
    if (CFile::GetFSRefFromAEDesc(&folder, &reply.selection) != noErr)
        return false;
    const QString name = reply.saveFileName.left(255);
    if (name.isEmpty())
        return false;
    const auto* units = reinterpret_cast<const UniChar*>(name.utf16());
    const auto count = UniCharCount(name.size());
    if (reply.replacing) {
        FSRef old;
        if (FSMakeFSRefUnicode(&folder, count, units, kTextEncodingUnicodeDefault, &old) != noErr ||
            FSDeleteObject(&old) != noErr)
            return false;
    }
    return FSCreateFileUnicode(&folder, count, units, kFSCatInfoNone, nullptr, &newRef, nullptr) ==
           noErr;
}

} // namespace

Boolean CFile::DoSaveDialog(const CFStringRef& name, unsigned long type, unsigned long creator,
                            FSRef& newRef, unsigned char& extensionHidden)
{
    NavDialogCreationOptions options;
    NavGetDefaultDialogCreationOptions(&options);
    options.saveFileName = name;
    options.preferenceKey = 1;
    options.modality = kWindowModalityAppModal;

    NavDialogRef dialog = nullptr;
    if (NavCreatePutFileDialog(&options, OSType(type), OSType(creator), nullptr, nullptr,
                               &dialog) != noErr)
        return false;
    NavReplyRecord reply;
    bool created = false;
    if (NavDialogRun(dialog) == noErr && NavDialogGetReply(dialog, &reply) == noErr &&
        reply.validRecord) {
        created = createChosenFile(reply, newRef);
        if (created) {
            MoreFEUpdateItemFSRef(&newRef);
            extensionHidden = reply.saveFileExtensionHidden;
        }
    }
    NavDisposeReply(&reply);
    NavDialogDispose(dialog);
    return created;
}
