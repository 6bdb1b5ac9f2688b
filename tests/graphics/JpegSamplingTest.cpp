// SPDX-License-Identifier: GPL-3.0-or-later
// A JPEG written from a JPEG whose colour has full resolution (4:4:4, as
// screenshots and graphics are often saved) keeps it: halving the chroma
// would blur every thin coloured line. Everything else is subsampled as
// libvips does below Q 90.
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/JpegTesting.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/memory/MemoryPolicy.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace platform::testing;
using namespace testsupport;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG");

using Sampling = std::vector<std::pair<int, int>>; // each component's H × V factors

// The sampling factors in the stream's frame header; empty without one.
Sampling SamplingOf(const QByteArray& jpeg)
{
    const auto byte = [&jpeg](qsizetype at) {
        return at < jpeg.size() ? int(quint8(jpeg[at])) : 0;
    };
    for (qsizetype at = 2; at + 4 <= jpeg.size() && byte(at) == 0xFF;) {
        const int marker = byte(at + 1);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            Sampling sampling;
            const int components = byte(at + 9);
            for (int i = 0; i < components; ++i) {
                const int factors = byte(at + 11 + 3 * i);
                sampling.emplace_back(factors >> 4, factors & 0x0F);
            }
            return sampling;
        }
        if (marker == 0xDA)
            break;
        at += 2 + (byte(at + 2) << 8 | byte(at + 3));
    }
    return {};
}

const Sampling kFull = {{1, 1}, {1, 1}, {1, 1}};
const Sampling kHalved = {{2, 2}, {1, 1}, {1, 1}};

// White with one-pixel lines of pure red, green and blue, across and down:
// what chroma subsampling blurs most.
QByteArray LinesPpm(int width, int height)
{
    QByteArray ppm =
        "P6\n" + QByteArray::number(width) + " " + QByteArray::number(height) + "\n255\n";
    const char colours[3][3] = {{'\xff', 0, 0}, {0, '\xff', 0}, {0, 0, '\xff'}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (y % 6 == 0)
                ppm.append(colours[(y / 6) % 3], 3);
            else if (x % 6 == 3)
                ppm.append(colours[(x / 6) % 3], 3);
            else
                ppm.append("\xff\xff\xff", 3);
        }
    }
    return ppm;
}

class JpegSampling : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeFolder(m_folder / "out"));
        ASSERT_TRUE(WriteFile(lines, LinesPpm(256, 192)));
    }
    void TearDown() override { platform::SetPictureMemoryBudget(0); }

    // The lines as a JPEG written with libvips' options.
    QByteArray Source(const char* name, JpegColours colours, const char* options)
    {
        QByteArray jpeg;
        EXPECT_EQ(EncodeTestJpeg(lines, colours, options, &jpeg), noErr) << LastCodecErrorText();
        const QByteArray path = m_folder / name;
        EXPECT_TRUE(WriteFile(path, jpeg));
        return path;
    }
    QByteArray Export(const QByteArray& source, CodecQ quality = codecHighQuality)
    {
        const QByteArray output = m_folder / "out/picture.jpg";
        EXPECT_EQ(platform::ExportPicture(source, output, {kJpeg, quality}), noErr)
            << LastCodecErrorText();
        platform::ForgetProbedPictures();
        return ReadFile(output);
    }
    double Difference(const QByteArray& a, const QByteArray& b)
    {
        double difference = -1;
        EXPECT_EQ(MeanAbsoluteDifference(a, b, &difference), noErr) << LastCodecErrorText();
        return difference;
    }

    TempFolder m_folder;
    const QByteArray lines = m_folder / "lines.ppm";
};

TEST_F(JpegSampling, AFullResolutionJpegKeepsItsColourResolution)
{
    struct Case {
        const char* what;
        QByteArray source;
        Sampling written;
    };
    const Case cases[] = {
        {"4:4:4 at Q 95", Source("q95-444.jpg", JpegColours::Colour, "Q=95,subsample_mode=off"),
         kFull},
        {"4:4:4 at Q 75", Source("q75-444.jpg", JpegColours::Colour, "Q=75,subsample_mode=off"),
         kFull},
        // As before: what was subsampled, and every other format.
        {"4:2:0 at Q 95", Source("q95-420.jpg", JpegColours::Colour, "Q=95,subsample_mode=on"),
         kHalved},
        {"a PNG", lines, kHalved},
        {"grey", Source("grey.jpg", JpegColours::Grey, "Q=95"), {{1, 1}}},
        {"CMYK at full resolution",
         Source("cmyk.jpg", JpegColours::Cmyk, "Q=95"),
         {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray written = Export(c.source);
        EXPECT_EQ(SamplingOf(written), c.written);
    }
}

TEST_F(JpegSampling, ThinColouredLinesKeepTheirColour)
{
    const QByteArray source = Source("source.jpg", JpegColours::Colour, "Q=95,subsample_mode=off");
    const QByteArray output = m_folder / "out/picture.jpg";
    Export(source);
    // The same picture subsampled at the same quality, as it was written
    // before.
    const QByteArray halved = m_folder / "halved.jpg";
    QByteArray bytes;
    ASSERT_EQ(EncodeTestJpeg(source, JpegColours::Colour, "Q=75,subsample_mode=on", &bytes), noErr);
    ASSERT_TRUE(WriteFile(halved, bytes));
    const double kept = Difference(output, source), lost = Difference(halved, source);
    EXPECT_GT(kept, 0.0);
    EXPECT_LT(kept * 2, lost) << "kept " << kept << ", subsampled " << lost;
}

// HEIF and AVIF keep a 4:4:4 JPEG's colour resolution as JPEG does: the
// thin lines come out closer to the source than the same pixels from a PNG,
// which are subsampled as libvips does below Q 90.
TEST_F(JpegSampling, HeifAndAvifFromAFullResolutionJpegKeepThinLinesCloser)
{
    const QByteArray source = Source("source.jpg", JpegColours::Colour, "Q=95,subsample_mode=off");
    const QByteArray samePixels = m_folder / "same.png";
    ASSERT_EQ(
        platform::ExportPicture(source, samePixels, {FOUR_CHAR_CODE("PNGf"), codecHighQuality}),
        noErr);
    int formats = 0;
    for (const char* extension : {"heic", "avif"}) {
        const platform::graphics::SaverEntry* saver =
            platform::graphics::FindSaverForExtension(extension);
        if (!saver)
            continue; // no encoder plug-in here
        SCOPED_TRACE(extension);
        ++formats;
        const QByteArray kept = m_folder / "kept." + extension;
        const QByteArray halved = m_folder / "halved." + extension;
        ASSERT_EQ(platform::ExportPicture(source, kept, {saver->exportType, codecHighQuality}),
                  noErr)
            << LastCodecErrorText();
        ASSERT_EQ(
            platform::ExportPicture(samePixels, halved, {saver->exportType, codecHighQuality}),
            noErr)
            << LastCodecErrorText();
        platform::ForgetProbedPictures();
        const double near = Difference(kept, samePixels), far = Difference(halved, samePixels);
        EXPECT_GT(near, 0.0);
        EXPECT_LT(near * 1.25, far) << "from the JPEG " << near << ", from the PNG " << far;
    }
    EXPECT_GE(formats, 1);
}

TEST_F(JpegSampling, AFullResolutionJpegBeyondTheBudgetIsReencodedAtItsResolution)
{
    // Beyond the budget the picture is written with the standard tables and
    // re-coded: the result is what libjpeg's own optimisation writes.
    const QByteArray source = Source("source.jpg", JpegColours::Colour, "Q=95,subsample_mode=off");
    platform::SetPictureMemoryBudget(UInt64(1) << 30);
    const QByteArray optimised = Export(source);
    platform::SetPictureMemoryBudget(4096);
    const QByteArray recoded = Export(source);
    EXPECT_EQ(SamplingOf(recoded), kFull);
    EXPECT_EQ(recoded, optimised);
}

} // namespace
