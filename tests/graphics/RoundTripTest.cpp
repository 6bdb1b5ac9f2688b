// Every export type writes a picture that libvips reads back whole, with
// the source's size and colours, through the path-based core and through
// the component calls; quality reaches the savers.
#include "GraphicsTestSupport.h"

#include "platform/graphics/GraphicsCore.h"
#include "platform/graphics/TestPictures.h"
#include "platform/graphics/VipsSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using platform::testing::PictureFacts;
using platform::testing::ReadPictureFacts;
using platform::testing::WriteTestPicture;
using testsupport::TempFolder;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// How far a format's colours may drift at quality 768: lossy coders move
// the band averages a little, GIF's palette and dithering a little more.
double MeanTolerance(const QByteArray& extension)
{
    if (extension == "png" || extension == "tif" || extension == "ppm")
        return 0.01;
    if (extension == "gif")
        return 6.0;
    return 3.0;
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_source = m_folder / "source.png";
        ASSERT_EQ(WriteTestPicture(m_source, "png", kWidth, kHeight), noErr);
        ASSERT_EQ(ReadPictureFacts(m_source, &m_sourceFacts), noErr);
        ASSERT_TRUE(testsupport::MakeFolder(m_folder / "out"));
    }

    // Checks an output against the source: whole, same size, right format,
    // same colours, alone in its folder.
    void ExpectFaithful(const QByteArray& output, const QByteArray& extension)
    {
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.width, kWidth);
        EXPECT_EQ(facts.height, kHeight);
        EXPECT_EQ(facts.frames, 1);
        EXPECT_EQ(facts.loader.rfind(LoaderForExtension(extension), 0), 0u) << facts.loader;
        ASSERT_GE(facts.bandMeans.size(), 3u);
        for (int band = 0; band < 3; ++band)
            EXPECT_NEAR(facts.bandMeans[band], m_sourceFacts.bandMeans[band],
                        MeanTolerance(extension))
                << "band " << band;
    }

    TempFolder m_folder;
    QByteArray m_source;
    PictureFacts m_sourceFacts;
};

TEST_F(RoundTrip, EveryExportTypeWritesAPictureReadBackWhole)
{
    const std::vector<ExportTypeEntry> list = ReadExportTypeList();
    ASSERT_FALSE(list.empty());
    for (const ExportTypeEntry& entry : list) {
        SCOPED_TRACE(entry.extension.constData());
        const QByteArray output = m_folder / "out/picture." + entry.extension;
        // The engine claims the output name with an empty file first.
        ASSERT_TRUE(testsupport::WriteFile(output, {}));
        UInt64 written = 0;
        ASSERT_EQ(platform::ExportPicture(m_source, output, entry.type, codecHighQuality, &written),
                  noErr)
            << platform::graphics::LastVipsErrorText();
        EXPECT_EQ(qsizetype(written), testsupport::ReadFile(output).size());
        EXPECT_GT(written, 0u);
        ExpectFaithful(output, entry.extension);
        EXPECT_EQ(testsupport::ListFolder(m_folder / "out"),
                  std::vector<QByteArray>{"picture." + entry.extension});
        ASSERT_EQ(::remove(output.constData()), 0);
    }
}

TEST_F(RoundTrip, ComponentCallsConvertThroughFSSpecs)
{
    for (const char* extension : {"jpg", "png", "webp"}) {
        SCOPED_TRACE(extension);
        OSType type = 0;
        for (const ExportTypeEntry& entry : ReadExportTypeList()) {
            if (entry.extension == extension)
                type = entry.type;
        }
        ASSERT_NE(type, 0u);
        const QByteArray output = m_folder / "out/picture." + extension;
        ASSERT_TRUE(testsupport::WriteFile(output, {}));

        FSSpec sourceSpec{}, outputSpec{};
        const FSRef sourceRef = testsupport::RefFor(m_source);
        const FSRef outputRef = testsupport::RefFor(output);
        ASSERT_EQ(FSGetCatalogInfo(&sourceRef, kFSCatInfoNone, nullptr, nullptr, &sourceSpec, nullptr),
                  noErr);
        ASSERT_EQ(FSGetCatalogInfo(&outputRef, kFSCatInfoNone, nullptr, nullptr, &outputSpec, nullptr),
                  noErr);

        GraphicsImportComponent importer = nullptr;
        GraphicsExportComponent exporter = nullptr;
        ASSERT_EQ(GetGraphicsImporterForFile(&sourceSpec, &importer), noErr);
        ASSERT_EQ(OpenADefaultComponent(GraphicsExporterComponentType, type, &exporter), noErr);
        EXPECT_EQ(GraphicsExportSetInputGraphicsImporter(exporter, importer), noErr);
        EXPECT_EQ(GraphicsExportSetOutputFile(exporter, &outputSpec), noErr);
        EXPECT_EQ(GraphicsExportSetCompressionQuality(exporter, codecHighQuality), noErr);
        unsigned long written = 0;
        EXPECT_EQ(GraphicsExportDoExport(exporter, &written), noErr);
        EXPECT_EQ(qsizetype(written), testsupport::ReadFile(output).size());
        EXPECT_EQ(CloseComponent(exporter), noErr);
        EXPECT_EQ(CloseComponent(importer), noErr);
        ExpectFaithful(output, extension);
        ASSERT_EQ(::remove(output.constData()), 0);
    }
}

TEST_F(RoundTrip, QualityOrdersLossyOutputSizes)
{
    for (const auto& [type, extension] : {std::pair{FOUR_CHAR_CODE("JPEG"), "jpg"},
                                          std::pair{FOUR_CHAR_CODE("WEBP"), "webp"}}) {
        SCOPED_TRACE(extension);
        qsizetype previous = 0;
        for (const CodecQ quality : {codecLowQuality, codecNormalQuality, codecHighQuality,
                                     codecMaxQuality}) {
            const QByteArray output = m_folder / "out/q" + QByteArray::number(quality) + "." + extension;
            ASSERT_EQ(platform::ExportPicture(m_source, output, type, quality), noErr);
            const qsizetype size = testsupport::ReadFile(output).size();
            EXPECT_GT(size, previous) << "quality " << quality;
            previous = size;
        }
    }
}

TEST_F(RoundTrip, LosslessQualityKeepsEveryPixelAndLosslessFormatsIgnoreQuality)
{
    const QByteArray lossless = m_folder / "out/lossless.webp";
    ASSERT_EQ(platform::ExportPicture(m_source, lossless, FOUR_CHAR_CODE("WEBP"),
                                      codecLosslessQuality),
              noErr);
    for (const auto& [x, y] : {std::pair{0, 0}, {100, 57}, {319, 239}, {200, 120}}) {
        std::vector<double> expected, actual;
        ASSERT_EQ(platform::testing::ReadPixel(m_source, x, y, &expected), noErr);
        ASSERT_EQ(platform::testing::ReadPixel(lossless, x, y, &actual), noErr);
        EXPECT_EQ(actual, expected) << x << "," << y;
    }

    const QByteArray low = m_folder / "out/low.png";
    const QByteArray high = m_folder / "out/high.png";
    ASSERT_EQ(platform::ExportPicture(m_source, low, FOUR_CHAR_CODE("PNGf"), codecLowQuality), noErr);
    ASSERT_EQ(platform::ExportPicture(m_source, high, FOUR_CHAR_CODE("PNGf"), codecHighQuality), noErr);
    EXPECT_EQ(testsupport::ReadFile(low), testsupport::ReadFile(high));
}

TEST_F(RoundTrip, ExportsRunSideBySideOnWorkerThreads)
{
    const std::vector<std::pair<OSType, QByteArray>> types = {
        {FOUR_CHAR_CODE("JPEG"), "jpg"}, {FOUR_CHAR_CODE("PNGf"), "png"},
        {FOUR_CHAR_CODE("WEBP"), "webp"}, {FOUR_CHAR_CODE("TIFF"), "tif"}};
    std::vector<OSErr> statuses(types.size() * 3, -1);
    std::vector<std::thread> workers;
    for (size_t worker = 0; worker < types.size(); ++worker) {
        workers.emplace_back([&, worker] {
            for (int round = 0; round < 3; ++round) {
                const QByteArray output = m_folder / "out/t" + QByteArray::number(int(worker)) + "-" +
                                          QByteArray::number(round) + "." + types[worker].second;
                statuses[worker * 3 + size_t(round)] = platform::ExportPicture(
                    m_source, output, types[worker].first, codecHighQuality);
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (size_t i = 0; i < statuses.size(); ++i) {
        EXPECT_EQ(statuses[i], noErr) << i;
        const auto& [type, extension] = types[i / 3];
        ExpectFaithful(m_folder / "out/t" + QByteArray::number(int(i / 3)) + "-" +
                           QByteArray::number(int(i % 3)) + "." + extension,
                       extension);
    }
    EXPECT_EQ(testsupport::ListFolder(m_folder / "out").size(), statuses.size());
}

} // namespace
