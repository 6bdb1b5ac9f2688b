// SPDX-License-Identifier: GPL-3.0-or-later
// Formats that libvips reads only through ImageMagick, which users meet
// (Windows bitmaps and icons, Targa, PCX, Photoshop's composite, XPM): each
// converts into every export type, and a truncated one fails cleanly.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>

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
            ASSERT_EQ(
                platform::ExportPicture(source, output, {saver->exportType, codecHighQuality}),
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

// Writes an icon of source's picture at the sizes, as ImageMagick makes a
// favicon: its 256-pixel image is stored as a PNG, the smaller ones as
// bitmaps.
bool MakeIcon(const QByteArray& source, const QByteArray& icon, const char* sizes)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"),
                  {QString::fromUtf8(source), QStringLiteral("-define"),
                   QStringLiteral("icon:auto-resize=") + QLatin1String(sizes),
                   QStringLiteral("ico:") + QString::fromUtf8(icon)});
    return convert.waitForFinished(60000) && convert.exitStatus() == QProcess::NormalExit &&
           convert.exitCode() == 0;
}

// Where the icon's first image starts, and whether it is a PNG.
bool FirstImageIsPng(const QByteArray& icon)
{
    if (icon.size() < 22)
        return false;
    const auto at = [&icon](int i) { return quint32(quint8(icon[i])); };
    const quint32 offset = at(18) | at(19) << 8 | at(20) << 16 | at(21) << 24;
    return offset < quint32(icon.size()) && icon.mid(qsizetype(offset), 4) == "\x89PNG";
}

TEST(FallbackFormats, AnIconIsReadByItsContainerNotByTheFormatOfItsFirstImage)
{
    TempFolder folder;
    ASSERT_TRUE(MakeFolder(folder / "dest"));
    const QByteArray reference = folder / "reference.png";
    ASSERT_EQ(WriteTestPicture(reference, "png", 256, 256), noErr);
    PictureFacts expected;
    ASSERT_EQ(ReadPictureFacts(reference, &expected), noErr);
    struct Case {
        const char* what;
        const char* sizes;
        bool pngInside;
        int width; // of the first image, the one converted
    };
    const Case cases[] = {
        {"a favicon: 256 pixels as PNG, then bitmaps", "256,48,16", true, 256},
        {"bitmaps only", "48,16", false, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray icon = folder / "favicon"; // no suffix: by content alone
        ASSERT_TRUE(MakeIcon(reference, icon, c.sizes));
        const QByteArray bytes = ReadFile(icon);
        ASSERT_EQ(FirstImageIsPng(bytes), c.pngInside);
        EXPECT_EQ(platform::ProbePicture(icon), noErr) << LastCodecErrorText();
        for (const OSType type : {FOUR_CHAR_CODE("PNGf"), FOUR_CHAR_CODE("JPEG")}) {
            SCOPED_TRACE(type == FOUR_CHAR_CODE("PNGf") ? "into PNG" : "into JPEG");
            const QByteArray output = folder / "dest/out";
            ASSERT_EQ(platform::ExportPicture(icon, output, {type, codecHighQuality}), noErr)
                << LastCodecErrorText();
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
            EXPECT_EQ(facts.width, c.width);
            EXPECT_EQ(facts.height, c.width);
            if (c.pngInside && type == FOUR_CHAR_CODE("PNGf")) {
                const double scale = facts.bitsPerSample == 16 ? 257.0 : 1.0;
                for (int band = 0; band < 3; ++band)
                    EXPECT_NEAR(facts.bandMeans.at(band) / scale, expected.bandMeans[band], 0.01);
            }
            ASSERT_EQ(::remove(output.constData()), 0);
        }
        EXPECT_EQ(ReadFile(icon), bytes);
        platform::ForgetProbedPictures();
    }

    // A PNG cut short inside its icon fails as a PNG of its own does, and
    // leaves nothing.
    ASSERT_TRUE(MakeIcon(reference, folder / "favicon", "256"));
    const QByteArray whole = ReadFile(folder / "favicon");
    const QByteArray cut = folder / "cut-favicon";
    ASSERT_TRUE(WriteFile(cut, whole.left(whole.size() * 2 / 3)));
    EXPECT_NE(platform::ExportPicture(cut, folder / "dest/out",
                                      {FOUR_CHAR_CODE("PNGf"), codecHighQuality}),
              noErr);
    EXPECT_TRUE(ListFolder(folder / "dest").empty());
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
            EXPECT_NE(platform::ExportPicture(source, folder / "dest/out",
                                              {saver->exportType, codecHighQuality}),
                      noErr);
            EXPECT_TRUE(ListFolder(folder / "dest").empty());
        }
        EXPECT_EQ(ReadFile(source), bytes.left(bytes.size() / 2));
    }
}

} // namespace
