// SPDX-License-Identifier: GPL-3.0-or-later
// The quality levels: each writes, in every lossy format, the encoder
// setting the saver table holds for it, and the table itself is a
// calibration (settings rise with the level, each level's distance is
// JPEG's).
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace platform::testing;
using namespace testsupport;
using platform::ExportPicture;
using platform::graphics::AvailableSavers;
using platform::graphics::kQualityLevelNames;
using platform::graphics::kQualityLevels;
using platform::graphics::SaverEntry;

namespace
{

// The same picture as the source, written by libvips itself with the
// format's options and the level's setting, composed here from the table's
// fields rather than by the program.
QByteArray SavedAtLevel(const QByteArray& path, const SaverEntry& saver,
                        const platform::graphics::LevelSetting& level)
{
    std::string options = std::string(saver.qualityOption) + "=" + std::to_string(level.setting);
    for (const char* more : {saver.options, saver.wholePictureOptions, level.options}) {
        if (*more)
            options += std::string(",") + more;
    }
    EXPECT_EQ(WriteTestPicture(path, saver.extension, 200, 136, {.saveOptions = options.c_str()}),
              noErr)
        << options;
    return ReadFile(path);
}

TEST(QualityLevels, EachLevelWritesTheTablesSettingInEveryLossyFormat)
{
    TempFolder folder;
    const QByteArray source = folder / "source.png";
    ASSERT_EQ(WriteTestPicture(source, "png", 200, 136), noErr);
    int lossy = 0;
    for (const SaverEntry* saver : AvailableSavers()) {
        if (!platform::graphics::QualityApplies(*saver))
            continue;
        ++lossy;
        for (size_t level = 0; level < std::size(kQualityLevels); ++level) {
            SCOPED_TRACE(std::string(saver->extension) + " " + kQualityLevelNames[level]);
            const QByteArray output = folder / "out." + saver->extension;
            ASSERT_EQ(ExportPicture(source, output, {saver->exportType, kQualityLevels[level]}),
                      noErr)
                << LastCodecErrorText();
            const QByteArray written = ReadFile(output);
            EXPECT_EQ(written, SavedAtLevel(folder / "reference." + saver->extension, *saver,
                                            saver->levels[level]));
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(output, &facts), noErr);
            EXPECT_EQ(facts.width, 200);
            EXPECT_EQ(facts.height, 136);
            ::remove(output.constData());
        }
    }
    EXPECT_GE(lossy, 2); // JPEG and WebP at least
}

TEST(QualityLevels, TheTableRisesWithTheLevelAndMatchesJpegsDistance)
{
    const SaverEntry* jpeg = platform::graphics::FindSaver(FOUR_CHAR_CODE("JPEG"));
    ASSERT_NE(jpeg, nullptr);
    for (const SaverEntry& saver : platform::graphics::AllSavers()) {
        SCOPED_TRACE(saver.extension);
        if (!platform::graphics::QualityApplies(saver)) {
            EXPECT_EQ(saver.levels[0].setting, 0); // nothing to calibrate
            continue;
        }
        // Within a mode the settings rise with the level.
        for (size_t level = 0; level < std::size(kQualityLevels); ++level) {
            const platform::graphics::LevelSetting& setting = saver.levels[level];
            if (level > 0 && std::strcmp(setting.options, saver.levels[level - 1].options) == 0)
                EXPECT_GT(setting.setting, saver.levels[level - 1].setting)
                    << kQualityLevelNames[level];
            EXPECT_GE(setting.setting, 1);
            EXPECT_LE(setting.setting, 100);
            const double target = jpeg->levels[level].distance;
            EXPECT_GT(target, 0);
            // Within 10 % of JPEG's, or marked as the nearest the format has.
            EXPECT_EQ(std::abs(setting.distance - target) > 0.1 * target, setting.unmatched)
                << kQualityLevelNames[level] << ": " << setting.distance << " against " << target;
            EXPECT_GT(setting.bytesPerPixel, 0);
        }
        // Between the levels the setting moves in proportion and never
        // down, as long as the mode stays.
        platform::graphics::LevelSetting last{};
        for (CodecQ quality = codecMinQuality; quality <= codecMaxQuality; quality += 7) {
            const platform::graphics::LevelSetting at =
                platform::graphics::EncoderLevel(saver, quality);
            if (std::strcmp(at.options, last.options) == 0)
                EXPECT_GE(at.setting, last.setting) << quality;
            last = at;
        }
    }
}

} // namespace
