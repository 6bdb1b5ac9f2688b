// Formats that libvips reads only through ImageMagick, which users meet
// (Windows bitmaps and icons, Targa, PCX, Photoshop's composite, XPM): each
// converts into every export type, and a truncated one fails cleanly.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace platform::testing;
using namespace testsupport;
using platform::graphics::AvailableSavers;
using platform::graphics::SaverEntry;

namespace
{

struct FallbackFormat {
    const char* suffix; // as ImageMagick names the format
    double tolerance;   // of the band averages against the PNG of the same picture
    int images = 1;     // more: a Photoshop file of a composite and its layers
};

// XPM keeps a palette; the others keep 8-bit samples as they are. Of a
// layered Photoshop file the composite, stored first, is the picture.
constexpr FallbackFormat kFormats[] = {
    {"bmp", 0.01}, {"tga", 0.01}, {"ico", 0.01},    {"pcx", 0.01},
    {"psd", 0.01}, {"xpm", 8},    {"psd", 0.01, 3},
};

TEST(FallbackFormats, EachConvertsIntoEveryExportType)
{
    TempFolder folder;
    const QByteArray reference = folder / "reference.png";
    ASSERT_EQ(WriteTestPicture(reference, "png", 64, 48), noErr);
    PictureFacts expected;
    ASSERT_EQ(ReadPictureFacts(reference, &expected), noErr);
    for (const FallbackFormat& format : kFormats) {
        SCOPED_TRACE(testing::Message() << format.suffix << " of " << format.images);
        // No suffix: the content alone must tell the loader.
        const QByteArray source =
            folder / "picture-" + format.suffix + QByteArray::number(format.images);
        TestPictureOptions options;
        options.frames = format.images;
        ASSERT_EQ(WriteTestPicture(source, format.suffix, 64, 48, options), noErr)
            << LastCodecErrorText();
        EXPECT_EQ(platform::ProbePicture(source), noErr) << LastCodecErrorText();
        for (const SaverEntry* saver : AvailableSavers()) {
            SCOPED_TRACE(saver->extension);
            const QByteArray output = folder / "out." + saver->extension;
            ASSERT_EQ(platform::ExportPicture(source, output, saver->exportType, codecHighQuality),
                      noErr)
                << LastCodecErrorText();
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
            EXPECT_EQ(facts.width, 64);
            EXPECT_EQ(facts.height, 48);
            if (std::string(saver->extension) == "png") {
                // ImageMagick hands some formats over at 16 bits.
                const double scale = facts.bitsPerSample == 16 ? 257.0 : 1.0;
                for (int band = 0; band < 3; ++band)
                    EXPECT_NEAR(facts.bandMeans.at(band) / scale, expected.bandMeans[band],
                                format.tolerance);
            }
            ASSERT_EQ(::remove(output.constData()), 0);
        }
    }
}

TEST(FallbackFormats, ATruncatedOneFailsLeavingNothing)
{
    TempFolder folder;
    ASSERT_TRUE(MakeFolder(folder / "dest"));
    for (const FallbackFormat& format : kFormats) {
        SCOPED_TRACE(format.suffix);
        const QByteArray whole = folder / "whole." + format.suffix;
        ASSERT_EQ(WriteTestPicture(whole, format.suffix, 64, 48), noErr);
        const QByteArray bytes = ReadFile(whole);
        const QByteArray source = folder / "truncated." + format.suffix;
        ASSERT_TRUE(WriteFile(source, bytes.left(bytes.size() / 2)));
        for (const SaverEntry* saver : AvailableSavers()) {
            SCOPED_TRACE(saver->extension);
            EXPECT_NE(platform::ExportPicture(source, folder / "dest/out", saver->exportType,
                                              codecHighQuality),
                      noErr);
            EXPECT_TRUE(ListFolder(folder / "dest").empty());
        }
        EXPECT_EQ(ReadFile(source), bytes.left(bytes.size() / 2));
    }
}

} // namespace
