// SPDX-License-Identifier: GPL-3.0-or-later
// The Huffman re-coder gives a JPEG written with the standard tables the
// optimal ones, as libjpeg's own optimisation would: the same pixels, the
// same size (the same bytes where the markers lie alike), and anything it
// cannot take left as it was.
#include "platform/graphics/testing/JpegTesting.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform::testing;
using namespace testsupport;

namespace
{

struct Source {
    const char* what;
    int width, height;
};

// Photo-like pictures of sizes that fill whole 16 × 16 blocks and of sizes
// that do not, down to a single partial block.
const Source kSources[] = {
    {"640 x 480", 640, 480},
    {"641 x 483", 641, 483},
    {"33 x 17", 33, 17},
    {"1 x 1", 1, 1},
};

struct Coding {
    const char* what;
    JpegColours colours;
    const char* options;
};

const Coding kCodings[] = {
    {"colour Q 75, 4:2:0", JpegColours::Colour, "Q=75"},
    {"colour Q 50, 4:2:0", JpegColours::Colour, "Q=50"},
    {"colour Q 95, 4:4:4", JpegColours::Colour, "Q=95"},
    {"colour Q 75, 4:4:4", JpegColours::Colour, "Q=75,subsample_mode=off"},
    {"colour Q 95, 4:2:0", JpegColours::Colour, "Q=95,subsample_mode=on"},
    {"colour Q 75, a restart every MCU", JpegColours::Colour, "Q=75,restart_interval=1"},
    {"colour Q 50, a restart every 7 MCUs", JpegColours::Colour, "Q=50,restart_interval=7"},
    {"grey Q 75", JpegColours::Grey, "Q=75"},
    {"grey Q 95, a restart every 3 blocks", JpegColours::Grey, "Q=95,restart_interval=3"},
    {"CMYK Q 75", JpegColours::Cmyk, "Q=75"},
    {"CMYK Q 50, a restart every 2 MCUs", JpegColours::Cmyk, "Q=50,restart_interval=2"},
};

TEST(JpegRecode, GivesTheTablesAndBytesOfLibjpegsOwnOptimisation)
{
    TempFolder folder;
    for (const Source& source : kSources) {
        const QByteArray path = folder / "source.png";
        ASSERT_EQ(WriteTestPicture(path, "png", source.width, source.height), noErr);
        for (const Coding& coding : kCodings) {
            SCOPED_TRACE(std::string(source.what) + ", " + coding.what);
            QByteArray standard, optimised, recoded;
            ASSERT_EQ(EncodeTestJpeg(path, coding.colours, coding.options, &standard), noErr)
                << LastCodecErrorText();
            const std::string optimising = std::string(coding.options) + ",optimize_coding=true";
            ASSERT_EQ(EncodeTestJpeg(path, coding.colours, optimising.c_str(), &optimised), noErr);
            ASSERT_NE(standard, optimised);

            ASSERT_TRUE(RecodeJpegTables(standard, &recoded));
            bool same = false;
            ASSERT_EQ(SameJpegPixels(standard, recoded, &same), noErr) << LastCodecErrorText();
            EXPECT_TRUE(same);
            EXPECT_EQ(recoded.size(), optimised.size());
            // libjpeg writes its restart interval after the tables, the
            // re-coder where the stream had it, before them; otherwise the
            // files are alike to the byte.
            if (std::string(coding.options).find("restart") == std::string::npos) {
                EXPECT_EQ(recoded, optimised);
            }
            // Re-coding optimal tables finds the same tables again.
            QByteArray again;
            ASSERT_TRUE(RecodeJpegTables(recoded, &again));
            EXPECT_EQ(again, recoded);
        }
    }
}

// Byte surgery on a stream: the index of the first marker with the code.
qsizetype MarkerAt(const QByteArray& jpeg, quint8 code)
{
    return jpeg.indexOf(QByteArray("\xFF") + char(code));
}

TEST(JpegRecode, LeavesWhatItCannotTakeAsItWas)
{
    TempFolder folder;
    const QByteArray path = folder / "source.png";
    ASSERT_EQ(WriteTestPicture(path, "png", 200, 120), noErr);
    QByteArray standard, progressive, restarts;
    ASSERT_EQ(EncodeTestJpeg(path, JpegColours::Colour, "Q=75", &standard), noErr);
    ASSERT_EQ(EncodeTestJpeg(path, JpegColours::Colour, "Q=75,interlace=true", &progressive),
              noErr);
    ASSERT_EQ(EncodeTestJpeg(path, JpegColours::Colour, "Q=75,restart_interval=4", &restarts),
              noErr);
    const qsizetype scan = MarkerAt(standard, 0xDA);
    const qsizetype tables = MarkerAt(standard, 0xC4);
    const qsizetype restart = MarkerAt(restarts, 0xD2);
    ASSERT_GT(scan, 0);
    ASSERT_GT(tables, 0);
    ASSERT_GT(restart, 0);

    QByteArray renumbered = restarts;
    renumbered[restart + 1] = char(0xD5);
    QByteArray tableless = standard;
    tableless.remove(tables,
                     4 + (quint8(standard[tables + 2]) << 8 | quint8(standard[tables + 3])) - 2);
    QByteArray twelveBit = standard;
    twelveBit[MarkerAt(standard, 0xC0) + 4] = 12;
    QByteArray arithmetic = standard;
    arithmetic[MarkerAt(standard, 0xC0) + 1] = char(0xC9);
    QByteArray endless = standard;
    endless.chop(2);
    QByteArray invalidCode = standard;
    // All ones, then more: no standard table has a code of sixteen ones.
    invalidCode.replace(scan + 14 + 4, 4, QByteArray("\xFF\x00\xFF\x00\xFF\x00\xFF\x00", 8));

    // The first table (luminance DC) with its one code of 9 bits moved to
    // 8 bits: the second 8-bit code is then all ones, which no JPEG table
    // may hold and libjpeg refuses.
    QByteArray allOnes = standard;
    ASSERT_EQ(standard.mid(tables + 4, 1), QByteArray(1, '\0')); // DC table 0
    ASSERT_EQ(standard.mid(tables + 4 + 8, 2), QByteArray("\x01\x01", 2));
    allOnes[tables + 4 + 8] = 2;
    allOnes[tables + 4 + 9] = 0;

    const struct {
        const char* what;
        QByteArray stream;
    } cases[] = {
        {"empty", {}},
        {"not a JPEG", QByteArray("GIF89a") + QByteArray(100, 'x')},
        {"progressive", progressive},
        {"arithmetic coding", arithmetic},
        {"12-bit samples", twelveBit},
        {"cut in the middle of the scan", standard.left(scan + (standard.size() - scan) / 2)},
        {"cut just before the end marker", endless},
        {"cut in the headers", standard.left(tables + 10)},
        {"a restart marker out of turn", renumbered},
        {"a table the scan uses missing", tableless},
        {"a code no table has", invalidCode},
        {"a table with a code of all ones", allOnes},
        {"data after the end", standard + QByteArray("trailing")},
        {"headers only", standard.left(scan)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray recoded = "not touched";
        EXPECT_FALSE(RecodeJpegTables(c.stream, &recoded));
        EXPECT_TRUE(recoded.isEmpty());
    }
}

// Whatever one damaged byte does to the stream, what the re-coder accepts
// decodes as the damaged stream does: it never makes a file worse.
TEST(JpegRecode, NeverMakesADamagedStreamWorse)
{
    TempFolder folder;
    const QByteArray path = folder / "source.png";
    ASSERT_EQ(WriteTestPicture(path, "png", 96, 64), noErr);
    QByteArray standard;
    ASSERT_EQ(EncodeTestJpeg(path, JpegColours::Colour, "Q=75,restart_interval=2", &standard),
              noErr);
    int accepted = 0, refused = 0;
    for (qsizetype at = 2; at < standard.size(); at += 7) {
        for (const char value : {char(0x00), char(0xFF), char(standard[at] ^ 0x10)}) {
            QByteArray damaged = standard;
            damaged[at] = value;
            if (damaged == standard)
                continue;
            SCOPED_TRACE("byte " + std::to_string(at) + " set to " + std::to_string(quint8(value)));
            QByteArray recoded;
            if (!RecodeJpegTables(damaged, &recoded)) {
                ++refused;
                EXPECT_TRUE(recoded.isEmpty());
                continue;
            }
            ++accepted;
            bool same = false;
            const OSErr damagedStatus = SameJpegPixels(damaged, damaged, &same);
            const OSErr recodedStatus = SameJpegPixels(recoded, recoded, &same);
            EXPECT_EQ(recodedStatus == noErr, damagedStatus == noErr);
            if (damagedStatus == noErr && recodedStatus == noErr) {
                ASSERT_EQ(SameJpegPixels(damaged, recoded, &same), noErr);
                EXPECT_TRUE(same);
            }
        }
    }
    // Damage to the pictures' data mostly still decodes; damage to its
    // structure is refused.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
