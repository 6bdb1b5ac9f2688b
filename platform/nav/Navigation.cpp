// SPDX-License-Identifier: GPL-3.0-or-later
// Save dialogs over a replaceable chooser, and the default chooser: a
// QFileDialog in save mode.
#include "platform/nav/Navigation.h"

#include "platform/text/TextEncoding.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <mutex>

struct OpaqueNavDialogRef {
    NavPutFileQuestion question;
    NavPutFileAnswer answer;
    bool ran = false;
};

namespace
{

// Asks with a save-mode file dialog. Without a widget application there is
// nobody to ask, which counts as a cancelled question.
NavPutFileAnswer askWithFileDialog(const NavPutFileQuestion& question)
{
    NavPutFileAnswer answer;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return answer;
    QFileDialog dialog(question.parent, question.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(question.parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (!question.proposedName.isEmpty())
        dialog.selectFile(question.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    answer.chosen = true;
    answer.folderPath = QFile::encodeName(chosen.absolutePath());
    answer.fileName = NameFromBytes(QFile::encodeName(chosen.fileName()));
    // The dialog has asked whether to replace an item that holds the name.
    answer.replacing = chosen.exists() || chosen.isSymLink();
    return answer;
}

std::mutex gChooserLock;
NavPutFileChooser gChooser; // empty: the file dialog

NavPutFileChooser currentChooser()
{
    std::lock_guard lock(gChooserLock);
    return gChooser ? gChooser : NavPutFileChooser(askWithFileDialog);
}

} // namespace

NavPutFileChooser NavSetPutFileChooser(NavPutFileChooser chooser)
{
    std::lock_guard lock(gChooserLock);
    NavPutFileChooser previous = gChooser ? std::move(gChooser) : askWithFileDialog;
    gChooser = std::move(chooser);
    return previous;
}

OSErr NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* options)
{
    if (!options)
        return paramErr;
    *options = NavDialogCreationOptions{};
    options->clientName = QCoreApplication::applicationName();
    return noErr;
}

OSErr NavCreatePutFileDialog(const NavDialogCreationOptions* options, OSType fileType,
                             OSType fileCreator, void*, void*, NavDialogRef* outDialog)
{
    if (!outDialog)
        return paramErr;
    *outDialog = nullptr;
    NavDialogCreationOptions defaults;
    NavGetDefaultDialogCreationOptions(&defaults);
    const NavDialogCreationOptions& o = options ? *options : defaults;
    auto* dialog = new OpaqueNavDialogRef;
    dialog->question.title = !o.windowTitle.isEmpty() ? o.windowTitle : o.clientName;
    dialog->question.proposedName = o.saveFileName;
    dialog->question.message = o.message;
    dialog->question.fileType = fileType;
    dialog->question.fileCreator = fileCreator;
    dialog->question.parent = o.parentWindow;
    *outDialog = dialog;
    return noErr;
}

OSErr NavDialogRun(NavDialogRef dialog)
{
    if (!dialog)
        return paramErr;
    dialog->answer = currentChooser()(dialog->question);
    dialog->ran = true;
    return noErr;
}

OSErr NavDialogGetReply(NavDialogRef dialog, NavReplyRecord* reply)
{
    if (!dialog || !reply)
        return paramErr;
    *reply = NavReplyRecord{};
    if (!dialog->ran || !dialog->answer.chosen)
        return noErr;
    FSRef folder;
    if (OSErr err = platform::RefFromPath(dialog->answer.folderPath, &folder); err != noErr)
        return err;
    if (OSErr err = AECreateDesc(typeFSRef, &folder, sizeof folder, &reply->selection);
        err != noErr)
        return err;
    reply->validRecord = true;
    reply->replacing = dialog->answer.replacing;
    reply->saveFileName = dialog->answer.fileName;
    reply->saveFileExtensionHidden = dialog->answer.extensionHidden;
    return noErr;
}

OSErr NavDisposeReply(NavReplyRecord* reply)
{
    if (!reply)
        return paramErr;
    AEDisposeDesc(&reply->selection);
    *reply = NavReplyRecord{};
    return noErr;
}

void NavDialogDispose(NavDialogRef dialog)
{
    delete dialog;
}
