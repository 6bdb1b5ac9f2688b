// SPDX-License-Identifier: GPL-3.0-or-later
// Item kinds and invisibility of real items in a temporary folder.
#include "pane/ItemHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

QString PathOf(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}

class Items : public ::testing::Test
{
protected:
    TempFolder dir;
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolder(dir / "Folder"));
        ASSERT_TRUE(MakeFolder(dir / "Viewer.app"));
        ASSERT_TRUE(MakeFolder(dir / "Viewer.app/Contents"));
        ASSERT_TRUE(MakeFolder(dir / "Driver.KEXT"));
        ASSERT_TRUE(MakeFolder(dir / "Filters.plugin"));
        ASSERT_TRUE(WriteFile(dir / "photo.jpg", "jpeg"));
        ASSERT_TRUE(WriteFile(dir / "Notes.APP", "a file named like an application"));
        ASSERT_TRUE(WriteFile(dir / "run.sh", "#!/bin/sh\n"));
        ASSERT_EQ(::chmod((dir / "run.sh").constData(), 0755), 0);
        ASSERT_TRUE(WriteFile(dir / "viewer.desktop",
                              "[Desktop Entry]\nType=Application\nName=V\nExec=v\n"));
        ASSERT_TRUE(WriteFile(dir / "site.desktop",
                              "[Desktop Entry]\nType=Link\nName=S\nURL=https://example.org/\n"));
        ASSERT_EQ(::symlink("Folder", (dir / "to folder").constData()), 0);
    }
};

TEST_F(Items, KindsFromReferencesAndPaths)
{
    struct Case {
        QByteArray path;
        bool folder, plainFolder, container, package, application, byLS, byExtension, bundle;
    };
    const Case cases[] = {
        {dir / "Folder", true, true, true, false, false, false, false, false},
        {dir / "Viewer.app", false, false, true, true, true, true, true, true},
        {dir / "Driver.KEXT", false, false, true, true, false, true, true, true},
        {dir / "Filters.plugin", false, false, true, true, false, true, true, true},
        {dir / "photo.jpg", false, false, false, false, false, false, false, false},
        {dir / "Notes.APP", false, false, false, false, false, false, true, true},
        {dir / "run.sh", false, false, false, false, true, true, false, true},
        {dir / "viewer.desktop", false, false, false, false, true, true, false, true},
        {dir / "site.desktop", false, false, false, false, false, false, false, false},
        {dir / "to folder", false, false, false, false, false, false, false, false},
        {"/", true, true, true, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(bool(ItemIsAFolder(PathOf(c.path))), c.folder);
        EXPECT_EQ(bool(PathIsPlainFolder(PathOf(c.path))), c.plainFolder);
        const FSRef ref = RefFor(c.path);
        EXPECT_EQ(bool(ItemIsContainer(&ref)), c.container);
        EXPECT_EQ(bool(ItemIsPackage(&ref)), c.package);
        EXPECT_EQ(bool(ItemIsApplication(&ref)), c.application);
        EXPECT_EQ(bool(ItemIsABundleByLaunchServices(&ref)), c.byLS);
        EXPECT_EQ(bool(ItemIsABundleByExtension(&ref)), c.byExtension);
        EXPECT_EQ(bool(ItemIsABundle(&ref)), c.bundle);
    }
}

TEST_F(Items, NothingAtAPathAndStaleReferencesAnswerNo)
{
    const QString missing = PathOf(dir / "gone");
    EXPECT_FALSE(ItemIsAFolder(missing));
    EXPECT_FALSE(PathIsPlainFolder(missing));
    EXPECT_FALSE(ItemAtPathIsInvisible(missing));
    EXPECT_FALSE(ItemIsAFolder(QString()));
    EXPECT_FALSE(PathIsPlainFolder(QString(5000, u'a'))); // beyond the 4096-byte buffer

    const FSRef stale = RefFor(dir / "Viewer.app");
    ASSERT_EQ(::rename((dir / "Viewer.app").constData(), (dir / "Moved").constData()), 0);
    ASSERT_TRUE(MakeFolder(dir / "Viewer.app"));
    EXPECT_FALSE(ItemIsContainer(&stale));
    EXPECT_FALSE(ItemIsABundleByLaunchServices(&stale));
    EXPECT_FALSE(ItemIsABundleByExtension(&stale));
    EXPECT_FALSE(ItemIsABundle(&stale));
    EXPECT_FALSE(ItemIsContainer(nullptr));
}

TEST_F(Items, InvisibleItemsAreDotNamesAndNamesInTheFolderHiddenList)
{
    ASSERT_TRUE(WriteFile(dir / ".cache", ""));
    ASSERT_TRUE(WriteFile(dir / "Folder/draft.txt", ""));
    ASSERT_TRUE(WriteFile(dir / "Folder/final.txt", ""));
    ASSERT_TRUE(WriteFile(dir / "Folder/old", ""));
    ASSERT_TRUE(WriteFile(dir / "Folder/.hidden", "draft.txt\r\n\nold\nfinal.tx\n"));
    const std::pair<QByteArray, bool> cases[] = {
        {dir / ".cache", true},
        {dir / "Folder/.hidden", true},
        {dir / "Folder/draft.txt", true},
        {dir / "Folder/old", true},
        {dir / "Folder/final.txt", false},
        {dir / "photo.jpg", false},
        {dir / "Folder", false},
        {"/", false},
    };
    for (const auto& [path, invisible] : cases)
        EXPECT_EQ(bool(ItemAtPathIsInvisible(PathOf(path))), invisible) << path.constData();
}

TEST(LooksLikeText, AnswersYesForAnyString)
{
    EXPECT_TRUE(LooksLikeText(QString()));
    EXPECT_TRUE(LooksLikeText(QStringLiteral("\x01\x02")));
}

} // namespace
