// SPDX-License-Identifier: GPL-3.0-or-later
// Drops on the main window become the same open-documents event that a drop
// on the launcher icon gives, sent to the application itself.
#pragma once

#include "platform/ui/Drag.h"

extern DragTrackingHandlerUPP gDragTrackingHandlerUPP;
extern DragReceiveHandlerUPP gDragReceiveHandlerUPP;
extern Boolean gHasAcceptableDrag;

OSErr InitDragHandlers();
OSErr InstallDragHandlers(WindowRef window);
Boolean DragItemsAreAcceptable(DragRef drag);
OSErr DragTracker(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag);
OSErr DragReceiver(WindowRef window, void* refCon, DragRef drag);
OSErr SendOpenDocAppleEventToSelf(SInt32 count, const FSSpec* specs);
