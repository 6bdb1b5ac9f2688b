// Building and searching the export type catalogue.
#include "app/engine/ExporterCatalogue.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/SaverTable.h"
#include "platform/text/TextEncoding.h"

#include <QtEndian>

#include <cstdio>
#include <new>

SInt16 gNumberExporters = 0;
ExporterInfo* gTheExporters = nullptr;

namespace
{

// Copies the index-1 child of the given type into a 256-byte text field; the
// text ends where the atom's data ends. A missing child leaves it empty.
void copyTextChild(QTAtomContainer list, QTAtom expo, QTAtomType type, char* field)
{
    const QTAtom child = QTFindChildByIndex(list, expo, type, 1, nullptr);
    if (!child)
        return;
    long copied = 0;
    if (QTCopyAtomDataToPtr(list, child, true, 255, field, &copied) != noErr)
        copied = 0;
    field[copied] = 0;
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

void GetExportTypes()
{
    if (gTheExporters)
        return;

    QTAtomContainer list = nullptr;
    GraphicsImportComponent importer = nullptr;
    if (OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &importer) ==
        noErr) {
        GraphicsImportGetExportImageTypeList(importer, &list);
        CloseComponent(importer);
    }
    if (!list)
        return;

    const SInt16 count =
        QTCountChildrenOfType(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"));
    if (count <= 0) {
        QTDisposeAtomContainer(list);
        return;
    }
    gTheExporters = new (std::nothrow) ExporterInfo[size_t(count)]();
    if (!gTheExporters) {
        gNumberExporters = 0;
        QTDisposeAtomContainer(list);
        return;
    }
    gNumberExporters = count;

    std::printf("Tessaly: Loading %d Quicktime exporters", int(count));
    for (SInt16 i = 1; i <= count; ++i) {
        std::printf(".");
        ExporterInfo& entry = gTheExporters[i - 1];
        const QTAtom expo =
            QTFindChildByIndex(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), i, nullptr);

        if (QTAtom ftyp = QTFindChildByIndex(list, expo, FOUR_CHAR_CODE("ftyp"), 1, nullptr)) {
            UInt8 code[4];
            long copied = 0;
            if (QTCopyAtomDataToPtr(list, ftyp, false, 4, code, &copied) == noErr && copied == 4)
                entry.exportType = qFromBigEndian<UInt32>(code);
        }
        FourCharCodeToStr(entry.exportType, entry.typeString);
        entry.typeStringRef =
            CFStringCreateWithCString(entry.typeString, kCFStringEncodingMacRoman);

        copyTextChild(list, expo, FOUR_CHAR_CODE("desc"), entry.description);
        entry.descriptionRef =
            CFStringCreateWithCString(entry.description, kCFStringEncodingMacRoman);
        copyTextChild(list, expo, FOUR_CHAR_CODE("ext "), entry.extension);
        entry.extensionRef = CFStringCreateWithCString(entry.extension, kCFStringEncodingMacRoman);
        copyTextChild(list, expo, FOUR_CHAR_CODE("mime"), entry.mimeType);
        entry.mimeTypeRef = CFStringCreateWithCString(entry.mimeType, kCFStringEncodingMacRoman);
    }
    std::printf("\nTessaly: Quicktime exporters successfully loaded.\n");
    std::fflush(stdout);
    QTDisposeAtomContainer(list);
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
