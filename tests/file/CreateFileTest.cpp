// SPDX-License-Identifier: GPL-3.0-or-later
// Finding items by name and creating files under a free name.
#include "file/CFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <memory>

using namespace testsupport;

namespace
{

const QRegularExpression kUuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");

struct UniqueCase {
    const char* what;
    QByteArray existing; // already in the folder
    QString asked;       // name passed in
    QString pattern;     // the created name, with UUID standing for the UUID text
};

void PrintTo(const UniqueCase& c, std::ostream* os)
{
    *os << c.what;
}

const UniqueCase kUnique[] = {
    {"free name", "", "photo.jpg", "photo.jpg"},
    {"taken name", "README.jpg", "README.jpg", "README - UUID.jpg"},
    {"taken in other letter case", "Photo.JPG", "Photo.jpg", "Photo - UUID.JPG"},
    {"no extension", "notes", "NOTES", "notes - UUID"},
    {"only an extension", ".jpg", ".jpg", ".jpg - UUID"},
    {"extension repeated in the base", "jpg.jpg", "jpg.jpg", "jpg - UUID.jpg"},
    {"extension appears only as a word", "a.b", "A.B", "a - UUID.b"},
};

class UniqueNames : public ::testing::TestWithParam<UniqueCase>
{
};

TEST_P(UniqueNames, AreFormedOnceFromTheTakenItem)
{
    const UniqueCase& c = GetParam();
    TempFolder dir;
    if (!c.existing.isEmpty()) {
        ASSERT_TRUE(WriteFile(dir / c.existing, "old"));
    }
    FSRef folder = RefFor(dir.path());
    FSRef made;
    ASSERT_EQ(CFile::FSCreateFile(folder, c.asked, made, true), noErr);

    const QString madeName = QString::fromUtf8(PathFor(made).mid(dir.path().size() + 1));
    QString uuidFree = madeName;
    uuidFree.replace(kUuid, "UUID");
    EXPECT_EQ(uuidFree, c.pattern);
    if (!c.existing.isEmpty()) {
        EXPECT_EQ(ReadFile(dir / c.existing), "old");
    }
    EXPECT_EQ(ReadFile(PathFor(made)), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, UniqueNames, ::testing::ValuesIn(kUnique),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(CreateFile, WithoutMakeUniqueATakenNameIsAnsweredWithTheItem)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "Taken.png", "old"));
    FSRef folder = RefFor(dir.path());
    FSRef found;
    EXPECT_EQ(CFile::FSCreateFile(folder, "taken.PNG", found, false), noErr);
    EXPECT_EQ(PathFor(found), dir / "Taken.png");
    EXPECT_EQ(ListFolder(dir.path()).size(), 1u);
}

// Of two names that differ only in letter case, the one left after the
// other went is still found: no third twin is made.
TEST(CreateFile, ACaseTwinLeftAloneIsStillFound)
{
    for (const QByteArray& removed : {QByteArray("Same.txt"), QByteArray("same.txt")}) {
        SCOPED_TRACE(removed.constData());
        TempFolder dir;
        ASSERT_TRUE(WriteFile(dir / "Same.txt", "upper"));
        ASSERT_TRUE(WriteFile(dir / "same.txt", "lower"));
        FSRef folder = RefFor(dir.path());
        FSRef found;
        ASSERT_TRUE(CFile::FSObjectExists(folder, "SAME.TXT", found));
        FSRef gone = RefFor(dir / removed);
        ASSERT_EQ(FSDeleteObject(&gone), noErr);

        FSRef made;
        EXPECT_EQ(CFile::FSCreateFile(folder, "SAME.TXT", made), noErr);
        EXPECT_EQ(ListFolder(dir.path()).size(), 1u);
        EXPECT_EQ(PathFor(made), dir / (removed == "Same.txt" ? "same.txt" : "Same.txt"));
        EXPECT_EQ(CFile::FSCreateFile(folder, "SAME.TXT", made, true), noErr);
        EXPECT_EQ(ListFolder(dir.path()).size(), 2u); // a unique name beside it
    }
}

// Folders nested far beyond the path limit are created and their files
// written and read, each step by reference.
TEST(CreateFile, WorksInTreesDeeperThanAnyPath)
{
    TempFolder dir;
    FSRef folder = RefFor(dir.path());
    QByteArray path = dir.path();
    for (int level = 0; level < 45; ++level) {
        const QString name = QString("Level %1 ").arg(level).leftJustified(200, u'y');
        SCOPED_TRACE(std::to_string(path.size()) + " bytes of path");
        FSRef made;
        ASSERT_EQ(CFile::FSCreateDirectory(folder, name, made), noErr);
        ASSERT_TRUE(CFile::IsADirectory(made));
        path += '/' + name.toUtf8();
        folder = made;
    }
    ASSERT_GT(path.size(), 9000);
    FSRef file;
    ASSERT_EQ(CFile::FSCreateFile(folder, "deep.txt", file), noErr);
    EXPECT_EQ(CFile::WriteFile(file, "at the bottom", 13), noErr);
    std::unique_ptr<char[]> read(CFile::ReadFile(file));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(QByteArray(read.get(), 13), "at the bottom");
    FSRef again;
    EXPECT_EQ(CFile::FSCreateFile(folder, "DEEP.TXT", again), noErr);
    EXPECT_EQ(PathFor(again), path + "/deep.txt");
    EXPECT_EQ(CFile::FSCreateFile(folder, "deep.txt", again, true), noErr);
    EXPECT_NE(PathFor(again), path + "/deep.txt");
}

TEST(CreateFile, FailuresCreateNothing)
{
    TempFolder dir;
    FSRef folder = RefFor(dir.path());
    FSRef made;
    EXPECT_NE(CFile::FSCreateFile(folder, QString(256, u'a'), made, true), noErr);
    EXPECT_NE(CFile::FSCreateFile(folder, "a/b", made, true), noErr);
    const QString longName = QString(251, u'l') + ".jpg";
    ASSERT_EQ(CFile::FSCreateFile(folder, longName, made, true), noErr);
    // Its unique form would pass 255 units: one attempt, then an error.
    EXPECT_NE(CFile::FSCreateFile(folder, longName, made, true), noErr);
    EXPECT_EQ(ListFolder(dir.path()).size(), 1u);

    ASSERT_TRUE(WriteFile(dir / "file", ""));
    FSRef notAFolder = RefFor(dir / "file");
    EXPECT_NE(CFile::FSCreateFile(notAFolder, "x", made, true), noErr);
}

TEST(ObjectExists, OnlyMissingMeansAbsent)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "Here", ""));
    FSRef folder = RefFor(dir.path());
    FSRef found;
    OSErr status = noErr;
    EXPECT_TRUE(CFile::FSObjectExists(folder, "here", found, status));
    EXPECT_EQ(status, noErr);
    EXPECT_EQ(PathFor(found), dir / "Here");
    EXPECT_FALSE(CFile::FSObjectExists(folder, "gone", found, status));
    EXPECT_EQ(status, fnfErr);
    // A name that cannot be looked up counts as existing, with its status.
    EXPECT_TRUE(CFile::FSObjectExists(folder, QString(300, u'x'), found, status));
    EXPECT_NE(status, noErr);
    EXPECT_NE(status, fnfErr);
}

TEST(IsADirectory, OnlyFoldersNotLinksToThem)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "folder"));
    ASSERT_TRUE(WriteFile(dir / "file", ""));
    ASSERT_EQ(::symlink("folder", (dir / "link").constData()), 0);
    EXPECT_TRUE(CFile::IsADirectory(RefFor(dir / "folder")));
    EXPECT_FALSE(CFile::IsADirectory(RefFor(dir / "file")));
    EXPECT_FALSE(CFile::IsADirectory(RefFor(dir / "link")));
    FSRef garbage{};
    EXPECT_FALSE(CFile::IsADirectory(garbage));
}

} // namespace
