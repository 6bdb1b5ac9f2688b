// SPDX-License-Identifier: GPL-3.0-or-later
// Picture import and export. The input becomes a file; when the importer
// takes it for a picture, it is exported to every export type. Nothing may
// crash, and an export that fails must leave the claimed output as it was
// and no temporary file behind.
#include "FuzzSupport.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/PictureFiles.h"

#include <QtEndian>

#include <vips/vips.h>

#include <cstdlib>
#include <vector>

using namespace fuzzsupport;

namespace
{

// Pictures over this many pixels (all pages together) are skipped before
// the export, which decodes and encodes each one about ten times: the
// decoders are fuzzed on large headers all the same, through the probe, and
// small pictures keep a run to a fraction of a second.
constexpr long long kMaxFuzzedPixels = 128 * 128;

const QByteArray kOutputContent = "claimed";

// HEIF's encoders (HEVC and AV1) take about a second to start for even the
// smallest picture, ten times every other exporter together. They get one
// picture in kSlowTypeShare, picked by the input's bytes so that a run is
// reproducible from its input alone; the rest of the run goes to the others.
constexpr OSType kSlowTypes[] = {FOUR_CHAR_CODE("heic"), FOUR_CHAR_CODE("avif")};
constexpr unsigned kSlowTypeShare = 8;

bool IsSlow(OSType type)
{
    for (const OSType slow : kSlowTypes) {
        if (type == slow)
            return true;
    }
    return false;
}

unsigned Hash(const uint8_t* data, size_t size)
{
    unsigned hash = 2166136261u; // FNV-1a
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

std::vector<OSType> ExportTypes()
{
    std::vector<OSType> types;
    GraphicsImportComponent lister = nullptr;
    QTAtomContainer list = nullptr;
    if (OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &lister) !=
            noErr ||
        GraphicsImportGetExportImageTypeList(lister, &list) != noErr)
        Fail("no export type list");
    const short count = QTCountChildrenOfType(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"));
    for (short i = 1; i <= count; ++i) {
        const QTAtom expo =
            QTFindChildByIndex(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), i, nullptr);
        const QTAtom code = QTFindChildByIndex(list, expo, FOUR_CHAR_CODE("ftyp"), 1, nullptr);
        char bytes[4];
        long size = 0;
        if (QTCopyAtomDataToPtr(list, code, false, sizeof bytes, bytes, &size) != noErr ||
            size != 4)
            Fail("an export type without its code");
        types.push_back(qFromBigEndian<OSType>(bytes));
    }
    QTDisposeAtomContainer(list);
    CloseComponent(lister);
    if (types.empty())
        Fail("no export types");
    return types;
}

// Width × height × pages from the picture's header alone.
long long HeaderPixels(const QByteArray& path)
{
    VipsImage* image =
        vips_image_new_from_file(path.constData(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (!image) {
        vips_error_clear();
        return -1;
    }
    const long long pixels =
        static_cast<long long>(image->Xsize) * image->Ysize * vips_image_get_n_pages(image);
    g_object_unref(image);
    return pixels;
}

void ExportTo(OSType type, GraphicsImportComponent importer, const QByteArray& folder)
{
    const QByteArray output = folder + "/out";
    GraphicsExportComponent exporter = nullptr;
    if (OpenADefaultComponent(GraphicsExporterComponentType, type, &exporter) != noErr)
        Fail("an export type in the list has no exporter");
    const FSSpec outputSpec = SpecFor(output);
    if (GraphicsExportSetInputGraphicsImporter(exporter, importer) != noErr ||
        GraphicsExportSetOutputFile(exporter, &outputSpec) != noErr ||
        GraphicsExportSetCompressionQuality(exporter, codecHighQuality) != noErr)
        Fail("the exporter refused its setup");
    unsigned long written = 0;
    const ComponentResult status = GraphicsExportDoExport(exporter, &written);
    CloseComponent(exporter);

    const QByteArray content = ReadWhole(output);
    if (status == noErr) {
        if (content.isEmpty() || qsizetype(written) != content.size())
            Fail("a successful export left no picture of the size it reported");
        WriteWhole(output, reinterpret_cast<const uint8_t*>(kOutputContent.constData()),
                   size_t(kOutputContent.size()));
    } else if (content != kOutputContent) {
        Fail("a failed export changed the claimed output");
    }
    if (NamesIn(folder) != QList<QByteArray>{"out", "source"})
        Fail("an export left something behind");
}

// Descriptors this process holds open.
qsizetype OpenDescriptors()
{
    return NamesIn("/proc/self/fd").size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // One libvips worker keeps runs reproducible and light.
    setenv("VIPS_CONCURRENCY", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QByteArray folder = WorkFolder();
    static const QByteArray source = folder + "/source";
    static const QByteArray output = folder + "/out";
    static const std::vector<OSType> types = [] {
        WriteWhole(output, reinterpret_cast<const uint8_t*>(kOutputContent.constData()),
                   size_t(kOutputContent.size()));
        return ExportTypes();
    }();

    const qsizetype descriptorsBefore = OpenDescriptors();
    WriteWhole(source, data, size);
    const FSSpec sourceSpec = SpecFor(source);
    GraphicsImportComponent importer = nullptr;
    if (GetGraphicsImporterForFile(&sourceSpec, &importer) == noErr) {
        const long long pixels = HeaderPixels(source);
        if (pixels >= 0 && pixels <= kMaxFuzzedPixels) {
            const bool withSlowTypes = Hash(data, size) % kSlowTypeShare == 0;
            for (const OSType type : types) {
                if (withSlowTypes || !IsSlow(type))
                    ExportTo(type, importer, folder);
            }
        }
        CloseComponent(importer);
    }
    // A probe keeps the opened file for its export, within bounds; an input
    // too large to export leaves it there.
    platform::ForgetProbedPictures();
    if (OpenDescriptors() != descriptorsBefore)
        Fail("a descriptor was left open");
    if (ReadWhole(source) != QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)))
        Fail("the source changed");
    return 0;
}
