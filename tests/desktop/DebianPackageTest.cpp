// SPDX-License-Identifier: GPL-3.0-or-later
// The Debian package made from the build tree with CPack, as a release would
// be: what it holds, what Debian's checker says of it, and its licence and
// changelog. The package is made once for the tests that one run of the
// program runs (ctest starts a program for each test, so there each makes its
// own).
#include "DesktopTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <memory>

namespace
{

class DebianPackage : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override { ASSERT_EQ(gProblem, "") << "no package to check"; }

    // The package file; its contents unpacked below unpacked() on demand.
    static QString package() { return gPackage; }
    static QString unpacked();

private:
    static inline std::unique_ptr<testsupport::TempFolder> gFolder;
    static inline QString gPackage;
    static inline std::string gProblem;
};

void DebianPackage::SetUpTestSuite()
{
    // CPack's Debian generator asks file and dpkg-shlibdeps about each program.
    for (const auto& [program, debianPackage] : {std::pair{"cpack", "cmake"},
                                                 {"file", "file"},
                                                 {"dpkg-shlibdeps", "dpkg-dev"},
                                                 {"dpkg-deb", "dpkg"}}) {
        gProblem = testsupport::MissingProgram(QString::fromLatin1(program), debianPackage);
        if (!gProblem.empty())
            return;
    }
    gFolder = std::make_unique<testsupport::TempFolder>();
    const QString out = QString::fromUtf8(gFolder->path());
    const ToolRun cpack = RunTool(
        QStringLiteral("cpack"),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
         QStringLiteral(TESSALY_BUILD_TREE "/CPackConfig.cmake"), QStringLiteral("-B"), out},
        {.timeoutMs = 600000});
    const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")});
    if (cpack.exitCode != 0 || debs.size() != 1) {
        gProblem = "cpack made no package:\n" + cpack.output.toStdString();
        return;
    }
    gPackage = out + u'/' + debs.first();
}

void DebianPackage::TearDownTestSuite()
{
    gFolder.reset();
    gPackage.clear();
    gProblem.clear();
}

QString DebianPackage::unpacked()
{
    const QString root = QString::fromUtf8(*gFolder / "root");
    if (!QDir(root).exists()) {
        const ToolRun extract =
            RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), gPackage, root});
        EXPECT_EQ(extract.exitCode, 0) << qPrintable(extract.output);
    }
    return root;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(DebianPackage, HoldsTheInstalledLayoutAndDependsOnTheLinkedLibraries)
{
    const ToolRun list = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), package()});
    ASSERT_EQ(list.exitCode, 0) << qPrintable(list.output);
    QStringList paths;
    for (const QString& line : list.output.split(u'\n', Qt::SkipEmptyParts))
        paths.append(line.section(QRegularExpression(QStringLiteral("\\s+")), 5));
    QStringList expected;
    for (const QString& installed :
         {QStringLiteral("bin/tessaly"), QStringLiteral("bin/tessaly-preferences"),
          QStringLiteral("lib/tessaly/panes/TessalyCMPrefPane.so"), kDesktopFile, kIcon,
          kBundleIcon, kMetainfo, QStringLiteral("share/man/man1/tessaly.1.gz"),
          QStringLiteral("share/man/man1/tessaly-preferences.1.gz"),
          QStringLiteral("share/doc/tessaly/copyright"),
          QStringLiteral("share/doc/tessaly/changelog.gz"),
          QStringLiteral("share/bash-completion/completions/tessaly")})
        expected.append(QStringLiteral("./usr/") + installed);
    // What the build tree's bundle holds besides the icon (the interface
    // files and the translations) is installed beside it.
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
                                   {QStringLiteral("-f"), package(), QStringLiteral("Package"),
                                    QStringLiteral("Version"), QStringLiteral("Depends"),
                                    QStringLiteral("Recommends"), QStringLiteral("Section")});
    ASSERT_EQ(fields.exitCode, 0) << qPrintable(fields.output);
    for (const QString& field :
         {QStringLiteral("Package: tessaly\n"), QStringLiteral("Section: graphics\n"),
          QStringLiteral("Version: " TESSALY_VERSION "\n"),
          // A Wayland session gets a native client only with Qt's Wayland
          // platform; Qt's dialogs follow the language with its translations.
          QStringLiteral(
              "Recommends: dbus-user-session | dbus-x11, qt6-wayland, qt6-translations-l10n\n")})
        EXPECT_TRUE(fields.output.contains(field)) << qPrintable(fields.output);
    // Computed by dpkg-shlibdeps from the programs, with versions.
    for (const char* library : {"libvips42 (", "libqt6core6 (", "libc6 ("})
        EXPECT_TRUE(fields.output.contains(QLatin1String(library))) << library << " in\n"
                                                                    << qPrintable(fields.output);
}

// Errors would keep the package out of Debian, and every warning found so far
// has been fixed. Lintian's mere information tags are shown with a failure but
// are no failure themselves.
TEST_F(DebianPackage, PassesLintianWithoutErrorsOrWarnings)
{
    ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("lintian"), "lintian"), "");
    const ToolRun lintian =
        RunTool(QStringLiteral("lintian"),
                {QStringLiteral("--no-cfg"), QStringLiteral("--fail-on"),
                 QStringLiteral("error,warning"), QStringLiteral("--tag-display-limit"),
                 QStringLiteral("0"), QStringLiteral("--info"), package()},
                {.errorsApart = true, .timeoutMs = 600000});
    const QRegularExpression tag(QStringLiteral("^[EW]: tessaly.*$"),
                                 QRegularExpression::MultilineOption);
    EXPECT_FALSE(tag.match(lintian.output).hasMatch()) << qPrintable(lintian.output);
    EXPECT_EQ(lintian.exitCode, 0) << qPrintable(lintian.errors);
}

// The copyright file in Debian's machine-readable form, and the changelog,
// whose newest entry is the package's version; both gzipped files carry no
// name or time stamp, so a rebuild gives the same bytes.
TEST_F(DebianPackage, CarriesItsLicenceAndTheChangelogOfItsVersion)
{
    const QString doc = unpacked() + QStringLiteral("/usr/share/doc/tessaly/");
    const QString copyright = QString::fromUtf8(ReadAll(doc + QStringLiteral("copyright")));
    for (const QString& line :
         {QStringLiteral(
              "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"),
          QStringLiteral("Upstream-Name: Tessaly\n"), QStringLiteral("Files: *\n"),
          QStringLiteral("License: GPL-3+\n"),
          QStringLiteral("(at your option) any later version."),
          QStringLiteral("\"/usr/share/common-licenses/GPL-3\"")})
        EXPECT_TRUE(copyright.contains(line)) << qPrintable(line) << " not in\n"
                                              << qPrintable(copyright);
    EXPECT_TRUE(copyright.startsWith(u"Format: ")) << "the format comes first";

    const ToolRun unzip = RunTool(QStringLiteral("gzip"),
                                  {QStringLiteral("-dk"), doc + QStringLiteral("changelog.gz")});
    ASSERT_EQ(unzip.exitCode, 0) << qPrintable(unzip.output);
    for (const auto& [field, value] : {std::pair{"Source", "tessaly"},
                                       {"Version", TESSALY_VERSION},
                                       {"Distribution", "unstable"}}) {
        const ToolRun entry = RunTool(QStringLiteral("dpkg-parsechangelog"),
                                      {QStringLiteral("-l"), doc + QStringLiteral("changelog"),
                                       QStringLiteral("-S"), QLatin1String(field)},
                                      {.errorsApart = true});
        EXPECT_EQ(entry.exitCode, 0) << qPrintable(entry.errors);
        EXPECT_EQ(entry.output.trimmed(), QLatin1String(value)) << field;
        EXPECT_EQ(entry.errors, QString()) << "dpkg-parsechangelog warns: " << field;
    }

    QStringList gzipped;
    QDirIterator it(unpacked(), {QStringLiteral("*.gz")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        gzipped.append(it.next());
    EXPECT_EQ(gzipped.size(), 3) << qPrintable(gzipped.join(u'\n'));
    for (const QString& path : gzipped) {
        const QByteArray bytes = ReadAll(path);
        ASSERT_GE(bytes.size(), 10) << qPrintable(path);
        EXPECT_EQ(bytes.left(3), QByteArray("\x1f\x8b\x08", 3)) << qPrintable(path);
        EXPECT_EQ(bytes[3] & 0x08, 0) << qPrintable(path) << " keeps its file name";
        EXPECT_EQ(bytes.mid(4, 4), QByteArray(4, '\0')) << qPrintable(path) << " has a time stamp";
        EXPECT_EQ(bytes[8], '\x02') << qPrintable(path) << " is not packed at the highest level";
    }
}

} // namespace
