// SPDX-License-Identifier: GPL-3.0-or-later
// Showing settings in controls and storing what their users change.
#include "app/shell/SettingControls.h"

#include "app/shell/ExtensionPopup.h"
#include "app/shell/StatusDisplay.h"

namespace
{

ControlRef controlOf(WindowRef window, const SettingControl& bound)
{
    const ControlID id{kControlSignature, bound.controlID};
    ControlRef control = nullptr;
    GetControlByID(window, &id, &control);
    return control;
}

} // namespace

void ShowSetting(WindowRef window, const SettingControl& bound)
{
    ControlRef control = controlOf(window, bound);
    if (!control)
        return;
    const QVariant stored = ReadSetting(bound.setting);
    if (!bound.choices) {
        SetControlValue(control, stored.toBool() ? 1 : 0);
        return;
    }
    MenuRef menu = nullptr;
    if (GetPopupButtonMenuRef(control, &menu) != noErr)
        return;
    const PopupChoices choices = bound.choices(stored);
    DeleteMenuItems(menu, 1, CountMenuItems(menu));
    for (std::size_t i = 0; i < choices.items.size(); ++i) {
        const PopupChoice& item = choices.items[i];
        InsertMenuItemTextWithCFString(menu, item.text, MenuItemIndex(i), 0, MenuCommand(i + 1));
        if (!item.enabled)
            DisableMenuItem(menu, MenuItemIndex(i + 1));
    }
    SyncPopupButtonToMenu(control);
    if (choices.selected > 0)
        SetControlValue(control, SInt16(choices.selected));
    if (choices.enabled)
        EnableControl(control);
    else
        DisableControl(control);
}

bool StoreSetting(WindowRef window, const SettingControl& bound, UInt32 command)
{
    if (command != bound.commandID)
        return false;
    ControlRef control = controlOf(window, bound);
    if (!control)
        return true;
    const SInt16 value = GetControlValue(control);
    if (!bound.choices) {
        WriteSetting(bound.setting, value != 0);
        return true;
    }
    const PopupChoices choices = bound.choices(ReadSetting(bound.setting));
    if (value >= 1 && std::size_t(value) <= choices.items.size() &&
        choices.items[std::size_t(value) - 1].enabled)
        WriteSetting(bound.setting, choices.items[std::size_t(value) - 1].value);
    return true;
}
