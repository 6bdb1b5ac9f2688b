// SPDX-License-Identifier: GPL-3.0-or-later
// Flat iteration one item at a time, and alias records that find a folder
// again after it was renamed.
#include "platform/files/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <unistd.h>

using namespace testsupport;

namespace
{

struct Listing {
    std::vector<QByteArray> names;
    std::vector<OSErr> statuses;
};

Listing listAll(const QByteArray& folder)
{
    Listing out;
    FSRef ref = RefFor(folder);
    FSIterator it = nullptr;
    if (FSOpenIterator(&ref, kFSIterateFlat, &it) != noErr)
        return out;
    for (int guard = 0; guard < 100000; ++guard) {
        ItemCount count = 0;
        FSRef item;
        FSCatalogInfo info;
        HFSUniStr255 name;
        const OSErr err = FSGetCatalogInfoBulk(it, 1, &count, nullptr, kFSCatInfoNodeFlags, &info,
                                               &item, nullptr, &name);
        out.statuses.push_back(err);
        if (count == 1)
            out.names.push_back(PathFor(item).mid(folder.size() + 1));
        if (err != noErr)
            break;
    }
    FSCloseIterator(it);
    return out;
}

TEST(Iteration, GivesEveryItemOnceAndTheLastWithNoMoreItems)
{
    TempFolder dir;
    std::vector<QByteArray> expected;
    for (int i = 0; i < 7; ++i) {
        expected.push_back(".hidden" + QByteArray::number(i));
        ASSERT_TRUE(WriteFile(dir / expected.back(), ""));
    }
    ASSERT_TRUE(MakeFolder(dir / "sub"));
    ASSERT_EQ(::symlink("sub", (dir / "link").constData()), 0);
    expected.push_back("sub");
    expected.push_back("link");

    Listing listing = listAll(dir.path());
    ASSERT_EQ(listing.names.size(), expected.size());
    // The last item arrives together with errFSNoMoreItems; all others with noErr.
    for (size_t i = 0; i + 1 < listing.statuses.size(); ++i)
        EXPECT_EQ(listing.statuses[i], noErr);
    EXPECT_EQ(listing.statuses.back(), errFSNoMoreItems);
    EXPECT_EQ(listing.statuses.size(), expected.size());
    std::sort(listing.names.begin(), listing.names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing.names, expected);
}

// Items come in name order: by the name folded as look-ups fold it (letter
// case and Unicode normal form ignored), compared byte by byte, then by the
// raw name's bytes; folders sort among the files.
TEST(Iteration, GivesItemsInNameOrder)
{
    const std::vector<QByteArray> expected = {
        ".hidden",
        "_x",
        "A.png",
        "a.PNG",
        "a.png",
        "b.png",
        "B10.png",
        "b2.png",
        "cafe",
        "Cafe\xcc\x81", // Café, decomposed
        "Sub",
        "Zebra",
        "\xc3\x89"
        "clair",                 // Éclair
        "\xc3\xa9t\xc3\xa9.png", // été.png
        QByteArray("\xff.bin"),  // not UTF-8
    };
    // Created in an order of their own, so the file system's order is not ours.
    std::vector<QByteArray> shuffled = expected;
    std::mt19937 random(7);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    TempFolder dir;
    for (const QByteArray& name : shuffled) {
        if (name == "Sub")
            ASSERT_TRUE(MakeFolder(dir / name));
        else
            ASSERT_TRUE(WriteFile(dir / name, name));
    }
    EXPECT_EQ(listAll(dir.path()).names, expected);
}

TEST(Iteration, EmptyFolderAndNonFolders)
{
    TempFolder dir;
    Listing listing = listAll(dir.path());
    EXPECT_TRUE(listing.names.empty());
    ASSERT_EQ(listing.statuses.size(), 1u);
    EXPECT_EQ(listing.statuses[0], errFSNoMoreItems);

    ASSERT_TRUE(WriteFile(dir / "file", ""));
    FSRef file = RefFor(dir / "file");
    FSIterator it = nullptr;
    EXPECT_EQ(FSOpenIterator(&file, kFSIterateFlat, &it), errFSNotAFolder);
    FSRef folder = RefFor(dir.path());
    EXPECT_EQ(FSOpenIterator(&folder, kFSIterateSubtree, &it), paramErr);
}

class Aliases : public ::testing::Test
{
protected:
    QByteArray aliasBytes(AliasHandle alias) { return QByteArray(*alias, GetHandleSize(alias)); }
    TempFolder dir;
};

TEST_F(Aliases, ResolveToTheSameFolderAlsoAfterARename)
{
    ASSERT_TRUE(MakeFolder(dir / "Destination"));
    FSRef target = RefFor(dir / "Destination");
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &target, &alias), noErr);

    FSRef resolved;
    Boolean changed = true;
    ASSERT_EQ(FSResolveAlias(nullptr, alias, &resolved, &changed), noErr);
    EXPECT_FALSE(changed);
    EXPECT_EQ(PathFor(resolved), dir / "Destination");

    ASSERT_EQ(::rename((dir / "Destination").constData(), (dir / "Renamed").constData()), 0);
    ASSERT_EQ(FSResolveAliasBytes(aliasBytes(alias), &resolved, &changed), noErr);
    EXPECT_TRUE(changed);
    EXPECT_EQ(PathFor(resolved), dir / "Renamed");

    // Moved out of its folder, with another folder taking its old name: the
    // alias does not hand out the stranger.
    ASSERT_TRUE(MakeFolder(dir / "elsewhere"));
    ASSERT_EQ(::rename((dir / "Renamed").constData(), (dir / "elsewhere/Renamed").constData()), 0);
    ASSERT_TRUE(MakeFolder(dir / "Destination"));
    EXPECT_EQ(FSResolveAlias(nullptr, alias, &resolved, &changed), fnfErr);
    DisposeHandle(alias);
}

TEST_F(Aliases, FromSpecificationsAndUpdated)
{
    ASSERT_TRUE(MakeFolder(dir / "one"));
    ASSERT_TRUE(MakeFolder(dir / "two"));
    FSSpec one;
    FSSpec two;
    FSRef refOne = RefFor(dir / "one");
    FSRef refTwo = RefFor(dir / "two");
    ASSERT_EQ(FSGetCatalogInfo(&refOne, kFSCatInfoNone, nullptr, nullptr, &one, nullptr), noErr);
    ASSERT_EQ(FSGetCatalogInfo(&refTwo, kFSCatInfoNone, nullptr, nullptr, &two, nullptr), noErr);

    AliasHandle alias = nullptr;
    ASSERT_EQ(NewAlias(nullptr, &one, &alias), noErr);
    Boolean changed = false;
    ASSERT_EQ(UpdateAlias(nullptr, &one, alias, &changed), noErr);
    EXPECT_FALSE(changed);
    ASSERT_EQ(UpdateAlias(nullptr, &two, alias, &changed), noErr);
    EXPECT_TRUE(changed);
    FSRef resolved;
    ASSERT_EQ(FSResolveAlias(nullptr, alias, &resolved, nullptr), noErr);
    EXPECT_EQ(PathFor(resolved), dir / "two");
    DisposeHandle(alias);
}

TEST_F(Aliases, GarbageResolvesToAnError)
{
    ASSERT_TRUE(MakeFolder(dir / "f"));
    FSRef target = RefFor(dir / "f");
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &target, &alias), noErr);
    const QByteArray good = aliasBytes(alias);
    DisposeHandle(alias);

    std::mt19937 random(1904);
    std::vector<QByteArray> bad = {QByteArray(), "TSAL", good.left(good.size() - 1), good + "x",
                                   QByteArray(300, '\0')};
    QByteArray otherVersion = good;
    otherVersion[4] = 2;
    bad.push_back(otherVersion);
    for (int i = 0; i < 500; ++i) {
        QByteArray mutated = good;
        mutated[int(random() % good.size())] = char(random());
        if (mutated != good)
            bad.push_back(mutated);
        QByteArray noise(int(random() % 128), '\0');
        for (char& c : noise)
            c = char(random());
        bad.push_back(noise);
    }
    int resolvedToOther = 0;
    for (const QByteArray& bytes : bad) {
        FSRef out;
        const OSErr err = FSResolveAliasBytes(bytes, &out, nullptr);
        if (err == noErr && PathFor(out) != dir / "f")
            ++resolvedToOther; // a mutated inode or path that happens to name something real
    }
    EXPECT_EQ(FSResolveAliasBytes(QByteArray(), nullptr, nullptr), paramErr);
    EXPECT_LT(resolvedToOther, 5);
}

} // namespace
