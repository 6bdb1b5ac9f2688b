// The launcher entry, the icon and the software-centre description as the
// desktop's own tools see them, and the Debian package that carries them.
#include "DesktopTestSupport.h"

#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace
{

const QString kIcon = QStringLiteral("share/icons/hicolor/scalable/apps/com.quorvane.Tessaly.svg");
const QString kBundleIcon = QStringLiteral("share/tessaly/tessaly.svg");
const QString kMetainfo = QStringLiteral("share/metainfo/com.quorvane.Tessaly.metainfo.xml");

struct ToolRun {
    int exitCode = -1; // -1: did not start, crashed or ran too long
    QString output;    // standard output and error together
};

ToolRun RunTool(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    ToolRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.output = QString::fromUtf8(process.readAll());
    if (process.exitStatus() == QProcess::NormalExit && process.error() == QProcess::UnknownError)
        run.exitCode = process.exitCode();
    return run;
}

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

TEST(Metainfo, NamesTheLauncherTheReleaseAndAScreenshot)
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
    };
    for (const auto& c : cases)
        EXPECT_TRUE(xml.contains(c.pattern)) << c.what;
}

// The package is made from the build tree with CPack, as a release would be.
TEST(DebianPackage, HoldsTheInstalledLayoutAndDependsOnTheLinkedLibraries)
{
    // CPack's Debian generator asks file and dpkg-shlibdeps about each program.
    for (const auto& [program, package] : {std::pair{"cpack", "cmake"},
                                           {"file", "file"},
                                           {"dpkg-shlibdeps", "dpkg-dev"},
                                           {"dpkg-deb", "dpkg"}})
        ASSERT_EQ(testsupport::MissingProgram(QString::fromLatin1(program), package), "");
    testsupport::TempFolder folder;
    const QString out = QString::fromUtf8(folder.path());
    const ToolRun cpack = RunTool(
        QStringLiteral("cpack"),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
         QStringLiteral(TESSALY_BUILD_TREE "/CPackConfig.cmake"), QStringLiteral("-B"), out},
        600000);
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")});
    ASSERT_TRUE(cpack.exitCode == 0 && debs.size() == 1) << qPrintable(cpack.output);
    const QString package = out + u'/' + debs.first();

    const ToolRun list = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), package});
    ASSERT_EQ(list.exitCode, 0) << qPrintable(list.output);
    QStringList paths;
    for (const QString& line : list.output.split(u'\n', Qt::SkipEmptyParts))
        paths.append(line.section(QRegularExpression(QStringLiteral("\\s+")), 5));
    QStringList expected{QStringLiteral("./usr/bin/tessaly"),
                         QStringLiteral("./usr/") + kDesktopFile, QStringLiteral("./usr/") + kIcon,
                         QStringLiteral("./usr/") + kBundleIcon,
                         QStringLiteral("./usr/") + kMetainfo};
    // What the build tree's bundle holds besides the icon (the interface
    // files) is installed beside it.
    const QDir bundle(BuildTreePath(QStringLiteral("share/tessaly")));
    QDirIterator it(bundle.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        expected.append(QStringLiteral("./usr/share/tessaly/") +
                        bundle.relativeFilePath(it.next()));
    for (const QString& path : expected)
        EXPECT_TRUE(paths.contains(path)) << qPrintable(path) << " missing from\n"
                                          << qPrintable(list.output);
    for (const QString& path : paths)
        EXPECT_TRUE(path.startsWith(u"./usr/")) << qPrintable(path) << " lies outside the prefix";

    const ToolRun fields = RunTool(QStringLiteral("dpkg-deb"),
                                   {QStringLiteral("-f"), package, QStringLiteral("Package"),
                                    QStringLiteral("Depends"), QStringLiteral("Section")});
    ASSERT_EQ(fields.exitCode, 0) << qPrintable(fields.output);
    EXPECT_TRUE(fields.output.contains(u"Package: tessaly")) << qPrintable(fields.output);
    EXPECT_TRUE(fields.output.contains(u"Section: graphics")) << qPrintable(fields.output);
    // Computed by dpkg-shlibdeps from the programs, with versions.
    for (const char* library : {"libvips42 (", "libqt6core6 (", "libc6 ("})
        EXPECT_TRUE(fields.output.contains(QLatin1String(library))) << library << " in\n"
                                                                    << qPrintable(fields.output);
}

} // namespace
