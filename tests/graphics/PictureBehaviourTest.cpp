// What users expect of an exporter beyond the pixels: pictures turned
// upright, colour profiles and metadata kept, transparency flattened onto
// white where the format has none, animations kept where both formats hold
// them, and deep, CMYK or floating-point pictures made fit for 8-bit savers.
#include "GraphicsTestSupport.h"

#include "platform/graphics/GraphicsCore.h"
#include "platform/graphics/TestPictures.h"
#include "platform/graphics/VipsSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using platform::testing::PictureFacts;
using platform::testing::ReadPictureFacts;
using platform::testing::ReadPixel;
using platform::testing::TestPictureOptions;
using platform::testing::WriteTestPicture;
using testsupport::TempFolder;

namespace {

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG");
constexpr OSType kPng = FOUR_CHAR_CODE("PNGf");
constexpr OSType kWebp = FOUR_CHAR_CODE("WEBP");
constexpr OSType kTiff = FOUR_CHAR_CODE("TIFF");
constexpr OSType kGif = FOUR_CHAR_CODE("GIFf");
constexpr OSType kPpm = FOUR_CHAR_CODE("PPM ");

bool IsMarkRed(const std::vector<double>& pixel)
{
    return pixel.size() >= 3 && pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60;
}

class PictureBehaviour : public ::testing::Test {
protected:
    QByteArray Export(const QByteArray& source, OSType type, const char* extension)
    {
        const QByteArray output = m_folder / "out-" + QByteArray::number(++m_outputs) + "." + extension;
        const OSErr status = platform::ExportPicture(source, output, type, codecHighQuality);
        EXPECT_EQ(status, noErr) << platform::graphics::LastVipsErrorText();
        return status == noErr ? output : QByteArray();
    }

    TempFolder m_folder;
    int m_outputs = 0;
};

TEST_F(PictureBehaviour, ExifOrientationTurnsThePixelsUpright)
{
    // The source is 300 × 200 with the red mark at its stored top-left
    // corner; the tag says how it is to be shown.
    struct Case {
        int orientation;
        int width, height;
        int markX, markY; // where the mark must end up
    };
    const Case cases[] = {
        {1, 300, 200, 5, 5},     // as stored
        {2, 300, 200, 294, 5},   // mirrored
        {3, 300, 200, 294, 194}, // upside down
        {6, 200, 300, 194, 5},   // turned a quarter clockwise
        {8, 200, 300, 5, 294},   // turned a quarter anticlockwise
    };
    for (const Case& c : cases) {
        const QByteArray source = m_folder / "oriented-" + QByteArray::number(c.orientation) + ".jpg";
        TestPictureOptions options;
        options.orientation = c.orientation;
        ASSERT_EQ(WriteTestPicture(source, "jpg", 300, 200, options), noErr);
        for (const auto& [type, extension] : {std::pair{kJpeg, "jpg"}, {kPng, "png"}, {kWebp, "webp"}}) {
            SCOPED_TRACE(testing::Message() << "orientation " << c.orientation << " to " << extension);
            const QByteArray output = Export(source, type, extension);
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
            EXPECT_EQ(facts.width, c.width);
            EXPECT_EQ(facts.height, c.height);
            EXPECT_EQ(facts.orientation, 1); // no viewer turns it again
            std::vector<double> mark, opposite;
            ASSERT_EQ(ReadPixel(output, c.markX, c.markY, &mark), noErr);
            ASSERT_EQ(ReadPixel(output, c.width - 1 - c.markX, c.height - 1 - c.markY, &opposite), noErr);
            EXPECT_TRUE(IsMarkRed(mark));
            EXPECT_FALSE(IsMarkRed(opposite));
        }
    }
}

TEST_F(PictureBehaviour, ColourProfileAndXmpAreKept)
{
    const QByteArray xmp =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/"
        "22-rdf-syntax-ns#\"><rdf:Description xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "dc:format=\"image/png\"/></rdf:RDF></x:xmpmeta>";
    for (const char* sourceFormat : {"png", "jpg"}) {
        const QByteArray source = m_folder / "profiled." + QByteArray(sourceFormat);
        TestPictureOptions options;
        options.iccProfile = true;
        options.xmp = xmp;
        ASSERT_EQ(WriteTestPicture(source, sourceFormat, 200, 150, options), noErr);
        PictureFacts sourceFacts;
        ASSERT_EQ(ReadPictureFacts(source, &sourceFacts), noErr);
        ASSERT_FALSE(sourceFacts.iccProfile.isEmpty());
        ASSERT_TRUE(sourceFacts.xmp.contains("dc:format"));

        for (const auto& [type, extension] :
             {std::pair{kJpeg, "jpg"}, {kPng, "png"}, {kWebp, "webp"}, {kTiff, "tif"}}) {
            SCOPED_TRACE(testing::Message() << sourceFormat << " to " << extension);
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(Export(source, type, extension), &facts), noErr);
            EXPECT_EQ(facts.iccProfile, sourceFacts.iccProfile);
            EXPECT_TRUE(facts.xmp.contains("dc:format"));
        }
    }
}

TEST_F(PictureBehaviour, TransparencyIsFlattenedOntoWhiteOnlyWhereTheFormatHasNone)
{
    // The source's right half is fully transparent.
    const QByteArray source = m_folder / "transparent.png";
    TestPictureOptions options;
    options.alpha = true;
    ASSERT_EQ(WriteTestPicture(source, "png", 200, 100, options), noErr);
    std::vector<double> left;
    ASSERT_EQ(ReadPixel(source, 60, 60, &left), noErr);

    struct Case {
        OSType type;
        const char* extension;
        bool keepsAlpha;
        double tolerance;
    };
    const Case cases[] = {
        {kJpeg, "jpg", false, 8}, {kPpm, "ppm", false, 0},  {kPng, "png", true, 0},
        {kWebp, "webp", true, 8}, {kTiff, "tif", true, 0},  {kGif, "gif", true, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        const QByteArray output = Export(source, c.type, c.extension);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
        EXPECT_EQ(facts.alpha, c.keepsAlpha);
        std::vector<double> right, kept;
        ASSERT_EQ(ReadPixel(output, 160, 50, &right), noErr);
        ASSERT_EQ(ReadPixel(output, 60, 60, &kept), noErr);
        if (c.keepsAlpha) {
            EXPECT_EQ(right.back(), 0) << "the transparent half stays transparent";
        } else {
            for (int band = 0; band < 3; ++band)
                EXPECT_GE(right[band], 250) << "white, not black, behind the transparent half";
        }
        for (int band = 0; band < 3; ++band)
            EXPECT_NEAR(kept[band], left[band], c.tolerance) << "opaque half, band " << band;
    }
}

TEST_F(PictureBehaviour, AnimationsKeepTheirFramesOnlyWhereBothFormatsAnimate)
{
    struct Case {
        const char* sourceFormat;
        OSType type;
        const char* extension;
        int frames;
    };
    const Case cases[] = {
        {"gif", kWebp, "webp", 5}, {"webp", kGif, "gif", 5}, {"gif", kGif, "gif", 5},
        {"gif", kJpeg, "jpg", 1},  {"webp", kPng, "png", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sourceFormat << " to " << c.extension);
        const QByteArray source = m_folder / "animated." + QByteArray(c.sourceFormat);
        TestPictureOptions options;
        options.frames = 5;
        ASSERT_EQ(WriteTestPicture(source, c.sourceFormat, 120, 90, options), noErr);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(Export(source, c.type, c.extension), &facts), noErr);
        EXPECT_EQ(facts.frames, c.frames);
        EXPECT_EQ(facts.width, 120);
        EXPECT_EQ(facts.height, 90);
    }
}

TEST_F(PictureBehaviour, DeepCmykAndFloatPicturesBecomeWhatTheSaverTakes)
{
    const QByteArray plain = m_folder / "plain.png";
    ASSERT_EQ(WriteTestPicture(plain, "png", 160, 120), noErr);
    PictureFacts plainFacts;
    ASSERT_EQ(ReadPictureFacts(plain, &plainFacts), noErr);

    struct Case {
        const char* name;
        const char* sourceFormat;
        TestPictureOptions options;
        OSType type;
        const char* extension;
        int bands; // 0: any (GIF readers add alpha or not)
        double tolerance; // of the band averages, in 8-bit levels
    };
    TestPictureOptions sixteen, cmyk, floating, grey;
    sixteen.sixteenBit = true;
    cmyk.cmyk = true;
    floating.floatSamples = true;
    grey.grey = true;
    const Case cases[] = {
        {"16-bit PNG to JPEG", "png", sixteen, kJpeg, "jpg", 3, 3},
        {"16-bit PNG to WebP", "png", sixteen, kWebp, "webp", 3, 3},
        {"16-bit TIFF to GIF", "tif", sixteen, kGif, "gif", 0, 8},
        {"CMYK JPEG to PNG", "jpg", cmyk, kPng, "png", 3, 12},
        {"CMYK TIFF to WebP", "tif", cmyk, kWebp, "webp", 3, 12},
        {"float TIFF to JPEG", "tif", floating, kJpeg, "jpg", 3, 3},
        {"float TIFF to PPM", "tif", floating, kPpm, "ppm", 3, 2},
        {"float TIFF to PNG", "tif", floating, kPng, "png", 3, 2},
        {"grey PNG to JPEG", "png", grey, kJpeg, "jpg", 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray source = m_folder / "deep-" + QByteArray::number(++m_outputs) + "." + c.sourceFormat;
        ASSERT_EQ(WriteTestPicture(source, c.sourceFormat, 160, 120, c.options), noErr);
        PictureFacts facts;
        ASSERT_EQ(ReadPictureFacts(Export(source, c.type, c.extension), &facts), noErr);
        EXPECT_EQ(facts.width, 160);
        EXPECT_EQ(facts.height, 120);
        if (c.bands) {
            EXPECT_EQ(facts.bands, c.bands);
        }
        if (c.tolerance < 0)
            continue;
        // Compared on the 8-bit scale with the same picture drawn plainly.
        const double scale = facts.bitsPerSample == 16 ? 257.0 : 1.0;
        for (int band = 0; band < 3; ++band)
            EXPECT_NEAR(facts.bandMeans[band] / scale, plainFacts.bandMeans[band], c.tolerance)
                << "band " << band;
    }
}

} // namespace
