// SPDX-License-Identifier: GPL-3.0-or-later
// File references, file specifications and paths: every existing item
// round-trips whatever its name, and a reference stops naming an item that
// has been replaced.
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

struct NameCase {
    const char* what;
    QByteArray name;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.what;
}

QByteArray bytesOfLength(int n, char fill)
{
    return QByteArray(n, fill);
}

const NameCase kNames[] = {
    {"plain", "photo.png"},
    {"63 bytes fits a file specification", bytesOfLength(59, 'a') + ".png"},
    {"64 bytes does not", bytesOfLength(60, 'b') + ".png"},
    {"255 bytes", bytesOfLength(251, 'c') + ".png"},
    {"not UTF-8", QByteArray("caf\xe9-\xff\xfe.jpg")},
    {"UTF-8 outside the basic plane", QByteArray("\xf0\x9f\x93\xb7 snap.jpg")},
    {"starts like a token", QByteArray("\x01"
                                       "1f")},
    {"spaces and dots", "  . odd name ..jpg"},
};

class NameRoundTrip : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(NameRoundTrip, ReferenceSpecificationPathAndNameAgree)
{
    TempFolder dir;
    const QByteArray path = dir / GetParam().name;
    ASSERT_TRUE(WriteFile(path, "x"));

    FSRef ref;
    Boolean isFolder = true;
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.constData()), &ref, &isFolder),
              noErr);
    EXPECT_FALSE(isFolder);

    UInt8 back[1024];
    ASSERT_EQ(FSRefMakePath(&ref, back, sizeof back), noErr);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(back)), path);

    FSSpec spec;
    HFSUniStr255 name;
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, &name, &spec, nullptr), noErr);
    FSRef again;
    ASSERT_EQ(FSpMakeFSRef(&spec, &again), noErr);
    EXPECT_EQ(FSCompareFSRefs(&ref, &again), noErr);

    // The UTF-16 name looks the item up again, byte for byte.
    FSRef parent = RefFor(dir.path());
    FSRef byName;
    ASSERT_EQ(FSMakeFSRefUnicode(&parent, name.length, name.unicode, kTextEncodingUnknown, &byName),
              noErr);
    EXPECT_EQ(PathFor(byName), path);
}

INSTANTIATE_TEST_SUITE_P(Names, NameRoundTrip, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::to_string(info.index); });

// The file system hands a new file the inode number of one just removed
// (ext4 does so nearly every time): the old reference must not reach it.
TEST(References, NeverReachTheFileThatReplacedTheirs)
{
    TempFolder dir;
    const QByteArray path = dir / "report.txt";
    int reused = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(WriteFile(path, "old"));
        struct stat before;
        ASSERT_EQ(::lstat(path.constData(), &before), 0);
        const FSRef old = RefFor(path);
        ASSERT_EQ(::unlink(path.constData()), 0);
        ASSERT_TRUE(WriteFile(path, "new"));
        struct stat after;
        ASSERT_EQ(::lstat(path.constData(), &after), 0);
        reused += before.st_ino == after.st_ino;

        const FSRef fresh = RefFor(path);
        FSCatalogInfo info;
        EXPECT_EQ(FSGetCatalogInfo(&old, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr),
                  fnfErr);
        EXPECT_EQ(FSCompareFSRefs(&old, &fresh), fnfErr);
        SInt16 fork = 0;
        EXPECT_EQ(FSOpenFork(&old, 0, nullptr, fsRdWrPerm, &fork), fnfErr);
        EXPECT_EQ(FSGetCatalogInfo(&fresh, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr),
                  noErr);
        EXPECT_EQ(ReadFile(path), "new");
        ASSERT_EQ(::unlink(path.constData()), 0);
    }
    RecordProperty("inode numbers reused", reused);
}

// What a reference checks must not change when the item itself changes.
TEST(References, KeepNamingTheirItemThroughItsOwnChanges)
{
    TempFolder dir;
    const QByteArray path = dir / "item";
    ASSERT_TRUE(WriteFile(path, "first"));
    const FSRef ref = RefFor(path);
    struct Change {
        const char* what;
        std::function<bool()> apply;
    };
    const Change changes[] = {
        {"content rewritten", [&] { return WriteFile(path, "second, longer"); }},
        {"permissions", [&] { return ::chmod(path.constData(), 0600) == 0; }},
        {"times", [&] { return ::utimensat(AT_FDCWD, path.constData(), nullptr, 0) == 0; }},
        {"attribute", [&] { return SetAttribute(path, "user.xdg.comment", "note"); }},
        {"truncated", [&] { return ::truncate(path.constData(), 0) == 0; }},
        {"hard link added",
         [&] { return ::link(path.constData(), (dir / "twin").constData()) == 0; }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.apply());
        FSCatalogInfo info;
        EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr),
                  noErr);
        SInt16 fork = 0;
        ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork), noErr);
        FSCloseFork(fork);
    }
}

// A file system that keeps neither file handles nor birth times (ramfs)
// still gives references that work; only the check against a reused inode
// number is left to device and inode there.
TEST(References, WorkOnAFileSystemWithoutHandlesOrBirthTimes)
{
    const auto report = RunWithoutAttributes([](const QByteArray& folder) {
        std::string out;
        const QByteArray path = folder + "/a";
        if (!WriteFile(path, "1"))
            return std::string("cannot write");
        const FSRef ref = RefFor(path);
        FSCatalogInfo info;
        out += std::to_string(
                   FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr)) +
               ' ';
        ::unlink(path.constData());
        out += std::to_string(
            FSGetCatalogInfo(&ref, kFSCatInfoDataSizes, &info, nullptr, nullptr, nullptr));
        return out;
    });
    if (!report)
        GTEST_SKIP() << "this machine allows no private ramfs mount";
    EXPECT_EQ(*report, "0 -43");
}

TEST(References, GarbageIsRefusedNotFollowed)
{
    FSRef garbage;
    std::memset(&garbage, 0xA5, sizeof garbage);
    EXPECT_EQ(FSGetCatalogInfo(&garbage, kFSCatInfoNodeFlags, nullptr, nullptr, nullptr, nullptr),
              paramErr);
    FSSpec spec{};
    spec.vRefNum = 7;
    FSRef out;
    EXPECT_EQ(FSpMakeFSRef(&spec, &out), paramErr);
}

TEST(CatalogInfo, TellsFoldersFilesAndLinksApart)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "sub"));
    ASSERT_TRUE(WriteFile(dir / "file", "12345"));
    ASSERT_EQ(::symlink("sub", (dir / "link").constData()), 0);
    ASSERT_EQ(::symlink("loop", (dir / "loop").constData()), 0);

    struct Case {
        QByteArray name;
        bool folder;
        UInt64 size;
    };
    for (const Case& c : {Case{"sub", true, 0}, Case{"file", false, 5}, Case{"link", false, 3},
                          Case{"loop", false, 4}}) {
        SCOPED_TRACE(c.name.constData());
        FSRef ref = RefFor(dir / c.name);
        FSCatalogInfo info;
        ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags | kFSCatInfoDataSizes, &info, nullptr,
                                   nullptr, nullptr),
                  noErr);
        EXPECT_EQ((info.nodeFlags & kFSNodeIsDirectoryMask) != 0, c.folder);
        EXPECT_EQ(info.dataLogicalSize, c.size);
    }
}

TEST(Paths, AreNormalisedButALastLinkIsNotFollowed)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "real"));
    ASSERT_EQ(::symlink("real", (dir / "alias").constData()), 0);
    ASSERT_TRUE(WriteFile(dir / "real/f", "x"));

    FSRef ref;
    const QByteArray dotted = dir.path() + "/./alias/../real//f";
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(dotted.constData()), &ref, nullptr),
              noErr);
    EXPECT_EQ(PathFor(ref), dir / "real/f");

    Boolean isFolder = true;
    const QByteArray link = dir / "alias";
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(link.constData()), &ref, &isFolder),
              noErr);
    EXPECT_FALSE(isFolder);
    EXPECT_EQ(PathFor(ref), link);

    const QByteArray missing = dir / "nothing";
    EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(missing.constData()), &ref, nullptr),
              fnfErr);
}

// A path names an item as a name does: letter case is ignored where no item
// has the exact name, in the last component and in the folders on the way.
// A trailing "/" leads through a last link to a folder, as it does in POSIX.
TEST(Paths, IgnoreLetterCaseAsNamesDoAndFollowALinkBeforeASlash)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "Real"));
    ASSERT_TRUE(WriteFile(dir / "Real/Data.bin", "x"));
    ASSERT_TRUE(WriteFile(dir / "Real/data.BIN", "twin")); // the exact name wins
    ASSERT_TRUE(WriteFile(dir / "plain", "p"));
    ASSERT_EQ(::symlink("Real", (dir / "Link").constData()), 0);

    struct Case {
        QByteArray asked;
        OSErr status;
        QByteArray found;
    };
    const Case cases[] = {
        {"Real/Data.bin", noErr, "Real/Data.bin"},
        {"Real/data.BIN", noErr, "Real/data.BIN"},
        {"REAL/DATA.BIN", noErr, "Real/Data.bin"},
        {"real/data.bin", noErr, "Real/Data.bin"},
        {"real", noErr, "Real"},
        {"link", noErr, "Link"},
        {"link/", noErr, "Real"},
        {"LINK/DATA.BIN", noErr, "Real/Data.bin"},
        {"Link/../plain", noErr, "plain"},
        {"real/", noErr, "Real"},
        {"plain/", dirNFErr, ""},
        {"real/missing", fnfErr, ""},
        {"missing/data.bin", fnfErr, ""},
        {"plain/data.bin", dirNFErr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked.constData());
        const QByteArray path = dir / c.asked;
        FSRef ref;
        ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.constData()), &ref, nullptr),
                  c.status);
        if (c.status == noErr) {
            EXPECT_EQ(PathFor(ref), dir / c.found);
        }
    }
}

// What a user names an item with (a launch argument, a dropped URI) becomes
// the path of exactly the bytes meant; escapes stand for bytes, not text.
TEST(Paths, ItemsGivenAsPathsOrFileUrisKeepEveryByte)
{
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const QByteArray here(cwd);
    struct Case {
        QByteArray item;
        QByteArray path; // empty: names no local item
    };
    const Case cases[] = {
        {"/tmp/caf\xe9.png", "/tmp/caf\xe9.png"},
        {"/tmp/x\xff.png", "/tmp/x\xff.png"},
        {"file:///tmp/x%FF.png", "/tmp/x\xff.png"},
        {"file:///tmp/caf%e9%20au%20lait.png", "/tmp/caf\xe9 au lait.png"},
        {"file://localhost/tmp/a.png", "/tmp/a.png"},
        {"FILE:///tmp/a.png", "/tmp/a.png"},
        {"file:/tmp/a.png", "/tmp/a.png"},
        {"file:///tmp/a.png?size=2#top", "/tmp/a.png"},
        {"file:///tmp/folder/", "/tmp/folder/"},
        {"/tmp/./folder//", "/tmp/folder/"},
        {"x\xff.png", here + "/x\xff.png"},
        {"at 10:30.png", here + "/at 10:30.png"},
        {"file://elsewhere/tmp/a.png", ""},
        {"https://example.org/a.png", ""},
        {"file:relative.png", ""},
        {"file:///tmp/nul%00.png", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item.toPercentEncoding("/:").constData());
        EXPECT_EQ(platform::PathOfItem(c.item), c.path);
    }
    // A path's URI escapes what is not plain ASCII and comes back whole.
    const QByteArray odd = "/tmp/caf\xe9 #1?\xff%.png";
    EXPECT_EQ(platform::FileURIOfPath(odd), "file:///tmp/caf%E9%20%231%3F%FF%25.png");
    EXPECT_EQ(platform::PathOfFileURI(platform::FileURIOfPath(odd)), odd);
}

} // namespace
