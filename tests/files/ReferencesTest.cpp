// File references, file specifications and paths: every existing item
// round-trips whatever its name, and a reference stops naming an item that
// has been replaced.
#include "platform/files/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

struct NameCase {
    const char* what;
    QByteArray name;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.what; }

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
    {"starts like a token", QByteArray("\x01" "1f")},
    {"spaces and dots", "  . odd name ..jpg"},
};

class NameRoundTrip : public ::testing::TestWithParam<NameCase> {};

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

TEST(References, StopNamingAnItemThatWasReplaced)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "a", "1"));
    FSRef ref = RefFor(dir / "a");
    ASSERT_EQ(::unlink((dir / "a").constData()), 0);
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr), fnfErr);
    ASSERT_TRUE(WriteFile(dir / "keep", "2")); // hold the old inode number away
    ASSERT_TRUE(WriteFile(dir / "a", "3"));
    struct stat st;
    ASSERT_EQ(::stat((dir / "a").constData(), &st), 0);
    FSCatalogInfo info;
    const OSErr err = FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr);
    // Only a recycled inode could make the old reference valid again.
    if (err == noErr) {
        EXPECT_EQ(PathFor(ref), dir / "a");
    } else {
        EXPECT_EQ(err, fnfErr);
    }
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

} // namespace
