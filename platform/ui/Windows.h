// SPDX-License-Identifier: GPL-3.0-or-later
// Windows and the menu bar from interface files, and what is done to whole
// windows. An interface file "name" is the folder <bundle>/name holding one
// Qt Designer file per object (MenuBar.ui, MainWindow.ui, ...), loaded at run
// time. Buttons, checkboxes, popups and menu items whose "commandID" property
// holds four characters issue that command when used; a window whose
// "closeCommandID" property is set issues that command instead of closing.
// A button's "shortcutKeys" ("Escape", "Return; Enter") are keys that click
// it while it is shown and enabled, beside its mnemonic.
#pragma once

#include "platform/events/AppleEvents.h"
#include "platform/files/Files.h"
#include "platform/ui/Controls.h"

#include <QList>

class QAction;

using IBNibRef = struct OpaqueIBNibRef*;
using WindowTransitionEffect = UInt32;
using WindowTransitionAction = UInt32;
using WindowRegionCode = UInt16;
inline constexpr WindowTransitionEffect kWindowFadeTransitionEffect = 4;
inline constexpr WindowTransitionAction kWindowHideTransitionAction = 2;
inline constexpr WindowRegionCode kWindowContentRgn = 33;

struct Rect {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};

inline constexpr OSStatus kIBCarbonRuntimeCantFindNibFile = -10960;
inline constexpr OSStatus kIBCarbonRuntimeObjectNotOfRequestedType = -10961;
inline constexpr OSStatus kIBCarbonRuntimeCantFindObject = -10962;

// The interface file of that name in the application's bundle.
OSStatus CreateNibReference(const CFStringRef& nibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef nibRef);
// Loads the menu bar; the next window loaded as a main window carries it.
OSStatus SetMenuBarFromNib(IBNibRef nibRef, const CFStringRef& name);
// Loads a window, hidden, with its controls' commands connected.
OSStatus CreateWindowFromNib(IBNibRef nibRef, const CFStringRef& name, WindowRef* outWindow);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
void BringToFront(WindowRef window);
// The window goes away once the current event has been handled; its
// command target goes at once.
void DisposeWindow(WindowRef window);
OSStatus SetWindowTitleWithCFString(WindowRef window, const CFStringRef& title);
// The window stands for the item (its proxy icon is the item's).
OSStatus SetWindowProxyFSSpec(WindowRef window, const FSSpec* spec);
OSStatus SetWindowModified(WindowRef window, Boolean modified);
EventTargetRef GetWindowEventTarget(WindowRef window);
// Global coordinates of the window's content.
OSStatus GetWindowBounds(WindowRef window, WindowRegionCode regionCode, Rect* globalBounds);
void GlobalToLocal(WindowRef window, Point* point);
void InsetRect(Rect* rect, SInt16 dh, SInt16 dv);

// The fade to hidden runs to its end before this returns.
OSStatus TransitionWindow(WindowRef window, WindowTransitionEffect effect,
                          WindowTransitionAction action, const Rect* bounds);

// Brings the application's windows to the front.
OSErr SetFrontProcess(const ProcessSerialNumber* psn);
void SysBeep(short duration);

namespace platform
{
// The loaded menu bar's items.
QList<QAction*> MenuBarActions();
// The folder of the application's bundle resources: <executable>/../share/tessaly.
QString BundleResourcesPath();
} // namespace platform
