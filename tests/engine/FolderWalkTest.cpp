// Counting and collecting every file of a folder tree, in walk order.
#include "app/engine/EngineGlobals.h"
#include "app/engine/FolderWalk.h"
#include "file/CFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// The files of a tree in the order a depth-first walk over the file
// system's own listing order meets them, folders not followed through links.
void expectedOrder(const QByteArray& folder, std::vector<QByteArray>* files)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    std::vector<QByteArray> names;
    while (dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    for (const QByteArray& name : names) {
        const QByteArray path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            expectedOrder(path, files);
        else
            files->push_back(path);
    }
}

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

class FolderWalk : public ::testing::Test {
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

TEST_F(FolderWalk, CollectsEveryFileDepthFirstInListingOrder)
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

    std::vector<QByteArray> expected;
    expectedOrder(dir.path(), &expected);
    ASSERT_EQ(expected.size(), 9u); // the links count as files and are not entered

    const WalkResult r = walk(dir.path());
    EXPECT_EQ(r.countStatus, noErr);
    EXPECT_EQ(r.collectStatus, noErr);
    EXPECT_EQ(r.counted, 9);
    EXPECT_EQ(r.met, 9);
    EXPECT_EQ(r.collected, expected);
    for (const QByteArray& path : r.collected)
        EXPECT_FALSE(CFile::IsADirectory(RefFor(path))) << path.constData();
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

Boolean stopAtSecondFile(Boolean, ItemCount, const FSCatalogInfo* info, const FSRef*,
                         const FSSpec*, const HFSUniStr255*, void* data)
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
    seen->emplace_back(depth, QString::fromUtf16(reinterpret_cast<const char16_t*>(name->unicode),
                                                 name->length));
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
    const std::vector<std::pair<ItemCount, QString>> expected = {
        {1, "1"}, {1, "2"}, {1, "3"}, {1, "s"}, {2, "4"}, {2, "t"}};
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
