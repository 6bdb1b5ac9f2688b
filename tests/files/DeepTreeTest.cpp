// SPDX-License-Identifier: GPL-3.0-or-later
// Trees deeper than a path can reach: every call works on items whose path
// is longer than the system's path limit (4,096 bytes) and twice that.
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

using namespace testsupport;

namespace
{

constexpr int kLevels = 45; // 45 names of 200 bytes: over 9,000 bytes of path
constexpr int kNameLength = 200;

QByteArray levelName(int level)
{
    return ("Level " + QByteArray::number(level) + ' ').leftJustified(kNameLength, 'x');
}

std::vector<QByteArray> levels(int count)
{
    std::vector<QByteArray> names;
    for (int i = 0; i < count; ++i)
        names.push_back(levelName(i));
    return names;
}

QString text(const QByteArray& name)
{
    return QString::fromUtf8(name);
}

OSErr makeFolder(const FSRef& parent, const QByteArray& name, FSRef* made)
{
    const std::vector<UniChar> units = UnitsOf(text(name));
    return FSCreateDirectoryUnicode(&parent, units.size(), units.data(), kFSCatInfoNone, nullptr,
                                    made, nullptr, nullptr);
}

OSErr lookUp(const FSRef& parent, const QString& name, FSRef* found)
{
    const std::vector<UniChar> units = UnitsOf(name);
    return FSMakeFSRefUnicode(&parent, units.size(), units.data(), kTextEncodingUnknown, found);
}

class DeepTree : public ::testing::Test
{
protected:
    // Makes the chain of folders through the file manager, one below the
    // other, and gives the deepest.
    void makeChain()
    {
        FSRef folder = RefFor(dir.path());
        QByteArray expected = dir.path();
        for (int i = 0; i < kLevels; ++i) {
            SCOPED_TRACE("level " + std::to_string(i) + ", path of " +
                         std::to_string(expected.size()) + " bytes");
            FSRef made;
            ASSERT_EQ(makeFolder(folder, levelName(i), &made), noErr);
            expected += '/' + levelName(i);
            ASSERT_EQ(PathFor(made), expected);
            above = folder;
            folder = made;
        }
        bottom = folder;
        bottomPath = expected;
    }
    TempFolder dir;
    FSRef above{};
    FSRef bottom{};
    QByteArray bottomPath;
};

TEST_F(DeepTree, FoldersAreCreatedAndFoundAtAnyDepth)
{
    ASSERT_NO_FATAL_FAILURE(makeChain());
    ASSERT_GT(bottomPath.size(), 2 * PATH_MAX);
    EXPECT_EQ(ListDeepFolder(dir.path(), levels(kLevels - 1)),
              std::vector<QByteArray>{levelName(kLevels - 1)});

    // Looked up by name (in other letter case) and by path, as anywhere else.
    FSRef found;
    ASSERT_EQ(lookUp(above, text(levelName(kLevels - 1)).toUpper(), &found), noErr);
    EXPECT_EQ(FSCompareFSRefs(&found, &bottom), noErr);
    FSRef byPath;
    Boolean isFolder = false;
    ASSERT_EQ(
        FSPathMakeRef(reinterpret_cast<const UInt8*>(bottomPath.constData()), &byPath, &isFolder),
        noErr);
    EXPECT_TRUE(isFolder);
    EXPECT_EQ(FSCompareFSRefs(&byPath, &bottom), noErr);

    std::vector<UInt8> path(size_t(bottomPath.size()) + 1);
    ASSERT_EQ(FSRefMakePath(&bottom, path.data(), UInt32(path.size())), noErr);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(path.data())), bottomPath);
    EXPECT_EQ(FSRefMakePath(&bottom, path.data(), UInt32(path.size() - 1)), pathTooLongErr);

    FSCatalogInfo info;
    HFSUniStr255 name;
    FSRef up;
    ASSERT_EQ(FSGetCatalogInfo(&bottom, kFSCatInfoNodeFlags, &info, &name, nullptr, &up), noErr);
    EXPECT_TRUE(info.nodeFlags & kFSNodeIsDirectoryMask);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(name.unicode), name.length),
              text(levelName(kLevels - 1)));
    EXPECT_EQ(FSCompareFSRefs(&up, &above), noErr);
}

TEST_F(DeepTree, FilesThereAreWrittenReadListedRenamedAndRemoved)
{
    ASSERT_NO_FATAL_FAILURE(makeChain());
    const std::vector<QByteArray> chain = levels(kLevels);

    const std::vector<UniChar> units = UnitsOf("Deep.txt");
    FSRef file;
    ASSERT_EQ(FSCreateFileUnicode(&bottom, units.size(), units.data(), kFSCatInfoNone, nullptr,
                                  &file, nullptr),
              noErr);
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&file, 0, nullptr, fsRdWrPerm, &fork), noErr);
    ASSERT_EQ(FSWriteFork(fork, fsFromStart, 0, 10, "deep bytes", nullptr), noErr);
    ASSERT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(ReadDeepFile(dir.path(), chain, "Deep.txt"), "deep bytes");

    // Catalogue information, including what extended attributes keep.
    FSCatalogInfo info{};
    reinterpret_cast<FileInfo*>(info.finderInfo)->fileType = FOUR_CHAR_CODE("TEXT");
    ASSERT_EQ(FSSetCatalogInfo(&file, kFSCatInfoFinderInfo, &info), noErr);
    FSCatalogInfo read;
    ASSERT_EQ(FSGetCatalogInfo(&file, kFSCatInfoDataSizes | kFSCatInfoFinderInfo, &read, nullptr,
                               nullptr, nullptr),
              noErr);
    EXPECT_EQ(read.dataLogicalSize, 10u);
    EXPECT_EQ(reinterpret_cast<FileInfo*>(read.finderInfo)->fileType, FOUR_CHAR_CODE("TEXT"));

    FSIterator it = nullptr;
    ASSERT_EQ(FSOpenIterator(&bottom, kFSIterateFlat, &it), noErr);
    ItemCount count = 0;
    FSRef listed;
    EXPECT_EQ(FSGetCatalogInfoBulk(it, 1, &count, nullptr, kFSCatInfoNone, nullptr, &listed,
                                   nullptr, nullptr),
              errFSNoMoreItems);
    FSCloseIterator(it);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(FSCompareFSRefs(&listed, &file), noErr);

    const std::vector<UniChar> renamed = UnitsOf("Renamed.txt");
    FSRef after;
    ASSERT_EQ(FSRenameUnicode(&file, renamed.size(), renamed.data(), kTextEncodingUnknown, &after),
              noErr);
    EXPECT_EQ(ListDeepFolder(dir.path(), chain), std::vector<QByteArray>{"Renamed.txt"});
    FSRef found;
    ASSERT_EQ(lookUp(bottom, "RENAMED.TXT", &found), noErr);
    ASSERT_EQ(FSDeleteObject(&found), noErr);
    EXPECT_TRUE(ListDeepFolder(dir.path(), chain).empty());
    ASSERT_EQ(FSDeleteObject(&bottom), noErr);
    EXPECT_TRUE(ListDeepFolder(dir.path(), levels(kLevels - 1)).empty());
}

// An alias to a folder deeper than any path resolves to it, and still does
// after the folder was renamed in its parent.
TEST_F(DeepTree, AliasesResolveAtAnyDepthAlsoAfterARename)
{
    ASSERT_NO_FATAL_FAILURE(makeChain());
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &bottom, &alias), noErr);
    const QByteArray bytes(*alias, qsizetype(GetHandleSize(alias)));
    DisposeHandle(alias);

    FSRef resolved;
    Boolean changed = true;
    ASSERT_EQ(FSResolveAliasBytes(bytes, &resolved, &changed), noErr);
    EXPECT_FALSE(changed);
    EXPECT_EQ(FSCompareFSRefs(&resolved, &bottom), noErr);
    EXPECT_EQ(PathFor(resolved), bottomPath);

    const std::vector<UniChar> units = UnitsOf("Renamed bottom");
    FSRef renamed;
    ASSERT_EQ(FSRenameUnicode(&bottom, units.size(), units.data(), kTextEncodingUnknown, &renamed),
              noErr);
    ASSERT_EQ(FSResolveAliasBytes(bytes, &resolved, &changed), noErr);
    EXPECT_TRUE(changed);
    EXPECT_EQ(PathFor(resolved), bottomPath.left(bottomPath.lastIndexOf('/')) + "/Renamed bottom");

    // Cut short or with a byte flipped anywhere, the record gives an error
    // or a folder of the tree, never a crash.
    for (qsizetype cut = 0; cut < bytes.size(); cut += 97)
        EXPECT_NE(FSResolveAliasBytes(bytes.left(cut), &resolved, nullptr), noErr) << cut;
    for (qsizetype at = 0; at < bytes.size(); at += 13) {
        QByteArray flipped = bytes;
        flipped[at] = char(flipped[at] ^ 0x41);
        if (FSResolveAliasBytes(flipped, &resolved, nullptr) == noErr) {
            EXPECT_TRUE(PathFor(resolved).startsWith(dir.path())) << at;
        }
    }
}

} // namespace
