// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs the picture fuzz target found, each converted into every export
// type through the components: whatever the outcome, no descriptor stays
// open, the claimed output holds either a whole picture or what it held
// before, and nothing else is left in the destination.
#include "platform/graphics/Graphics.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

struct FoundInput {
    const char* what;
    QByteArray bytes;
};

// Descriptors this process holds open.
qsizetype OpenDescriptors()
{
    return QDir("/proc/self/fd")
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

std::vector<OSType> ExportTypes()
{
    std::vector<OSType> types;
    GraphicsImportComponent lister = nullptr;
    QTAtomContainer list = nullptr;
    EXPECT_EQ(OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &lister),
              noErr);
    EXPECT_EQ(GraphicsImportGetExportImageTypeList(lister, &list), noErr);
    const short count = QTCountChildrenOfType(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"));
    for (short i = 1; i <= count; ++i) {
        const QTAtom expo =
            QTFindChildByIndex(list, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), i, nullptr);
        const QTAtom code = QTFindChildByIndex(list, expo, FOUR_CHAR_CODE("ftyp"), 1, nullptr);
        char bytes[4] = {};
        long size = 0;
        QTCopyAtomDataToPtr(list, code, false, sizeof bytes, bytes, &size);
        types.push_back(qFromBigEndian<OSType>(bytes));
    }
    QTDisposeAtomContainer(list);
    CloseComponent(lister);
    return types;
}

FSSpec SpecFor(const QByteArray& path)
{
    const FSRef ref = RefFor(path);
    FSSpec spec{};
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr), noErr);
    return spec;
}

TEST(FuzzFoundInput, ConvertsOrFailsCleanlyIntoEveryType)
{
    const FoundInput inputs[] = {
        // A PPM header whose comment never ends: libvips' loader takes it,
        // the pixels fail half-way through a save, and the WebP saver kept
        // the source's descriptor open.
        {"PPM with an endless comment",
         QByteArray("P6\n#vips2ppm - 2026-12-06T23:47:07.284245VB\x1dY\x95$`\x9c+g\xa3!]\x99("
                    "d\xa0/k\xa7\x36r\xae")},
    };
    const std::vector<OSType> types = ExportTypes();
    ASSERT_FALSE(types.empty());
    for (const FoundInput& input : inputs) {
        TempFolder dir;
        ASSERT_TRUE(WriteFile(dir / "source", input.bytes));
        ASSERT_TRUE(MakeFolder(dir / "dest"));
        for (const OSType type : types) {
            SCOPED_TRACE(std::string(input.what) + ", export type " +
                         QByteArray::number(type, 16).toStdString());
            ASSERT_TRUE(WriteFile(dir / "dest/out", "claimed"));
            const qsizetype before = OpenDescriptors();
            const FSSpec source = SpecFor(dir / "source");
            const FSSpec output = SpecFor(dir / "dest/out");

            GraphicsImportComponent importer = nullptr;
            OSErr status = GetGraphicsImporterForFile(&source, &importer);
            if (status == noErr) {
                GraphicsExportComponent exporter = nullptr;
                ASSERT_EQ(OpenADefaultComponent(GraphicsExporterComponentType, type, &exporter),
                          noErr);
                ASSERT_EQ(GraphicsExportSetInputGraphicsImporter(exporter, importer), noErr);
                ASSERT_EQ(GraphicsExportSetOutputFile(exporter, &output), noErr);
                status = GraphicsExportDoExport(exporter, nullptr);
                CloseComponent(exporter);
                CloseComponent(importer);
            }

            EXPECT_EQ(OpenDescriptors(), before);
            EXPECT_EQ(ListFolder(dir / "dest"), std::vector<QByteArray>{"out"});
            if (status != noErr)
                EXPECT_EQ(ReadFile(dir / "dest/out"), "claimed");
            else
                EXPECT_NE(ReadFile(dir / "dest/out"), "claimed");
            EXPECT_EQ(ReadFile(dir / "source"), input.bytes);
        }
    }
}

} // namespace
