// SPDX-License-Identifier: GPL-3.0-or-later
// The graphics importer and exporter components: small records of what the
// caller set up, checked on every call, with the work done by the path-based
// core (GraphicsCore.h). An instance is used by one thread at a time; the
// list of live instances is shared and locked.
#include "AtomContainer.h"
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"

#include <QtEndian>

#include <mutex>
#include <unordered_set>

struct OpaqueComponentInstance {
    OSType type = 0;
    OSType subtype = 0;
    QByteArray sourcePath;                                // an importer's file; an exporter's input
    QByteArray outputPath;                                // an exporter's output file
    ExportOptions options{.quality = codecNormalQuality}; // an exporter's
    UInt64 decodedBytes = 0;                              // an importer's picture, from its header
};

namespace
{

std::mutex gInstancesLock;
std::unordered_set<ComponentInstance> gInstances;

ComponentInstance Register(OSType type, OSType subtype)
{
    auto instance = new OpaqueComponentInstance;
    instance->type = type;
    instance->subtype = subtype;
    instance->options.exportType = subtype;
    std::lock_guard lock(gInstancesLock);
    gInstances.insert(instance);
    return instance;
}

bool IsLive(ComponentInstance ci, OSType type)
{
    std::lock_guard lock(gInstancesLock);
    return ci && gInstances.count(ci) && ci->type == type;
}

OSErr PathOfFSSpec(const FSSpec* item, QByteArray* path)
{
    if (!item)
        return paramErr;
    FSRef ref;
    if (const OSErr status = FSpMakeFSRef(item, &ref))
        return status;
    return platform::PathOfRef(ref, path);
}

} // namespace

OSErr OpenADefaultComponent(OSType componentType, OSType componentSubType, ComponentInstance* ci)
{
    if (!ci)
        return paramErr;
    *ci = nullptr;
    if (componentType == GraphicsImporterComponentType) {
        // The file-less importer that lists the export types.
        if (componentSubType != kQTFileTypePicture)
            return invalidComponentID;
    } else if (componentType == GraphicsExporterComponentType) {
        if (!platform::graphics::FindSaver(componentSubType))
            return invalidComponentID;
    } else {
        return badComponentType;
    }
    *ci = Register(componentType, componentSubType);
    return noErr;
}

OSErr CloseComponent(ComponentInstance ci)
{
    {
        std::lock_guard lock(gInstancesLock);
        if (!ci || !gInstances.erase(ci))
            return badComponentInstance;
    }
    delete ci;
    return noErr;
}

OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi)
{
    if (!gi)
        return paramErr;
    *gi = nullptr;
    QByteArray path;
    if (const OSErr status = PathOfFSSpec(theFile, &path))
        return status;
    platform::PictureHeader header;
    if (const OSErr status = platform::ProbePicture(path, &header))
        return status;
    *gi = Register(GraphicsImporterComponentType, kQTFileTypePicture);
    (*gi)->sourcePath = path;
    (*gi)->decodedBytes = platform::DecodedBytes(header);
    return noErr;
}

ComponentResult GraphicsImportGetDecodedByteCount(GraphicsImportComponent ci, UInt64* bytes)
{
    if (!bytes)
        return paramErr;
    *bytes = 0;
    if (!IsLive(ci, GraphicsImporterComponentType))
        return badComponentInstance;
    if (ci->sourcePath.isEmpty())
        return paramErr; // the file-less importer has no picture
    *bytes = ci->decodedBytes;
    return noErr;
}

ComponentResult GraphicsExportSetInputGraphicsImporter(GraphicsExportComponent ci,
                                                       GraphicsImportComponent grip)
{
    if (!IsLive(ci, GraphicsExporterComponentType) || !IsLive(grip, GraphicsImporterComponentType))
        return badComponentInstance;
    if (grip->sourcePath.isEmpty())
        return paramErr; // the file-less importer has no picture
    ci->sourcePath = grip->sourcePath;
    return noErr;
}

ComponentResult GraphicsExportSetOutputFile(GraphicsExportComponent ci, const FSSpec* theFile)
{
    if (!IsLive(ci, GraphicsExporterComponentType))
        return badComponentInstance;
    QByteArray path;
    if (const OSErr status = PathOfFSSpec(theFile, &path))
        return status;
    ci->outputPath = path;
    return noErr;
}

ComponentResult GraphicsExportSetCompressionQuality(GraphicsExportComponent ci, CodecQ quality)
{
    if (!IsLive(ci, GraphicsExporterComponentType))
        return badComponentInstance;
    if (quality > codecLosslessQuality)
        return paramErr;
    ci->options.quality = quality;
    return noErr;
}

ComponentResult GraphicsExportSetExportOptions(GraphicsExportComponent ci,
                                               const ExportOptions* options)
{
    if (!IsLive(ci, GraphicsExporterComponentType))
        return badComponentInstance;
    if (!options || options->exportType != ci->subtype || options->quality > codecLosslessQuality)
        return paramErr;
    ci->options = *options;
    return noErr;
}

ComponentResult GraphicsExportDoExport(GraphicsExportComponent ci, unsigned long* actualSizeWritten)
{
    if (actualSizeWritten)
        *actualSizeWritten = 0;
    if (!IsLive(ci, GraphicsExporterComponentType))
        return badComponentInstance;
    if (ci->sourcePath.isEmpty() || ci->outputPath.isEmpty())
        return paramErr;
    UInt64 written = 0;
    const OSErr status =
        platform::ExportPicture(ci->sourcePath, ci->outputPath, ci->options, &written);
    if (status == noErr && actualSizeWritten)
        *actualSizeWritten = static_cast<unsigned long>(written);
    return status;
}

ComponentResult GraphicsImportGetExportImageTypeList(GraphicsImportComponent ci,
                                                     QTAtomContainer* qtAtomContainerPtr)
{
    if (!qtAtomContainerPtr)
        return paramErr;
    *qtAtomContainerPtr = nullptr;
    if (!IsLive(ci, GraphicsImporterComponentType))
        return badComponentInstance;
    using namespace platform::graphics;
    QTAtomContainer list = NewAtomContainer();
    QTAtomID id = 1;
    for (const SaverEntry* entry : AvailableSavers()) {
        const QTAtom expo = InsertChild(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), id++);
        QByteArray code(4, '\0');
        qToBigEndian(entry->exportType, code.data());
        InsertChild(list, expo, FOUR_CHAR_CODE("ftyp"), 1, code);
        InsertChild(list, expo, FOUR_CHAR_CODE("desc"), 1, QByteArray(entry->description));
        InsertChild(list, expo, FOUR_CHAR_CODE("ext "), 1, QByteArray(entry->extension));
        InsertChild(list, expo, FOUR_CHAR_CODE("mime"), 1, QByteArray(entry->mimeType));
    }
    *qtAtomContainerPtr = list;
    return noErr;
}
