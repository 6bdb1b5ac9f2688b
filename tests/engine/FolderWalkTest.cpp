// SPDX-License-Identifier: GPL-3.0-or-later
// Counting and collecting every file of a folder tree, in walk order.
#include "app/engine/FolderWalk.h"
#include "app/engine/EngineGlobals.h"
#include "file/CFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

struct WalkResult {
    OSErr countStatus;
    OSErr collectStatus;
    SInt32 counted;
    SInt32 met;
    std::vector<QByteArray> collected;
};

WalkResult walk(const QByteArray& folder)
{
    WalkResult r{};
    FSRef ref = RefFor(folder);
    gNbrFilesToBeProcessed = 0;
    gNbrFilesProcessed = 0;
    r.countStatus = IterateCountFolder(ref);
    r.counted = gNbrFilesToBeProcessed;
    std::vector<FSRef> block(size_t(std::max(r.counted, 1)));
    gFSRefArray = block.data();
    r.collectStatus = IterateCollectFolder(ref);
    r.met = gNbrFilesProcessed;
    for (SInt32 i = 0; i < std::min(r.counted, r.met); ++i)
        r.collected.push_back(PathFor(block[size_t(i)]));
    gFSRefArray = nullptr;
    return r;
}

class FolderWalk : public ::testing::Test
{
protected:
    TempFolder dir;
};

TEST_F(FolderWalk, EmptyTreesCountNothing)
{
    ASSERT_TRUE(MakeFolder(dir / "a"));
    ASSERT_TRUE(MakeFolder(dir / "a/b"));
    ASSERT_TRUE(MakeFolder(dir / "c"));
    for (const QByteArray& folder : {dir / "c", dir.path()}) {
        const WalkResult r = walk(folder);
        EXPECT_EQ(r.countStatus, noErr);
        EXPECT_EQ(r.collectStatus, noErr);
        EXPECT_EQ(r.counted, 0);
        EXPECT_EQ(r.met, 0);
    }
}

TEST_F(FolderWalk, CollectsEveryFileDepthFirstInNameOrder)
{
    ASSERT_TRUE(WriteFile(dir / "a.png", ""));
    ASSERT_TRUE(WriteFile(dir / "sub/b.png", ""));
    ASSERT_TRUE(WriteFile(dir / "sub/deeper/d.png", ""));
    ASSERT_TRUE(WriteFile(dir / "c.png", ""));
    ASSERT_TRUE(WriteFile(dir / ".hidden", ""));
    ASSERT_TRUE(WriteFile(dir / "App.app/Contents/Info.plist", "")); // a package is a folder
    ASSERT_TRUE(MakeFolder(dir / "empty"));
    ASSERT_TRUE(WriteFile(dir / "elsewhere/x.png", ""));
    ASSERT_EQ(::symlink("elsewhere", (dir / "sub/link-to-folder").constData()), 0);
    ASSERT_EQ(::symlink("loop", (dir / "sub/loop").constData()), 0);

    // Depth first, each folder's items in name order (letter case ignored);
    // the links count as files and are not entered.
    const std::vector<QByteArray> expected = {
        dir / ".hidden",
        dir / "a.png",
        dir / "App.app/Contents/Info.plist",
        dir / "c.png",
        dir / "elsewhere/x.png",
        dir / "sub/b.png",
        dir / "sub/deeper/d.png",
        dir / "sub/link-to-folder",
        dir / "sub/loop",
    };

    const WalkResult r = walk(dir.path());
    EXPECT_EQ(r.countStatus, noErr);
    EXPECT_EQ(r.collectStatus, noErr);
    EXPECT_EQ(r.counted, 9);
    EXPECT_EQ(r.met, 9);
    EXPECT_EQ(r.collected, expected);
    for (const QByteArray& path : r.collected)
        EXPECT_FALSE(CFile::IsADirectory(RefFor(path))) << path.constData();
}

// A dropped tree deeper than any path (45 folders of 200-byte names) is
// walked to its bottom: every file counted and collected, in walk order.
TEST_F(FolderWalk, ReachesTheBottomOfTreesDeeperThanAnyPath)
{
    std::vector<QByteArray> folders;
    std::vector<QByteArray> expected;
    QByteArray path = dir.path();
    for (int level = 0; level < 45; ++level) {
        if (level % 2 == 0) {
            ASSERT_TRUE(WriteDeepFile(dir.path(), folders, "file.png", "x"));
            expected.push_back(path + "/file.png");
        }
        const QByteArray name =
            ("level " + QByteArray::number(level) + ' ').leftJustified(200, 'z');
        folders.push_back(name);
        path += '/' + name;
    }
    for (const QByteArray& name : {QByteArray("a.png"), QByteArray("b.png"), QByteArray("c.png")}) {
        ASSERT_TRUE(WriteDeepFile(dir.path(), folders, name, "x"));
        expected.push_back(path + '/' + name);
    }
    ASSERT_EQ(expected.size(), 26u);
    ASSERT_GT(path.size(), 9000);

    const WalkResult r = walk(dir.path());
    EXPECT_EQ(r.countStatus, noErr);
    EXPECT_EQ(r.collectStatus, noErr);
    EXPECT_EQ(r.counted, 26);
    EXPECT_EQ(r.met, 26);
    EXPECT_EQ(r.collected, expected);
}

TEST_F(FolderWalk, AFileAddedBetweenTheWalksIsCountedButNotWrittenPastTheBlock)
{
    ASSERT_TRUE(WriteFile(dir / "one", ""));
    ASSERT_TRUE(WriteFile(dir / "two", ""));
    FSRef ref = RefFor(dir.path());
    gNbrFilesToBeProcessed = 0;
    gNbrFilesProcessed = 0;
    ASSERT_EQ(IterateCountFolder(ref), noErr);
    ASSERT_EQ(gNbrFilesToBeProcessed, 2);
    ASSERT_TRUE(WriteFile(dir / "three", ""));
    // Exactly two slots: a write past them would be caught by the sanitiser build.
    std::unique_ptr<FSRef[]> block(new FSRef[2]);
    gFSRefArray = block.get();
    EXPECT_EQ(IterateCollectFolder(ref), noErr);
    gFSRefArray = nullptr;
    EXPECT_EQ(gNbrFilesProcessed, 3);
}

TEST_F(FolderWalk, UnreadableSubfoldersAreSkippedAndTheWalkGoesOn)
{
    // A folder that cannot be listed ends the listing of the folder holding
    // it; the walk then goes on one level up. Here "inner" holds nothing else.
    ASSERT_TRUE(WriteFile(dir / "top/a", ""));
    ASSERT_TRUE(WriteFile(dir / "top/inner/locked/hidden1", ""));
    ASSERT_TRUE(WriteFile(dir / "top/inner/locked/hidden2", ""));
    ASSERT_TRUE(WriteFile(dir / "top/z/b", ""));
    ::chmod((dir / "top/inner/locked").constData(), 0);

    const int result = RunUnprivileged([&] {
        const WalkResult r = walk(dir / "top");
        std::vector<QByteArray> names;
        for (const QByteArray& p : r.collected)
            names.push_back(p.mid(p.lastIndexOf('/') + 1));
        std::sort(names.begin(), names.end());
        const bool ok = r.countStatus == noErr && r.collectStatus == noErr && r.counted == 2 &&
                        r.met == 2 && names == std::vector<QByteArray>{"a", "b"};
        if (!ok)
            std::fprintf(stderr, "count %d/%d collect %d/%d\n", r.countStatus, r.counted,
                         r.collectStatus, r.met);
        return ok;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(FolderWalk, AnUnreadableDroppedFolderEndsTheWalkWithItsStatus)
{
    ASSERT_TRUE(WriteFile(dir / "locked/a", ""));
    ::chmod((dir / "locked").constData(), 0);
    const int result = RunUnprivileged([&] {
        const WalkResult r = walk(dir / "locked");
        return r.countStatus == afpAccessDenied && r.counted == 0 && r.met == 0;
    });
    EXPECT_EQ(result, 0);
}

Boolean stopAtSecondFile(Boolean, ItemCount, const FSCatalogInfo* info, const FSRef*, const FSSpec*,
                         const HFSUniStr255*, void* data)
{
    auto* seen = static_cast<int*>(data);
    if (!(info->nodeFlags & kFSNodeIsDirectoryMask))
        ++*seen;
    return *seen >= 2;
}

Boolean recordDepth(Boolean, ItemCount depth, const FSCatalogInfo*, const FSRef*, const FSSpec*,
                    const HFSUniStr255* name, void* data)
{
    auto* seen = static_cast<std::vector<std::pair<ItemCount, QString>>*>(data);
    seen->emplace_back(
        depth, QString::fromUtf16(reinterpret_cast<const char16_t*>(name->unicode), name->length));
    return false;
}

TEST_F(FolderWalk, IterationStopsLimitsLevelsAndNeedsAFilter)
{
    for (const char* f : {"1", "2", "3", "s/4", "s/t/5"})
        ASSERT_TRUE(WriteFile(dir / f, ""));
    FSRef ref = RefFor(dir.path());

    int seen = 0;
    EXPECT_EQ(FSIterateContainer(&ref, 0, kFSCatInfoNone, false, false, stopAtSecondFile, &seen),
              noErr);
    EXPECT_EQ(seen, 2);

    std::vector<std::pair<ItemCount, QString>> items;
    EXPECT_EQ(FSIterateContainer(&ref, 2, kFSCatInfoNone, false, true, recordDepth, &items), noErr);
    std::vector<std::pair<ItemCount, QString>> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    const std::vector<std::pair<ItemCount, QString>> expected = {{1, "1"}, {1, "2"}, {1, "3"},
                                                                 {1, "s"}, {2, "4"}, {2, "t"}};
    EXPECT_EQ(sorted, expected);

    EXPECT_EQ(FSIterateContainer(&ref, 0, kFSCatInfoNone, false, false, nullptr, nullptr),
              paramErr);
}

TEST_F(FolderWalk, QuittingStopsTheWalk)
{
    for (const char* f : {"1", "2", "s/3"})
        ASSERT_TRUE(WriteFile(dir / f, ""));
    gQuitting = true;
    const WalkResult r = walk(dir.path());
    gQuitting = false;
    EXPECT_EQ(r.countStatus, noErr);
    EXPECT_LE(r.counted, 1); // the first file (if it came before the folder) is counted
}

} // namespace
