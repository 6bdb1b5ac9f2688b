// SPDX-License-Identifier: GPL-3.0-or-later
// The settings as the store holds them, and the destination of a batch.
#include "ShellFixture.h"

#include "app/shell/Destination.h"
#include "platform/prefs/Preferences.h"

#include <QDir>
#include <QFile>

using namespace shelltest;

namespace
{

class Settings : public ShellTest
{
protected:
    void store(const QString& key, const QVariant& value)
    {
        CFPreferencesSetAppValue(key, value, kCFPreferencesCurrentApplication);
        CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
    }
};

TEST_F(Settings, EmptyDomainGivesTheDefaults)
{
    for (const Setting* setting : kAllSettings)
        store(setting->key, QVariant());
    EXPECT_TRUE(QuitWhenDone());
    EXPECT_FALSE(CopyTo());
    FSRef folder;
    EXPECT_FALSE(GetCopyToLocation(folder));
    EXPECT_TRUE(StoredExportExtension().isNull());
}

TEST_F(Settings, ValuesOfAnotherKindCountAsAbsent)
{
    struct Case {
        const Setting* setting;
        QVariant stored;
        QVariant expected;
    } cases[] = {
        {&kQuitWhenDoneSetting, QStringLiteral("no"), true},
        {&kQuitWhenDoneSetting, qint64(0), true},
        {&kQuitWhenDoneSetting, false, false},
        {&kCopyToSetting, QStringLiteral("yes"), false},
        {&kCopyToSetting, qint64(1), false},
        {&kCopyToSetting, true, true},
        {&kCopyToLocationSetting, QStringLiteral("/tmp"), QVariant()},
        {&kLastImageURLExtensionSetting, qint64(7), QVariant()},
        {&kLastImageURLExtensionSetting, QByteArray("png"), QVariant()},
        {&kLastImageURLExtensionSetting, QStringLiteral("png"), QStringLiteral("png")},
    };
    for (const Case& c : cases) {
        store(c.setting->key, c.stored);
        EXPECT_EQ(ReadSetting(*c.setting), c.expected) << c.setting->key.toStdString();
    }
}

TEST_F(Settings, AChangeMadeByAnotherProgramIsSeenAtTheNextRead)
{
    // The preferences pane runs as a program of its own and writes the same
    // file; the running application reads the new values at the next batch.
    WriteSetting(kQuitWhenDoneSetting, true);
    WriteSetting(kCopyToSetting, false);
    ASSERT_TRUE(QuitWhenDone());
    ASSERT_FALSE(CopyTo());
    ASSERT_TRUE(testsupport::WriteFile(config / "com.quorvane.Tessaly.plist",
                                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                       "<plist version=\"1.0\"><dict>"
                                       "<key>QuitWhenDone</key><false/><key>CopyTo</key><true/>"
                                       "</dict></plist>\n"));
    EXPECT_FALSE(QuitWhenDone());
    EXPECT_TRUE(CopyTo());
}

TEST_F(Settings, CopyToLocationResolvesOnlyAnAliasOfAnExistingFolder)
{
    const QByteArray folder = source / "copies";
    ASSERT_TRUE(testsupport::MakeFolder(folder));
    storeCopyTo(folder);
    FSRef resolved;
    ASSERT_TRUE(GetCopyToLocation(resolved));
    EXPECT_EQ(testsupport::PathFor(resolved), folder);

    for (const QByteArray& bytes : {QByteArray(), QByteArray("garbage bytes, not an alias")}) {
        store(kCopyToLocationSetting.key, bytes);
        EXPECT_FALSE(GetCopyToLocation(resolved));
    }

    storeCopyTo(folder);
    ASSERT_TRUE(QDir(QFile::decodeName(folder)).removeRecursively());
    EXPECT_FALSE(GetCopyToLocation(resolved));
}

TEST_F(Settings, DestinationIsTheCopyToFolderWithoutAsking)
{
    storeCopyTo(destination.path());
    FSRef folder;
    ASSERT_TRUE(GetDestination(folder));
    EXPECT_EQ(testsupport::PathFor(folder), destination.path());
    EXPECT_TRUE(chooserPrompts.isEmpty());
    EXPECT_EQ(gWindow->windowTitle(), QFile::decodeName(destination.path()).section(u'/', -1));
}

TEST_F(Settings, OtherwiseTheUserIsAskedForThisBatchOnly)
{
    const QByteArray gone = source / "gone";
    ASSERT_TRUE(testsupport::MakeFolder(gone));
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"copy-to off", [&] { storeCopyTo(source.path(), false); }},
        {"copy-to on, no location",
         [&] {
             store(kCopyToSetting.key, true);
             store(kCopyToLocationSetting.key, QVariant());
         }},
        {"copy-to on, folder gone",
         [&] {
             storeCopyTo(gone);
             QDir().rmdir(QFile::decodeName(gone));
         }},
    };
    for (const Case& c : cases) {
        c.arrange();
        chooserPrompts.clear();
        chooserAnswer = destination.path();
        FSRef folder;
        ASSERT_TRUE(GetDestination(folder)) << c.what;
        EXPECT_EQ(testsupport::PathFor(folder), destination.path()) << c.what;
        EXPECT_EQ(chooserPrompts, QStringList{QStringLiteral(
                                      "Choose a folder for the destination of the transformed "
                                      "pictures.")})
            << c.what;
        // The folder chosen for a batch is not stored.
        FSRef stored;
        EXPECT_TRUE(!GetCopyToLocation(stored) ||
                    testsupport::PathFor(stored) != destination.path())
            << c.what;
    }
}

TEST_F(Settings, CancelledQuestionGivesNoDestinationAndLeavesTheTitle)
{
    gWindow->setWindowTitle(QStringLiteral("unchanged"));
    chooserAnswer.clear();
    FSRef folder;
    EXPECT_FALSE(GetDestination(folder));
    EXPECT_EQ(chooserPrompts.size(), 1);
    EXPECT_EQ(gWindow->windowTitle(), QStringLiteral("unchanged"));
}

} // namespace
