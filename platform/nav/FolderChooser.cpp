// SPDX-License-Identifier: GPL-3.0-or-later
// NavChooseFolder and NavChooseItems over replaceable choosers; the defaults
// are the file dialogs.
#include "platform/nav/FolderChooser.h"

#include "platform/events/AppleEvents.h"
#include "platform/text/TextEncoding.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include <mutex>
#include <vector>

namespace
{

QByteArray askWithFolderDialog(const NavFolderQuestion& question)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    const QString chosen = QFileDialog::getExistingDirectory(
        nullptr, question.message, QFile::decodeName(question.defaultFolderPath));
    return chosen.isEmpty() ? QByteArray() : QFile::encodeName(chosen);
}

// The desktop's file dialogs ask for files or for folders, never both at
// once: this one asks for files, and a folder is reached by opening it in
// the dialog. Folders whole come by a drop or by the launcher.
QList<QByteArray> askWithFileDialog(const NavItemsQuestion& question)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return {};
    QList<QByteArray> paths;
    for (const QString& chosen : QFileDialog::getOpenFileNames(nullptr, question.message))
        paths << QFile::encodeName(chosen);
    return paths;
}

std::mutex gFolderChooserLock;
NavFolderChooser gFolderChooser;
NavItemChooser gItemChooser;

// The prompt as the dialog shows it: in the user's language when the
// application's catalogue has it under kNavPromptContext.
QString messageOf(const NavDialogOptions* dialogOptions)
{
    if (!dialogOptions)
        return {};
    const QString written = MacRomanToUnicode(
        reinterpret_cast<const char*>(dialogOptions->message + 1), dialogOptions->message[0]);
    return QCoreApplication::translate(kNavPromptContext, written.toUtf8().constData());
}

} // namespace

NavFolderChooser NavSetFolderChooser(NavFolderChooser chooser)
{
    std::lock_guard lock(gFolderChooserLock);
    NavFolderChooser previous =
        gFolderChooser ? std::move(gFolderChooser) : NavFolderChooser(askWithFolderDialog);
    gFolderChooser = std::move(chooser);
    return previous;
}

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions)
{
    if (!dialogOptions)
        return paramErr;
    *dialogOptions = NavDialogOptions{};
    const QByteArray name = UnicodeToMacRoman(QCoreApplication::applicationName()).left(255);
    dialogOptions->clientName[0] = UInt8(name.size());
    std::copy(name.begin(), name.end(), dialogOptions->clientName + 1);
    return noErr;
}

OSErr NavChooseFolder(const AEDesc* defaultLocation, NavReplyRecord* reply,
                      const NavDialogOptions* dialogOptions, NavEventUPP, NavObjectFilterUPP, void*)
{
    if (!reply)
        return paramErr;
    *reply = NavReplyRecord{};
    NavFolderQuestion question;
    question.message = messageOf(dialogOptions);
    if (defaultLocation) {
        AEDesc ref;
        if (AECoerceDesc(defaultLocation, typeFSRef, &ref) == noErr) {
            FSRef folder;
            if (AEGetDescData(&ref, &folder, sizeof folder) == noErr)
                platform::PathOfRef(folder, &question.defaultFolderPath);
            AEDisposeDesc(&ref);
        }
    }
    NavFolderChooser chooser;
    {
        std::lock_guard lock(gFolderChooserLock);
        chooser = gFolderChooser ? gFolderChooser : NavFolderChooser(askWithFolderDialog);
    }
    const QByteArray path = chooser(question);
    if (path.isEmpty())
        return noErr;
    FSRef folder;
    Boolean isFolder = false;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.constData()), &folder, &isFolder) !=
            noErr ||
        !isFolder)
        return noErr; // nothing usable came back: as cancelled
    if (OSErr err = AECreateList(nullptr, 0, false, &reply->selection); err != noErr)
        return err;
    if (OSErr err = AEPutPtr(&reply->selection, 1, typeFSRef, &folder, sizeof folder);
        err != noErr) {
        AEDisposeDesc(&reply->selection);
        return err;
    }
    reply->validRecord = true;
    return noErr;
}

NavItemChooser NavSetItemChooser(NavItemChooser chooser)
{
    std::lock_guard lock(gFolderChooserLock);
    NavItemChooser previous =
        gItemChooser ? std::move(gItemChooser) : NavItemChooser(askWithFileDialog);
    gItemChooser = std::move(chooser);
    return previous;
}

OSErr NavChooseItems(const NavDialogOptions* dialogOptions, NavReplyRecord* reply)
{
    if (!reply)
        return paramErr;
    *reply = NavReplyRecord{};
    NavItemChooser chooser;
    {
        std::lock_guard lock(gFolderChooserLock);
        chooser = gItemChooser ? gItemChooser : NavItemChooser(askWithFileDialog);
    }
    std::vector<FSRef> items;
    for (const QByteArray& path : chooser(NavItemsQuestion{messageOf(dialogOptions)})) {
        FSRef item;
        if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.constData()), &item, nullptr) ==
            noErr)
            items.push_back(item);
    }
    if (items.empty())
        return noErr; // cancelled, or nothing usable came back
    if (OSErr err = AECreateList(nullptr, 0, false, &reply->selection); err != noErr)
        return err;
    for (size_t i = 0; i < items.size(); ++i) {
        if (OSErr err =
                AEPutPtr(&reply->selection, SInt32(i + 1), typeFSRef, &items[i], sizeof items[i]);
            err != noErr) {
            AEDisposeDesc(&reply->selection);
            return err;
        }
    }
    reply->validRecord = true;
    return noErr;
}
