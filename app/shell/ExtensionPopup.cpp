// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the extension popup.
#include "app/shell/ExtensionPopup.h"

#include "app/engine/ExporterCatalogue.h"
#include "app/engine/Settings.h"

#include <QCoreApplication>

ControlRef gExtensionPopupButton = nullptr;

OSStatus GetPopupButtonMenuRef(ControlRef popup, MenuRef* menu)
{
    return GetControlData(popup, kControlEntireControl, kControlPopupButtonMenuRefTag,
                          sizeof(MenuRef), menu, nullptr);
}

OSStatus SyncPopupButtonToMenu(ControlRef popup)
{
    MenuRef menu = nullptr;
    if (OSStatus err = GetPopupButtonMenuRef(popup, &menu); err != noErr)
        return err;
    const UInt16 items = CountMenuItems(menu);
    if (items > 0) {
        SetControlMaximum(popup, SInt16(items));
        SetControlMinimum(popup, 1);
    } else {
        SetControlMinimum(popup, 0);
        SetControlMaximum(popup, 0);
    }
    return noErr;
}

namespace
{
// The saver table lists the descriptions for translation under this context.
constexpr char kDescriptionContext[] = "ExtensionPopup";
} // namespace

void InitExtensionPopup()
{
    MenuRef menu = nullptr;
    if (GetPopupButtonMenuRef(gExtensionPopupButton, &menu) != noErr)
        return;
    DeleteMenuItems(menu, 1, CountMenuItems(menu));
    const QString stored = StoredExportExtension();
    const SInt16 selection = stored.isNull() ? -1 : FindExporterForExtension(stored);
    for (SInt16 i = 0; i < gNumberExporters; ++i) {
        const ExporterInfo& entry = gTheExporters[i];
        // The extension is what the setting stores and stays as it is; the
        // description is said in the user's language.
        const QString text = entry.extensionRef + QStringLiteral(" (") +
                             QCoreApplication::translate(
                                 kDescriptionContext, entry.descriptionRef.toUtf8().constData()) +
                             u')';
        InsertMenuItemTextWithCFString(menu, text, MenuItemIndex(i), 0, MenuCommand(i + 1));
    }
    SyncPopupButtonToMenu(gExtensionPopupButton);
    if (selection >= 0)
        SetControlValue(gExtensionPopupButton, SInt16(selection + 1));
}
