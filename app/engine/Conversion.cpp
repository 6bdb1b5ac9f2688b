// SPDX-License-Identifier: GPL-3.0-or-later
// Single-image conversion and the name operations around it.
#include "app/engine/Conversion.h"

#include "app/engine/ExporterCatalogue.h"
#include "app/engine/Settings.h"
#include "file/CFile.h"
#include "file/MoreFiles.h"
#include "platform/graphics/Graphics.h"
#include "platform/memory/Memory.h"
#include "platform/text/TextEncoding.h"

#include <cstring>

namespace
{

constexpr qsizetype kMaxNameUnits = 255;

// The memory the picture takes once decoded, from its header; 0 when the
// importer cannot say.
UInt64 pictureBytes(const FSRef& source)
{
    FSSpec spec;
    GraphicsImportComponent importer = nullptr;
    UInt64 bytes = 0;
    if (FSRefMakeFSSpec(&source, &spec) == noErr &&
        GetGraphicsImporterForFile(&spec, &importer) == noErr && importer) {
        GraphicsImportGetDecodedByteCount(importer, &bytes);
        CloseComponent(importer);
    }
    return bytes;
}

} // namespace

Boolean FSpIsGraphicsFile(const FSSpec& spec)
{
    GraphicsImportComponent importer = nullptr;
    if (GetGraphicsImporterForFile(&spec, &importer) != noErr || !importer)
        return false;
    CloseComponent(importer);
    return true;
}

Boolean FSIsGraphicsFile(const FSRef& ref)
{
    FSSpec spec;
    if (FSRefMakeFSSpec(&ref, &spec) != noErr)
        return false;
    return FSpIsGraphicsFile(spec);
}

Boolean PlanConversion(const FSRef& source, ConversionJob& job, CFStringRef& outputName)
{
    if (!FSIsGraphicsFile(source))
        return false;
    const QString extension = ChosenExportExtension();
    if (extension.isNull())
        return false;
    OSType exportType = 0;
    if (!GetTypeForExtension(extension, exportType))
        return false;
    outputName = FilesNameWithNewExtension(source, extension);
    if (outputName.isNull())
        return false;
    job.source = source;
    job.options = ChosenExportOptions(exportType);
    job.decodedBytes = pictureBytes(source);
    return true;
}

Boolean ClaimConversionOutput(const FSRef& destinationFolder, const CFStringRef& outputName,
                              ConversionJob& job)
{
    return CFile::FSCreateFile(destinationFolder, outputName, job.output, true) == noErr;
}

Boolean PrepareConversion(const FSRef& source, const FSRef& destinationFolder, ConversionJob& job)
{
    QString outputName;
    return PlanConversion(source, job, outputName) &&
           ClaimConversionOutput(destinationFolder, outputName, job);
}

OSErr RunConversionJob(const ConversionJob& job)
{
    FSSpec sourceSpec;
    FSSpec outputSpec;
    GraphicsImportComponent importer = nullptr;
    GraphicsExportComponent exporter = nullptr;
    OSErr err = FSRefMakeFSSpec(&job.source, &sourceSpec);
    if (err == noErr)
        err = FSRefMakeFSSpec(&job.output, &outputSpec);
    if (err == noErr)
        err = GetGraphicsImporterForFile(&sourceSpec, &importer);
    if (err == noErr)
        err =
            OpenADefaultComponent(GraphicsExporterComponentType, job.options.exportType, &exporter);
    if (err == noErr)
        err = OSErr(GraphicsExportSetInputGraphicsImporter(exporter, importer));
    if (err == noErr)
        err = OSErr(GraphicsExportSetOutputFile(exporter, &outputSpec));
    if (err == noErr) {
        // The options' status is ignored, as the quality's always was: an
        // exporter that refuses them writes at its defaults.
        GraphicsExportSetExportOptions(exporter, &job.options);
        err = OSErr(GraphicsExportDoExport(exporter, nullptr));
    }
    // A failed export leaves no empty or partial output behind.
    if (err != noErr)
        FSDeleteObject(&job.output);
    if (exporter)
        CloseComponent(exporter);
    if (importer)
        CloseComponent(importer);
    return err;
}

void ProcessFSRef(const FSRef& source, const FSRef& destinationFolder)
{
    ConversionJob job;
    if (PrepareConversion(source, destinationFolder, job))
        RunConversionJob(job);
}

CFStringRef FilesNameWithNewExtension(const FSRef& ref, const CFStringRef& newExtension)
{
    QString name = FSGetFileDirNameString(ref);
    if (name.isNull())
        return {};
    const QString extension = PathExtensionOfName(name);
    if (!extension.isNull()) {
        const qsizetype at = name.lastIndexOf(extension, -1, Qt::CaseSensitive);
        if (at >= 0)
            name.replace(at, extension.size(), newExtension);
    } else {
        name += u'.' + newExtension;
    }
    // The name is built in a string of 255 units; a longer one cannot be made.
    if (name.size() > kMaxNameUnits)
        return {};
    return name;
}

void SetASCII_C_CharsFromUnicodeText(char** text, const UniChar* units, UniCharCount count)
{
    *text = nullptr;
    const ByteCount inputBytes = ByteCount(count) * 2;
    Ptr work = NewPtr(Size(inputBytes));
    if (!work && inputBytes)
        return;
    ByteCount converted = 0;
    TECObjectRef converter = nullptr;
    if (TECCreateConverter(&converter, kTextEncodingUnicodeDefault, kTextEncodingMacRoman) ==
        noErr) {
        ByteCount read = 0;
        TECConvertText(converter, reinterpret_cast<const UInt8*>(units), inputBytes, &read,
                       reinterpret_cast<UInt8*>(work), inputBytes, &converted);
        TECDisposeConverter(converter);
    }
    Ptr result = NewPtr(Size(converted + 1));
    if (result) {
        if (converted)
            std::memcpy(result, work, converted);
        result[converted] = 0;
    }
    *text = result;
    DisposePtr(work);
}

char* FSGetObjectName(const FSRef& ref)
{
    HFSUniStr255 name;
    if (FSGetFileDirName(&ref, &name) != noErr)
        return nullptr;
    char* text = nullptr;
    SetASCII_C_CharsFromUnicodeText(&text, name.unicode, name.length);
    return text;
}
