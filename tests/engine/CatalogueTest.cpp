// SPDX-License-Identifier: GPL-3.0-or-later
// The export type catalogue: what it prints when it is built, its order and
// contents, and looking extensions up in it.
#include "app/engine/ExporterCatalogue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <cstdlib>

namespace
{

// Runs this test program again with only the named test, in a fresh process
// where the catalogue has not been built yet, and gives its standard output.
QByteArray outputOfFreshRun(const char* testName)
{
    QProcess child;
    QStringList args{QStringLiteral("--gtest_filter=") + testName};
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("TESSALY_CATALOGUE_CHILD", "1");
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("/proc/self/exe"), args);
    if (!child.waitForFinished(60000))
        return {};
    return child.readAllStandardOutput();
}

TEST(Catalogue, FirstBuildWritesTheLoadingLines)
{
    if (std::getenv("TESSALY_CATALOGUE_CHILD")) {
        ASSERT_EQ(gTheExporters, nullptr);
        GetExportTypes();
        GetExportTypes(); // built once: the second call prints nothing
        return;
    }
    const QByteArray out = outputOfFreshRun("Catalogue.FirstBuildWritesTheLoadingLines");
    GetExportTypes();
    ASSERT_GT(gNumberExporters, 0);
    const QByteArray expected = "Tessaly: Loading " + QByteArray::number(gNumberExporters) +
                                " Quicktime exporters" + QByteArray(gNumberExporters, '.') +
                                "\nTessaly: Quicktime exporters successfully loaded.\n";
    EXPECT_TRUE(out.contains(expected)) << out.constData();
    EXPECT_EQ(out.count("Tessaly: Loading"), 1);
}

TEST(Catalogue, ListsTheCommonFormatsJpegFirst)
{
    GetExportTypes();
    ASSERT_GE(gNumberExporters, 4);
    EXPECT_EQ(gTheExporters[0].extensionRef, "jpg");
    EXPECT_EQ(gTheExporters[0].mimeTypeRef, "image/jpeg");
    QStringList extensions;
    for (int i = 0; i < gNumberExporters; ++i) {
        const ExporterInfo& e = gTheExporters[i];
        SCOPED_TRACE(e.extension);
        extensions << e.extensionRef;
        EXPECT_NE(e.exportType, 0u);
        char code[5];
        EXPECT_STREQ(e.typeString, FourCharCodeToStr(e.exportType, code));
        EXPECT_EQ(e.typeStringRef, QString::fromLatin1(e.typeString));
        EXPECT_FALSE(e.descriptionRef.isEmpty());
        EXPECT_TRUE(e.mimeTypeRef.startsWith("image/"));
        EXPECT_EQ(e.extensionRef, QString::fromLatin1(e.extension));
    }
    for (const char* wanted : {"png", "webp", "tif", "gif"})
        EXPECT_TRUE(extensions.contains(wanted)) << wanted;
    EXPECT_FALSE(extensions.contains("csv"));
    EXPECT_FALSE(extensions.contains("mat"));
}

TEST(Catalogue, LooksExtensionsUpIgnoringCase)
{
    GetExportTypes();
    struct Case {
        QString extension;
        bool found;
        OSType type;
    };
    const Case cases[] = {
        {"jpg", true, gTheExporters[0].exportType},
        {"JPG", true, gTheExporters[0].exportType},
        {"Jpg", true, gTheExporters[0].exportType},
        {"jpeg", false, 0},
        {"", false, 0},
        {".jpg", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension.toStdString());
        OSType type = 0x12345678;
        EXPECT_EQ(GetTypeForExtension(c.extension, type), c.found);
        EXPECT_EQ(type, c.found ? c.type : 0x12345678u);
    }
}

TEST(Catalogue, TheFirstOfTwoEntriesWithOneExtensionWins)
{
    GetExportTypes();
    ExporterInfo* real = gTheExporters;
    const SInt16 realCount = gNumberExporters;
    ExporterInfo twins[3];
    twins[0].exportType = FOUR_CHAR_CODE("AAAA");
    twins[0].extensionRef = "tif";
    twins[1].exportType = FOUR_CHAR_CODE("BBBB");
    twins[1].extensionRef = "TIF";
    twins[2].exportType = FOUR_CHAR_CODE("CCCC");
    twins[2].extensionRef = "png";
    gTheExporters = twins;
    gNumberExporters = 3;
    OSType type = 0;
    const Boolean found = GetTypeForExtension("Tif", type);
    gTheExporters = real;
    gNumberExporters = realCount;
    EXPECT_TRUE(found);
    EXPECT_EQ(type, FOUR_CHAR_CODE("AAAA"));
}

} // namespace
