// SPDX-License-Identifier: GPL-3.0-or-later
// The drag manager over Qt's drag and drop. The items of a drag are the URIs
// of its text/uri-list, read as bytes (or, without URIs, its data as one
// item). An item that is a file:// URI of an existing file or folder, its
// escapes decoded to the bytes of the path, has the HFS flavor ("hfs "),
// whose data is the 80-byte flavor record holding the item's
// file specification; other items have no flavor that is asked for here.
//
// Handlers installed on a window see the drags over it: tracking messages as
// the drag enters, moves and leaves, and the receive call on a drop. A
// handler's nonzero status refuses the drag.
#pragma once

#include "platform/files/Files.h"
#include "platform/ui/Windows.h"

using DragRef = struct OpaqueDragRef*;
using DragItemRef = UInt32;
using FlavorType = OSType;
using FlavorFlags = UInt32;
using DragTrackingMessage = SInt16;
using DragHandlerRef = void*;

enum : FlavorType { flavorTypeHFS = FOUR_CHAR_CODE("hfs ") };
enum : DragTrackingMessage {
    kDragTrackingEnterHandler = 1,
    kDragTrackingEnterWindow = 2,
    kDragTrackingInWindow = 3,
    kDragTrackingLeaveWindow = 4,
    kDragTrackingLeaveHandler = 5,
};
inline constexpr OSErr badDragRefErr = -1850;
inline constexpr OSErr badDragItemErr = -1851;
inline constexpr OSErr badDragFlavorErr = -1852;
inline constexpr OSErr cantGetFlavorErr = -1854;

#pragma pack(push, 2)
struct HFSFlavor {
    OSType fileType;
    OSType fileCreator;
    UInt16 fdFlags;
    FSSpec fileSpec;
};
#pragma pack(pop)
static_assert(sizeof(HFSFlavor) == 80);

// A region is a rectangle here.
using RgnHandle = struct OpaqueRgnHandle*;
RgnHandle NewRgn();
void RectRgn(RgnHandle region, const Rect* rect);
void DisposeRgn(RgnHandle region);

using DragTrackingHandlerProcPtr = OSErr (*)(DragTrackingMessage message, WindowRef window,
                                             void* handlerRefCon, DragRef drag);
using DragReceiveHandlerProcPtr = OSErr (*)(WindowRef window, void* handlerRefCon, DragRef drag);
using DragTrackingHandlerUPP = DragTrackingHandlerProcPtr;
using DragReceiveHandlerUPP = DragReceiveHandlerProcPtr;
inline DragTrackingHandlerUPP NewDragTrackingHandlerUPP(DragTrackingHandlerProcPtr p)
{
    return p;
}
inline DragReceiveHandlerUPP NewDragReceiveHandlerUPP(DragReceiveHandlerProcPtr p)
{
    return p;
}

OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon);
OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon);
OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window);
OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window);

OSErr CountDragItems(DragRef drag, UInt16* numItems);
OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item);
OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* flags);
// Copies at most *dataSize bytes from dataOffset on; *dataSize gets the count.
OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* dataPtr, Size* dataSize,
                    UInt32 dataOffset);

// Shows that the window takes the drag: a window with a drop area (the
// interface files' "DropArea") has it filled; any other gets the region
// outlined by a child widget named "dragHilite".
OSErr ShowDragHilite(DragRef drag, RgnHandle region, Boolean inside);
OSErr HideDragHilite(DragRef drag);

class QMimeData;
namespace platform
{
// A drag of this data over window, for code that has the data in hand.
DragRef NewDragFor(const QMimeData* data, WindowRef window);
void DisposeDrag(DragRef drag);
} // namespace platform
