// SPDX-License-Identifier: GPL-3.0-or-later
// The quality the engine asks the exporter for: 768 of 1024, which the
// exporter writes as libvips' 75. Read back from the output's own
// quantisation table, so nothing of the exporter's arithmetic is trusted.
#include "EngineFixture.h"

#include <array>

using namespace enginetest;
using namespace testsupport;

namespace
{

// The JPEG standard's luminance table (Annex K), in natural order.
constexpr std::array<int, 64> kLuminance = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
// Where the n-th value of a table in a file goes.
constexpr std::array<int, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The luminance table (id 0) of a JPEG file, in natural order; empty when
// there is none.
std::vector<int> LuminanceTable(const QByteArray& jpeg)
{
    const auto byte = [&](qsizetype at) { return at < jpeg.size() ? int(uchar(jpeg[at])) : -1; };
    for (qsizetype at = 2; byte(at) == 0xFF && byte(at + 1) != 0xDA;) {
        const qsizetype length = byte(at + 2) * 256 + byte(at + 3);
        if (length < 2)
            return {};
        for (qsizetype table = at + 4; byte(at + 1) == 0xDB && table < at + 2 + length;) {
            const int precision = byte(table) >> 4, id = byte(table) & 15;
            std::vector<int> values(64);
            for (int n = 0; n < 64; ++n)
                values[size_t(kZigzag[size_t(n)])] =
                    precision ? byte(table + 1 + 2 * n) * 256 + byte(table + 2 + 2 * n)
                              : byte(table + 1 + n);
            if (id == 0)
                return values;
            table += 1 + 64 * (precision ? 2 : 1);
        }
        at += 2 + length;
    }
    return {};
}

// The IJG quality (1..100) whose scaling of the standard table gives
// table exactly, or 0.
int QualityOf(const std::vector<int>& table)
{
    for (int quality = 1; quality <= 100; ++quality) {
        const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
        bool same = table.size() == 64;
        for (size_t n = 0; same && n < 64; ++n)
            same = table[n] == std::clamp((kLuminance[n] * scale + 50) / 100, 1, 255);
        if (same)
            return quality;
    }
    return 0;
}

TEST_F(EngineTest, WritesJpegAtTheQualityOf768)
{
    ASSERT_TRUE(MakePicture(source / "photo.png", "PNG", 640, 480));
    choose("jpg");
    convert(source / "photo.png");
    const QByteArray output = ReadFile(destination / "photo.jpg");
    ASSERT_FALSE(output.isEmpty());
    EXPECT_EQ(QualityOf(LuminanceTable(output)), 75);
}

} // namespace
