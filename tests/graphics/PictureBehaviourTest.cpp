// SPDX-License-Identifier: GPL-3.0-or-later
// What users expect of an exporter beyond the pixels: pictures turned
// upright, colour profiles and metadata kept, transparency flattened onto
// white where the format has none, animations kept where both formats hold
// them, and floating-point pictures made fit for the savers.
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace platform::testing;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG"), kPng = FOUR_CHAR_CODE("PNGf"),
                 kWebp = FOUR_CHAR_CODE("WEBP"), kTiff = FOUR_CHAR_CODE("TIFF"),
                 kGif = FOUR_CHAR_CODE("GIFf"), kPpm = FOUR_CHAR_CODE("PPM ");

class PictureBehaviour : public ::testing::Test
{
protected:
    // A test picture of width × height in format, exported into type.
    PictureFacts Convert(const char* format, int width, int height,
                         const TestPictureOptions& options, OSType type)
    {
        const QByteArray number = QByteArray::number(++m_count);
        m_source = m_folder / "source-" + number + "." + format;
        m_output = m_folder / "out-" + number;
        PictureFacts facts;
        EXPECT_EQ(WriteTestPicture(m_source, format, width, height, options), noErr);
        EXPECT_EQ(platform::ExportPicture(m_source, m_output, {type, codecHighQuality}), noErr)
            << LastCodecErrorText();
        EXPECT_EQ(ReadPictureFacts(m_output, &facts), noErr);
        return facts;
    }

    std::vector<double> Pixel(int x, int y)
    {
        std::vector<double> values;
        EXPECT_EQ(ReadPixel(m_output, x, y, &values), noErr);
        return values.size() >= 3 ? values : std::vector<double>(4, -1);
    }

    testsupport::TempFolder m_folder;
    QByteArray m_source, m_output; // of the last conversion
    int m_count = 0;
};

bool IsMarkRed(const std::vector<double>& pixel)
{
    return pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60;
}

TEST_F(PictureBehaviour, PhotosAreTurnedUprightKeepingTheirColourProfileAndXmp)
{
    // A 300 × 200 photo with the red mark at its stored top-left corner,
    // tagged with how it is to be shown; where the mark must end up.
    TestPictureOptions options;
    options.iccProfile = true;
    options.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/"
                  "1999/02/22-rdf-syntax-ns#\"><rdf:Description xmlns:dc=\"http://purl.org/dc/"
                  "elements/1.1/\" dc:format=\"image/png\"/></rdf:RDF></x:xmpmeta>";
    struct Case {
        int orientation, width, height, markX, markY;
    };
    for (const Case& c : {Case{1, 300, 200, 5, 5},
                          {2, 300, 200, 294, 5},
                          {3, 300, 200, 294, 194},
                          {6, 200, 300, 194, 5},
                          {8, 200, 300, 5, 294}}) {
        for (const OSType type : {kJpeg, kPng, kWebp, kTiff}) {
            SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << " into " << type);
            options.orientation = c.orientation;
            const PictureFacts facts = Convert("jpg", 300, 200, options, type);
            EXPECT_EQ(facts.width, c.width);
            EXPECT_EQ(facts.height, c.height);
            EXPECT_EQ(facts.orientation, 1); // no viewer turns it again
            EXPECT_TRUE(IsMarkRed(Pixel(c.markX, c.markY)));
            EXPECT_FALSE(IsMarkRed(Pixel(c.width - 1 - c.markX, c.height - 1 - c.markY)));
            PictureFacts source;
            ASSERT_EQ(ReadPictureFacts(m_source, &source), noErr);
            ASSERT_FALSE(source.iccProfile.isEmpty());
            EXPECT_EQ(facts.iccProfile, source.iccProfile);
            EXPECT_TRUE(facts.xmp.contains("dc:format=\"image/png\""));
        }
    }
}

TEST_F(PictureBehaviour, HeifPhotosKeepTheirColourProfileAndXmpInEveryFormat)
{
    // The HEIF loader keeps its metadata in memory that goes with the
    // loaded picture; a saver that has the pixels decoded first (WebP) once
    // wrote the profile after the loader had freed it.
    TestPictureOptions options;
    options.iccProfile = true;
    options.orientation = 1;
    options.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/"
                  "1999/02/22-rdf-syntax-ns#\"><rdf:Description xmlns:dc=\"http://purl.org/dc/"
                  "elements/1.1/\" dc:format=\"image/heic\"/></rdf:RDF></x:xmpmeta>";
    for (const char* format : {"heic", "avif"}) {
        for (const OSType type : {kJpeg, kPng, kWebp, kTiff}) {
            SCOPED_TRACE(testing::Message() << format << " into " << type);
            const PictureFacts facts = Convert(format, 64, 48, options, type);
            PictureFacts source;
            ASSERT_EQ(ReadPictureFacts(m_source, &source), noErr);
            ASSERT_FALSE(source.iccProfile.isEmpty());
            EXPECT_EQ(facts.iccProfile, source.iccProfile);
            EXPECT_TRUE(facts.xmp.contains("dc:format=\"image/heic\"")) << facts.xmp.constData();
        }
    }
}

TEST_F(PictureBehaviour, TransparencyIsFlattenedOntoWhiteOnlyWhereTheFormatHasNone)
{
    // The source's right half is fully transparent.
    TestPictureOptions options;
    options.alpha = true;
    Convert("png", 200, 100, {}, kPng);
    const std::vector<double> opaque = Pixel(60, 60);
    struct Case {
        OSType type;
        bool keepsAlpha;
        double tolerance; // of the opaque half
    };
    for (const Case& c : {Case{kJpeg, false, 8},
                          {kPpm, false, 0},
                          {kPng, true, 0},
                          {kWebp, true, 8},
                          {kTiff, true, 0},
                          {kGif, true, 40}}) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(Convert("png", 200, 100, options, c.type).alpha, c.keepsAlpha);
        const std::vector<double> right = Pixel(160, 50), left = Pixel(60, 60);
        for (int band = 0; band < 3; ++band) {
            EXPECT_NEAR(left[band], opaque[band], c.tolerance) << "band " << band;
            EXPECT_TRUE(c.keepsAlpha || right[band] >= 250) << "white, not black, behind it";
        }
        EXPECT_TRUE(!c.keepsAlpha || right.back() == 0) << "the transparent half stays so";
    }
}

TEST_F(PictureBehaviour, DeepAndFloatingPointTransparencyIsFlattenedOntoTheirOwnWhite)
{
    // White and opacity are the top of each kind's own scale: 65535 for
    // 16 bits, 1.0 for floating point, not 8-bit's 255.
    struct Case {
        const char* what;
        const char* format;
        SampleKind kind;
        double left[3]; // the opaque half on the 8-bit scale
    };
    const Case cases[] = {
        {"16-bit RGBA PNG", "png", SampleKind::RGB16, {255, 0, 0}},
        {"16-bit grey and alpha PNG", "png", SampleKind::Grey16, {64, 64, 64}},
        {"float RGBA TIFF", "tif", SampleKind::FloatRGB, {255, 0, 0}},
    };
    for (const Case& c : cases) {
        for (const OSType type : {kJpeg, kPpm}) {
            SCOPED_TRACE(testing::Message() << c.what << " into " << type);
            const QByteArray number = QByteArray::number(++m_count);
            m_source = m_folder / "half-" + number + "." + c.format;
            m_output = m_folder / "flat-" + number;
            ASSERT_EQ(WriteHalfTransparentPicture(m_source, c.format, 200, 100, c.kind), noErr);
            ASSERT_EQ(platform::ExportPicture(m_source, m_output, {type, codecHighQuality}), noErr)
                << LastCodecErrorText();
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(m_output, &facts), noErr);
            EXPECT_FALSE(facts.alpha);
            const double scale = facts.bitsPerSample == 16 ? 257.0 : 1.0;
            std::vector<double> left, right;
            ASSERT_EQ(ReadPixel(m_output, 40, 50, &left), noErr);
            ASSERT_EQ(ReadPixel(m_output, 160, 50, &right), noErr);
            for (size_t band = 0; band < left.size() && band < 3; ++band) {
                EXPECT_NEAR(left[band] / scale, c.left[band], 8) << "opaque half, band " << band;
                EXPECT_GE(right[band] / scale, 250) << "white behind the clear half, band " << band;
            }
        }
    }
}

TEST_F(PictureBehaviour, AnimationsKeepTheirFramesOnlyWhereBothFormatsAnimate)
{
    TestPictureOptions options;
    options.frames = 5;
    struct Case {
        const char* format;
        OSType type;
        int frames;
    };
    for (const Case& c :
         {Case{"gif", kWebp, 5}, {"webp", kGif, 5}, {"gif", kJpeg, 1}, {"webp", kPng, 1}}) {
        SCOPED_TRACE(testing::Message() << c.format << " into " << c.type);
        const PictureFacts facts = Convert(c.format, 120, 90, options, c.type);
        EXPECT_EQ(facts.frames, c.frames);
        EXPECT_EQ(facts.width, 120);
        EXPECT_EQ(facts.height, 90);
    }
}

TEST_F(PictureBehaviour, FloatingPointPicturesBecomeWhatTheSaverTakes)
{
    // Compared on the 8-bit scale with the same picture drawn plainly;
    // libvips' savers would cast 0..1 samples as numbers, nearly black.
    const PictureFacts plain = Convert("png", 160, 120, {}, kPng);
    TestPictureOptions floating;
    floating.floatSamples = true;
    for (const OSType type : {kJpeg, kPng, kPpm}) {
        SCOPED_TRACE(type);
        const PictureFacts facts = Convert("tif", 160, 120, floating, type);
        EXPECT_EQ(facts.width, 160);
        EXPECT_EQ(facts.bands, 3);
        const double scale = facts.bitsPerSample == 16 ? 257.0 : 1.0;
        for (int band = 0; band < 3; ++band)
            EXPECT_NEAR(facts.bandMeans[band] / scale, plain.bandMeans[band], type == kJpeg ? 3 : 2)
                << "band " << band;
    }
}

} // namespace
