// Files that are not pictures, damaged pictures, hostile headers and
// hostile destinations: every one ends in a status, the source stays as it
// was, and the destination holds nothing of the failed export (the claimed
// output file keeps whatever it held).
#include "ChildJob.h"
#include "GraphicsTestSupport.h"

#include "platform/graphics/GraphicsCore.h"
#include "platform/graphics/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using platform::testing::PictureFacts;
using platform::testing::ReadPictureFacts;
using platform::testing::TestPictureOptions;
using platform::testing::WriteTestPicture;
using testsupport::ListFolder;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

namespace {

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG");
constexpr OSType kPng = FOUR_CHAR_CODE("PNGf");
// Room over a child's memory for converting a small picture: far more than
// streaming any of these takes, far less than decoding a header's claim
// would (gigabytes).
constexpr long kMemoryMarginKiB = 128 * 1024;

class BadInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::MakeFolder(m_folder / "src"));
        ASSERT_TRUE(testsupport::MakeFolder(m_folder / "dest"));
        m_claimed = m_folder / "dest/out.jpg";
        ASSERT_TRUE(WriteFile(m_claimed, m_claimedBytes));
    }

    QByteArray Source(const QByteArray& name, const QByteArray& bytes)
    {
        const QByteArray path = m_folder / "src/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    // A real picture in the format of extension, as bytes.
    QByteArray PictureBytes(const QByteArray& extension, int width = 640, int height = 480)
    {
        const QByteArray path = m_folder / "picture." + extension;
        TestPictureOptions options;
        QByteArray format = extension;
        if (extension == "avif") { // libvips writes AVIF with its HEIF saver
            format = "heic";
            options.saveOptions = "compression=av1";
        }
        EXPECT_EQ(WriteTestPicture(path, format.constData(), width, height, options), noErr);
        const QByteArray bytes = ReadFile(path);
        ::remove(path.constData());
        return bytes;
    }

    void ExpectDestinationUntouched()
    {
        EXPECT_EQ(ListFolder(m_folder / "dest"), std::vector<QByteArray>{"out.jpg"});
        EXPECT_EQ(ReadFile(m_claimed), m_claimedBytes);
    }

    TempFolder m_folder;
    QByteArray m_claimed;
    // What the claimed output held before: the export must not touch it.
    const QByteArray m_claimedBytes = "held before the export";
};

TEST_F(BadInput, FilesThatAreNoPicturesAreRefused)
{
    struct Case {
        const char* what;
        QByteArray path;
    };
    std::vector<Case> cases = {
        {"a zero-byte file", Source("empty.png", {})},
        {"a text file", Source("notes.txt", "Shopping list:\nbread\nmilk\n")},
        {"a file named .jpg", Source(".jpg", "not a picture at all, only text\n")},
        {"numbers libvips reads as a matrix", Source("matrix.mat", "3 2\n1 2 3\n4 5 6\n")},
        {"comma-separated numbers", Source("table.csv", "1,2,3\n4,5,6\n")},
        {"HTML", Source("page.html", "<!DOCTYPE html><html><body>no picture</body></html>\n")},
        {"a folder", m_folder / "src/folder"},
        {"a symbolic link loop", m_folder / "src/loop-a"},
        {"a dangling symbolic link", m_folder / "src/dangling"},
        {"a missing file", m_folder / "src/missing.png"},
    };
    ASSERT_TRUE(testsupport::MakeFolder(m_folder / "src/folder"));
    ASSERT_EQ(::symlink("loop-b", (m_folder / "src/loop-a").constData()), 0);
    ASSERT_EQ(::symlink("loop-a", (m_folder / "src/loop-b").constData()), 0);
    ASSERT_EQ(::symlink("nowhere.png", (m_folder / "src/dangling").constData()), 0);
    // libvips' own working format holds raw pixels, not a picture for people.
    const QByteArray vipsFormat = m_folder / "src/raw.v";
    ASSERT_EQ(WriteTestPicture(vipsFormat, "v", 64, 48), noErr);
    cases.push_back({"libvips' working format", vipsFormat});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray before = ReadFile(c.path);
        EXPECT_NE(platform::ProbePicture(c.path), noErr);
        EXPECT_NE(platform::ExportPicture(c.path, m_claimed, kJpeg, codecHighQuality), noErr);
        EXPECT_EQ(ReadFile(c.path), before);
        ExpectDestinationUntouched();
    }
    EXPECT_EQ(platform::ProbePicture(m_folder / "src/missing.png"), fnfErr);
    EXPECT_EQ(platform::ProbePicture(m_folder / "src/folder"), notAFileErr);
}

TEST_F(BadInput, ALinkToAPictureIsFollowed)
{
    const QByteArray target = Source("real.png", PictureBytes("png", 64, 48));
    ASSERT_EQ(::symlink("real.png", (m_folder / "src/link.png").constData()), 0);
    EXPECT_EQ(platform::ProbePicture(m_folder / "src/link.png"), noErr);
    EXPECT_EQ(platform::ExportPicture(m_folder / "src/link.png", m_claimed, kJpeg, codecHighQuality),
              noErr);
    PictureFacts facts;
    ASSERT_EQ(ReadPictureFacts(m_claimed, &facts), noErr);
    EXPECT_EQ(facts.width, 64);
}

TEST_F(BadInput, DamagedPicturesOfEveryFormatFailCleanlyOrConvertWhole)
{
    for (const ExportTypeEntry& entry : ReadExportTypeList()) {
        const QByteArray picture = PictureBytes(entry.extension);
        ASSERT_FALSE(picture.isEmpty()) << entry.extension.constData();
        struct Damage {
            const char* what;
            QByteArray bytes;
            bool mustFail;
        };
        const Damage damages[] = {
            {"truncated", Truncated(picture), true},
            {"garbage inside", WithGarbageInside(picture), false},
            {"garbage header", WithGarbageHeader(picture), false},
        };
        for (const Damage& damage : damages) {
            SCOPED_TRACE(testing::Message() << entry.extension.constData() << ", " << damage.what);
            const QByteArray source = Source("damaged." + entry.extension, damage.bytes);
            const OSErr status = platform::ExportPicture(source, m_claimed, kPng, codecHighQuality);
            EXPECT_EQ(ReadFile(source), damage.bytes);
            if (status != noErr || damage.mustFail) {
                // A truncated picture is never finished in grey.
                EXPECT_NE(status, noErr);
                ExpectDestinationUntouched();
                continue;
            }
            // Damage a decoder cannot see gives a whole picture.
            PictureFacts facts;
            EXPECT_EQ(ReadPictureFacts(m_claimed, &facts), noErr);
            EXPECT_EQ(facts.width, 640);
            EXPECT_EQ(facts.height, 480);
            EXPECT_EQ(ListFolder(m_folder / "dest"), std::vector<QByteArray>{"out.jpg"});
            ASSERT_TRUE(WriteFile(m_claimed, m_claimedBytes));
        }
    }
}

TEST_F(BadInput, AFailedExportLeavesTheClaimedOutputAsItWas)
{
    const QByteArray source = Source("half.jpg", Truncated(PictureBytes("jpg")));
    EXPECT_EQ(platform::ProbePicture(source), noErr) << "the header is intact";
    EXPECT_NE(platform::ExportPicture(source, m_claimed, kJpeg, codecHighQuality), noErr);
    ExpectDestinationUntouched();
}

TEST_F(BadInput, AnOutputNameOf255BytesIsWritten)
{
    const QByteArray source = Source("small.png", PictureBytes("png", 64, 48));
    const QByteArray name = QByteArray(251, 'n') + ".jpg";
    ASSERT_EQ(name.size(), 255);
    const QByteArray output = m_folder / "dest/" + name;
    ASSERT_TRUE(WriteFile(output, {}));
    EXPECT_EQ(platform::ExportPicture(source, output, kJpeg, codecHighQuality), noErr);
    PictureFacts facts;
    ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
    EXPECT_EQ(facts.width, 64);
    EXPECT_EQ(ListFolder(m_folder / "dest"), (std::vector<QByteArray>{name, "out.jpg"}));
}

TEST_F(BadInput, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const QByteArray fifo = m_folder / "src/pipe.png";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    for (const ChildJob::Kind kind : {ChildJob::Kind::Probe, ChildJob::Kind::Export}) {
        ChildJob job;
        job.kind = kind;
        job.source = fifo;
        job.output = m_claimed;
        job.exportType = kJpeg;
        job.timeoutSeconds = 20;
        const ChildResult result = RunChildJob(job);
        EXPECT_FALSE(result.timedOut);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.status, noCodecErr);
    }
    ExpectDestinationUntouched();
}

TEST_F(BadInput, AnUnreadableFileIsAccessDenied)
{
    const QByteArray source = Source("secret.png", PictureBytes("png", 64, 48));
    ASSERT_EQ(::chmod(source.constData(), 0), 0);
    for (const ChildJob::Kind kind : {ChildJob::Kind::Probe, ChildJob::Kind::Export}) {
        ChildJob job;
        job.kind = kind;
        job.source = source;
        job.output = m_claimed;
        job.exportType = kJpeg;
        job.unprivileged = true;
        const ChildResult result = RunChildJob(job);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.status, afpAccessDenied);
    }
    ExpectDestinationUntouched();
}

TEST_F(BadInput, AnUnwritableDestinationFailsAndKeepsTheClaimedFile)
{
    const QByteArray source = Source("small.png", PictureBytes("png", 64, 48));
    ASSERT_EQ(::chmod(m_claimed.constData(), 0666), 0);
    ASSERT_EQ(::chmod((m_folder / "dest").constData(), 0555), 0);
    ChildJob job;
    job.source = source;
    job.output = m_claimed;
    job.exportType = kJpeg;
    job.unprivileged = true;
    const ChildResult result = RunChildJob(job);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.status, afpAccessDenied);
    ExpectDestinationUntouched();
}

TEST_F(BadInput, ADestinationThatFillsUpDuringTheWriteLeavesNothing)
{
    for (const auto& [type, format] : {std::pair{kPng, "png"}, {kJpeg, "jpg"}}) {
        SCOPED_TRACE(format);
        const QByteArray source = Source("big.png", PictureBytes("png", 1200, 900));
        ChildJob job;
        job.source = source;
        job.output = m_claimed;
        job.exportType = type;
        job.fileSizeLimit = 16 * 1024; // every output here is larger
        const ChildResult result = RunChildJob(job);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.status, dskFulErr);
        ExpectDestinationUntouched();
    }
}

TEST_F(BadInput, HeadersThatLieAboutTheSizeCostNeitherDiskNorMemory)
{
    const QByteArray jpeg = PictureBytes("jpg", 320, 240);
    // What a child takes to convert an honest picture of that size (a
    // sanitizer build takes hundreds of megabytes more than a plain one).
    ChildJob honest;
    honest.source = Source("honest.jpg", jpeg);
    honest.output = m_claimed;
    honest.exportType = kJpeg;
    const ChildResult baseline = RunChildJob(honest);
    ASSERT_TRUE(baseline.finished);
    ASSERT_EQ(baseline.status, noErr);
    ASSERT_TRUE(WriteFile(m_claimed, m_claimedBytes));
    ASSERT_EQ(::remove(honest.source.constData()), 0);

    enum class Outcome { TooLarge, Fails, FailsOrConvertsWhole };
    struct Case {
        const char* what;
        QByteArray bytes;
        Outcome outcome;
    };
    const Case cases[] = {
        {"PNG claiming 100000 x 100000", PngClaimingSize(100000, 100000), Outcome::TooLarge},
        {"JPEG claiming 60000 x 60000", JpegClaimingSize(jpeg, 60000, 60000), Outcome::TooLarge},
        // Within the pixel limit: the decoder finds the data missing.
        {"PNG claiming 16000 x 16000", PngClaimingSize(16000, 16000), Outcome::Fails},
        // libjpeg reports entropy data that ends at the end-of-picture
        // marker only as a warning and fills the rest in grey; libvips stops
        // on errors, not on warnings (which harmless oddities of real
        // cameras' files raise too).
        {"JPEG claiming 16000 x 16000", JpegClaimingSize(jpeg, 16000, 16000),
         Outcome::FailsOrConvertsWhole},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.bytes.isEmpty());
        const QByteArray source = Source("liar", c.bytes);
        ChildJob job;
        job.source = source;
        job.output = m_claimed;
        job.exportType = kJpeg;
        const ChildResult result = RunChildJob(job);
        EXPECT_FALSE(result.timedOut);
        ASSERT_TRUE(result.finished);
        EXPECT_LT(result.peakMemoryKiB, baseline.peakMemoryKiB + kMemoryMarginKiB);
        EXPECT_EQ(ReadFile(source), c.bytes);
        if (c.outcome == Outcome::TooLarge) {
            EXPECT_EQ(result.status, codecSizeErr);
        }
        if (c.outcome == Outcome::Fails) {
            EXPECT_NE(result.status, noErr);
        }
        if (result.status != noErr) {
            ExpectDestinationUntouched();
            continue;
        }
        PictureFacts facts;
        EXPECT_EQ(ReadPictureFacts(m_claimed, &facts), noErr);
        EXPECT_EQ(facts.width, 16000);
        EXPECT_EQ(facts.height, 16000);
        EXPECT_EQ(ListFolder(m_folder / "dest"), std::vector<QByteArray>{"out.jpg"});
        ASSERT_TRUE(WriteFile(m_claimed, m_claimedBytes));
    }
}

} // namespace
