// SPDX-License-Identifier: GPL-3.0-or-later
// The catalogue of export types: whatever the graphics exporters can write,
// listed once and kept for the life of the process. It is a view of the
// saver table (platform/graphics/SaverTable.h), the one list of exports,
// and so is the format popup, which is filled from it.
#pragma once

#include "platform/MacTypes.h"

#include <QString>

using CFStringRef = QString;

struct ExporterInfo {
    OSType exportType = 0; // the exporter's subtype, native byte order
    char typeString[5]{};  // exportType as text, most significant byte first
    CFStringRef typeStringRef;
    char description[256]{};
    CFStringRef descriptionRef;
    char extension[256]{}; // without the dot
    CFStringRef extensionRef;
    char mimeType[256]{};
    CFStringRef mimeTypeRef;
};

extern SInt16 gNumberExporters;
extern ExporterInfo* gTheExporters;

// Builds the catalogue unless it is built already. Writes the loading lines
// to standard output when it finds exporters; with none it stays empty and
// the next call tries again.
void GetExportTypes();
// Finds the entry whose extension equals extension, ignoring letter case (the
// first one when several do, the rule the saver table follows too), and
// gives its export type.
Boolean GetTypeForExtension(const CFStringRef& extension, OSType& exportType);
// The index in gTheExporters of that entry, or -1.
SInt16 FindExporterForExtension(const CFStringRef& extension);
// Writes the code's four characters in reading order and a NUL into buffer
// (at least 5 bytes); returns buffer.
char* FourCharCodeToStr(FourCharCode code, char* buffer);
