// SPDX-License-Identifier: GPL-3.0-or-later
// Command events: a four-character command ID issued by a menu item or a
// control, offered to the handlers of the window it was issued in and then
// to the application's, until one answers other than eventNotHandledErr.
// When nobody handles "quit", the standard quit handling ends the event loop.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>

using EventTargetRef = struct OpaqueEventTargetRef*;
using EventHandlerRef = struct OpaqueEventHandlerRef*;
using EventHandlerCallRef = struct OpaqueEventHandlerCallRef*;
using EventRef = struct OpaqueEventRef*;
using MenuRef = struct OpaqueMenuRef*;
using EventParamName = OSType;
using EventParamType = OSType;

enum : UInt32 { kEventClassCommand = FOUR_CHAR_CODE("cmds") };
enum : UInt32 { kEventCommandProcess = 1 };
enum : EventParamName { kEventParamDirectObject = FOUR_CHAR_CODE("----") };
enum : EventParamType { typeHICommand = FOUR_CHAR_CODE("hcmd") };
enum : UInt32 {
    kHICommandOK = FOUR_CHAR_CODE("ok  "),
    kHICommandCancel = FOUR_CHAR_CODE("not!"),
    kHICommandQuit = FOUR_CHAR_CODE("quit"),
    kHICommandPreferences = FOUR_CHAR_CODE("pref"),
    kHICommandOpen = FOUR_CHAR_CODE("open"),
};
inline constexpr OSErr eventParameterNotFoundErr = -9870;

struct HICommand {
    UInt32 attributes;
    UInt32 commandID;
    struct {
        MenuRef menuRef;
        UInt16 menuItemIndex;
    } menu;
};

struct EventTypeSpec {
    UInt32 eventClass;
    UInt32 eventKind;
};

using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef callRef, EventRef event,
                                         void* userData);
using EventHandlerUPP = EventHandlerProcPtr;
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc)
{
    return proc;
}

UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
// Copies the parameter; only the command of a command event exists.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* actualType, ByteCount bufferSize, ByteCount* actualSize,
                           void* outData);

EventTargetRef GetApplicationEventTarget();
// Handlers installed later are offered an event first.
OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef handler);

// Sends a command to the application target alone.
OSStatus ProcessHICommand(const HICommand* command);

namespace platform
{
// The event target of an object (a window); made on first use.
EventTargetRef EventTargetFor(const void* owner);
// Forgets the target of an object that is going away, with its handlers.
void ForgetEventTarget(const void* owner);
// Offers the command to the window's target (when given), then to the
// application's; the result is the last handler's answer.
OSStatus SendCommand(UInt32 commandID, EventTargetRef window);
// A command ID written as four characters ("pref"); 0 for other text.
UInt32 CommandIDFromText(const QByteArray& text);
} // namespace platform
