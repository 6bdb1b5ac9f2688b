// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window and the commands of its controls.
#include "app/shell/PreferencesWindow.h"

#include "app/engine/ExporterCatalogue.h"
#include "app/engine/Settings.h"
#include "app/shell/Destination.h"
#include "app/shell/ExtensionPopup.h"
#include "app/shell/QualityPopup.h"
#include "app/shell/SettingControls.h"
#include "app/shell/StatusDisplay.h"
#include "platform/ui/Windows.h"

WindowRef gPreferencesWindow = nullptr;
ControlRef gQuitWhenDoneCheckbox = nullptr;
ControlRef gCopyToCheckbox = nullptr;
ControlRef gChooseCopyToLocationButton = nullptr;
ControlRef gCopyToLocationStaticText = nullptr;

namespace
{

// The controls that show a setting and store each change at once: one line
// each. The quality popup follows the format popup's choice.
const SettingControl kQuitWhenDoneControl{kQuitWhenDoneSetting, 4, kCommandQuitWhenDone};
const SettingControl kCopyToControl{kCopyToSetting, 16, kCommandCopyTo};
const SettingControl kQualityControl{kQualitySetting, 5, kCommandQuality, QualityChoices};
const SettingControl kStripLocationControl{kStripLocationSetting, 6, kCommandStripLocation};
const SettingControl* const kSettingControls[] = {&kQuitWhenDoneControl, &kCopyToControl,
                                                  &kQualityControl, &kStripLocationControl};

void forgetControls()
{
    gQuitWhenDoneCheckbox = nullptr;
    gExtensionPopupButton = nullptr;
    gCopyToCheckbox = nullptr;
    gChooseCopyToLocationButton = nullptr;
    gCopyToLocationStaticText = nullptr;
}

ControlRef controlNumbered(SInt32 number)
{
    const ControlID id{kControlSignature, number};
    ControlRef control = nullptr;
    GetControlByID(gPreferencesWindow, &id, &control);
    return control;
}

// Shows the folder's path in the path text; unchanged when it does not fit.
void showFolderPath(const FSRef& folder)
{
    UInt8 path[255];
    if (FSRefMakePath(&folder, path, sizeof path) != noErr)
        return;
    SetStaticTextAsCFString(gCopyToLocationStaticText,
                            QString::fromUtf8(reinterpret_cast<const char*>(path)), true);
}

void enableCopyToChoice(bool enabled)
{
    if (enabled) {
        EnableControl(gChooseCopyToLocationButton);
        EnableControl(gCopyToLocationStaticText);
    } else {
        DisableControl(gChooseCopyToLocationButton);
        DisableControl(gCopyToLocationStaticText);
    }
}

} // namespace

void HandlePreferencesCommand()
{
    if (!gPreferencesWindow) {
        IBNibRef nib = nullptr;
        if (CreateNibReference(QStringLiteral("main"), &nib) == noErr) {
            CreateWindowFromNib(nib, QStringLiteral("PreferencesWindow"), &gPreferencesWindow);
            DisposeNibReference(nib);
        }
        forgetControls();
        if (gPreferencesWindow) {
            const EventTypeSpec commands{kEventClassCommand, kEventCommandProcess};
            if (InstallEventHandler(GetWindowEventTarget(gPreferencesWindow),
                                    NewEventHandlerUPP(WindowEventHandlerProc), 1, &commands,
                                    nullptr, nullptr) == noErr) {
                gQuitWhenDoneCheckbox = controlNumbered(4);
                gExtensionPopupButton = controlNumbered(3);
                gCopyToCheckbox = controlNumbered(16);
                gChooseCopyToLocationButton = controlNumbered(17);
                gCopyToLocationStaticText = controlNumbered(18);
            }
        }
    }
    print_message(kIdleText, 1);
    if (!gPreferencesWindow)
        return;
    for (const SettingControl* bound : kSettingControls)
        ShowSetting(gPreferencesWindow, *bound);
    InitExtensionPopup();
    InitCopyToControls();
    BringToFront(gPreferencesWindow);
    ShowWindow(gPreferencesWindow);
}

void InitCopyToControls()
{
    EnableControl(gCopyToCheckbox);
    enableCopyToChoice(true);
    if (CopyTo()) {
        SetControlValue(gCopyToCheckbox, 1);
        enableCopyToChoice(true);
    } else {
        SetControlValue(gCopyToCheckbox, 0);
        enableCopyToChoice(false);
    }
    FSRef folder;
    if (GetCopyToLocation(folder))
        showFolderPath(folder);
}

OSStatus HandleChooseCopyToLocation()
{
    FSSpec spec;
    if (OSErr err = ChooseFolder(
            nullptr,
            QT_TRANSLATE_NOOP("NavDialog", "Choose a folder for the destination of the copy."),
            &spec, nullptr);
        err != noErr)
        return err;
    FSRef folder;
    if (OSErr err = FSpMakeFSRef(&spec, &folder); err != noErr)
        return err;
    showFolderPath(folder);
    AliasHandle alias = nullptr;
    const OSErr err = FSNewAlias(nullptr, &folder, &alias);
    if (err != noErr)
        return err;
    const QByteArray record(*alias, qsizetype(GetHandleSize(alias)));
    DisposeHandle(alias);
    WriteSetting(kCopyToLocationSetting, record);
    return noErr;
}

OSStatus WindowEventHandlerProc(EventHandlerCallRef, EventRef event, void*)
{
    if (GetEventClass(event) != kEventClassCommand || GetEventKind(event) != kEventCommandProcess)
        return eventNotHandledErr;
    HICommand command;
    if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                          nullptr, &command) != noErr)
        return eventNotHandledErr;
    for (const SettingControl* bound : kSettingControls) {
        if (StoreSetting(gPreferencesWindow, *bound, command.commandID))
            break;
    }
    switch (command.commandID) {
    case kCommandChooseCopyTo:
        HandleChooseCopyToLocation();
        return eventNotHandledErr;
    case kCommandCopyTo:
        enableCopyToChoice(GetControlValue(gCopyToCheckbox) != 0);
        return eventNotHandledErr;
    case kCommandExportType: {
        MenuRef menu = nullptr;
        if (GetPopupButtonMenuRef(gExtensionPopupButton, &menu) != noErr)
            return eventNotHandledErr;
        const UInt16 value = UInt16(GetControlValue(gExtensionPopupButton));
        if (value >= 1 && SInt32(value) <= gNumberExporters)
            WriteSetting(kLastImageURLExtensionSetting, gTheExporters[value - 1].extensionRef);
        ShowSetting(gPreferencesWindow, kQualityControl);
        return eventNotHandledErr;
    }
    case kHICommandOK:
    case kHICommandCancel:
        DisposeWindow(gPreferencesWindow);
        gPreferencesWindow = nullptr;
        forgetControls();
        return noErr;
    default:
        return eventNotHandledErr;
    }
}
