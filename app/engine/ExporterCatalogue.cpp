// SPDX-License-Identifier: GPL-3.0-or-later
// Building and searching the export type catalogue.
#include "app/engine/ExporterCatalogue.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/SaverTable.h"
#include "platform/text/TextEncoding.h"

#include <cstdio>
#include <new>

SInt16 gNumberExporters = 0;
ExporterInfo* gTheExporters = nullptr;

namespace
{

// Copies text into a 256-byte field, cut at 255 bytes.
void copyText(const char* text, char* field)
{
    std::snprintf(field, 256, "%s", text ? text : "");
}

} // namespace

char* FourCharCodeToStr(FourCharCode code, char* buffer)
{
    buffer[0] = char(code >> 24);
    buffer[1] = char(code >> 16);
    buffer[2] = char(code >> 8);
    buffer[3] = char(code);
    buffer[4] = 0;
    return buffer;
}

// The catalogue is a view of the saver table, in its order: every entry
// the running libvips can write, with the table's own texts.
void GetExportTypes()
{
    if (gTheExporters)
        return;
    const auto savers = platform::graphics::AvailableSavers();
    const SInt16 count = SInt16(savers.size());
    if (count <= 0)
        return;
    gTheExporters = new (std::nothrow) ExporterInfo[size_t(count)]();
    if (!gTheExporters) {
        gNumberExporters = 0;
        return;
    }
    gNumberExporters = count;

    std::printf("Tessaly: Loading %d Quicktime exporters", int(count));
    for (SInt16 i = 0; i < count; ++i) {
        std::printf(".");
        const platform::graphics::SaverEntry& saver = *savers[size_t(i)];
        ExporterInfo& entry = gTheExporters[i];
        entry.exportType = saver.exportType;
        FourCharCodeToStr(entry.exportType, entry.typeString);
        entry.typeStringRef =
            CFStringCreateWithCString(entry.typeString, kCFStringEncodingMacRoman);
        copyText(saver.description, entry.description);
        entry.descriptionRef =
            CFStringCreateWithCString(entry.description, kCFStringEncodingMacRoman);
        copyText(saver.extension, entry.extension);
        entry.extensionRef = CFStringCreateWithCString(entry.extension, kCFStringEncodingMacRoman);
        copyText(saver.mimeType, entry.mimeType);
        entry.mimeTypeRef = CFStringCreateWithCString(entry.mimeType, kCFStringEncodingMacRoman);
    }
    std::printf("\nTessaly: Quicktime exporters successfully loaded.\n");
    std::fflush(stdout);
}

SInt16 FindExporterForExtension(const CFStringRef& extension)
{
    const QByteArray wanted = extension.toUtf8();
    for (SInt16 i = 0; i < gNumberExporters; ++i) {
        if (platform::graphics::SameExtension(gTheExporters[i].extensionRef.toUtf8().constData(),
                                              wanted.constData()))
            return i;
    }
    return -1;
}

Boolean GetTypeForExtension(const CFStringRef& extension, OSType& exportType)
{
    GetExportTypes();
    const SInt16 found = FindExporterForExtension(extension);
    if (found < 0)
        return false;
    exportType = gTheExporters[found].exportType;
    return true;
}
