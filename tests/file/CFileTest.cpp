// SPDX-License-Identifier: GPL-3.0-or-later
// CFile's queries, changes, creation by path and whole-fork reading and
// writing, on real files: each table holds the cases of one operation.
#include "file/CFile.h"
#include "platform/events/Descriptors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

std::unique_ptr<char[]> owned(char* buffer)
{
    return std::unique_ptr<char[]>(buffer);
}

// A folder with a file, a subfolder, links to both, and a reference to a
// file that has since been replaced.
class Items : public ::testing::Test
{
protected:
    TempFolder dir;
    FSRef folderRef{};
    FSRef staleRef{};
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(dir / "data.bin", QByteArray(100, 'd')));
        ASSERT_TRUE(MakeFolder(dir / "Sub"));
        ASSERT_EQ(::symlink("Sub", (dir / "to sub").constData()), 0);
        ASSERT_EQ(::symlink("data.bin", (dir / "to data").constData()), 0);
        ASSERT_EQ(::symlink("nowhere", (dir / "broken").constData()), 0);
        ASSERT_TRUE(WriteFile(dir / "stale", "old"));
        staleRef = RefFor(dir / "stale");
        ASSERT_EQ(::rename((dir / "stale").constData(), (dir / "kept").constData()), 0);
        ASSERT_TRUE(WriteFile(dir / "stale", "new"));
        folderRef = RefFor(dir.path());
    }
    FSRef ref(const char* name) const { return RefFor(dir / name); }
};

TEST_F(Items, KindsOfItems)
{
    struct Case {
        const char* name;
        bool directory, file, aliasedDirectory;
    };
    for (const Case& c : {Case{"Sub", true, false, false}, Case{"data.bin", false, true, false},
                          Case{"to sub", false, true, true}, Case{"to data", false, true, false},
                          Case{"broken", false, true, false}}) {
        const FSRef r = ref(c.name);
        EXPECT_EQ(CFile::IsADirectory(r), c.directory) << c.name;
        EXPECT_EQ(CFile::IsAFile(r), c.file) << c.name;
        EXPECT_EQ(CFile::FileIsAliasedDirectory(&r), c.aliasedDirectory) << c.name;
    }
    // An item that cannot be read is neither.
    EXPECT_FALSE(CFile::IsADirectory(staleRef));
    EXPECT_FALSE(CFile::IsAFile(staleRef));
    EXPECT_FALSE(CFile::FileIsAliasedDirectory(&staleRef));
}

TEST_F(Items, ExistenceIsFalseOnlyForAMissingItem)
{
    FSRef found;
    EXPECT_TRUE(CFile::FSObjectExists(folderRef, "DATA.BIN", found));
    EXPECT_EQ(PathFor(found), dir / "data.bin");
    EXPECT_FALSE(CFile::FSObjectExists(folderRef, "absent", found));
    // A look-up that fails for another reason counts as existing.
    EXPECT_TRUE(CFile::FSObjectExists(ref("data.bin"), "x", found));
    EXPECT_TRUE(CFile::FSObjectExists(folderRef, "a/b", found));

    FSRef parent;
    EXPECT_TRUE(CFile::FSObjectExists(ref("Sub"), parent));
    EXPECT_EQ(PathFor(parent), dir.path());
    EXPECT_FALSE(CFile::FSObjectExists(staleRef, parent));
}

TEST_F(Items, SizesCountTheResourceForkAndAreZeroOnFailure)
{
    ASSERT_TRUE(SetAttribute(dir / "data.bin", "user.com.apple.ResourceFork", QByteArray(50, 'r')));
    unsigned long long size = 1;
    EXPECT_EQ(CFile::FSGetDataForkSize(ref("data.bin"), size), noErr);
    EXPECT_EQ(size, 100u);
    EXPECT_EQ(CFile::FSGetSize(ref("data.bin"), size), noErr);
    EXPECT_EQ(size, 150u);
    EXPECT_EQ(CFile::FSGetSize(staleRef, size), fnfErr);
    EXPECT_EQ(size, 0u);
    size = 1;
    EXPECT_EQ(CFile::FSGetDataForkSize(staleRef, size), fnfErr);
    EXPECT_EQ(size, 0u);
}

TEST_F(Items, TypeAndCreatorCodes)
{
    const FSRef data = ref("data.bin");
    unsigned long code = 1;
    EXPECT_EQ(CFile::FSGetType(data, code), noErr);
    EXPECT_EQ(code, 0u); // never set
    EXPECT_EQ(CFile::FSSetType(data, FOUR_CHAR_CODE("JPEG")), noErr);
    EXPECT_EQ(CFile::FSSetCreator(data, FOUR_CHAR_CODE("prvw")), noErr);
    EXPECT_EQ(CFile::FSGetType(data, code), noErr);
    EXPECT_EQ(code, FOUR_CHAR_CODE("JPEG"));
    EXPECT_EQ(CFile::FSGetCreator(data, code), noErr);
    EXPECT_EQ(code, FOUR_CHAR_CODE("prvw"));

    EXPECT_EQ(CFile::FSGetCreator(staleRef, code), fnfErr);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(CFile::FSSetType(staleRef, FOUR_CHAR_CODE("JPEG")), fnfErr);
}

TEST_F(Items, CommentsAreTheFreedesktopAttribute)
{
    const FSRef data = ref("data.bin");
    EXPECT_EQ(CFile::FSGetComment(data), QString(""));
    EXPECT_FALSE(CFile::FSGetComment(data).isNull());
    EXPECT_EQ(CFile::FSSetComment(data, QString::fromUtf8("Gruß vom Strand")), noErr);
    EXPECT_EQ(GetAttribute(dir / "data.bin", "user.xdg.comment"), "Gru\xc3\x9f vom Strand");
    EXPECT_EQ(CFile::FSGetComment(data), QString::fromUtf8("Gruß vom Strand"));
    EXPECT_EQ(CFile::FSSetComment(data, ""), noErr);
    EXPECT_TRUE(GetAttribute(dir / "data.bin", "user.xdg.comment").isEmpty());

    EXPECT_TRUE(CFile::FSGetComment(staleRef).isNull());
    EXPECT_EQ(CFile::FSSetComment(ref("to sub"), "x"), errFSOperationNotSupported);
}

TEST_F(Items, NamesPathsAndSpecifications)
{
    FSRef data = ref("data.bin");
    EXPECT_EQ(CFile::FSGetObjectName(data), "data.bin");
    EXPECT_TRUE(CFile::FSGetObjectName(staleRef).isNull());

    unsigned char path[256];
    ASSERT_EQ(CFile::FSGetPascalPath(data, path), noErr);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(path + 1), path[0]), dir / "data.bin");

    // A path over 254 bytes does not fit and leaves the buffer alone.
    const QByteArray longName(250, 'L');
    ASSERT_TRUE(WriteFile(dir / longName, "x"));
    std::memset(path, 0xAB, sizeof path);
    EXPECT_NE(CFile::FSGetPascalPath(ref(longName.constData()), path), noErr);
    EXPECT_EQ(path[0], 0xAB);

    EXPECT_EQ(CFile::FSSetObjectName(data, "Data.BIN"), noErr);
    EXPECT_EQ(PathFor(data), dir / "Data.BIN");
}

TEST_F(Items, DescriptorsOfEveryFormGiveTheSameReference)
{
    const FSRef data = ref("data.bin");
    FSSpec spec;
    ASSERT_EQ(CFile::FSMakeFSSpec(&data, &spec), noErr);
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &data, &alias), noErr);
    const QByteArray aliasBytes(*alias, qsizetype(GetHandleSize(alias)));
    DisposeHandle(alias);
    const QByteArray url = "file://" + (dir / "data.bin");

    struct Case {
        DescType type;
        QByteArray bytes;
    };
    for (const Case& c :
         {Case{typeFSRef, QByteArray(reinterpret_cast<const char*>(&data), sizeof data)},
          Case{typeFSS, QByteArray(reinterpret_cast<const char*>(&spec), sizeof spec)},
          Case{typeAlias, aliasBytes}, Case{typeFileURL, url}}) {
        AEDesc desc;
        ASSERT_EQ(AECreateDesc(c.type, c.bytes.constData(), Size(c.bytes.size()), &desc), noErr);
        FSRef out{};
        EXPECT_EQ(CFile::GetFSRefFromAEDesc(&out, &desc), noErr);
        EXPECT_EQ(FSCompareFSRefs(&out, &data), noErr);
        AEDisposeDesc(&desc);
    }
}

UTCDateTime dateAt(SInt64 seconds, UInt16 fraction)
{
    return UTCDateTime{UInt16(seconds >> 32), UInt32(seconds), fraction};
}

FSCatalogInfo datesOf(const FSRef& r)
{
    FSCatalogInfo info{};
    EXPECT_EQ(FSGetCatalogInfo(&r, kFSCatInfoCreateDate | kFSCatInfoContentMod, &info, nullptr,
                               nullptr, nullptr),
              noErr);
    return info;
}

bool sameDate(const UTCDateTime& a, const UTCDateTime& b)
{
    return a.highSeconds == b.highSeconds && a.lowSeconds == b.lowSeconds &&
           a.fraction == b.fraction;
}

TEST_F(Items, DatesAreSetAndReadExactly)
{
    const FSRef data = ref("data.bin");
    const UTCDateTime modified = dateAt(0x1'2345'6789LL, 0x8001);
    const UTCDateTime created = dateAt(3'000'000'000LL, 0x00FF);
    EXPECT_EQ(CFile::FSSetModCreateDate(data, &modified, &created), noErr);
    FSCatalogInfo info = datesOf(data);
    EXPECT_TRUE(sameDate(info.contentModDate, modified));
    EXPECT_TRUE(sameDate(info.createDate, created));
    unsigned long low = 0;
    EXPECT_EQ(CFile::FSGetModDateAsUInt32(data, low), noErr);
    EXPECT_EQ(low, 0x2345'6789u);

    const UTCDateTime all = dateAt(3'500'000'000LL, 0x4000);
    EXPECT_EQ(CFile::FSSetModCreateAccessDate(data, &all), noErr);
    info = datesOf(data);
    EXPECT_TRUE(sameDate(info.contentModDate, all));
    EXPECT_TRUE(sameDate(info.createDate, all));
}

TEST_F(Items, DatesOfAnItemThatCannotBeReadStayAsTheyAre)
{
    const FSRef now = ref("stale");
    const FSCatalogInfo before = datesOf(now);
    const UTCDateTime date = dateAt(3'000'000'000LL, 0);
    EXPECT_EQ(CFile::FSSetModCreateAccessDate(staleRef, &date), noErr);
    EXPECT_EQ(CFile::FSSetModCreateDate(staleRef, &date, &date), noErr);
    const FSCatalogInfo after = datesOf(now);
    EXPECT_TRUE(sameDate(after.contentModDate, before.contentModDate));
    EXPECT_TRUE(sameDate(after.createDate, before.createDate));
    EXPECT_TRUE(GetAttribute(dir / "stale", "user.tessaly.creation-date").isEmpty());
    EXPECT_TRUE(GetAttribute(dir / "kept", "user.tessaly.creation-date").isEmpty());
}

// --- creation ---------------------------------------------------------------

TEST_F(Items, CreationByParentAndNameLeavesExistingItemsAlone)
{
    FSRef made;
    EXPECT_EQ(CFile::FSCreateFile(folderRef, "Data.Bin", made), noErr);
    EXPECT_EQ(PathFor(made), dir / "data.bin");
    EXPECT_EQ(ReadFile(dir / "data.bin"), QByteArray(100, 'd'));

    // The variant with codes sets them on the existing file too.
    EXPECT_EQ(CFile::FSCreateFile(folderRef, "data.bin", FOUR_CHAR_CODE("ttxt"),
                                  FOUR_CHAR_CODE("TEXT"), made),
              noErr);
    unsigned long type = 0;
    unsigned long creator = 0;
    CFile::FSGetType(made, type);
    CFile::FSGetCreator(made, creator);
    EXPECT_EQ(type, FOUR_CHAR_CODE("TEXT"));
    EXPECT_EQ(creator, FOUR_CHAR_CODE("ttxt"));

    EXPECT_EQ(CFile::FSCreateFile(folderRef, "new.txt", made), noErr);
    EXPECT_EQ(ReadFile(dir / "new.txt"), "");
    EXPECT_EQ(CFile::FSCreateDirectory(folderRef, "SUB", made), noErr);
    EXPECT_EQ(PathFor(made), dir / "Sub");
    EXPECT_EQ(CFile::FSCreateDirectory(folderRef, "Fresh", made), noErr);
    EXPECT_TRUE(CFile::IsADirectory(made));

    // A look-up that fails is not taken for an existing item.
    EXPECT_EQ(CFile::FSCreateFile(ref("data.bin"), "x", made), dirNFErr);
    EXPECT_EQ(CFile::FSCreateDirectory(ref("data.bin"), "x", made), dirNFErr);
}

struct PathCase {
    const char* what;
    QString path; // "@" stands for the temporary folder
    OSErr status;
    QByteArray createdAt; // relative to the folder; empty when nothing is made
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.what;
}

class CreationByPath : public ::testing::TestWithParam<PathCase>
{
};

TEST_P(CreationByPath, MakesOnlyAMissingFileInAnExistingFolder)
{
    const PathCase& c = GetParam();
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "there.txt", "keep"));
    ASSERT_TRUE(MakeFolder(dir / "real"));
    ASSERT_EQ(::symlink("real", (dir / "link").constData()), 0);
    const std::vector<QByteArray> before = ListFolder(dir.path());
    QString path = c.path;
    path.replace("@", QString::fromUtf8(dir.path()));
    FSRef made{};
    EXPECT_EQ(CFile::FSCreateFile(path, made), c.status);
    if (!c.createdAt.isEmpty()) {
        EXPECT_EQ(PathFor(made), dir / c.createdAt);
        EXPECT_TRUE(Exists(dir / c.createdAt));
    } else {
        EXPECT_EQ(ListFolder(dir.path()), before);
    }
    EXPECT_EQ(ReadFile(dir / "there.txt"), "keep");
}

const PathCase kPaths[] = {
    {"existing file", "@/there.txt", noErr, "there.txt"},
    {"missing file in an existing folder", "@/new.txt", noErr, "new.txt"},
    {"name that is not UTF-8", QString::fromUtf8("@/caf") + QChar(0xDCE9), noErr, "caf\xe9"},
    {"existing file in other letter case", "@/THERE.TXT", noErr, "there.txt"},
    {"through a linked folder", "@/link/new1", noErr, "real/new1"},
    {"through a linked folder named in other case", "@/LINK/new2", noErr, "real/new2"},
    {"in a folder named in other letter case", "@/REAL/new3", noErr, "real/new3"},
    {"the linked folder itself", "@/link", noErr, "link"},
    {"a lone surrogate in the name", QString::fromUtf16(u"@/\xD800x"), bdNamErr, ""},
    {"no slash at all", "nothing-here.txt", fnfErr, ""},
    {"missing folder", "@/missing/new.txt", fnfErr, ""},
    {"ends in a slash", "@/newdir/", fnfErr, ""},
    {"NUL inside", QString("@/a") + QChar(0) + "b", bdNamErr, ""},
    {"longer than 1026 bytes", "@/" + QString(1100, u'x'), pathTooLongErr, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, CreationByPath, ::testing::ValuesIn(kPaths),
                         [](const auto& info) { return std::to_string(info.index); });

// Every way of naming an item decides whether it exists the same way: with
// data.bin present, "DATA.BIN" names it by parent and name and by path alike.
TEST(Existence, IsDecidedAlikeByEveryWayOfNamingAnItem)
{
    struct Case {
        const char* what;
        std::function<OSErr(const QByteArray& dir, FSRef* named)> call;
        QByteArray contents; // of data.bin afterwards
    };
    const Case cases[] = {
        {"create by parent and name",
         [](const QByteArray& dir, FSRef* named) {
             return CFile::FSCreateFile(RefFor(dir), "DATA.BIN", *named);
         },
         "original"},
        {"create by path",
         [](const QByteArray& dir, FSRef* named) {
             return CFile::FSCreateFile(QString::fromUtf8(dir) + "/DATA.BIN", *named);
         },
         "original"},
        {"create by path with codes",
         [](const QByteArray& dir, FSRef* named) {
             return CFile::FSCreateFile(QString::fromUtf8(dir) + "/Data.Bin", 0, 0, *named);
         },
         "original"},
        {"write by path",
         [](const QByteArray& dir, FSRef* named) {
             *named = RefFor(dir + "/data.bin");
             return CFile::WriteFile((dir + "/DATA.BIN").constData(), "NEW", 3);
         },
         "NEWginal"},
        {"read by path",
         [](const QByteArray& dir, FSRef* named) {
             *named = RefFor(dir + "/data.bin");
             std::unique_ptr<char[]> read(
                 CFile::ReadFile(QString::fromUtf8(dir) + "/DATA.bin", nullptr));
             return read && QByteArray(read.get(), 8) == "original" ? noErr : fnfErr;
         },
         "original"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        ASSERT_TRUE(WriteFile(dir / "data.bin", "original"));
        FSRef named{};
        EXPECT_EQ(c.call(dir.path(), &named), noErr);
        EXPECT_EQ(PathFor(named), dir / "data.bin");
        EXPECT_EQ(ListFolder(dir.path()), std::vector<QByteArray>{"data.bin"});
        EXPECT_EQ(ReadFile(dir / "data.bin"), c.contents);
    }
}

TEST(WriteFileByPath, ReachesFilesThroughLinkedFolders)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "real"));
    ASSERT_EQ(::symlink("real", (dir / "link").constData()), 0);
    EXPECT_EQ(CFile::WriteFile((dir / "link/new1-w").constData(), "via link", 8), noErr);
    EXPECT_EQ(ReadFile(dir / "real/new1-w"), "via link");
    EXPECT_EQ(CFile::WriteFile((dir / "link/NEW1-W").constData(), "VIA", 3), noErr);
    EXPECT_EQ(ReadFile(dir / "real/new1-w"), "VIA link");
    EXPECT_EQ(ListFolder(dir / "real"), std::vector<QByteArray>{"new1-w"});
}

// A reference to a removed file must not reach the file created in its
// place, even when that one has the same inode number (ext4 hands it out
// again nearly every time).
TEST(StaleReferences, NeitherReadNorWriteTheFileThatReplacedTheirs)
{
    TempFolder dir;
    const QByteArray path = dir / "report.txt";
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(WriteFile(path, "first report"));
        const FSRef old = RefFor(path);
        ASSERT_EQ(::unlink(path.constData()), 0);
        ASSERT_TRUE(WriteFile(path, "new report"));

        EXPECT_EQ(CFile::WriteFile(old, "OVERWRITTEN", 11), fnfErr);
        EXPECT_EQ(std::unique_ptr<char[]>(CFile::ReadFile(old)), nullptr);
        FSRef parent;
        EXPECT_FALSE(CFile::FSObjectExists(old, parent));
        unsigned long long size = 1;
        EXPECT_EQ(CFile::FSGetDataForkSize(old, size), fnfErr);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(CFile::FSSetType(old, FOUR_CHAR_CODE("TEXT")), fnfErr);
        EXPECT_EQ(ReadFile(path), "new report");
        EXPECT_EQ(GetAttribute(path, "user.com.apple.FinderInfo"), "");
        ASSERT_EQ(::unlink(path.constData()), 0);
    }
}

// --- whole data forks ---------------------------------------------------------

TEST_F(Items, WholeForksAreReadEveryWay)
{
    const QByteArray bytes("\x00\x01picture\xff", 10);
    ASSERT_TRUE(WriteFile(dir / "p.bin", bytes));
    ASSERT_TRUE(WriteFile(dir / "empty", ""));

    auto read = owned(CFile::ReadFile(ref("p.bin")));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(QByteArray(read.get(), 10), bytes);
    auto empty = owned(CFile::ReadFile(ref("empty")));
    EXPECT_NE(empty, nullptr);

    auto byPath = owned(CFile::ReadFile(QString::fromUtf8(dir / "p.bin"), nullptr));
    ASSERT_NE(byPath, nullptr);
    EXPECT_EQ(QByteArray(byPath.get(), 10), bytes);

    FSSpec spec;
    const FSRef p = ref("p.bin");
    ASSERT_EQ(CFile::FSMakeFSSpec(&p, &spec), noErr);
    auto bySpec = owned(CFile::ReadFile(spec.vRefNum, spec.parID, spec.name));
    ASSERT_NE(bySpec, nullptr);
    EXPECT_EQ(QByteArray(bySpec.get(), 10), bytes);

    EXPECT_EQ(owned(CFile::ReadFile(ref("Sub"))), nullptr);
    EXPECT_EQ(owned(CFile::ReadFile(staleRef)), nullptr);
    EXPECT_EQ(owned(CFile::ReadFile(QString::fromUtf8(dir / "none"), nullptr)), nullptr);
    const unsigned char missing[] = "\x04none";
    EXPECT_EQ(owned(CFile::ReadFile(spec.vRefNum, spec.parID, missing)), nullptr);
}

TEST_F(Items, WritingReplacesOnlyTheBytesWritten)
{
    EXPECT_EQ(CFile::WriteFile(ref("data.bin"), "0123456789", 10), noErr);
    EXPECT_EQ(ReadFile(dir / "data.bin"), "0123456789" + QByteArray(90, 'd'));

    const QByteArray fresh = dir / "fresh.txt";
    EXPECT_EQ(CFile::WriteFile(fresh.constData(), "hello", 5), noErr);
    EXPECT_EQ(ReadFile(fresh), "hello");
    EXPECT_EQ(CFile::WriteFile(fresh.constData(), "J", 1), noErr);
    EXPECT_EQ(ReadFile(fresh), "Jello");

    EXPECT_EQ(CFile::WriteFile(ref("Sub"), "x", 1), notAFileErr);
    EXPECT_EQ(CFile::WriteFile((dir / "missing/x").constData(), "x", 1), fnfErr);
    EXPECT_EQ(CFile::WriteFile(nullptr, "x", 1), paramErr);
}

TEST_F(Items, ReadOnlyFilesAreReadAndTheirWritesFailWithAStatus)
{
    ASSERT_TRUE(WriteFile(dir / "ro.txt", "read me"));
    ASSERT_TRUE(WriteFile(dir / "secret.txt", "no"));
    GiveToUnprivileged(dir.path());
    ASSERT_EQ(::chmod((dir / "ro.txt").constData(), 0444), 0);
    ASSERT_EQ(::chmod((dir / "secret.txt").constData(), 0200), 0);
    const FSRef ro = ref("ro.txt");
    const FSRef secret = ref("secret.txt");
    const QByteArray roPath = dir / "ro.txt";
    const int status = RunUnprivileged([&] {
        std::unique_ptr<char[]> text(CFile::ReadFile(ro));
        const bool readable = text && QByteArray(text.get(), 7) == "read me";
        const bool unreadable = CFile::ReadFile(secret) == nullptr;
        const bool writeRefused = CFile::WriteFile(ro, "X", 1) == afpAccessDenied &&
                                  CFile::WriteFile(roPath.constData(), "X", 1) == afpAccessDenied;
        return readable && unreadable && writeRefused;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(dir / "ro.txt"), "read me");
}

TEST_F(Items, AWriteThatFailsIsReported)
{
    const QByteArray path = dir / "big.bin";
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        // The file may not grow past 4 bytes here: the write fails midway.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4, 4};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(CFile::WriteFile(path.constData(), "0123456789", 10) == dskFulErr ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// --- a file system without extended attributes ----------------------------------

TEST(NoAttributes, OperationsThatNeedThemSaySo)
{
    const auto report = RunWithoutAttributes([](const QByteArray& folder) {
        const QByteArray file = folder + "/plain.txt";
        FSRef ref;
        std::string out;
        auto note = [&out](const char* what, long value) {
            out += what + std::string(" ") + std::to_string(value) + "\n";
        };
        note("write", CFile::WriteFile(file.constData(), "12345", 5));
        ref = RefFor(file);
        unsigned long code = 9;
        note("get type", CFile::FSGetType(ref, code));
        note("type", long(code));
        note("set type", CFile::FSSetType(ref, FOUR_CHAR_CODE("TEXT")));
        note("set comment", CFile::FSSetComment(ref, "c"));
        note("comment is empty", CFile::FSGetComment(ref) == QString(""));
        unsigned long long size = 0;
        note("get size", CFile::FSGetSize(ref, size));
        note("size", long(size));
        const FSCatalogInfo before = datesOf(ref);
        const UTCDateTime date = dateAt(3'000'000'000LL, 0);
        note("set dates", CFile::FSSetModCreateDate(ref, &date, &date));
        const FSCatalogInfo after = datesOf(ref);
        note("modified set", sameDate(after.contentModDate, date));
        note("creation kept", sameDate(after.createDate, before.createDate) ||
                                  sameDate(after.createDate, after.contentModDate));
        return out;
    });
    if (!report)
        GTEST_SKIP() << "this machine allows no private ramfs mount";
    EXPECT_EQ(*report, "write 0\n"
                       "get type 0\n"
                       "type 0\n"
                       "set type -1426\n"
                       "set comment -1426\n"
                       "comment is empty 1\n"
                       "get size 0\n"
                       "size 5\n"
                       "set dates 0\n"
                       "modified set 1\n"
                       "creation kept 1\n");
}

} // namespace
