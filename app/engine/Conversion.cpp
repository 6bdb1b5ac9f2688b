// Single-image conversion and the name operations around it.
#include "app/engine/Conversion.h"

#include "app/engine/ExporterCatalogue.h"
#include "file/CFile.h"
#include "file/MoreFiles.h"
#include "platform/graphics/Graphics.h"
#include "platform/memory/Memory.h"
#include "platform/prefs/Preferences.h"
#include "platform/text/TextEncoding.h"

#include <cstring>

namespace {

constexpr qsizetype kMaxNameUnits = 255;

// The chosen extension: the stored preference when it is a string, else the
// first catalogue entry's. Null when there is neither.
QString chosenExtension()
{
    const QVariant stored =
        CFPreferencesCopyAppValue(kLastImageURLExtensionKey, kCFPreferencesCurrentApplication);
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    GetExportTypes();
    if (gNumberExporters <= 0)
        return {};
    return gTheExporters[0].extensionRef;
}

// Writes the picture into the claimed output file. The output is removed
// again when anything after its creation fails, so a failed export never
// leaves an empty or partial picture behind.
void exportInto(GraphicsExportComponent exporter, const FSRef& output)
{
    FSSpec outputSpec;
    bool written = false;
    if (FSRefMakeFSSpec(&output, &outputSpec) == noErr &&
        GraphicsExportSetOutputFile(exporter, &outputSpec) == noErr) {
        GraphicsExportSetCompressionQuality(exporter, codecHighQuality);
        written = GraphicsExportDoExport(exporter, nullptr) == noErr;
    }
    if (!written)
        FSDeleteObject(&output);
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

void ProcessFSRef(const FSRef& source, const FSRef& destinationFolder)
{
    if (!FSIsGraphicsFile(source))
        return;

    const QString extension = chosenExtension();
    if (extension.isNull())
        return;
    OSType exportType = 0;
    if (!GetTypeForExtension(extension, exportType))
        return;

    FSSpec sourceSpec;
    if (FSRefMakeFSSpec(&source, &sourceSpec) != noErr)
        return;
    GraphicsImportComponent importer = nullptr;
    if (GetGraphicsImporterForFile(&sourceSpec, &importer) != noErr)
        return;
    GraphicsExportComponent exporter = nullptr;
    if (OpenADefaultComponent(GraphicsExporterComponentType, exportType, &exporter) != noErr) {
        CloseComponent(importer);
        return;
    }
    GraphicsExportSetInputGraphicsImporter(exporter, importer);

    const QString outputName = FilesNameWithNewExtension(source, extension);
    if (!outputName.isNull()) {
        FSRef output;
        if (CFile::FSCreateFile(destinationFolder, outputName, output, true) == noErr)
            exportInto(exporter, output);
    }

    CloseComponent(exporter);
    CloseComponent(importer);
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
