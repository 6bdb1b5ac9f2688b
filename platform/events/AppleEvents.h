// SPDX-License-Identifier: GPL-3.0-or-later
// Apple events in this process: descriptor lists, events with keyed
// parameters, handlers installed per event class and ID, and sending to the
// application itself, which posts the event to the Qt event loop so that it
// is handled after the sender has returned.
#pragma once

#include "platform/events/Descriptors.h"

using AEEventClass = FourCharCode;
using AEEventID = FourCharCode;
using AEKeyword = FourCharCode;
using AEReturnID = SInt16;
using AETransactionID = SInt32;
using AESendMode = SInt32;
using AESendPriority = SInt16;
using AppleEvent = AEDesc;
using AEAddressDesc = AEDesc;
using SRefCon = long;

enum : DescType {
    typeAEList = FOUR_CHAR_CODE("list"),
    typeAppleEvent = FOUR_CHAR_CODE("aevt"),
    typeProcessSerialNumber = FOUR_CHAR_CODE("psn "),
    typeWildCard = FOUR_CHAR_CODE("****"),
};
enum : AEEventClass { kCoreEventClass = FOUR_CHAR_CODE("aevt") };
enum : AEEventID { kAEOpenDocuments = FOUR_CHAR_CODE("odoc") };
enum : AEKeyword { keyDirectObject = FOUR_CHAR_CODE("----") };
inline constexpr AEReturnID kAutoGenerateReturnID = -1;
inline constexpr AETransactionID kAnyTransactionID = 0;
inline constexpr AESendMode kAENoReply = 1;
inline constexpr AESendPriority kAENormalPriority = 0;
inline constexpr long kAEDefaultTimeout = -1;
inline constexpr OSErr procNotFound = -600;
inline constexpr OSErr errAEEventNotHandled = -1708;

struct ProcessSerialNumber {
    UInt32 highLongOfPSN;
    UInt32 lowLongOfPSN;
};
// The platform's number for the running process.
inline constexpr UInt32 kCurrentProcess = 2;

// --- lists ----------------------------------------------------------------------

// An empty list; factoring and records are not supported and give paramErr.
OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord,
                   AEDescList* resultList);
OSErr AECountItems(const AEDescList* list, long* count);
// Puts a copy of the data at position index (from 1); 0 or count + 1 appends.
OSErr AEPutPtr(AEDescList* list, long index, DescType typeCode, const void* dataPtr, Size dataSize);
OSErr AEPutDesc(AEDescList* list, long index, const AEDesc* desc);
// Copies item index, coerced to desiredType (typeWildCard: as stored), into
// dataPtr, at most maximumSize bytes. errAEIllegalIndex past the end; the
// coercion's status when the item cannot be had in that form.
OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize);
OSErr AEGetNthDesc(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                   AEDesc* result);

// --- events ---------------------------------------------------------------------

OSErr AECreateAppleEvent(AEEventClass eventClass, AEEventID eventID, const AEAddressDesc* target,
                         AEReturnID returnID, AETransactionID transactionID, AppleEvent* result);
OSErr AEPutParamDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc);
// The parameter in the desired type; errAEDescNotFound when it is absent.
OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                     AEDesc* result);
OSErr AEGetEventClassAndID(const AppleEvent* event, AEEventClass* eventClass, AEEventID* eventID);

using AEEventHandlerProcPtr = OSErr (*)(const AppleEvent* event, AppleEvent* reply,
                                        SRefCon handlerRefcon);
using AEEventHandlerUPP = AEEventHandlerProcPtr;
inline AEEventHandlerUPP NewAEEventHandlerUPP(AEEventHandlerProcPtr proc)
{
    return proc;
}
OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                            SRefCon handlerRefcon, Boolean isSysHandler);
OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                           Boolean isSysHandler);
// Hands the event to its installed handler now; errAEEventNotHandled when
// there is none.
OSErr AEProcessAppleEvent(const AppleEvent* event);

struct EventRecord;
// Called while waiting for another program's reply, to let other work go on.
using AEIdleUPP = Boolean (*)(EventRecord* event, SInt32* sleepTime, void* mouseRegion);
inline AEIdleUPP NewAEIdleUPP(AEIdleUPP proc)
{
    return proc;
}

// Sends an event to the process its target names. Only this process can be
// reached: the event is copied and posted to its event loop, where it goes
// to the installed handler. procNotFound for another target or when no
// event loop exists. Replies are never produced.
OSErr AESend(const AppleEvent* event, AppleEvent* reply, AESendMode sendMode,
             AESendPriority sendPriority, long timeOutInTicks, AEIdleUPP idleProc,
             void* filterProc);

namespace platform
{
// Hands the events sent to this process that still wait in the loop's queue
// to their handlers now, in the order they were sent.
void ProcessPostedAppleEvents();
} // namespace platform
