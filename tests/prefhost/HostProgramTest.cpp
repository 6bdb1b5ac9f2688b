// SPDX-License-Identifier: GPL-3.0-or-later
// tessaly-preferences as users run it: a process with the real pane module,
// a real preference file in a temporary XDG_CONFIG_HOME, and its installed
// layout.
#include "platform/prefs/PropertyList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace testsupport;

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

class HostProgram : public ::testing::Test
{
protected:
    TempFolder config;
    TempFolder allUsers;
    TempFolder scratch;

    Outcome Launch(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", QString::fromUtf8(config.path()));
        env.insert("XDG_CONFIG_DIRS", QString::fromUtf8(allUsers.path()));
        env.insert("TESSALY_TEST_PANE_RECORD", QString::fromUtf8(scratch / "record"));
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        Outcome run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "the host did not end";
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    Outcome Host(const QStringList& arguments) { return Launch(HOST_PROGRAM, arguments); }

    void WriteSizes(const QByteArray& folder, const QVariant& sizes)
    {
        ASSERT_TRUE(WriteFile(folder + "/com.quorvane.TessalyCM.plist",
                              tessaly::prefs::serializePropertyList({{"Array Sizes", sizes}})));
    }
    QVariant UserSizes() const
    {
        const auto parsed =
            tessaly::prefs::parsePropertyList(ReadFile(config / "com.quorvane.TessalyCM.plist"));
        return parsed.ok ? parsed.values.value("Array Sizes") : QVariant();
    }
    static QVariantMap Size(qint64 width, qint64 height)
    {
        return {{"Width", width}, {"Height", height}};
    }
};

TEST_F(HostProgram, ShowingAndClosingThePaneLoadsThenSavesTheList)
{
    // The list is read when the page is shown and written when it is hidden:
    // a list found only for all users reaches the user's file unchanged, and
    // a value of the wrong kind becomes an empty list.
    struct Case {
        const char* what;
        QByteArray folder;
        QVariant stored;
        QVariant expected;
    };
    const QVariantList sizes{Size(640, 480), Size(1920, 1080)};
    const Case cases[] = {
        {"a list for all users", allUsers.path(), sizes, sizes},
        {"a string in the user's file", config.path(), QStringLiteral("640x480"), QVariantList()},
        {"a list in the user's file", config.path(), sizes, sizes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink((config / "com.quorvane.TessalyCM.plist").constData());
        WriteSizes(c.folder, c.stored);
        const Outcome run = Host({"--close-after", "300"});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(UserSizes(), c.expected);
        ::unlink((allUsers / "com.quorvane.TessalyCM.plist").constData());
    }
}

TEST_F(HostProgram, CallsTheChosenPageInOrderAndLeavesTheOthersAlone)
{
    const Outcome run = Host({"--no-installed-panes", "--page", "Recorder B", "--close-after",
                              "200", RECORDER_A, RECORDER_B});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // (The view is hidden once more when the window is destroyed at exit.)
    const QStringList record =
        QString::fromUtf8(ReadFile(scratch / "record")).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(record.mid(0, 5),
              QStringList({"Recorder B mainViewDidLoad", "Recorder B willSelect",
                           "Recorder B shown", "Recorder B hidden", "Recorder B didUnselect"}));
    EXPECT_EQ(record.filter("Recorder A").size(), 0);
    EXPECT_EQ(record.filter(" didUnselect").size(), 1);
    // The sizes pane was not shown, so nothing was written.
    EXPECT_FALSE(Exists(config / "com.quorvane.TessalyCM.plist"));
}

TEST_F(HostProgram, ListsItsPagesWithWhatIsWrongWithModulesThatCannotBeUsed)
{
    ASSERT_TRUE(WriteFile(scratch / "text.so", "this is not a library"));
    const Outcome run = Host({"--list", RECORDER_A, PLAIN_LIBRARY, OTHER_PLUGIN,
                              PANE_WITHOUT_INTERFACE, QString::fromUtf8(scratch / "text.so")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << run.out.toStdString();
    // The installed folder of the build tree comes first.
    EXPECT_EQ(lines.at(0), "Array Sizes\tok");
    EXPECT_EQ(lines.at(1), "Recorder A\tok");
    EXPECT_TRUE(lines.at(2).startsWith("PlainLibrary\t"));
    EXPECT_TRUE(lines.at(3).contains("org.example.ImageFilter/1"));
    EXPECT_TRUE(lines.at(4).contains("does not provide the preference pane interface"));
    EXPECT_TRUE(lines.at(5).startsWith("text\t"));
    for (int i = 2; i < 6; ++i)
        EXPECT_GT(lines.at(i).section(u'\t', 1).size(), 10) << lines.at(i).toStdString();
    // Listing shows nothing, so no pane was asked to load or save.
    EXPECT_FALSE(Exists(scratch / "record"));
    EXPECT_FALSE(Exists(config / "com.quorvane.TessalyCM.plist"));
}

TEST_F(HostProgram, BadArgumentsGetAUsageMessage)
{
    const QStringList cases[] = {
        {"--page", "No Such Page", "--close-after", "100"},
        {"--close-after", "soon"},
        {"--close-after", "-4"},
        {"--frobnicate"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const Outcome run = Host(arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.err.isEmpty());
    }
}

TEST_F(HostProgram, InstallsWithThePaneInItsFolderAndAValidDesktopEntry)
{
    const QString prefix = QString::fromUtf8(scratch / "prefix");
    const Outcome install = Launch(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.err.toStdString() << install.out.toStdString();
    const QString desktopEntry =
        prefix + "/share/applications/com.quorvane.Tessaly.Preferences.desktop";
    EXPECT_TRUE(QFile::exists(prefix + "/bin/tessaly-preferences"));
    EXPECT_TRUE(QFile::exists(prefix + "/lib/tessaly/panes/TessalyCMPrefPane.so"));
    ASSERT_TRUE(QFile::exists(desktopEntry));

    ASSERT_EQ(MissingProgram("desktop-file-validate", "desktop-file-utils"), "");
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    const Outcome validation = Launch(validator, {desktopEntry});
    EXPECT_EQ(validation.exitCode, 0) << validation.out.toStdString();
    EXPECT_TRUE(validation.out.trimmed().isEmpty()) << validation.out.toStdString();
    EXPECT_TRUE(QString::fromUtf8(ReadFile(desktopEntry.toUtf8()))
                    .contains("\nExec=tessaly-preferences\n"));

    // The installed host finds the installed pane.
    const Outcome run = Launch(prefix + "/bin/tessaly-preferences", {"--list"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Array Sizes\tok\n");
}

TEST_F(HostProgram, TheInstalledModuleGivenAgainSeveralWaysIsOnePage)
{
    // The module of the plug-in folder named again on the command line: by
    // its path, through a symbolic link and through another spelling of its
    // path. It is one module, loaded once, so it is one page.
    const QString prefix = QString::fromUtf8(scratch / "prefix");
    const Outcome install = Launch(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.err.toStdString() << install.out.toStdString();
    const QString module = prefix + "/lib/tessaly/panes/TessalyCMPrefPane.so";
    ASSERT_TRUE(QFile::exists(module));
    const QByteArray link = scratch / "Sizes.so";
    ASSERT_EQ(::symlink(module.toUtf8().constData(), link.constData()), 0);
    const QString respelled = prefix + "/lib/tessaly/../tessaly/panes//./TessalyCMPrefPane.so";

    const QString host = prefix + "/bin/tessaly-preferences";
    const Outcome listed =
        Launch(host, {"--list", module, QString::fromUtf8(link), respelled, RECORDER_A});
    EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, "Array Sizes\tok\nRecorder A\tok\n");

    // Shown, the one page loads and saves the list as any page does.
    WriteSizes(config.path(), QVariantList{Size(640, 480)});
    const Outcome shown =
        Launch(host, {"--close-after", "300", module, QString::fromUtf8(link), respelled});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    EXPECT_EQ(UserSizes(), QVariant(QVariantList{Size(640, 480)}));
}

} // namespace
