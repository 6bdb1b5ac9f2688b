// SPDX-License-Identifier: GPL-3.0-or-later
// Controls bound to settings: a control shows its setting as the store holds
// it, and each change its user makes is stored at once, so a setting needs
// only its entry in Settings.h, its control in the interface file and one
// line binding the two.
#pragma once

#include "app/engine/Settings.h"
#include "platform/ui/Controls.h"

#include <QVariant>

#include <vector>

// A popup's items for a stored value: each with its text and the value it
// stores; which one shows that value, and whether the popup and each item
// are offered.
struct PopupChoice {
    QString text;
    QVariant value;
    bool enabled = true;
};
struct PopupChoices {
    std::vector<PopupChoice> items;
    int selected = 0; // counted from 1; 0 for none
    bool enabled = true;
};

// A checkbox shows a Boolean setting; a popup shows the items its choices
// give for the stored value and stores the picked item's value. The control
// is found by its ID and issues its command, both from the interface file.
struct SettingControl {
    const Setting& setting;
    SInt32 controlID;
    UInt32 commandID;
    PopupChoices (*choices)(const QVariant& stored) = nullptr;
};

// Sets the window's control from the store.
void ShowSetting(WindowRef window, const SettingControl& bound);
// When command is the control's, stores the control's state at once and
// gives true.
bool StoreSetting(WindowRef window, const SettingControl& bound, UInt32 command);
