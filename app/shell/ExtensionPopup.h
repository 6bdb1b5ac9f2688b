// SPDX-License-Identifier: GPL-3.0-or-later
// The popup of output formats in the preferences window, filled from the
// exporter catalogue: item n stands for entry n - 1 and carries command n.
#pragma once

#include "platform/ui/Controls.h"

// Control ID 3 of the preferences window; null while the window is closed.
extern ControlRef gExtensionPopupButton;

// Refills the popup from the catalogue and selects the stored extension.
void InitExtensionPopup();
// Sets the popup's range to match its menu.
OSStatus SyncPopupButtonToMenu(ControlRef popup);
OSStatus GetPopupButtonMenuRef(ControlRef popup, MenuRef* menu);
