// SPDX-License-Identifier: GPL-3.0-or-later
// Save dialogs as the navigation services shape them: creation options, a
// dialog object that is run and then asked for its reply, and the reply
// record. The question itself is put by a replaceable chooser; the default
// one is QFileDialog (the desktop portal's dialog when one runs), so tests
// and other front ends can answer it instead.
#pragma once

#include "platform/events/Descriptors.h"
#include "platform/files/Files.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

using NavDialogRef = struct OpaqueNavDialogRef*;
using NavDialogOptionFlags = UInt32;
using WindowModality = UInt32;
enum : WindowModality {
    kWindowModalityNone = 0,
    kWindowModalitySystemModal = 1,
    kWindowModalityAppModal = 2,
    kWindowModalityWindowModal = 3,
};
inline constexpr UInt16 kNavDialogCreationOptionsVersion = 0;

struct NavDialogCreationOptions {
    UInt16 version = kNavDialogCreationOptionsVersion;
    NavDialogOptionFlags optionFlags = 0;
    Point location{-1, -1};
    QString clientName; // shown as the dialog's title when no title is given
    QString windowTitle;
    QString actionButtonLabel;
    QString cancelButtonLabel;
    QString saveFileName; // the proposed name
    QString message;
    UInt32 preferenceKey = 0;
    WindowModality modality = kWindowModalityAppModal;
    QWidget* parentWindow = nullptr;
};

struct NavReplyRecord {
    UInt16 version = 0;
    Boolean validRecord = false; // false when the user cancelled
    Boolean replacing = false;   // the chosen name belongs to an existing item
    Boolean isStationery = false;
    Boolean translationNeeded = false;
    AEDescList selection{typeNull, nullptr}; // the chosen folder, as a file reference
    QString saveFileName;
    Boolean saveFileExtensionHidden = false;
};

// Fills the defaults: the running application's name as client name,
// application-modal, no proposed name.
OSErr NavGetDefaultDialogCreationOptions(NavDialogCreationOptions* options);
// A save dialog for a file of the given type and creator (which only
// describe the document; nothing is created by the dialog).
OSErr NavCreatePutFileDialog(const NavDialogCreationOptions* options, OSType fileType,
                             OSType fileCreator, void* eventProc, void* clientData,
                             NavDialogRef* outDialog);
// Puts the question; returns when it has been answered.
OSErr NavDialogRun(NavDialogRef dialog);
// The answer. A cancelled dialog gives noErr and a reply that is not valid.
OSErr NavDialogGetReply(NavDialogRef dialog, NavReplyRecord* reply);
OSErr NavDisposeReply(NavReplyRecord* reply);
void NavDialogDispose(NavDialogRef dialog);

// --- the chooser behind the save dialog -----------------------------------

struct NavPutFileQuestion {
    QString title;
    QString proposedName;
    QString message;
    OSType fileType = 0;
    OSType fileCreator = 0;
    QWidget* parent = nullptr;
};

struct NavPutFileAnswer {
    bool chosen = false;    // false: cancelled
    QByteArray folderPath;  // the folder the file goes into
    QString fileName;       // the chosen name, in the file manager's UTF-16 form
    bool replacing = false; // the user agreed to replace an existing item
    bool extensionHidden = false;
};

using NavPutFileChooser = std::function<NavPutFileAnswer(const NavPutFileQuestion&)>;

// Installs the chooser save dialogs ask from now on and gives back the one
// it replaces; an empty function puts the default chooser back.
NavPutFileChooser NavSetPutFileChooser(NavPutFileChooser chooser);
