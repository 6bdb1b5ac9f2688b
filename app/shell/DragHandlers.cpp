// SPDX-License-Identifier: GPL-3.0-or-later
// Drag tracking, the highlight, and the drop that becomes an event.
#include "app/shell/DragHandlers.h"

#include "app/engine/BatchRun.h"

#include "platform/events/AppleEvents.h"
#include "platform/memory/Memory.h"

#include <vector>

DragTrackingHandlerUPP gDragTrackingHandlerUPP = nullptr;
DragReceiveHandlerUPP gDragReceiveHandlerUPP = nullptr;
Boolean gHasAcceptableDrag = false;

namespace
{

// The HFS flavor record of an item; false when the item has none.
OSErr flavorOf(DragRef drag, UInt16 index, HFSFlavor* flavor, bool* hasFlavor)
{
    *hasFlavor = false;
    DragItemRef item = 0;
    FlavorFlags flags = 0;
    if (GetDragItemReferenceNumber(drag, index, &item) != noErr ||
        GetFlavorFlags(drag, item, flavorTypeHFS, &flags) != noErr)
        return noErr;
    *hasFlavor = true;
    Size size = sizeof *flavor;
    return GetFlavorData(drag, item, flavorTypeHFS, flavor, &size, 0);
}

void showHilite(WindowRef window, DragRef drag)
{
    Rect bounds;
    if (GetWindowBounds(window, kWindowContentRgn, &bounds) != noErr)
        return;
    Point topLeft{bounds.top, bounds.left};
    Point bottomRight{bounds.bottom, bounds.right};
    GlobalToLocal(window, &topLeft);
    GlobalToLocal(window, &bottomRight);
    Rect local{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
    InsetRect(&local, 2, 2);
    RgnHandle region = NewRgn();
    RectRgn(region, &local);
    ShowDragHilite(drag, region, true);
    DisposeRgn(region);
}

} // namespace

OSErr InitDragHandlers()
{
    gDragTrackingHandlerUPP = NewDragTrackingHandlerUPP(DragTracker);
    gDragReceiveHandlerUPP = NewDragReceiveHandlerUPP(DragReceiver);
    return noErr;
}

OSErr InstallDragHandlers(WindowRef window)
{
    if (OSErr err = InstallTrackingHandler(gDragTrackingHandlerUPP, window, nullptr); err != noErr)
        return err;
    if (OSErr err = InstallReceiveHandler(gDragReceiveHandlerUPP, window, nullptr); err != noErr) {
        RemoveTrackingHandler(gDragTrackingHandlerUPP, window);
        return err;
    }
    return noErr;
}

Boolean DragItemsAreAcceptable(DragRef drag)
{
    // A window that is saying goodbye would drop what it took.
    UInt16 count = 0;
    if (Leaving() || CountDragItems(drag, &count) != noErr)
        return false;
    Boolean acceptable = false;
    for (UInt16 index = 1; index <= count && index != 0; ++index) {
        HFSFlavor flavor;
        bool hasFlavor = false;
        FSRef ref;
        if (flavorOf(drag, index, &flavor, &hasFlavor) == noErr && hasFlavor &&
            FSpMakeFSRef(&flavor.fileSpec, &ref) == noErr)
            acceptable = true;
    }
    return acceptable;
}

OSErr DragTracker(DragTrackingMessage message, WindowRef window, void*, DragRef drag)
{
    switch (message) {
    case kDragTrackingEnterHandler:
        gHasAcceptableDrag = DragItemsAreAcceptable(drag);
        return gHasAcceptableDrag ? noErr : dragNotAcceptedErr;
    case kDragTrackingEnterWindow:
        if (gHasAcceptableDrag)
            showHilite(window, drag);
        return noErr;
    case kDragTrackingLeaveWindow:
        if (gHasAcceptableDrag)
            HideDragHilite(drag);
        return noErr;
    case kDragTrackingLeaveHandler:
        return noErr;
    default:
        return paramErr;
    }
}

OSErr DragReceiver(WindowRef, void*, DragRef drag)
{
    if (!DragItemsAreAcceptable(drag))
        return dragNotAcceptedErr;
    UInt16 count = 0;
    CountDragItems(drag, &count);
    std::vector<FSSpec> specs;
    specs.reserve(count);
    for (UInt16 index = 1; index <= count && index != 0; ++index) {
        HFSFlavor flavor;
        bool hasFlavor = false;
        if (OSErr err = flavorOf(drag, index, &flavor, &hasFlavor); err != noErr)
            return err;
        if (hasFlavor)
            specs.push_back(flavor.fileSpec);
    }
    const OSErr err = SendOpenDocAppleEventToSelf(SInt32(specs.size()), specs.data());
    if (err != noErr)
        SysBeep(30);
    return err;
}

OSErr SendOpenDocAppleEventToSelf(SInt32 count, const FSSpec* specs)
{
    if (count == 0 || !specs)
        return paramErr;
    AppleEvent event, reply;
    AEAddressDesc target;
    AEDescList list;
    AEInitializeDesc(&event);
    AEInitializeDesc(&reply);
    AEInitializeDesc(&target);
    AEInitializeDesc(&list);
    AliasHandle alias = nullptr;

    const ProcessSerialNumber self{0, kCurrentProcess};
    OSErr err = AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target);
    if (err == noErr)
        err = AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target, kAutoGenerateReturnID,
                                 kAnyTransactionID, &event);
    if (err == noErr)
        err = AECreateList(nullptr, 0, false, &list);
    for (SInt32 n = 1; err == noErr && n <= count; ++n) {
        if (!alias) {
            err = NewAlias(nullptr, &specs[n - 1], &alias);
        } else {
            Boolean changed = false;
            err = UpdateAlias(nullptr, &specs[n - 1], alias, &changed);
        }
        if (err == noErr)
            err = AEPutPtr(&list, n, typeAlias, *alias, GetHandleSize(alias));
    }
    if (err == noErr)
        err = AEPutParamDesc(&event, keyDirectObject, &list);
    if (err == noErr)
        err = AESend(&event, &reply, kAENoReply, kAENormalPriority, kAEDefaultTimeout, nullptr,
                     nullptr);

    if (alias)
        DisposeHandle(alias);
    AEDisposeDesc(&list);
    AEDisposeDesc(&event);
    AEDisposeDesc(&target);
    AEDisposeDesc(&reply);
    return err;
}
