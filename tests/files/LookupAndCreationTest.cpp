// SPDX-License-Identifier: GPL-3.0-or-later
// Looking names up in a folder without regard to letter case, and creating
// and removing items by name, including the index kept for large folders.
#include "platform/files/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace testsupport;

namespace
{

OSErr lookUp(const FSRef& folder, const QString& name, QByteArray* found = nullptr)
{
    const std::vector<UniChar> units = UnitsOf(name);
    FSRef ref;
    const OSErr err =
        FSMakeFSRefUnicode(&folder, units.size(), units.data(), kTextEncodingUnknown, &ref);
    if (err == noErr && found)
        *found = PathFor(ref);
    return err;
}

OSErr create(const FSRef& folder, const QString& name, FSRef* ref = nullptr)
{
    const std::vector<UniChar> units = UnitsOf(name);
    FSRef made;
    return FSCreateFileUnicode(&folder, units.size(), units.data(), kFSCatInfoNone, nullptr,
                               ref ? ref : &made, nullptr);
}

class Lookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteFile(dir / "Photo.JPG", "1"));
        ASSERT_TRUE(WriteFile(dir / "\xc3\x89T\xc3\x89.png", "2"));   // ÉTÉ, composed
        ASSERT_TRUE(WriteFile(dir / "Cafe\xcc\x81.png", "3"));        // Café, decomposed
        ASSERT_TRUE(WriteFile(dir / QByteArray("Raw\xff.gif"), "4")); // not UTF-8
        ASSERT_TRUE(MakeFolder(dir / "Sub"));
        folder = RefFor(dir.path());
    }
    TempFolder dir;
    FSRef folder;
};

TEST_F(Lookup, FindsNamesWhateverTheirLetterCase)
{
    struct Case {
        QString asked;
        QByteArray found;
    };
    const Case cases[] = {
        {"Photo.JPG", "Photo.JPG"},
        {"photo.jpg", "Photo.JPG"},
        {"PHOTO.jpg", "Photo.JPG"},
        {QString::fromUtf8("été.PNG"), "\xc3\x89T\xc3\x89.png"},
        {QString::fromUtf8("café.png"), "Cafe\xcc\x81.png"},
        {"sub", "Sub"},
        {QString::fromUtf16(u"raw\xdcff.GIF"), QByteArray("Raw\xff.gif")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked.toStdString());
        QByteArray found;
        ASSERT_EQ(lookUp(folder, c.asked, &found), noErr);
        EXPECT_EQ(found, dir / c.found);
    }
}

TEST_F(Lookup, TellsMissingFromBadNames)
{
    struct Case {
        const char* what;
        QString asked;
        OSErr expected;
    };
    const Case cases[] = {
        {"absent", "Photo.png", fnfErr},
        {"absent, other case", "PHOTO.PNG", fnfErr},
        {"slash", "Sub/x", bdNamErr},
        {"dot", ".", bdNamErr},
        {"dot dot", "..", bdNamErr},
        {"NUL", QString("a") + QChar(0) + "b", bdNamErr},
        {"lone high surrogate", QString::fromUtf16(u"\xD800x"), bdNamErr},
        {"lone high surrogate at the end", QString::fromUtf16(u"x\xDBFF"), bdNamErr},
        {"low surrogate that stands for no byte", QString::fromUtf16(u"\xDC41x"), bdNamErr},
        {"low surrogate past the bytes", QString::fromUtf16(u"\xDD00x"), bdNamErr},
        {"surrogates in the wrong order", QString::fromUtf16(u"\xDE00\xD83D"), bdNamErr},
        {"256 units", QString(256, u'a'), errFSNameTooLong},
        {"255 units but 510 bytes", QString(255, QChar(0x00E9)), errFSNameTooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(lookUp(folder, c.asked), c.expected);
    }
}

TEST_F(Lookup, NeedsAFolder)
{
    FSRef file = RefFor(dir / "Photo.JPG");
    const std::vector<UniChar> units = UnitsOf("x");
    FSRef out;
    EXPECT_EQ(FSMakeFSRefUnicode(&file, 1, units.data(), kTextEncodingUnknown, &out), dirNFErr);
}

TEST_F(Lookup, SeesItsOwnChangesAndOthersOnceTheFolderChanged)
{
    ASSERT_EQ(lookUp(folder, "photo.jpg"), noErr); // builds the folder's index

    FSRef made;
    ASSERT_EQ(create(folder, "New.TIFF", &made), noErr);
    QByteArray found;
    ASSERT_EQ(lookUp(folder, "new.tiff", &found), noErr);
    EXPECT_EQ(found, dir / "New.TIFF");

    ASSERT_EQ(FSDeleteObject(&made), noErr);
    EXPECT_EQ(lookUp(folder, "new.tiff"), fnfErr);

    // Another process's change shows once the folder's time stamp moved on.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(WriteFile(dir / "Other.Png", "5"));
    ASSERT_EQ(lookUp(folder, "other.png", &found), noErr);
    EXPECT_EQ(found, dir / "Other.Png");
    ASSERT_EQ(::unlink((dir / "Other.Png").constData()), 0);
    EXPECT_EQ(lookUp(folder, "OTHER.PNG"), fnfErr);
}

TEST(Creation, ClaimsNamesAtomicallyAndReportsWhy)
{
    TempFolder dir;
    FSRef folder = RefFor(dir.path());
    ASSERT_TRUE(WriteFile(dir / "taken.jpg", "keep"));

    EXPECT_EQ(create(folder, "taken.jpg"), dupFNErr);
    EXPECT_EQ(ReadFile(dir / "taken.jpg"), "keep");

    FSRef made;
    ASSERT_EQ(create(folder, "fresh.jpg", &made), noErr);
    EXPECT_EQ(PathFor(made), dir / "fresh.jpg");
    EXPECT_EQ(ReadFile(dir / "fresh.jpg"), "");

    EXPECT_EQ(create(folder, QString(256, u'n')), errFSNameTooLong);
    EXPECT_EQ(create(folder, "a/b"), bdNamErr);
    ASSERT_EQ(::symlink("elsewhere", (dir / "dangling").constData()), 0);
    EXPECT_EQ(create(folder, "dangling"), dupFNErr); // never written through a link
    EXPECT_FALSE(Exists(dir / "elsewhere"));

    FSRef sub;
    const std::vector<UniChar> units = UnitsOf("sub");
    ASSERT_EQ(FSCreateDirectoryUnicode(&folder, units.size(), units.data(), kFSCatInfoNone, nullptr,
                                       &sub, nullptr, nullptr),
              noErr);
    ASSERT_TRUE(WriteFile(dir / "sub/inner", "x"));
    EXPECT_EQ(FSDeleteObject(&sub), fBsyErr);
    EXPECT_TRUE(Exists(dir / "sub/inner"));
}

// Names the file manager cannot store are refused by every call that takes
// one, with the same status a look-up gives.
TEST(Creation, RefusesNamesThatAreNoFileName)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "item", "x"));
    FSRef folder = RefFor(dir.path());
    FSRef item = RefFor(dir / "item");
    const QString bad[] = {QString::fromUtf16(u"\xD800x"), QString::fromUtf16(u"\xDC41"), "a/b",
                           QString("a") + QChar(0)};
    for (const QString& name : bad) {
        SCOPED_TRACE(name.toStdString());
        const std::vector<UniChar> units = UnitsOf(name);
        FSRef made;
        EXPECT_EQ(create(folder, name), bdNamErr);
        EXPECT_EQ(FSCreateDirectoryUnicode(&folder, units.size(), units.data(), kFSCatInfoNone,
                                           nullptr, &made, nullptr, nullptr),
                  bdNamErr);
        EXPECT_EQ(FSRenameUnicode(&item, units.size(), units.data(), kTextEncodingUnknown, &made),
                  bdNamErr);
    }
    EXPECT_EQ(ListFolder(dir.path()), std::vector<QByteArray>{"item"});
}

// A name some item holds in other letter case is taken, for creation as for
// renaming and look-up.
TEST(Creation, RefusesANameTakenInOtherLetterCase)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "Report.txt", "keep"));
    ASSERT_TRUE(MakeFolder(dir / "Photos"));
    FSRef folder = RefFor(dir.path());
    for (const QString& name : {QString("report.txt"), QString("REPORT.TXT"), QString("photos")}) {
        SCOPED_TRACE(name.toStdString());
        const std::vector<UniChar> units = UnitsOf(name);
        FSRef made;
        EXPECT_EQ(create(folder, name), dupFNErr);
        EXPECT_EQ(FSCreateDirectoryUnicode(&folder, units.size(), units.data(), kFSCatInfoNone,
                                           nullptr, &made, nullptr, nullptr),
                  dupFNErr);
    }
    EXPECT_EQ(ListFolder(dir.path()), (std::vector<QByteArray>{"Photos", "Report.txt"}));
    EXPECT_EQ(ReadFile(dir / "Report.txt"), "keep");
}

// Two names that differ only in letter case (made by another program): each
// stays found while the other comes and goes through the file manager.
TEST(CaseTwins, TheOtherTwinIsFoundWhenOneGoes)
{
    struct Case {
        const char* what;
        QByteArray changed;
        bool rename; // else remove
        QByteArray remaining;
    };
    const Case cases[] = {
        {"upper twin removed", "Same.txt", false, "same.txt"},
        {"lower twin removed", "same.txt", false, "Same.txt"},
        {"upper twin renamed", "Same.txt", true, "same.txt"},
        {"lower twin renamed", "same.txt", true, "Same.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        ASSERT_TRUE(WriteFile(dir / "Same.txt", "upper"));
        ASSERT_TRUE(WriteFile(dir / "same.txt", "lower"));
        FSRef folder = RefFor(dir.path());
        QByteArray found;
        ASSERT_EQ(lookUp(folder, "SAME.TXT", &found), noErr);
        EXPECT_EQ(found, dir / "Same.txt"); // of twins, the first in name order

        FSRef changed = RefFor(dir / c.changed);
        if (c.rename) {
            const std::vector<UniChar> units = UnitsOf("other.txt");
            FSRef renamed;
            ASSERT_EQ(FSRenameUnicode(&changed, units.size(), units.data(), kTextEncodingUnknown,
                                      &renamed),
                      noErr);
        } else {
            ASSERT_EQ(FSDeleteObject(&changed), noErr);
        }
        ASSERT_EQ(lookUp(folder, "SAME.TXT", &found), noErr);
        EXPECT_EQ(found, dir / c.remaining);
        EXPECT_EQ(create(folder, "SAME.TXT"), dupFNErr);
        EXPECT_EQ(ListFolder(dir.path()).size(), c.rename ? 2u : 1u);

        // The twin that is left goes too: now the name is free.
        FSRef remaining = RefFor(dir / c.remaining);
        ASSERT_EQ(FSDeleteObject(&remaining), noErr);
        EXPECT_EQ(lookUp(folder, "same.txt"), fnfErr);
    }
}

TEST(Creation, StaysCorrectInAFolderOfManyItems)
{
    TempFolder dir;
    for (int i = 0; i < 5000; ++i)
        ASSERT_TRUE(WriteFile(dir / ("Item " + QByteArray::number(i) + ".JPG"), ""));
    FSRef folder = RefFor(dir.path());
    for (int i = 0; i < 5000; i += 97) {
        QByteArray found;
        ASSERT_EQ(lookUp(folder, "item " + QString::number(i) + ".jpg", &found), noErr);
        EXPECT_EQ(found, dir / ("Item " + QByteArray::number(i) + ".JPG"));
        // Each creation changes the folder; the index follows without losing names.
        ASSERT_EQ(create(folder, "out " + QString::number(i) + ".png"), noErr);
        EXPECT_EQ(lookUp(folder, "OUT " + QString::number(i) + ".PNG"), noErr);
    }
    EXPECT_EQ(lookUp(folder, "item 5000.jpg"), fnfErr);
}

TEST(Permissions, DeniedFoldersGiveAccessDenied)
{
    TempFolder dir;
    ASSERT_TRUE(MakeFolder(dir / "locked"));
    ASSERT_TRUE(WriteFile(dir / "locked/inside", "x"));
    ASSERT_TRUE(MakeFolder(dir / "readonly"));
    ::chmod((dir / "locked").constData(), 0);
    ::chmod((dir / "readonly").constData(), 0555);

    const int result = RunUnprivileged([&] {
        FSRef locked = RefFor(dir / "locked");
        FSIterator it = nullptr;
        const OSErr openErr = FSOpenIterator(&locked, kFSIterateFlat, &it);
        FSRef readonly = RefFor(dir / "readonly");
        const OSErr createErr = create(readonly, "new");
        if (openErr != afpAccessDenied || createErr != afpAccessDenied) {
            std::fprintf(stderr, "open %d create %d\n", openErr, createErr);
            return false;
        }
        return !Exists(dir / "readonly/new");
    });
    EXPECT_EQ(result, 0);
}

} // namespace
