// SPDX-License-Identifier: GPL-3.0-or-later
// Controls and popup menus of windows loaded from interface files. A control
// is the widget itself; its control ID (signature and number) and the command
// it issues are dynamic properties set in the interface file:
//
//   controlSignature  "CNTL"     controlID  1     commandID  "pref"
//
// Static text is a QLabel, a progress bar or spinner a QProgressBar (the
// spinner with the range 0 to 0), a checkbox a QCheckBox, a popup button a
// QComboBox whose items are its menu.
#pragma once

#include "platform/events/CommandEvents.h"

#include <QString>

class QWidget;

using WindowRef = QWidget*;
using ControlRef = QWidget*;
using ControlPartCode = SInt16;
using ResType = FourCharCode;
using MenuItemIndex = UInt16;
using MenuCommand = UInt32;
using MenuItemAttributes = UInt32;
using CFStringRef = QString;

struct ControlID {
    OSType signature;
    SInt32 id;
};

inline constexpr ControlPartCode kControlEntireControl = 0;
enum : ResType {
    kControlStaticTextTextTag = FOUR_CHAR_CODE("text"),
    kControlStaticTextCFStringTag = FOUR_CHAR_CODE("cfst"),
    kControlPopupButtonMenuRefTag = FOUR_CHAR_CODE("mhan"),
};
inline constexpr OSErr errUnknownControl = -30584;
inline constexpr OSErr errDataNotSupported = -30583;
inline constexpr OSErr errInvalidWindowRef = -5600;

// Finds the window's control with that ID; errUnknownControl (and a null
// control) when the window has none.
OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl);

void ShowControl(ControlRef control);
void HideControl(ControlRef control);
OSErr EnableControl(ControlRef control);
OSErr DisableControl(ControlRef control);
// Values, minimum and maximum: a progress bar's, a checkbox's (0 or 1) and a
// popup's (the chosen item, counted from 1; 0 for none). Null controls are
// accepted and do nothing.
void SetControlValue(ControlRef control, SInt16 value);
SInt16 GetControlValue(ControlRef control);
void SetControlMinimum(ControlRef control, SInt16 value);
void SetControlMaximum(ControlRef control, SInt16 value);
SInt16 GetControlMinimum(ControlRef control);
SInt16 GetControlMaximum(ControlRef control);

// Static text: "text" takes Mac Roman bytes, "cfst" a pointer to a string
// (the control keeps its own copy). errDataNotSupported for other tags or
// controls, paramErr for a null control.
OSErr SetControlData(ControlRef control, ControlPartCode part, ResType tag, Size size,
                     const void* data);
// "mhan" of a popup button gives its MenuRef.
OSErr GetControlData(ControlRef control, ControlPartCode part, ResType tag, Size bufferSize,
                     void* buffer, Size* actualSize);
// Draws the control now.
void Draw1Control(ControlRef control);

// A popup button's menu.
UInt16 CountMenuItems(MenuRef menu);
OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex firstItem, ItemCount numItems);
OSStatus InsertMenuItemTextWithCFString(MenuRef menu, const CFStringRef& text,
                                        MenuItemIndex afterItem, MenuItemAttributes attributes,
                                        MenuCommand commandID);
// The item's text; empty past the end.
QString MenuItemText(MenuRef menu, MenuItemIndex item);

// Enables the menu bar items (menu null) or popup items carrying the command.
void EnableMenuCommand(MenuRef menu, MenuCommand commandID);
// Offers or withholds one item of a popup (counted from 1): a disabled item
// shows but cannot be picked.
void EnableMenuItem(MenuRef menu, MenuItemIndex item);
void DisableMenuItem(MenuRef menu, MenuItemIndex item);
// Whether the item is offered; false past the end.
bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item);

namespace platform
{
// The control ID of a widget, from its properties; false when it has none.
bool ControlIDOf(const QWidget* widget, ControlID* id);

// Whether the program itself is changing a control's value right now
// (SetControlValue, a popup's items inserted or deleted). A control issues
// its command when its user changes it, by any means; never for these.
bool ControlChangedByProgram();
} // namespace platform
