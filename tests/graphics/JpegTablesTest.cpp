// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG outputs get optimised Huffman tables: from libjpeg when its buffer
// of the whole picture's coefficients is small and fits the memory budget,
// from the re-coder otherwise.
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/memory/MemoryPolicy.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace platform::testing;
using namespace testsupport;
using platform::graphics::JpegCoefficientBytes;

namespace
{

constexpr OSType kJpeg = FOUR_CHAR_CODE("JPEG");

using Counts = std::array<quint8, 16>; // codes of each length, 1..16 bits

// The example tables of the JPEG standard (Annex K.3), which libjpeg
// writes unless it optimises: DC and AC, luminance and chrominance.
const Counts kStandardCounts[2][2] = {
    {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
     {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}},
    {{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
     {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}},
};

// For each Huffman table in the file's DHT segments before its first scan:
// whether it is the standard one.
std::vector<bool> StandardTables(const QByteArray& jpeg)
{
    std::vector<bool> standard;
    const auto byte = [&jpeg](qsizetype at) { return at < jpeg.size() ? quint8(jpeg[at]) : 0; };
    qsizetype at = 2; // after SOI
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF && byte(at + 1) != 0xDA) {
        const qsizetype length = byte(at + 2) << 8 | byte(at + 3);
        if (byte(at + 1) == 0xC4) {
            for (qsizetype table = at + 4; table + 17 <= at + 2 + length;) {
                const int tableClass = byte(table) >> 4, id = byte(table) & 0x0F;
                Counts counts;
                int symbols = 0;
                for (int i = 0; i < 16; ++i)
                    symbols += counts[size_t(i)] = byte(table + 1 + i);
                standard.push_back(tableClass < 2 && id < 2 &&
                                   counts == kStandardCounts[tableClass][id]);
                table += 17 + symbols;
            }
        }
        at += 2 + length;
    }
    return standard;
}

TEST(JpegTables, TheCoefficientBufferIsCountedAsLibjpegKeepsIt)
{
    struct Case {
        platform::graphics::PictureShape shape;
        int quality;
        UInt64 bytes;
    };
    const Case cases[] = {
        // 4:2:0: luma blocks rounded up to whole 16 × 16 MCUs, 3 bytes a pixel.
        {{10328, 7760, 3}, 75, 240622080},
        {{640, 480, 3}, 75, 921600},
        {{641, 481, 3}, 75, (82 * 62 + 2 * 41 * 31) * 128},
        // Full-resolution chroma from Q 90, and grey and CMYK always.
        {{640, 480, 3}, 90, 1843200},
        {{640, 480, 1}, 75, 614400},
        {{640, 480, 4}, 75, 2457600},
        // A 4:4:4 JPEG's chroma stays at full resolution at every quality.
        {{640, 480, 3, true}, 75, 1843200},
        {{640, 480, 1, true}, 75, 614400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JpegCoefficientBytes(c.shape, c.quality), c.bytes)
            << c.shape.width << " x " << c.shape.height << " x " << c.shape.bands << " at Q "
            << c.quality;
}

TEST(JpegTables, LargePicturesAreReencodedInsteadOfHoldingTheirCoefficients)
{
    using platform::graphics::FindSaver;
    using platform::graphics::ReencodesTables;
    using platform::graphics::SaverOptions;
    const platform::graphics::SaverEntry* jpeg = FindSaver(kJpeg);
    const platform::graphics::SaverEntry* png = FindSaver(FOUR_CHAR_CODE("PNGf"));
    ASSERT_TRUE(jpeg && png);
    struct Case {
        const char* what;
        platform::graphics::PictureShape shape;
        CodecQ quality;
        UInt64 budget; // 0: the default
        bool reencoded;
    };
    const Case cases[] = {
        {"640 x 480", {640, 480, 3}, codecHighQuality, 0, false},
        {"6 megapixels, 18 MB of coefficients", {3000, 2000, 3}, codecHighQuality, 0, false},
        {"12 megapixels, 36 MB", {4000, 3000, 3}, codecHighQuality, 0, true},
        {"6 megapixels at Q 95, chroma at full size: 36 MB", {3000, 2000, 3}, 973, 0, true},
        {"80 megapixels", {10328, 7760, 3}, codecHighQuality, 0, true},
        {"6 megapixels from a 4:4:4 JPEG: 36 MB", {3000, 2000, 3, true}, codecHighQuality, 0, true},
        {"within a small budget", {640, 480, 3}, codecHighQuality, 921600, false},
        {"beyond a small budget", {640, 488, 3}, codecHighQuality, 921600, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::SetPictureMemoryBudget(c.budget);
        EXPECT_EQ(ReencodesTables(*jpeg, c.quality, c.shape), c.reencoded);
        const bool optimising =
            SaverOptions(*jpeg, {jpeg->exportType, c.quality}, c.shape).find("optimize_coding") !=
            std::string::npos;
        EXPECT_EQ(optimising, !c.reencoded) << "libjpeg's tables or the re-coder's, never both";
        EXPECT_FALSE(ReencodesTables(*png, c.quality, c.shape));
        platform::SetPictureMemoryBudget(0);
    }
}

TEST(JpegTables, OptimisedWithinTheMemoryBudgetAndBeyondIt)
{
    TempFolder folder;
    ASSERT_TRUE(MakeFolder(folder / "out"));
    // The budget holds a 640 × 480 colour picture's coefficients at Q 75
    // exactly, and nothing larger: those beyond it are written with the
    // standard tables and re-coded.
    const UInt64 budget = JpegCoefficientBytes({640, 480, 3}, 75);
    struct Case {
        const char* what;
        int width, height;
        bool grey;
        CodecQ quality;
    };
    const Case cases[] = {
        {"colour that just fits", 640, 480, false, codecHighQuality},
        {"colour a block row larger", 640, 488, false, codecHighQuality},
        {"the same colour at Q 90, chroma at full resolution", 640, 480, false, 922},
        {"grey of more pixels", 720, 540, true, codecHighQuality},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray source = folder / "source.png", output = folder / "out/picture.jpg";
        ASSERT_EQ(c.grey ? WriteHalfTransparentPicture(source, "png", c.width, c.height,
                                                       SampleKind::Grey16)
                         : WriteTestPicture(source, "png", c.width, c.height),
                  noErr);
        ASSERT_TRUE(WriteFile(output, {}));
        QByteArray written[2];
        for (const bool withinBudget : {true, false}) {
            platform::SetPictureMemoryBudget(withinBudget ? UInt64(1) << 30 : budget / 2);
            UInt64 bytes = 0;
            const OSErr status =
                platform::ExportPicture(source, output, {kJpeg, c.quality}, &bytes);
            platform::SetPictureMemoryBudget(0);
            ASSERT_EQ(status, noErr) << LastCodecErrorText();
            written[withinBudget] = ReadFile(output);
            EXPECT_EQ(bytes, UInt64(written[withinBudget].size()));
            const std::vector<bool> standard = StandardTables(written[withinBudget]);
            ASSERT_EQ(standard.size(), c.grey ? 2u : 4u);
            EXPECT_EQ(standard, std::vector<bool>(standard.size(), false));
        }
        // The re-coded file is the one libjpeg's optimisation writes.
        EXPECT_EQ(written[false], written[true]);
    }
    EXPECT_GE(platform::PictureMemoryBudget(), UInt64(64) << 20) << "the default came back";
}

} // namespace
