// NavChooseFolder over a replaceable chooser; the default is a folder dialog.
#include "platform/nav/FolderChooser.h"

#include "platform/events/AppleEvents.h"
#include "platform/text/TextEncoding.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include <mutex>

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

std::mutex gFolderChooserLock;
NavFolderChooser gFolderChooser;

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
    if (dialogOptions)
        question.message = MacRomanToUnicode(
            reinterpret_cast<const char*>(dialogOptions->message + 1), dialogOptions->message[0]);
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
