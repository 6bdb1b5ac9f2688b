// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher entry, the icon and the software-centre description as the
// desktop's own tools see them.
#include "DesktopTestSupport.h"

#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

namespace
{

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DesktopEntry, PassesTheDesktopsValidator)
{
    ASSERT_EQ(
        testsupport::MissingProgram(QStringLiteral("desktop-file-validate"), "desktop-file-utils"),
        "");
    const ToolRun run =
        RunTool(QStringLiteral("desktop-file-validate"), {BuildTreePath(kDesktopFile)});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.output);
    EXPECT_EQ(run.output.trimmed(), QString()) << "no warnings or hints either";
}

TEST(DesktopEntry, HandsDroppedItemsToTheProgramAsUris)
{
    const QMap<QString, QString> entry = DesktopEntry(kDesktopFile);
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"Type", "Application"}, {"Name", "Tessaly"},   {"Exec", "tessaly %U"},
        {"TryExec", "tessaly"},  {"Terminal", "false"}, {"Icon", "com.quorvane.Tessaly"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(entry.value(QLatin1String(c.key)), QLatin1String(c.value)) << c.key;
}

// The launcher and the software centre speak each language the windows do.
TEST(DesktopEntry, AndMetainfoAreInEveryLanguageOfTheWindows)
{
    const QMap<QString, QString> entry = DesktopEntry(kDesktopFile);
    const QString xml = QString::fromUtf8(ReadAll(BuildTreePath(kMetainfo)));
    const auto count = [&xml](const char* tag, const QString& attribute = {}) {
        return xml.count(u'<' + QLatin1String(tag) + attribute + u'>');
    };
    for (const QString& language : QStringLiteral(TRANSLATED_LANGUAGES).split(u',')) {
        SCOPED_TRACE(language.toStdString());
        for (const char* key : {"Name", "GenericName", "Comment", "Keywords"}) {
            const QString translated =
                entry.value(QStringLiteral("%1[%2]").arg(QLatin1String(key), language));
            EXPECT_FALSE(translated.isEmpty()) << key;
            if (QLatin1String(key) != QLatin1String("Name")) {
                EXPECT_NE(translated, entry.value(QLatin1String(key))) << key;
            }
        }
        const QString lang = QStringLiteral(" xml:lang=\"%1\"").arg(language);
        EXPECT_EQ(count("summary", lang), 1);
        EXPECT_EQ(count("p", lang), count("p"));
        EXPECT_EQ(count("li", lang), count("li"));
    }
}

TEST(DesktopIcon, IsOneScalablePictureInTheThemeAndTheBundle)
{
    const QByteArray themeIcon = ReadAll(BuildTreePath(kIcon));
    ASSERT_FALSE(themeIcon.isEmpty());
    EXPECT_EQ(ReadAll(BuildTreePath(kBundleIcon)), themeIcon);

    platform::testing::PictureFacts facts;
    ASSERT_EQ(platform::testing::ReadPictureFacts(BuildTreePath(kIcon).toUtf8(), &facts), noErr);
    EXPECT_EQ(facts.loader.rfind("svgload", 0), 0u) << facts.loader;
    EXPECT_EQ(facts.width, 128);
    EXPECT_EQ(facts.height, 128);
    EXPECT_TRUE(facts.alpha) << "an icon is drawn on nothing";
}

TEST(Metainfo, PassesTheSoftwareCentresValidator)
{
    ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("appstreamcli"), "appstream"), "");
    const ToolRun run = RunTool(QStringLiteral("appstreamcli"),
                                {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                 QStringLiteral("--explain"), BuildTreePath(kMetainfo)});
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.output);
}

TEST(Metainfo, NamesTheLauncherTheReleaseTheLicenceAndAScreenshot)
{
    const QString xml = QString::fromUtf8(ReadAll(BuildTreePath(kMetainfo)));
    const struct {
        const char* what;
        QString pattern;
    } cases[] = {
        {"id", QStringLiteral("<id>com.quorvane.Tessaly</id>")},
        {"launcher",
         QStringLiteral(
             "<launchable type=\"desktop-id\">com.quorvane.Tessaly.desktop</launchable>")},
        {"release", QStringLiteral("<release version=\"%1\"").arg(QStringLiteral(TESSALY_VERSION))},
        {"screenshot", QStringLiteral("<screenshot type=\"default\">")},
        {"program", QStringLiteral("<binary>tessaly</binary>")},
        {"licence", QStringLiteral("<project_license>GPL-3.0-or-later</project_license>")},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(xml.contains(c.pattern)) << c.what;
}

} // namespace
