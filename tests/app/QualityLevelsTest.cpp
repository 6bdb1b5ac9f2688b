// SPDX-License-Identifier: GPL-3.0-or-later
// The quality setting end to end: tessaly --to run once per stored level,
// for JPEG and WebP, with the outputs read back.
#include "app/engine/Settings.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>

using namespace testsupport;

namespace
{

class QualityLevels : public ::testing::Test
{
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1); }

    // Converts source into a fresh folder at the stored level; the output's bytes.
    QByteArray convertAt(CodecQ quality, const QByteArray& name)
    {
        WriteSetting(kQualitySetting, int(quality));
        const QByteArray into = outputs / name;
        if (!MakeFolder(into))
            return {};
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config.path()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.start(TESSALY_EXECUTABLE,
                      {QStringLiteral("--to"), QString::fromUtf8(into), QString::fromUtf8(photo)});
        if (!process.waitForStarted(10000) || !process.waitForFinished(120000)) {
            process.kill();
            return {};
        }
        const std::vector<QByteArray> made = ListFolder(into);
        return made.size() == 1 ? ReadFile(into + '/' + made[0]) : QByteArray();
    }

    TempFolder config;
    TempFolder outputs;
    QByteArray photo;
};

TEST_F(QualityLevels, OutputsShrinkAsTheLevelFallsAndLosslessWebPKeepsEveryPixel)
{
    photo = outputs / "photo.png";
    ASSERT_EQ(platform::testing::WriteTestPicture(photo, "png", 480, 320), noErr);
    constexpr CodecQ kLevels[] = {codecLowQuality, codecNormalQuality, codecHighQuality,
                                  codecMaxQuality};
    for (const char* extension : {"jpg", "webp"}) {
        SCOPED_TRACE(extension);
        if (!platform::graphics::FindSaverForExtension(extension))
            GTEST_SKIP() << "no " << extension << " saver";
        WriteSetting(kLastImageURLExtensionSetting, QString::fromLatin1(extension));
        qsizetype larger = 0;
        for (const CodecQ level : kLevels) {
            const QByteArray bytes = convertAt(level, extension + QByteArray::number(level));
            ASSERT_FALSE(bytes.isEmpty()) << level;
            EXPECT_GT(bytes.size(), larger) << "at " << level;
            larger = bytes.size();
        }
        const QByteArray lossless = outputs / (extension + QByteArray("-lossless"));
        const QByteArray bytes =
            convertAt(codecLosslessQuality, extension + QByteArray("-lossless"));
        ASSERT_FALSE(bytes.isEmpty());
        if (QByteArray(extension) == "jpg") {
            // JPEG has no lossless mode: the nearest level it honours is Best.
            EXPECT_EQ(bytes, ReadFile(outputs / "jpg1023/photo.jpg"));
            continue;
        }
        double difference = -1;
        ASSERT_EQ(
            platform::testing::MeanAbsoluteDifference(photo, lossless + "/photo.webp", &difference),
            noErr);
        EXPECT_EQ(difference, 0.0);
        double lossy = 0;
        ASSERT_EQ(platform::testing::MeanAbsoluteDifference(photo, outputs / "webp1023/photo.webp",
                                                            &lossy),
                  noErr);
        EXPECT_GT(lossy, 0.0) << "Best is not lossless";
    }
}

} // namespace
