// SPDX-License-Identifier: GPL-3.0-or-later
// The folder chooser and the chooser of items to open, in the older
// navigation services' shape: default dialog options, NavChooseFolder and
// NavChooseItems, and a reply whose selection lists what was chosen. The
// question itself is put by a replaceable chooser, by default a
// QFileDialog (the desktop portal's when one runs), so tests and front ends
// without a window can answer it.
#pragma once

#include "platform/nav/Navigation.h"

using Str255 = unsigned char[256];

struct NavDialogOptions {
    UInt16 version = 0;
    NavDialogOptionFlags dialogOptionFlags = 0;
    Point location{-1, -1};
    Str255 clientName{};
    Str255 windowTitle{};
    Str255 actionButtonLabel{};
    Str255 cancelButtonLabel{};
    Str255 savedFileName{};
    Str255 message{}; // length-prefixed, Mac Roman
    UInt32 preferenceKey = 0;
};

// Prompts are written in English, and the questions carry them in the
// user's language: the application lists its prompts for translation under
// this context (QT_TRANSLATE_NOOP).
inline constexpr char kNavPromptContext[] = "NavDialog";

using NavObjectFilterProcPtr = Boolean (*)(AEDesc* item, void* info, void* callBackUD,
                                           SInt16 filterMode);
using NavObjectFilterUPP = NavObjectFilterProcPtr;
using NavEventUPP = void*;

OSErr NavGetDefaultDialogOptions(NavDialogOptions* dialogOptions);
// Asks for a folder. noErr with a reply that is not valid when the question
// was cancelled; the reply's selection is a list holding the chosen folder.
OSErr NavChooseFolder(const AEDesc* defaultLocation, NavReplyRecord* reply,
                      const NavDialogOptions* dialogOptions, NavEventUPP eventProc,
                      NavObjectFilterUPP filterProc, void* callBackUD);

struct NavFolderQuestion {
    QString message;
    QByteArray defaultFolderPath; // empty: none
};
// The chosen folder's path; empty when the question was cancelled.
using NavFolderChooser = std::function<QByteArray(const NavFolderQuestion&)>;
// Installs the chooser folder questions ask from now on and gives back the
// one it replaces; an empty function puts the file dialog back.
NavFolderChooser NavSetFolderChooser(NavFolderChooser chooser);

// Asks for items to open. noErr with a reply that is not valid when the
// question was cancelled; the reply's selection lists the chosen items as
// file references, in the order chosen (items that no longer exist are left
// out; none left counts as cancelled).
OSErr NavChooseItems(const NavDialogOptions* dialogOptions, NavReplyRecord* reply);

struct NavItemsQuestion {
    QString message;
};
// The chosen items' paths; none when the question was cancelled.
using NavItemChooser = std::function<QList<QByteArray>(const NavItemsQuestion&)>;
// Installs the chooser item questions ask from now on and gives back the one
// it replaces; an empty function puts the file dialog back.
NavItemChooser NavSetItemChooser(NavItemChooser chooser);
