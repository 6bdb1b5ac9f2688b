// JPEG outputs get optimised Huffman tables whenever libjpeg's buffer of the
// whole picture's coefficients fits the memory budget; a picture beyond it
// streams with the standard tables.
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
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
    };
    for (const Case& c : cases)
        EXPECT_EQ(JpegCoefficientBytes(c.shape, c.quality), c.bytes)
            << c.shape.width << " x " << c.shape.height << " x " << c.shape.bands << " at Q "
            << c.quality;
}

TEST(JpegTables, OptimisedWhereTheCoefficientsFitTheMemoryBudget)
{
    TempFolder folder;
    ASSERT_TRUE(MakeFolder(folder / "out"));
    // The budget holds a 640 × 480 colour picture's coefficients at Q 75
    // exactly, and nothing larger.
    const UInt64 budget = JpegCoefficientBytes({640, 480, 3}, 75);
    struct Case {
        const char* what;
        int width, height;
        bool grey;
        CodecQ quality;
        bool optimised;
    };
    const Case cases[] = {
        {"colour that just fits", 640, 480, false, codecHighQuality, true},
        {"colour a block row larger", 640, 488, false, codecHighQuality, false},
        {"the same colour at Q 90, chroma at full resolution", 640, 480, false, 922, false},
        // One component: 2 bytes a pixel, where colour would take 3.
        {"grey of more pixels", 720, 540, true, codecHighQuality, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray source = folder / "source.png", output = folder / "out/picture.jpg";
        ASSERT_EQ(c.grey ? WriteHalfTransparentPicture(source, "png", c.width, c.height,
                                                       SampleKind::Grey16)
                         : WriteTestPicture(source, "png", c.width, c.height),
                  noErr);
        ASSERT_TRUE(WriteFile(output, {}));
        UInt64 optimisedOrNot[2] = {};
        for (const bool withinBudget : {true, false}) {
            platform::SetPictureMemoryBudget(withinBudget ? budget : budget / 2);
            const OSErr status = platform::ExportPicture(source, output, kJpeg, c.quality,
                                                         &optimisedOrNot[withinBudget]);
            platform::SetPictureMemoryBudget(0);
            ASSERT_EQ(status, noErr) << LastCodecErrorText();
            const std::vector<bool> standard = StandardTables(ReadFile(output));
            ASSERT_EQ(standard.size(), c.grey ? 2u : 4u);
            const bool optimised = withinBudget && c.optimised;
            EXPECT_EQ(standard, std::vector<bool>(standard.size(), !optimised));
        }
        if (c.optimised)
            EXPECT_LT(optimisedOrNot[true], optimisedOrNot[false]);
        else
            EXPECT_EQ(optimisedOrNot[true], optimisedOrNot[false]);
    }
    EXPECT_GE(platform::PictureMemoryBudget(), UInt64(64) << 20) << "the default came back";
}

} // namespace
