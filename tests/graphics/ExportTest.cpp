// SPDX-License-Identifier: GPL-3.0-or-later
// The export type list and the atoms it comes in, quality, and every
// available type writing a picture that reads back whole through the
// component calls, which answer misuse with statuses.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace platform::testing;
using namespace testsupport;
using platform::ExportPicture;
using platform::graphics::AvailableSavers;
using platform::graphics::SaverEntry;

namespace
{

// What libvips must find an output of the saver to be: its loader is named
// as the saver is ("jpegsave_target" writes what "jpegload" reads).
std::string LoaderOf(const SaverEntry& saver)
{
    const std::string name = saver.saver;
    return name.substr(0, name.find("save")) + "load";
}

// How far the band averages of an output at quality 768 may stray: lossy
// formats a little, GIF's palette of 256 colours more, lossless ones not.
double ToleranceOf(const SaverEntry& saver)
{
    if (saver.qualityOption)
        return 3;
    return std::string(saver.extension) == "gif" ? 6 : 0.01;
}

FSSpec SpecFor(const QByteArray& path)
{
    FSSpec item{};
    const FSRef ref = RefFor(path);
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &item, nullptr), noErr);
    return item;
}

TEST(ExportTypeList, ListsTheAvailableSaversInTableOrderJpegFirst)
{
    GraphicsImportComponent importer = nullptr;
    QTAtomContainer list = nullptr;
    ASSERT_EQ(OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &importer),
              noErr);
    ASSERT_EQ(GraphicsImportGetExportImageTypeList(importer, &list), noErr);
    const QTAtom top = kParentAtomIsContainer, expo = FOUR_CHAR_CODE("expo");
    const short count = QTCountChildrenOfType(list, top, expo);
    ASSERT_EQ(size_t(count), AvailableSavers().size());
    ASSERT_GE(count, 5);
    auto table = platform::graphics::AllSavers().begin();
    for (short i = 1; i <= count; ++i) {
        const SaverEntry& saver = *AvailableSavers()[size_t(i - 1)];
        SCOPED_TRACE(saver.extension);
        while (table != platform::graphics::AllSavers().end() && &*table != &saver)
            ++table;
        ASSERT_NE(table, platform::graphics::AllSavers().end()) << "out of the table's order";
        const QTAtom entry = QTFindChildByIndex(list, top, expo, i, nullptr);
        const auto text = [&](const char(&type)[5]) {
            char buffer[256];
            long size = -1;
            const QTAtom child = QTFindChildByIndex(list, entry, FOUR_CHAR_CODE(type), 1, nullptr);
            EXPECT_EQ(QTCopyAtomDataToPtr(list, child, true, 255, buffer, &size), noErr) << type;
            return QByteArray(buffer, std::max(size, 0L));
        };
        EXPECT_EQ(qFromBigEndian<quint32>(text("ftyp").constData()), saver.exportType);
        if (i <= 5) { // the common formats lead, in this order, wherever this program builds
            EXPECT_EQ(text("ftyp"), QByteArray("JPEGPNGfWEBPTIFFGIFf").mid(4 * (i - 1), 4));
        }
        EXPECT_EQ(text("desc"), saver.description);
        EXPECT_EQ(text("ext "), saver.extension);
        EXPECT_EQ(text("mime"), saver.mimeType);
        EXPECT_TRUE(QByteArray(saver.mimeType).startsWith("image/"));
    }

    // Reading the atoms within the sizes given.
    const QTAtom jpeg = QTFindChildByIndex(list, top, expo, 1, nullptr);
    const QTAtom desc = QTFindChildByIndex(list, jpeg, FOUR_CHAR_CODE("desc"), 1, nullptr);
    EXPECT_EQ(QTFindChildByIndex(list, top, expo, count + 1, nullptr), 0);
    EXPECT_EQ(QTFindChildByIndex(list, 9999, expo, 1, nullptr), 0);
    char buffer[256];
    long size = -1;
    EXPECT_EQ(QTCopyAtomDataToPtr(list, desc, true, 4, buffer, &size), noErr); // cut at 4 bytes
    EXPECT_EQ(QByteArray(buffer, size), "JPEG");
    EXPECT_EQ(QTCopyAtomDataToPtr(list, desc, false, 255, buffer, &size), paramErr); // too short
    EXPECT_EQ(QTCopyAtomDataToPtr(list, 9999, true, 255, buffer, &size), paramErr);
    EXPECT_EQ(QTDisposeAtomContainer(list), noErr);
    EXPECT_EQ(QTDisposeAtomContainer(nullptr), paramErr);
    EXPECT_EQ(CloseComponent(importer), noErr);
}

TEST(ExportTypeList, EveryTypeWritesThePictureAtTheQualityAsked)
{
    // 768 is libvips' 75, the level the common tools use; the ends clamp.
    for (const auto& [quality, expected] : {std::pair<CodecQ, int>{codecHighQuality, 75},
                                            {codecMinQuality, 1},
                                            {10, 1},
                                            {600, 59},
                                            {codecMaxQuality, 100},
                                            {codecLosslessQuality, 100}})
        EXPECT_EQ(platform::graphics::EncoderLevel(
                      *platform::graphics::FindSaver(FOUR_CHAR_CODE("JPEG")), quality)
                      .setting,
                  expected)
            << quality;

    TempFolder folder;
    const QByteArray source = folder / "source.png";
    PictureFacts sourceFacts;
    ASSERT_EQ(WriteTestPicture(source, "png", 320, 240), noErr);
    ASSERT_EQ(ReadPictureFacts(source, &sourceFacts), noErr);
    const FSSpec sourceSpec = SpecFor(source);
    GraphicsImportComponent importer = nullptr;
    ASSERT_EQ(GetGraphicsImporterForFile(&sourceSpec, &importer), noErr);
    for (const SaverEntry* saver : AvailableSavers()) {
        SCOPED_TRACE(saver->extension);
        const QByteArray output = folder / "out/picture." + saver->extension;
        ASSERT_TRUE(WriteFile(output, {})); // the engine claims the name first
        const FSSpec outputSpec = SpecFor(output);
        GraphicsExportComponent exporter = nullptr;
        ASSERT_EQ(
            OpenADefaultComponent(GraphicsExporterComponentType, saver->exportType, &exporter),
            noErr);
        EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(exporter, importer), noErr);
        EXPECT_EQ(GraphicsExportSetOutputFile(exporter, &outputSpec), noErr);
        EXPECT_EQ(GraphicsExportSetCompressionQuality(exporter, codecHighQuality), noErr);
        unsigned long written = 0;
        EXPECT_EQ(GraphicsExportDoExport(exporter, &written), noErr) << LastCodecErrorText();
        EXPECT_EQ(CloseComponent(exporter), noErr);
        EXPECT_EQ(qsizetype(written), ReadFile(output).size());
        EXPECT_EQ(ListFolder(folder / "out"),
                  std::vector<QByteArray>{"picture." + QByteArray(saver->extension)});
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.loader.rfind(LoaderOf(*saver), 0), 0u) << facts.loader;
        EXPECT_EQ(facts.width, 320);
        EXPECT_EQ(facts.height, 240);
        EXPECT_EQ(facts.frames, 1);
        for (int band = 0; band < 3; ++band)
            EXPECT_NEAR(facts.bandMeans.at(band), sourceFacts.bandMeans[band], ToleranceOf(*saver));
        ASSERT_EQ(::remove(output.constData()), 0);

        if (saver->qualityOption) { // lossy outputs grow with the quality asked for
            qsizetype previous = 0;
            for (const CodecQ quality : {codecLowQuality, codecHighQuality, codecMaxQuality}) {
                ASSERT_EQ(ExportPicture(source, output, {saver->exportType, quality}), noErr);
                EXPECT_GT(ReadFile(output).size(), previous) << quality;
                previous = ReadFile(output).size();
            }
        }
        if (saver->losslessOption) { // and the lossless mode gives the picture back
            ASSERT_EQ(ExportPicture(source, output, {saver->exportType, codecLosslessQuality}),
                      noErr);
            ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
            // libheif's lossless mode keeps YCbCr: a little off.
            const double slack = std::string(saver->saver) == "heifsave_target" ? 1 : 0;
            for (int band = 0; band < 3; ++band)
                EXPECT_NEAR(facts.bandMeans.at(band), sourceFacts.bandMeans[band], slack);
        }
        ::remove(output.constData());
    }
    EXPECT_EQ(CloseComponent(importer), noErr);
}

TEST(Components, MisuseGivesStatusesNotCrashes)
{
    const OSType exporterType = GraphicsExporterComponentType;
    ComponentInstance importer = nullptr, exporter = nullptr;
    EXPECT_EQ(OpenADefaultComponent(exporterType, FOUR_CHAR_CODE("csv "), &exporter),
              invalidComponentID);
    EXPECT_EQ(GetGraphicsImporterForFile(nullptr, &importer), paramErr);
    EXPECT_EQ(OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &importer),
              noErr);
    EXPECT_EQ(OpenADefaultComponent(exporterType, FOUR_CHAR_CODE("JPEG"), &exporter), noErr);
    QTAtomContainer list = nullptr;
    EXPECT_EQ(GraphicsImportGetExportImageTypeList(exporter, &list), badComponentInstance);
    EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(exporter, importer), paramErr); // no file
    EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(importer, exporter), badComponentInstance);
    EXPECT_EQ(GraphicsExportSetCompressionQuality(exporter, codecLosslessQuality + 1), paramErr);
    EXPECT_EQ(GraphicsExportDoExport(exporter, nullptr), paramErr); // nothing to export
    EXPECT_EQ(CloseComponent(exporter), noErr);
    EXPECT_EQ(CloseComponent(importer), noErr);
    EXPECT_EQ(CloseComponent(importer), badComponentInstance);
    EXPECT_EQ(GraphicsExportDoExport(exporter, nullptr), badComponentInstance);
}

} // namespace
