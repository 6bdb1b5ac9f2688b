// SPDX-License-Identifier: GPL-3.0-or-later
// What the file manager keeps beyond plain POSIX data: dates converted
// exactly, Finder information and creation dates in extended attributes,
// renaming without replacing, forks opened by reference.
#include "platform/files/Dates.h"
#include "platform/files/Files.h"
#include "platform/files/Forks.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

bool operator==(const UTCDateTime& a, const UTCDateTime& b)
{
    return a.highSeconds == b.highSeconds && a.lowSeconds == b.lowSeconds &&
           a.fraction == b.fraction;
}

UTCDateTime dateAt(SInt64 secondsSince1904, UInt16 fraction)
{
    return UTCDateTime{UInt16(secondsSince1904 >> 32), UInt32(secondsSince1904), fraction};
}

TEST(Dates, EveryFractionSurvivesTheTripThroughNanoseconds)
{
    for (UInt32 f = 0; f <= 0xFFFF; ++f) {
        const UTCDateTime date = dateAt(3'800'000'000LL, UInt16(f));
        const std::timespec t = platform::TimespecFromUTCDateTime(date);
        ASSERT_LT(t.tv_nsec, 1'000'000'000L);
        ASSERT_TRUE(platform::UTCDateTimeFromTimespec(t) == date) << "fraction " << f;
    }
}

TEST(Dates, KnownInstantsAndTheEdgesOfTheRange)
{
    struct Case {
        std::timespec unix;
        UTCDateTime expected;
    };
    const Case cases[] = {
        {{0, 0}, dateAt(2082844800, 0)},
        {{0, 500000000}, dateAt(2082844800, 0x8000)},
        {{1700000000, 999999999}, dateAt(1700000000 + 2082844800LL, 0xFFFF)},
        {{-2082844800, 0}, dateAt(0, 0)},                            // 1904-01-01
        {{-2082844801, 999999999}, dateAt(0, 0)},                    // before 1904: clamped
        {{4294967296LL, 0}, dateAt(4294967296LL + 2082844800LL, 0)}, // needs the high bits
    };
    for (const Case& c : cases)
        EXPECT_TRUE(platform::UTCDateTimeFromTimespec(c.unix) == c.expected) << c.unix.tv_sec;
}

class ItemInfo : public ::testing::Test
{
protected:
    TempFolder dir;
    QByteArray file = dir / "doc.txt";
    QByteArray folder = dir / "box";
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(file, "0123456789"));
        ASSERT_TRUE(MakeFolder(folder));
    }
};

TEST_F(ItemInfo, FinderInformationIsStoredBigEndianAndReadBackNative)
{
    FSRef ref = RefFor(file);
    FSCatalogInfo info{};
    FileInfo fi{FOUR_CHAR_CODE("TEXT"), FOUR_CHAR_CODE("ttxt"), 0x0100, {7, -2}, 0};
    std::memcpy(info.finderInfo, &fi, sizeof fi);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);

    const QByteArray stored = GetAttribute(file, "user.com.apple.FinderInfo");
    ASSERT_EQ(stored.size(), 32);
    EXPECT_EQ(stored.left(14), QByteArray("TEXTttxt\x01\x00\x00\x07\xff\xfe", 14));

    // Setting only the extended half keeps the first.
    std::memset(&info, 0, sizeof info);
    info.extFinderInfo[8] = 0x12;
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderXInfo, &info), noErr);
    FSCatalogInfo back{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoFinderInfo, &back, nullptr, nullptr, nullptr),
              noErr);
    FileInfo read;
    std::memcpy(&read, back.finderInfo, sizeof read);
    EXPECT_EQ(read.fileType, FOUR_CHAR_CODE("TEXT"));
    EXPECT_EQ(read.fileCreator, FOUR_CHAR_CODE("ttxt"));
    EXPECT_EQ(read.location.h, -2);
    EXPECT_EQ(back.extFinderInfo[8], 0x12);

    // Clearing everything leaves no attribute behind.
    std::memset(&info, 0, sizeof info);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo, &info), noErr);
    EXPECT_TRUE(GetAttribute(file, "user.com.apple.FinderInfo").isEmpty());
}

TEST_F(ItemInfo, FolderFinderInformationUsesSixteenBitFields)
{
    FSRef ref = RefFor(folder);
    FSCatalogInfo info{};
    const UInt16 flags = 0x4000; // the folder's flags word follows its window rectangle
    std::memcpy(info.finderInfo + 8, &flags, 2);
    ASSERT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoFinderInfo, &info), noErr);
    EXPECT_EQ(GetAttribute(folder, "user.com.apple.FinderInfo").mid(8, 2),
              QByteArray("\x40\x00", 2));
}

TEST_F(ItemInfo, CreationDateIsSetExactlyAndOtherwiseIsTheBirthTime)
{
    FSRef ref = RefFor(file);
    FSCatalogInfo before{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate | kFSCatInfoContentMod, &before, nullptr,
                               nullptr, nullptr),
              noErr);
    struct statx sx;
    ASSERT_EQ(::statx(AT_FDCWD, file.constData(), 0, STATX_BTIME, &sx), 0);
    const UTCDateTime birth = (sx.stx_mask & STATX_BTIME)
                                  ? platform::UTCDateTimeFromTimespec(
                                        {time_t(sx.stx_btime.tv_sec), long(sx.stx_btime.tv_nsec)})
                                  : before.contentModDate;
    EXPECT_TRUE(before.createDate == birth);

    FSCatalogInfo info{};
    info.createDate = dateAt(3000000000LL, 0x1234);
    info.accessDate = dateAt(3200000000LL, 1);
    ASSERT_EQ(FSSetCatalogInfo(
                  &ref, kFSCatInfoCreateDate | kFSCatInfoAccessDate | kFSCatInfoAttrMod, &info),
              noErr);
    FSCatalogInfo after{};
    ASSERT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoCreateDate, &after, nullptr, nullptr, nullptr),
              noErr);
    EXPECT_TRUE(after.createDate == info.createDate);
    EXPECT_TRUE(after.accessDate == info.accessDate);
    EXPECT_EQ(GetAttribute(file, "user.tessaly.creation-date"),
              QByteArray::number(3000000000LL - 2082844800LL) + ".071105958");

    EXPECT_EQ(FSSetCatalogInfo(&ref, kFSCatInfoPermissions, &info), errFSBadInfoBitmap);
}

// --- renaming -------------------------------------------------------------

struct RenameCase {
    const char* what;
    QString to;
    OSErr status;
    std::vector<QByteArray> after;
};

void PrintTo(const RenameCase& c, std::ostream* os)
{
    *os << c.what;
}

class Renaming : public ::testing::TestWithParam<RenameCase>
{
};

TEST_P(Renaming, NeverReplacesAnotherItem)
{
    const RenameCase& c = GetParam();
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "a.txt", "a"));
    ASSERT_TRUE(WriteFile(dir / "Other.txt", "other"));
    FSRef ref = RefFor(dir / "a.txt");
    FSRef renamed;
    const std::vector<UniChar> units = UnitsOf(c.to);
    EXPECT_EQ(FSRenameUnicode(&ref, units.size(), units.data(), kTextEncodingUnknown, &renamed),
              c.status);
    EXPECT_EQ(ListFolder(dir.path()), c.after);
    EXPECT_EQ(ReadFile(dir / "Other.txt"), "other");
    if (c.status == noErr) {
        EXPECT_EQ(ReadFile(PathFor(renamed)), "a");
    }
}

const RenameCase kRenames[] = {
    {"free name", "b.txt", noErr, {"Other.txt", "b.txt"}},
    {"only the case changes", "A.TXT", noErr, {"A.TXT", "Other.txt"}},
    {"same name", "a.txt", noErr, {"Other.txt", "a.txt"}},
    {"taken", "Other.txt", dupFNErr, {"Other.txt", "a.txt"}},
    {"taken in other case", "OTHER.txt", dupFNErr, {"Other.txt", "a.txt"}},
    {"slash", "x/y", bdNamErr, {"Other.txt", "a.txt"}},
    {"dot dot", "..", bdNamErr, {"Other.txt", "a.txt"}},
    {"256 units", QString(256, u'n'), errFSNameTooLong, {"Other.txt", "a.txt"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, Renaming, ::testing::ValuesIn(kRenames),
                         [](const auto& info) { return std::to_string(info.index); });

// --- forks ----------------------------------------------------------------

TEST_F(ItemInfo, ForksReadWriteAndMoveTheirMark)
{
    FSRef ref = RefFor(file);
    SInt16 fork = 0;
    ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork), noErr);
    SInt64 size = 0;
    EXPECT_EQ(FSGetForkSize(fork, &size), noErr);
    EXPECT_EQ(size, 10);

    char buffer[16] = {};
    ByteCount got = 0;
    EXPECT_EQ(FSReadFork(fork, fsFromStart, 2, 3, buffer, &got), noErr);
    EXPECT_EQ(QByteArray(buffer, int(got)), "234");
    EXPECT_EQ(FSReadFork(fork, fsAtMark | noCacheMask, 0, 16, buffer, &got), eofErr);
    EXPECT_EQ(QByteArray(buffer, int(got)), "56789");
    EXPECT_EQ(FSReadFork(fork, fsFromLEOF, -1, 1, buffer, &got), noErr);
    EXPECT_EQ(buffer[0], '9');

    EXPECT_EQ(FSSetForkPosition(fork, fsFromStart, 11), eofErr);
    EXPECT_EQ(FSSetForkPosition(fork, fsFromMark, -20), posErr);
    EXPECT_EQ(FSSetForkPosition(fork, 9, 0), errFSBadPosMode);
    EXPECT_EQ(FSSetForkPosition(fork, fsFromStart, 8), noErr);
    EXPECT_EQ(FSWriteFork(fork, fsAtMark, 0, 4, "WXYZ", &got), noErr);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(ReadFile(file), "01234567WXYZ");
    EXPECT_EQ(FSGetForkSize(fork, &size), rfNumErr);

    ASSERT_EQ(FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork), noErr);
    EXPECT_EQ(FSWriteFork(fork, fsFromStart, 0, 1, "!", &got), wrPermErr);
    EXPECT_EQ(FSCloseFork(fork), noErr);
    EXPECT_EQ(ReadFile(file), "01234567WXYZ");
}

TEST_F(ItemInfo, OnlyThePlainFileNamedIsOpened)
{
    ASSERT_EQ(::symlink("doc.txt", (dir / "link").constData()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").constData(), 0644), 0);
    // Replaced while the old file lives on elsewhere, so its inode is not reused.
    ASSERT_TRUE(WriteFile(dir / "gone", "old"));
    const FSRef stale = RefFor(dir / "gone");
    ASSERT_EQ(::rename((dir / "gone").constData(), (dir / "old").constData()), 0);
    ASSERT_TRUE(WriteFile(dir / "gone", "new"));

    const UniChar rsrc[] = {'R', 'E', 'S', 'O', 'U', 'R', 'C', 'E', '_', 'F', 'O', 'R', 'K'};
    struct Case {
        const char* what;
        FSRef ref;
        UniCharCount forkNameLength;
        OSErr status;
    };
    const Case cases[] = {
        {"folder", RefFor(folder), 0, notAFileErr},
        {"symbolic link", RefFor(dir / "link"), 0, notAFileErr},
        {"FIFO", RefFor(dir / "fifo"), 0, notAFileErr},
        {"replaced since", stale, 0, fnfErr},
        {"resource fork", RefFor(file), std::size(rsrc), errFSForkNotFound},
    };
    for (const Case& c : cases) {
        SInt16 fork = 7;
        EXPECT_EQ(FSOpenFork(&c.ref, c.forkNameLength, rsrc, fsRdPerm, &fork), c.status) << c.what;
        EXPECT_EQ(fork, 0) << c.what;
    }
}

} // namespace
