// SPDX-License-Identifier: GPL-3.0-or-later
// Graphics importers and exporters over libvips, in the shape of the old
// component calls: an importer is opened for a file, an exporter by its
// export type, the importer becomes the exporter's input and the export
// writes the output file. The list of export types comes as an atom
// container of "expo" atoms, built from the savers the running libvips has.
#pragma once

#include "platform/MacTypes.h"
#include "platform/files/Files.h"

using ComponentInstance = struct OpaqueComponentInstance*;
using GraphicsImportComponent = ComponentInstance;
using GraphicsExportComponent = ComponentInstance;
using ComponentResult = OSStatus;
using CodecQ = UInt32;

enum : OSType {
    GraphicsImporterComponentType = 0x67726970, // 'grip'
    GraphicsExporterComponentType = 0x67726578, // 'grex'
    kQTFileTypePicture = 0x50494354,            // 'PICT'
};
// Why an import or export failed, in the image codec's own codes.
enum : OSErr {
    noCodecErr = -8961,      // no picture loader reads the file
    codecSizeErr = -8963,    // the picture is larger than this program converts
    codecBadDataErr = -8969, // the picture's data is truncated or corrupt
};

enum : CodecQ {
    codecMinQuality = 0x000,
    codecLowQuality = 0x100,
    codecNormalQuality = 0x200,
    codecHighQuality = 0x300, // 768
    codecMaxQuality = 0x3FF,
    codecLosslessQuality = 0x400,
};

// What one export is asked for besides its picture and its file: one value
// from the conversion job through the exporter to the saver's options, so
// that a new export setting is a field here and its use in SaverOptions,
// not another setter or parameter on the way.
struct ExportOptions {
    OSType exportType = 0;
    CodecQ quality = codecHighQuality; // 0..1024
    // Leave out where the picture was taken: EXIF's GPS fields and XMP's
    // location properties. The rest of the metadata stays.
    bool stripLocation = false;
};

// --- components ------------------------------------------------------------------

// 'grip' with 'PICT' gives an importer with no file (it can list the export
// types); 'grex' with an export type gives that type's exporter.
OSErr OpenADefaultComponent(OSType componentType, OSType componentSubType, ComponentInstance* ci);
OSErr CloseComponent(ComponentInstance ci);

// An importer for the file when a picture loader reads its content (the name
// and type code are not looked at); an error status otherwise.
OSErr GetGraphicsImporterForFile(const FSSpec* theFile, GraphicsImportComponent* gi);

// The memory the importer's picture takes once decoded (from its header).
ComponentResult GraphicsImportGetDecodedByteCount(GraphicsImportComponent ci, UInt64* bytes);

ComponentResult GraphicsExportSetInputGraphicsImporter(GraphicsExportComponent ci,
                                                       GraphicsImportComponent grip);
ComponentResult GraphicsExportSetOutputFile(GraphicsExportComponent ci, const FSSpec* theFile);
ComponentResult GraphicsExportSetCompressionQuality(GraphicsExportComponent ci, CodecQ quality);
// Sets every option at once; the export type must be the exporter's own.
ComponentResult GraphicsExportSetExportOptions(GraphicsExportComponent ci,
                                               const ExportOptions* options);
// Writes the picture into a temporary file beside the output file and renames
// it over the output only when complete; on failure the temporary file is
// removed and the output file is left as it was.
ComponentResult GraphicsExportDoExport(GraphicsExportComponent ci,
                                       unsigned long* actualSizeWritten);

// --- the export type list ------------------------------------------------------------

using QTAtomContainer = struct OpaqueQTAtomContainer*;
using QTAtom = SInt32;
using QTAtomType = OSType;
using QTAtomID = SInt32;
enum : QTAtom { kParentAtomIsContainer = 0 };

ComponentResult GraphicsImportGetExportImageTypeList(GraphicsImportComponent ci,
                                                     QTAtomContainer* qtAtomContainerPtr);
short QTCountChildrenOfType(QTAtomContainer container, QTAtom parentAtom, QTAtomType childType);
// The index-th child (counted from 1) of the given type, or 0 when there is none.
QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                          short index, QTAtomID* id);
// Copies at most maxSize bytes of the atom's data; actualSize gets the
// number copied.
OSErr QTCopyAtomDataToPtr(QTAtomContainer container, QTAtom atom, Boolean sizeOrLessOK,
                          long maxSize, void* dataPtr, long* actualSize);
OSErr QTDisposeAtomContainer(QTAtomContainer atomData);
