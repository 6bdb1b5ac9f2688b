// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are not pictures, damaged pictures, hostile headers and
// hostile destinations: every one ends in a status, the sources stay as
// they were, and the destination holds nothing of the failed export (the
// claimed output file keeps whatever it held).
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::testing;
using namespace testsupport;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG");
constexpr OSType kPng = FOUR_CHAR_CODE("PNGf");
const QByteArray kHeld = "held before the export";

class BadInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolder(m_folder / "src"));
        ASSERT_TRUE(WriteFile(m_claimed, kHeld));
    }

    QByteArray Source(const QByteArray& name, const QByteArray& bytes)
    {
        const QByteArray path = m_folder / "src/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        m_sources[path] = bytes;
        return path;
    }

    // A real picture in the format of extension, as bytes.
    QByteArray PictureBytes(const QByteArray& extension, int width = 640, int height = 480)
    {
        const QByteArray path = m_folder / "picture." + extension;
        EXPECT_EQ(WriteTestPicture(path, extension.constData(), width, height), noErr);
        const QByteArray bytes = ReadFile(path);
        ::remove(path.constData());
        return bytes;
    }

    void ExpectNothingChanged()
    {
        for (const auto& [path, bytes] : m_sources)
            EXPECT_EQ(ReadFile(path), bytes) << path.constData();
        EXPECT_EQ(ListFolder(m_folder / "dest"), std::vector<QByteArray>{"out.jpg"});
        EXPECT_EQ(ReadFile(m_claimed), kHeld);
    }

    TempFolder m_folder;
    const QByteArray m_claimed = m_folder / "dest/out.jpg";
    std::map<QByteArray, QByteArray> m_sources; // what each source must still hold
};

TEST_F(BadInput, FilesThatAreNoPicturesAreRefused)
{
    ASSERT_TRUE(MakeFolder(m_folder / "src/folder"));
    ASSERT_EQ(::symlink("loop-b", (m_folder / "src/loop-a").constData()), 0);
    ASSERT_EQ(::symlink("loop-a", (m_folder / "src/loop-b").constData()), 0);
    struct Case {
        const char* what;
        QByteArray path;
        OSErr status;
    };
    const Case cases[] = {
        {"a zero-byte file", Source("empty.png", {}), noCodecErr},
        {"a text file", Source("notes.txt", "Shopping list:\nbread\nmilk\n"), noCodecErr},
        {"a file named .jpg", Source(".jpg", "not a picture at all, only text\n"), noCodecErr},
        {"numbers libvips reads as a matrix", Source("matrix.mat", "3 2\n1 2 3\n4 5 6\n"),
         noCodecErr},
        {"a folder", m_folder / "src/folder", notAFileErr},
        {"a symbolic link loop", m_folder / "src/loop-a", fnfErr},
        {"a missing file", m_folder / "src/missing.png", fnfErr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(platform::ProbePicture(c.path), c.status);
        EXPECT_EQ(platform::ExportPicture(c.path, m_claimed, {kJpeg, codecHighQuality}), c.status);
        ExpectNothingChanged();
    }
}

TEST_F(BadInput, DamagedPicturesOfEveryFormatFailCleanlyOrConvertWhole)
{
    for (const platform::graphics::SaverEntry* saver : platform::graphics::AvailableSavers()) {
        const QByteArray extension = saver->extension, picture = PictureBytes(extension);
        ASSERT_FALSE(picture.isEmpty()) << saver->extension;
        for (const bool truncated : {true, false}) {
            SCOPED_TRACE(
                (extension + (truncated ? ", truncated" : ", garbage inside")).constData());
            const QByteArray bytes =
                truncated ? picture.left(picture.size() / 2) : WithGarbageInside(picture);
            const QByteArray source = Source("damaged." + extension, bytes);
            const OSErr status =
                platform::ExportPicture(source, m_claimed, {kPng, codecHighQuality});
            if (status != noErr || truncated) {
                EXPECT_NE(status, noErr) << "a truncated picture is never finished in grey";
                ExpectNothingChanged();
                continue;
            }
            // Damage a decoder cannot see gives a whole picture.
            PictureFacts facts;
            EXPECT_EQ(ReadPictureFacts(m_claimed, &facts), noErr);
            EXPECT_EQ(facts.width, 640);
            EXPECT_EQ(facts.height, 480);
            ASSERT_TRUE(WriteFile(m_claimed, kHeld));
            ExpectNothingChanged();
        }
    }
}

TEST_F(BadInput, FailedExportsKeepNoDescriptorAndNoCodecObject)
{
    // A batch of a thousand bad files must not run out of descriptors
    // before it reaches the good ones.
    struct Case {
        QByteArray name;
        QByteArray bytes;
    };
    std::vector<Case> cases;
    for (const char* format : {"png", "jpg", "gif", "tif", "webp"}) {
        const QByteArray picture = PictureBytes(format, 320, 240);
        cases.push_back({QByteArray("truncated.") + format, picture.left(picture.size() / 2)});
    }
    cases.push_back({"zero bytes.png", {}});
    cases.push_back({"notes.txt", "Shopping list:\nbread\nmilk\n"});

    // The first export into each type starts what lives as long as the
    // process: libvips, its savers, the saver table.
    const QByteArray good = Source("good.png", PictureBytes("png", 64, 48));
    for (const platform::graphics::SaverEntry* saver : platform::graphics::AvailableSavers())
        ASSERT_EQ(platform::ExportPicture(good, m_folder / "warm-up",
                                          {saver->exportType, codecHighQuality}),
                  noErr);
    for (const Case& c : cases) {
        const QByteArray source = Source(c.name, c.bytes);
        for (const platform::graphics::SaverEntry* saver : platform::graphics::AvailableSavers()) {
            SCOPED_TRACE((c.name + " into " + saver->extension).constData());
            const int descriptors = OpenDescriptors(), objects = LiveCodecObjects();
            EXPECT_NE(
                platform::ExportPicture(source, m_claimed, {saver->exportType, codecHighQuality}),
                noErr);
            EXPECT_EQ(OpenDescriptors(), descriptors);
            EXPECT_EQ(LiveCodecObjects(), objects);
            ExpectNothingChanged();
        }
    }
}

TEST_F(BadInput, HostileSourcesAndDestinationsInAChildCostNeitherTimeNorMemory)
{
    // What a child takes to convert an honest picture (a sanitizer build
    // takes hundreds of megabytes more than a plain one); converting the
    // others may take little more, far less than a header's claim would.
    const QByteArray png = PictureBytes("png", 320, 240);
    const ChildResult honest = RunChildJob({Source("honest.png", png), kJpeg, 0, false, m_claimed});
    ASSERT_TRUE(honest.finished);
    ASSERT_EQ(honest.status, noErr);
    ASSERT_TRUE(WriteFile(m_claimed, kHeld));
    constexpr long kMarginKiB = 128 * 1024;

    const QByteArray fifo = m_folder / "src/pipe.png";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    const QByteArray secret = m_folder / "src/secret.png";
    ASSERT_TRUE(WriteFile(secret, png));
    ASSERT_EQ(::chmod(secret.constData(), 0), 0);
    const QByteArray big = Source("big.png", PictureBytes("png", 1200, 900));
    struct Case {
        const char* what;
        ChildJob job;
        OSErr status;
    };
    const Case cases[] = {
        {"a FIFO, probed", {fifo}, noCodecErr},
        {"a FIFO", {fifo, kJpeg}, noCodecErr},
        {"an unreadable file, probed", {secret, 0, 0, true}, afpAccessDenied},
        {"an unreadable file", {secret, kJpeg, 0, true}, afpAccessDenied},
        // Every output here is larger than 16 KiB.
        {"a destination filling up with PNG", {big, kPng, 16 * 1024}, dskFulErr},
        {"a destination filling up with JPEG", {big, kJpeg, 16 * 1024}, dskFulErr},
        {"a PNG claiming 100000 x 100000",
         {Source("huge.png", PngClaimingSize(png, 100000, 100000)), kJpeg},
         codecSizeErr},
        // Within the pixel limit: the decoder finds the data missing.
        {"a PNG claiming 16000 x 16000",
         {Source("large.png", PngClaimingSize(png, 16000, 16000)), kJpeg},
         codecErr},
        // Last, as it locks the destination folder.
        {"an unwritable destination", {big, kJpeg, 0, true}, afpAccessDenied},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.what);
        if (c.what == cases[std::size(cases) - 1].what) {
            ASSERT_EQ(::chmod(m_claimed.constData(), 0666), 0);
            ASSERT_EQ(::chmod((m_folder / "dest").constData(), 0555), 0);
        }
        c.job.output = m_claimed;
        const ChildResult result = RunChildJob(c.job);
        EXPECT_FALSE(result.timedOut);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.status, c.status);
        EXPECT_LT(result.peakMemoryKiB, honest.peakMemoryKiB + kMarginKiB);
        ExpectNothingChanged();
    }
}

} // namespace
