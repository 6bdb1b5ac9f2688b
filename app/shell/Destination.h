// SPDX-License-Identifier: GPL-3.0-or-later
// Where a batch's outputs go: the stored copy-to folder when that setting is
// on and the folder can still be found, else a folder the user picks for
// this batch.
#pragma once

#include "platform/nav/FolderChooser.h"

// True with folder naming the batch's destination; false when the user
// cancelled the question. The main window then bears the folder's name.
Boolean GetDestination(FSRef& folder);
// Asks for a folder; noErr only when one was chosen and returned in spec.
OSErr ChooseFolder(const FSSpec* defaultLocation, const char* prompt, FSSpec* spec,
                   NavObjectFilterUPP filterProc);

// The window-less command line names its destination itself; while one is
// set, GetDestination gives it without asking. Null clears it.
void SetFixedDestination(const FSRef* folder);
