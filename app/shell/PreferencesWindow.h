// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window: every control writes its setting at once; OK and
// Cancel only close the window.
#pragma once

#include "platform/events/CommandEvents.h"
#include "platform/ui/Controls.h"

enum : UInt32 {
    kCommandExportType = FOUR_CHAR_CODE("Eprt"),
    kCommandQuitWhenDone = FOUR_CHAR_CODE("Qwdo"),
    kCommandCopyTo = FOUR_CHAR_CODE("Copy"),
    kCommandChooseCopyTo = FOUR_CHAR_CODE("Chse"),
    kCommandQuality = FOUR_CHAR_CODE("Qlty"),
    kCommandStripLocation = FOUR_CHAR_CODE("Sloc"),
};

extern WindowRef gPreferencesWindow;           // null while closed
extern ControlRef gQuitWhenDoneCheckbox;       // ID 4
extern ControlRef gCopyToCheckbox;             // ID 16
extern ControlRef gChooseCopyToLocationButton; // ID 17
extern ControlRef gCopyToLocationStaticText;   // ID 18

// Opens the window, or brings it forward with its controls read again.
void HandlePreferencesCommand();
void InitCopyToControls();
OSStatus HandleChooseCopyToLocation();
OSStatus WindowEventHandlerProc(EventHandlerCallRef callRef, EventRef event, void* userData);
