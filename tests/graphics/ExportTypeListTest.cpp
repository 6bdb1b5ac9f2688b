// The export type list, the atom containers it comes in, and how the
// component calls treat misuse.
#include "GraphicsTestSupport.h"

#include "platform/graphics/AtomContainer.h"
#include "platform/graphics/SaverTable.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cctype>
#include <set>

namespace {

TEST(ExportTypeList, StartsWithJpegAndOffersTheCommonFormats)
{
    const std::vector<ExportTypeEntry> list = ReadExportTypeList();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front().type, FOUR_CHAR_CODE("JPEG"));
    EXPECT_EQ(list.front().extension, "jpg");
    EXPECT_EQ(list.front().mimeType, "image/jpeg");
    std::set<QByteArray> extensions;
    for (const ExportTypeEntry& entry : list)
        extensions.insert(entry.extension);
    for (const char* common : {"png", "webp", "tif", "gif"})
        EXPECT_TRUE(extensions.count(common)) << common;
}

TEST(ExportTypeList, FollowsTheSaverTableOrder)
{
    // The available entries keep the table's order, whichever are missing.
    const std::vector<ExportTypeEntry> list = ReadExportTypeList();
    std::vector<OSType> tableOrder;
    for (const platform::graphics::SaverEntry& entry : platform::graphics::AllSavers())
        tableOrder.push_back(entry.exportType);
    size_t position = 0;
    for (const ExportTypeEntry& entry : list) {
        while (position < tableOrder.size() && tableOrder[position] != entry.type)
            ++position;
        EXPECT_LT(position, tableOrder.size()) << entry.extension.constData() << " out of order";
    }
}

TEST(ExportTypeList, EntriesAreWellFormedAndDistinct)
{
    std::set<OSType> types;
    std::set<QByteArray> extensions;
    for (const ExportTypeEntry& entry : ReadExportTypeList()) {
        SCOPED_TRACE(entry.extension.constData());
        for (int shift = 24; shift >= 0; shift -= 8)
            EXPECT_TRUE(std::isprint(int((entry.type >> shift) & 0xFF)));
        EXPECT_FALSE(entry.description.isEmpty());
        EXPECT_FALSE(entry.extension.isEmpty());
        EXPECT_EQ(entry.extension, entry.extension.toLower());
        EXPECT_FALSE(entry.extension.contains('.'));
        EXPECT_TRUE(entry.mimeType.startsWith("image/"));
        EXPECT_FALSE(entry.description.contains('\0'));
        EXPECT_TRUE(types.insert(entry.type).second) << "code listed twice";
        EXPECT_TRUE(extensions.insert(entry.extension).second) << "extension listed twice";
        EXPECT_FALSE(LoaderForExtension(entry.extension).empty())
            << "a type these tests do not know how to read back";
    }
}

TEST(ExportTypeList, EveryListedTypeHasAnExporter)
{
    for (const ExportTypeEntry& entry : ReadExportTypeList()) {
        GraphicsExportComponent exporter = nullptr;
        EXPECT_EQ(OpenADefaultComponent(GraphicsExporterComponentType, entry.type, &exporter), noErr)
            << entry.extension.constData();
        EXPECT_NE(exporter, nullptr);
        EXPECT_EQ(CloseComponent(exporter), noErr);
    }
}

TEST(ExportTypeList, QualityMapsOntoLibvipsScale)
{
    struct Case {
        CodecQ quality;
        int expected;
    };
    const Case cases[] = {
        {codecMinQuality, 1},     {codecLowQuality, 25},  {codecNormalQuality, 50},
        {codecHighQuality, 75},   {codecMaxQuality, 100}, {codecLosslessQuality, 100},
        {10, 1},                  {600, 59},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::graphics::VipsQuality(c.quality), c.expected) << c.quality;
}

// --- atom containers ---------------------------------------------------------

class AtomContainerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        using platform::graphics::InsertChild;
        m_container = platform::graphics::NewAtomContainer();
        m_first = InsertChild(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 7);
        InsertChild(m_container, m_first, FOUR_CHAR_CODE("desc"), 1, "Description");
        InsertChild(m_container, m_first, FOUR_CHAR_CODE("ftyp"), 1, "ABCD");
        m_second = InsertChild(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 9);
        InsertChild(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("othr"), 1);
    }
    void TearDown() override { EXPECT_EQ(QTDisposeAtomContainer(m_container), noErr); }

    QTAtomContainer m_container = nullptr;
    QTAtom m_first = 0;
    QTAtom m_second = 0;
};

TEST_F(AtomContainerTest, CountsAndFindsChildrenByTypeAndIndex)
{
    EXPECT_EQ(QTCountChildrenOfType(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo")), 2);
    EXPECT_EQ(QTCountChildrenOfType(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("desc")), 0);
    EXPECT_EQ(QTCountChildrenOfType(m_container, m_first, FOUR_CHAR_CODE("desc")), 1);
    EXPECT_EQ(QTCountChildrenOfType(m_container, m_second, FOUR_CHAR_CODE("desc")), 0);

    QTAtomID id = 0;
    EXPECT_EQ(QTFindChildByIndex(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 1, &id),
              m_first);
    EXPECT_EQ(id, 7);
    EXPECT_EQ(QTFindChildByIndex(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 2, &id),
              m_second);
    EXPECT_EQ(id, 9);
    EXPECT_EQ(QTFindChildByIndex(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 3, &id), 0);
    EXPECT_EQ(QTFindChildByIndex(m_container, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 0, &id), 0);
    EXPECT_EQ(QTFindChildByIndex(m_container, 99, FOUR_CHAR_CODE("expo"), 1, &id), 0);
}

TEST_F(AtomContainerTest, CopiesDataWithinTheGivenSize)
{
    const QTAtom desc = QTFindChildByIndex(m_container, m_first, FOUR_CHAR_CODE("desc"), 1, nullptr);
    const QTAtom ftyp = QTFindChildByIndex(m_container, m_first, FOUR_CHAR_CODE("ftyp"), 1, nullptr);
    struct Case {
        QTAtom atom;
        Boolean sizeOrLessOK;
        long maxSize;
        OSErr status;
        QByteArray copied;
    };
    const Case cases[] = {
        {ftyp, false, 4, noErr, "ABCD"},
        {desc, true, 255, noErr, "Description"},
        {desc, true, 4, noErr, "Desc"},      // cut at the given size
        {desc, false, 255, paramErr, ""},    // shorter than asked for
        {m_second, true, 255, noErr, ""},    // an atom without data
        {999, true, 255, paramErr, ""},      // not an atom of this container
    };
    for (const Case& c : cases) {
        char buffer[256] = {};
        long size = -1;
        EXPECT_EQ(QTCopyAtomDataToPtr(m_container, c.atom, c.sizeOrLessOK, c.maxSize, buffer, &size),
                  c.status);
        if (c.status == noErr) {
            EXPECT_EQ(QByteArray(buffer, size), c.copied);
        }
    }
}

TEST(AtomContainer, NullContainersAreRefused)
{
    EXPECT_EQ(QTCountChildrenOfType(nullptr, kParentAtomIsContainer, FOUR_CHAR_CODE("expo")), 0);
    EXPECT_EQ(QTFindChildByIndex(nullptr, kParentAtomIsContainer, FOUR_CHAR_CODE("expo"), 1, nullptr), 0);
    char buffer[4];
    EXPECT_EQ(QTCopyAtomDataToPtr(nullptr, 1, true, 4, buffer, nullptr), paramErr);
    EXPECT_EQ(QTDisposeAtomContainer(nullptr), paramErr);
}

// --- component misuse ----------------------------------------------------------

TEST(Components, OpeningChecksTypeAndSubtype)
{
    struct Case {
        OSType type;
        OSType subtype;
        OSErr status;
    };
    const Case cases[] = {
        {GraphicsImporterComponentType, kQTFileTypePicture, noErr},
        {GraphicsExporterComponentType, FOUR_CHAR_CODE("JPEG"), noErr},
        {GraphicsExporterComponentType, FOUR_CHAR_CODE("zzzz"), invalidComponentID},
        {GraphicsExporterComponentType, FOUR_CHAR_CODE("csv "), invalidComponentID},
        {GraphicsImporterComponentType, FOUR_CHAR_CODE("zzzz"), invalidComponentID},
        {FOUR_CHAR_CODE("abcd"), FOUR_CHAR_CODE("JPEG"), badComponentType},
    };
    for (const Case& c : cases) {
        ComponentInstance instance = nullptr;
        EXPECT_EQ(OpenADefaultComponent(c.type, c.subtype, &instance), c.status);
        EXPECT_EQ(instance != nullptr, c.status == noErr);
        if (instance) {
            EXPECT_EQ(CloseComponent(instance), noErr);
        }
    }
    EXPECT_EQ(OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, nullptr),
              paramErr);
}

TEST(Components, MisuseGivesStatusesNotCrashes)
{
    GraphicsImportComponent importer = nullptr;
    GraphicsExportComponent exporter = nullptr;
    ASSERT_EQ(OpenADefaultComponent(GraphicsImporterComponentType, kQTFileTypePicture, &importer), noErr);
    ASSERT_EQ(OpenADefaultComponent(GraphicsExporterComponentType, FOUR_CHAR_CODE("PNGf"), &exporter),
              noErr);

    // The file-less importer has no picture to give.
    EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(exporter, importer), paramErr);
    // Importer and exporter swapped.
    EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(importer, exporter), badComponentInstance);
    EXPECT_EQ(GraphicsExportSetCompressionQuality(importer, codecHighQuality), badComponentInstance);
    EXPECT_EQ(GraphicsExportSetCompressionQuality(exporter, codecLosslessQuality + 1), paramErr);
    EXPECT_EQ(GraphicsExportSetOutputFile(exporter, nullptr), paramErr);
    QTAtomContainer list = nullptr;
    EXPECT_EQ(GraphicsImportGetExportImageTypeList(exporter, &list), badComponentInstance);
    EXPECT_EQ(list, nullptr);
    // Nothing to export from or to.
    unsigned long written = 99;
    EXPECT_EQ(GraphicsExportDoExport(exporter, &written), paramErr);
    EXPECT_EQ(written, 0u);
    GraphicsImportComponent none = nullptr;
    EXPECT_EQ(GetGraphicsImporterForFile(nullptr, &none), paramErr);
    EXPECT_EQ(none, nullptr);

    EXPECT_EQ(CloseComponent(exporter), noErr);
    EXPECT_EQ(CloseComponent(importer), noErr);
    // Closed instances are known as such.
    EXPECT_EQ(CloseComponent(importer), badComponentInstance);
    EXPECT_EQ(GraphicsExportDoExport(exporter, nullptr), badComponentInstance);
    EXPECT_EQ(CloseComponent(nullptr), badComponentInstance);
}

} // namespace
