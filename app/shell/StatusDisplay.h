// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a status display: the globals naming the window and its
// six controls, the idle text, and the operations that write text into the
// two message lines. Every message also gives the event loop one turn, which
// is where a running batch sees the Stop and Quit commands.
#pragma once

#include "platform/ui/Controls.h"

#include <QString>

#include <functional>

extern WindowRef gWindow;
extern ControlRef gMessage;      // ID 1: message line
extern ControlRef gSpin;         // ID 2: activity spinner
extern ControlRef gEditButton;   // ID 4: opens the preferences
extern ControlRef gProgress;     // ID 5: progress over one folder's files
extern ControlRef gSmallMessage; // ID 6: "(%d of %d)"
extern ControlRef gStopButton;   // ID 7: stops the batch

// The signature of every control ID of the application's windows.
inline constexpr OSType kControlSignature = FOUR_CHAR_CODE("CNTL");

// Written in English, and shown in the user's language (see print_message).
inline constexpr char kIdleText[] = QT_TRANSLATE_NOOP(
    "StatusDisplay", "Drop files or folders on the application or this window to convert them "
                     "or their contents, resp.");

// Shows text (Mac Roman, cut to 255 characters) on line 1 (the message line)
// or 2 (the small line); any other line changes nothing. Then handles the
// pending events once. The window shows the batch's messages (the idle text,
// "File: %1", "(%1 of %2)", "Bye.") in the user's language; the observer
// gets them as written.
void print_message(const char* text, int line);
// Static text from a length-prefixed string; paramErr for a null control.
OSErr SetStaticTextText(ControlRef control, const unsigned char* text, Boolean redraw);
OSErr SetStaticTextAsCFString(ControlRef control, const CFStringRef& text, Boolean redraw);

// Called with every message shown (as shown: cut to 255 characters), before
// the event loop's turn; the window-less command line prints them. An empty
// function removes it.
using MessageObserver = std::function<void(int line, const QString& text)>;
void SetMessageObserver(MessageObserver observer);
