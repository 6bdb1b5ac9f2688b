// SPDX-License-Identifier: GPL-3.0-or-later
// A conversion asks whether a file is a picture, opens its importer and
// exports it. What the first probe read is kept for the rest when the file
// is unchanged: one header read per picture instead of three. A file
// changed or replaced in between is read anew, bad files still fail
// cleanly, and what is kept stays within its bounds, also across threads.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using namespace platform::testing;
using namespace testsupport;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG"), kPng = FOUR_CHAR_CODE("PNGf"),
                 kWebp = FOUR_CHAR_CODE("WEBP");
// PictureFiles.h: sixteen opened files are kept at most, two descriptors each.
constexpr int kKeptDescriptorBound = 2 * 16;

FSSpec SpecFor(const QByteArray& path)
{
    const FSRef ref = RefFor(path);
    FSSpec spec{};
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr), noErr);
    return spec;
}

// Waits (bounded) until the file's last change is older than the grain of
// its times: from then on a change cannot hide behind the same times, and
// what a probe reads of it is kept.
void Settle(const QByteArray& path)
{
    struct stat info;
    ASSERT_EQ(::stat(path.constData(), &info), 0);
    const long long changed = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
    const long long grain = changed % 1000000000LL == 0 ? 2100000000LL : 20000000LL;
    for (int waited = 0; waited < 3000; waited += 5) {
        struct timespec now;
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        if (now.tv_sec * 1000000000LL + now.tv_nsec > changed + grain)
            return;
        ::usleep(5000);
    }
    FAIL() << "the clock did not pass the file's change time";
}

// The engine's question: is this a picture? (an importer opened and closed)
OSErr IsPicture(const QByteArray& source)
{
    const FSSpec spec = SpecFor(source);
    GraphicsImportComponent importer = nullptr;
    const OSErr status = GetGraphicsImporterForFile(&spec, &importer);
    if (importer)
        CloseComponent(importer);
    return status;
}

// The engine's job: the importer opened again and exported into output
// (already claimed). decodedBytes gets the importer's count.
OSErr Convert(const QByteArray& source, const QByteArray& output, OSType type,
              UInt64* decodedBytes = nullptr)
{
    const FSSpec sourceSpec = SpecFor(source), outputSpec = SpecFor(output);
    GraphicsImportComponent importer = nullptr;
    GraphicsExportComponent exporter = nullptr;
    OSErr status = GetGraphicsImporterForFile(&sourceSpec, &importer);
    if (status == noErr && decodedBytes)
        status = OSErr(GraphicsImportGetDecodedByteCount(importer, decodedBytes));
    if (status == noErr)
        status = OpenADefaultComponent(GraphicsExporterComponentType, type, &exporter);
    if (status == noErr)
        status = OSErr(GraphicsExportSetInputGraphicsImporter(exporter, importer));
    if (status == noErr)
        status = OSErr(GraphicsExportSetOutputFile(exporter, &outputSpec));
    if (status == noErr)
        status = OSErr(GraphicsExportDoExport(exporter, nullptr));
    if (exporter)
        CloseComponent(exporter);
    if (importer)
        CloseComponent(importer);
    return status;
}

class ProbeReuse : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(MakeFolder(m_folder / "dest")); }
    void TearDown() override { platform::ForgetProbedPictures(); }

    QByteArray Picture(const QByteArray& name, const char* format, int width, int height,
                       const TestPictureOptions& options = {})
    {
        const QByteArray path = m_folder / name;
        EXPECT_EQ(WriteTestPicture(path, format, width, height, options), noErr);
        return path;
    }

    QByteArray Claimed(const QByteArray& name, const QByteArray& bytes = {})
    {
        const QByteArray path = m_folder / "dest/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    TempFolder m_folder;
};

TEST_F(ProbeReuse, AConversionReadsEachHeaderOnceWhereItCan)
{
    TestPictureOptions turned, animated;
    turned.orientation = 6;
    animated.frames = 3;
    struct Case {
        const char* what;
        const char* format;
        int width, height;
        TestPictureOptions options;
        OSType type;
        long long headerReads; // three without what the probe kept
    };
    const Case cases[] = {
        {"PNG into JPEG", "png", 320, 240, {}, kJpeg, 1},
        {"TIFF into WebP", "tif", 320, 240, {}, kWebp, 1},
        {"an animation into JPEG: its first frame, as probed", "gif", 64, 48, animated, kJpeg, 1},
        // These need a load of their own: all frames, or random access.
        {"an animation into WebP", "gif", 64, 48, animated, kWebp, 2},
        {"a JPEG turned upright", "jpg", 320, 240, turned, kPng, 2},
        // ImageMagick's loader decodes the whole picture with its header.
        {"a small BMP", "bmp", 320, 240, {}, kJpeg, 1},
        {"a BMP too large to keep decoded", "bmp", 4000, 3000, {}, kJpeg, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray source =
            Picture(QByteArray("source.") + c.format, c.format, c.width, c.height, c.options);
        Settle(source);
        const QByteArray output = Claimed("out");
        const long long before = PictureHeaderReads();
        ASSERT_EQ(IsPicture(source), noErr);
        ASSERT_EQ(Convert(source, output, c.type), noErr) << LastCodecErrorText();
        EXPECT_EQ(PictureHeaderReads() - before, c.headerReads);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.width, c.options.orientation == 6 ? c.height : c.width);
    }
}

TEST_F(ProbeReuse, AFileChangedAfterItsProbeIsConvertedFromItsNewContent)
{
    // PPM's size depends only on the picture's size: a rewrite with other
    // pixels keeps the file's size.
    enum class Change { RenamedOver, RewrittenSameSize, RewrittenLarger };
    struct Case {
        const char* what;
        Change change;
        bool probedAgain; // the importer is opened after the change
    };
    const Case cases[] = {
        {"replaced by a rename, then opened", Change::RenamedOver, true},
        {"replaced by a rename, exported at once", Change::RenamedOver, false},
        {"rewritten in place at the same size, then opened", Change::RewrittenSameSize, true},
        {"rewritten in place at the same size, exported", Change::RewrittenSameSize, false},
        {"rewritten in place larger, then opened", Change::RewrittenLarger, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestPictureOptions first, second;
        first.seed = 1;
        second.seed = 7;
        const QByteArray source = Picture("source.ppm", "ppm", 64, 48, first);
        Settle(source);
        ASSERT_EQ(IsPicture(source), noErr);
        const long long kept = PictureHeaderReads();
        ASSERT_EQ(IsPicture(source), noErr);
        ASSERT_EQ(PictureHeaderReads(), kept) << "the first probe was not kept";

        const int width = c.change == Change::RewrittenLarger ? 96 : 64;
        const QByteArray replacement = Picture("replacement.ppm", "ppm", width, 48, second);
        PictureFacts expected;
        ASSERT_EQ(ReadPictureFacts(replacement, &expected), noErr);
        if (c.change == Change::RenamedOver) {
            ASSERT_EQ(::rename(replacement.constData(), source.constData()), 0);
        } else {
            ASSERT_EQ(ReadFile(replacement).size() == ReadFile(source).size(),
                      c.change == Change::RewrittenSameSize);
            ASSERT_TRUE(WriteFile(source, ReadFile(replacement))); // the same inode
        }

        const QByteArray output = Claimed("out.png");
        UInt64 decoded = 0;
        if (c.probedAgain) {
            ASSERT_EQ(Convert(source, output, kPng, &decoded), noErr);
            EXPECT_EQ(decoded, UInt64(width) * 48 * 3);
        } else {
            ASSERT_EQ(platform::ExportPicture(source, output, {kPng, codecHighQuality}), noErr);
        }
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.width, width);
        EXPECT_EQ(facts.bandMeans, expected.bandMeans); // PNG keeps every sample
    }
}

TEST_F(ProbeReuse, BadFilesFailCleanlyAndKeepNothing)
{
    const QByteArray png = ReadFile(Picture("whole.png", "png", 320, 240));
    struct Case {
        const char* what;
        QByteArray bytes;
        OSErr probe; // a truncated picture's header still reads
    };
    const Case cases[] = {
        {"a truncated PNG", png.left(png.size() / 2), noErr},
        {"damage in the middle", WithGarbageInside(png), noErr},
        {"a text file", "Shopping list:\nbread\nmilk\n", noCodecErr},
        {"a zero-byte file", {}, noCodecErr},
    };
    const int descriptors = OpenDescriptors();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray source = m_folder / "source.png";
        ASSERT_TRUE(WriteFile(source, c.bytes));
        Settle(source);
        const QByteArray output = Claimed("out.jpg", "claimed");
        EXPECT_EQ(IsPicture(source), c.probe);
        if (c.probe == noErr) {
            EXPECT_NE(Convert(source, output, kJpeg), noErr);
        }
        EXPECT_EQ(ReadFile(output), "claimed");
        EXPECT_EQ(ListFolder(m_folder / "dest"), std::vector<QByteArray>{"out.jpg"});
        EXPECT_EQ(ReadFile(source), c.bytes);
        EXPECT_EQ(OpenDescriptors(), descriptors);
    }
}

TEST_F(ProbeReuse, DescriptorsStayWithinTheBoundOverManyFiles)
{
    std::vector<QByteArray> sources;
    for (int i = 0; i < 60; ++i) {
        TestPictureOptions options;
        options.seed = i + 1;
        sources.push_back(Picture("p" + QByteArray::number(i) + ".png", "png", 64, 48, options));
    }
    Settle(sources.back());
    const int descriptors = OpenDescriptors();

    // Converted: every export takes what its probe kept, and lets it go.
    const long long before = PictureHeaderReads();
    for (const QByteArray& source : sources) {
        ASSERT_EQ(IsPicture(source), noErr);
        ASSERT_EQ(Convert(source, Claimed("out.jpg"), kJpeg), noErr);
    }
    EXPECT_EQ(PictureHeaderReads() - before, 60);
    EXPECT_EQ(OpenDescriptors(), descriptors);

    // Only probed (a walk that converts nothing): the oldest are let go.
    platform::ForgetProbedPictures();
    for (const QByteArray& source : sources)
        ASSERT_EQ(IsPicture(source), noErr);
    EXPECT_GT(OpenDescriptors(), descriptors);
    EXPECT_LE(OpenDescriptors(), descriptors + kKeptDescriptorBound);
    platform::ForgetProbedPictures();
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(ProbeReuse, ATakenPictureGivesItsCostBack)
{
    // ImageMagick's loader holds the file and the decoded picture: about
    // 24 MB for each of these, 96 MB for the four, beyond the 64 MiB kept
    // at most. One at a time, probed and converted, each is the only one
    // kept while it waits for its export, so each is read once.
    std::vector<QByteArray> sources;
    for (int i = 0; i < 4; ++i) {
        TestPictureOptions options;
        options.seed = i + 1;
        sources.push_back(
            Picture("p" + QByteArray::number(i) + ".bmp", "bmp", 2000, 2000, options));
    }
    Settle(sources.back());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        const long long before = PictureHeaderReads();
        ASSERT_EQ(IsPicture(sources[i]), noErr);
        const QByteArray output = Claimed("out" + QByteArray::number(qulonglong(i)) + ".jpg");
        ASSERT_EQ(Convert(sources[i], output, kJpeg), noErr) << LastCodecErrorText();
        EXPECT_EQ(PictureHeaderReads() - before, 1);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.width, 2000);
    }
}

TEST_F(ProbeReuse, ProbesOnOneThreadFeedExportsOnOthers)
{
    // The batch probes in walk order, a few files ahead of the workers,
    // which convert several at once.
    constexpr int kFiles = 40;
    constexpr size_t kAhead = 4;
    std::vector<QByteArray> sources;
    for (int i = 0; i < kFiles; ++i) {
        TestPictureOptions options;
        options.seed = i + 1;
        sources.push_back(
            Picture("p" + QByteArray::number(i) + ".png", "png", 64 + i, 48, options));
    }
    Settle(sources.back());
    const int descriptors = OpenDescriptors();
    const long long before = PictureHeaderReads();

    std::mutex lock;
    std::condition_variable ready;
    std::deque<int> queue;
    bool walked = false;
    std::vector<OSErr> results(kFiles, -1);
    const auto work = [&] {
        for (;;) {
            std::unique_lock guard(lock);
            ready.wait(guard, [&] { return walked || !queue.empty(); });
            if (queue.empty())
                return;
            const int i = queue.front();
            queue.pop_front();
            guard.unlock();
            ready.notify_all();
            const QByteArray output = m_folder / "dest/" + QByteArray::number(i) + ".png";
            results[size_t(i)] = Convert(sources[size_t(i)], output, kPng);
        }
    };
    std::thread first(work), second(work);
    for (int i = 0; i < kFiles; ++i) {
        const OSErr probed = IsPicture(sources[size_t(i)]);
        EXPECT_EQ(probed, noErr);
        EXPECT_TRUE(WriteFile(m_folder / "dest/" + QByteArray::number(i) + ".png", {}));
        std::unique_lock guard(lock);
        if (!ready.wait_for(guard, std::chrono::seconds(60),
                            [&] { return queue.size() < kAhead; })) {
            ADD_FAILURE() << "the workers stopped taking files";
            break;
        }
        queue.push_back(i);
        ready.notify_all();
    }
    {
        std::lock_guard guard(lock);
        walked = true;
        ready.notify_all();
    }
    first.join();
    second.join();

    EXPECT_EQ(PictureHeaderReads() - before, kFiles);
    for (int i = 0; i < kFiles; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[size_t(i)], noErr);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(m_folder / "dest/" + QByteArray::number(i) + ".png", &facts),
                  noErr);
        EXPECT_EQ(facts.width, 64 + i);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

} // namespace
