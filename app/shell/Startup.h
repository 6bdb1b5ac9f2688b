// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the droplet and its commands: the menu bar and main window
// from the interface file "main", the status controls, drag handling, the
// open-documents and command handlers and the exporter catalogue.
#pragma once

#include "platform/events/AppleEvents.h"
#include "platform/events/CommandEvents.h"
#include "platform/ui/Bundle.h"

extern IconRef gAppIcon;

// The windows speak the user's language from here on (the bundle's
// catalogues and Qt's own); called before they are made. The language's
// catalogue name, or an empty string for English.
QString UseUserLanguage();
// The steps of start-up before the event loop runs; the first error of the
// interface-file steps, else noErr.
OSStatus StartApplication();
// A termination signal (SIGTERM at logout, Ctrl-C) quits as the Quit
// command does: a batch under way ends after the files already started.
void QuitOnTerminationSignals();
OSStatus ApplicationCommandHandler(EventHandlerCallRef callRef, EventRef event, void* userData);
Boolean MakeFSRefForBundleResource(const char* name, const char* type, FSRef* ref);
OSErr GetIconRefForResource(const char* name, OSType iconType, IconRef* icon);
// The idle procedure of Apple-event waits (gAEIdleUPP, set before main runs).
Boolean MyAEIdleProc(EventRecord* event, SInt32* sleepTime, void* mouseRgn);

// Sends the items (paths or file:// URLs, in that order) to the application
// itself as one open-documents event, the way a drop on its icon arrives.
// Items that name nothing are left out; paramErr when none is left.
OSErr SendItemsToSelf(const QStringList& items);
// file:// URIs of the items (paths or URIs), in the order given.
QStringList UrisOfItems(const QStringList& items);

// The application's id: its preference domain and its name on the session bus.
inline const QString kApplicationID = QStringLiteral("com.quorvane.Tessaly");
