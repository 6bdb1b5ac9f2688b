// SPDX-License-Identifier: GPL-3.0-or-later
// The built tessaly launched as a process: a drop on its launcher icon with a
// copy-to folder stored, the window-less command line (at every stored
// quality level too), and a second launch that hands its items to the
// instance already running.
#include "app/engine/ExporterCatalogue.h"
#include "app/engine/Settings.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace
{

struct Outcome {
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
};

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1); }

    Outcome run(const QString& program, const QStringList& arguments, int timeoutMs = 240000)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config.path()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        Outcome result;
        result.finished = process.waitForStarted(10000) && process.waitForFinished(timeoutMs);
        if (!result.finished)
            process.kill();
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }
    Outcome tessaly(const QStringList& arguments) { return run(TESSALY_EXECUTABLE, arguments); }
    // Runs a shell script: arguments whose bytes are not UTF-8 only reach a
    // program through one, since a process's arguments are given as text.
    Outcome script(const QByteArray& name, const QByteArray& body, int timeoutMs = 120000)
    {
        const QByteArray path = source / name;
        if (!WriteFile(path, body))
            return {};
        return run(QStringLiteral("sh"), {QString::fromUtf8(path)}, timeoutMs);
    }

    void storeCopyTo(const QByteArray& folder)
    {
        const FSRef ref = RefFor(folder);
        AliasHandle alias = nullptr;
        ASSERT_EQ(FSNewAlias(nullptr, &ref, &alias), noErr);
        WriteSetting(kCopyToLocationSetting, QByteArray(*alias, qsizetype(GetHandleSize(alias))));
        DisposeHandle(alias);
        WriteSetting(kCopyToSetting, true);
    }
    void picture(const QByteArray& path, const char* format = "png", int width = 64,
                 int height = 48)
    {
        ASSERT_EQ(platform::testing::WriteTestPicture(path, format, width, height), noErr)
            << path.constData();
    }

    TempFolder config;
    TempFolder source;
    TempFolder output;
};

// A word for the shell that stands for exactly these bytes.
QByteArray shellWord(const QByteArray& bytes)
{
    QByteArray word = bytes;
    return "'" + word.replace("'", "'\\''") + "'";
}

QByteArray tessalyCommand(const QList<QByteArray>& arguments,
                          const QByteArray& program = TESSALY_EXECUTABLE)
{
    QByteArray line = shellWord(program);
    for (const QByteArray& argument : arguments)
        line += ' ' + shellWord(argument);
    return line;
}

// The catalogue's two start-up lines: the count, as many dots, and the end.
bool hasCatalogueLines(const QByteArray& out)
{
    const QRegularExpression lines(QStringLiteral(
        "Tessaly: Loading (\\d+) Quicktime exporters(\\.*)\nTessaly: Quicktime exporters "
        "successfully loaded.\n"));
    const QRegularExpressionMatch match = lines.match(QString::fromUtf8(out));
    return match.hasMatch() && match.captured(1).toInt() > 0 &&
           match.captured(2).size() == match.captured(1).toInt();
}

TEST_F(EndToEnd, DropOnTheIconConvertsTheTreeIntoTheCopyToFolderAndQuits)
{
    storeCopyTo(output.path());
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(source / "trip/day two/evening")));
    picture(source / "trip/beach.png");
    picture(source / "trip/day two/market.jpg", "jpg");
    picture(source / "trip/day two/evening/lights.webp", "webp");
    ASSERT_TRUE(WriteFile(source / "trip/notes.txt", "not a picture"));

    const Outcome result = tessaly({QString::fromUtf8(source / "trip")});
    ASSERT_TRUE(result.finished) << "did not quit by itself";
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(hasCatalogueLines(result.out)) << result.out.constData();
    EXPECT_EQ(ListFolder(output.path()),
              (std::vector<QByteArray>{"beach.jpg", "lights.jpg", "market.jpg"}));
    platform::testing::PictureFacts facts;
    ASSERT_EQ(platform::testing::ReadPictureFacts(output / "lights.jpg", &facts), noErr);
    EXPECT_EQ(facts.width, 64);
}

TEST_F(EndToEnd, CommandLineConvertsWhatItCanAndSkipsATruncatedPicture)
{
    GetExportTypes();
    ASSERT_GT(gNumberExporters, 1);
    const QString extension = gTheExporters[1].extensionRef; // not the default
    WriteSetting(kLastImageURLExtensionSetting, extension);
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(source / "set/inner")));
    picture(source / "set/first.png");
    picture(source / "set/inner/second.jpg", "jpg");
    picture(source / "whole.jpg", "jpg", 300, 200);
    const QByteArray whole = ReadFile(source / "whole.jpg");
    ASSERT_TRUE(WriteFile(source / "set/broken.jpg", whole.left(whole.size() / 2)));

    const Outcome result =
        tessaly({"--to", QString::fromUtf8(output.path()), QString::fromUtf8(source / "set")});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_TRUE(hasCatalogueLines(result.out));
    const QString out = QString::fromUtf8(result.out);
    for (const char* line :
         {"File: first.png\n", "File: second.jpg\n", "File: broken.jpg\n", "(3 of 3)\n"})
        EXPECT_TRUE(out.contains(QLatin1String(line))) << line << "\n" << result.out.constData();
    const QByteArray suffix = "." + extension.toUtf8();
    EXPECT_EQ(ListFolder(output.path()),
              (std::vector<QByteArray>{"first" + suffix, "second" + suffix}));
    EXPECT_EQ(ReadFile(source / "set/broken.jpg").size(), whole.size() / 2); // untouched
}

TEST_F(EndToEnd, ArgumentsThatCannotBeUsed)
{
    ASSERT_TRUE(WriteFile(source / "file.png", "x"));
    const QString folder = QString::fromUtf8(output.path());
    const QString file = QString::fromUtf8(source / "file.png");
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* stdoutHas;
        const char* stderrHas;
    } cases[] = {
        {{"--help"}, 0, "Usage: tessaly", ""},
        {{"-h"}, 0, "/com.quorvane.Tessaly.plist\n", ""},
        {{"-j", "2", "--help"}, 0, "TESSALY_JOBS", ""},
        {{"--version"}, 0, "tessaly 0.", ""},
        {{"--to"}, 2, "", "Usage: tessaly"},
        {{"--to", folder}, 2, "", "Usage: tessaly"},
        {{"--to", file, file}, 2, "", "is not a folder"},
        {{"--to", folder + "/missing", file}, 2, "", "Usage: tessaly"},
        {{"--to", folder, folder + "/missing.png"}, 2, "", "does not exist"},
        {{"--frobnicate"}, 2, "", "unknown option --frobnicate"},
        {{file, "-x"}, 2, "", "unknown option -x\nUsage: tessaly"},
        {{"--to=" + folder, file, "--to", folder}, 2, "", "--to is given twice"},
        {{"--jobs=0", "--to", folder, file}, 2, "", "--jobs needs a number"},
        {{"--to", folder, "-j", "0", file}, 2, "", "-j needs a number"},
        {{"--to", folder, "-j", "many", file}, 2, "", "-j needs a number"},
        {{"--to", folder, file, "-j"}, 2, "", "-j needs a number"},
    };
    for (const Case& c : cases) {
        const Outcome result = tessaly(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        ASSERT_TRUE(result.finished) << what;
        EXPECT_EQ(result.exitCode, c.exitCode) << what;
        EXPECT_TRUE(result.out.contains(c.stdoutHas)) << what << result.out.constData();
        EXPECT_TRUE(result.err.contains(c.stderrHas)) << what << result.err.constData();
    }
    EXPECT_TRUE(ListFolder(output.path()).empty());
}

TEST_F(EndToEnd, OptionsComeInAnyOrderAndAfterTheirEndAnItemMayLookLikeOne)
{
    picture(source / "-j.png");
    picture(source / "b.png");
    ASSERT_TRUE(MakeFolder(output / "a"));
    ASSERT_TRUE(MakeFolder(output / "b"));
    // Relative names, so that one starts with "-".
    const Outcome result = script(
        "order.sh",
        "cd " + shellWord(source.path()) + " && " +
            tessalyCommand({"-j", "2", "--to", output / "a", "b.png", "--", "-j.png"}) + " && " +
            tessalyCommand({"b.png", "--jobs=1", "--to=" + output / "b", "--", "-j.png"}) + "\n");
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    for (const char* into : {"a", "b"})
        EXPECT_EQ(ListFolder(output / into), (std::vector<QByteArray>{"-j.jpg", "b.jpg"})) << into;
    EXPECT_EQ(result.out.count("File: -j.png\n"), 2) << result.out.constData();
}

TEST_F(EndToEnd, NamesThatAreNotUtf8ReachTheirItemsAtEveryArgument)
{
    // A Latin-1 name and one with a byte no encoding gives; a folder too.
    picture(source / "caf\xe9.png");
    picture(source / "x\xff.png");
    ASSERT_TRUE(MakeFolder(source / "d\xe9j\xe0"));
    picture(source / "d\xe9j\xe0/inner.png");
    const QByteArray uri = "file://" + source.path().toPercentEncoding("/");
    const QByteArray latin1Path = source / "caf\xe9.png", strayPath = source / "x\xff.png",
                     folderPath = source / "d\xe9j\xe0";
    const QByteArray latin1Uri = uri + "/caf%E9.png", strayUri = uri + "/x%FF.png",
                     folderUri = uri + "/d%E9j%E0";
    struct Case {
        const char* what;
        QByteArray destination; // made first; stored as the copy-to folder for a window
        QList<QByteArray> arguments;
    } cases[] = {
        {"--to, paths",
         output / "out\xff",
         {"--to", output / "out\xff", strayPath, latin1Path, folderPath}},
        {"--to, uris",
         output / "d\xe9st",
         {"--to", "file://" + (output / "d\xe9st").toPercentEncoding("/"), strayUri, latin1Uri,
          folderUri}},
        {"window, paths", output / "win\xff", {strayPath, latin1Path, folderPath}},
        {"window, uris", output / "win\xe9", {strayUri, latin1Uri, folderUri}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(MakeFolder(c.destination));
        storeCopyTo(c.destination);
        const Outcome result = script("launch.sh", tessalyCommand(c.arguments) + "\n");
        ASSERT_TRUE(result.finished) << "did not end by itself";
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(ListFolder(c.destination),
                  (std::vector<QByteArray>{"caf\xe9.jpg", "inner.jpg", "x\xff.jpg"}));
    }
    // A name that is missing is quoted with its own bytes.
    const Outcome missing = script(
        "missing.sh", tessalyCommand({"--to", output.path(), source / "gone\xff.png"}) + "\n");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("gone\xff.png does not exist")) << missing.err.constData();
}

TEST_F(EndToEnd, AFolderThatCannotBeReadIsPassedOverAndTheBatchGoesOn)
{
    // Root reads every folder, so the program runs as an unprivileged user.
    ASSERT_TRUE(MakeFolder(source / "locked"));
    picture(source / "locked/hidden.png");
    picture(source / "after.png");
    ASSERT_TRUE(MakeFolder(output / "into"));
    GiveToUnprivileged(output / "into");
    ASSERT_EQ(::chmod((source / "locked").constData(), 0), 0);
    const QByteArray program = ProgramForUnprivileged(TESSALY_EXECUTABLE);
    ASSERT_FALSE(program.isEmpty());
    const QByteArray log = output / "log";
    const QByteArray command =
        "ASAN_OPTIONS=detect_leaks=0 " +
        tessalyCommand({"--to", output / "into", source / "locked", source / "after.png"},
                       program) +
        " > " + shellWord(log) + " 2>&1";
    const int status = RunUnprivileged([&] { return std::system(command.constData()) == 0; });
    EXPECT_EQ(status, 0) << ReadFile(log).constData();
    EXPECT_EQ(ListFolder(output / "into"), std::vector<QByteArray>{"after.jpg"});
    EXPECT_TRUE(ReadFile(log).contains("File: after.png\n")) << ReadFile(log).constData();
    ASSERT_EQ(::chmod((source / "locked").constData(), 0755), 0);
}

// Outputs named with a UUID because the plain name was taken.
bool IsUniqueName(const QByteArray& name)
{
    static const QRegularExpression uuid(
        QStringLiteral("^.* - [0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.jpg$"),
        QRegularExpression::CaseInsensitiveOption);
    return uuid.match(QString::fromUtf8(name)).hasMatch();
}

TEST_F(EndToEnd, OneWorkerAndManyGiveTheSameLinesNamesAndBytes)
{
    // Three a.png in walk order: x's is cut short, so it fails and gives
    // a.jpg up again; y's then takes a.jpg, z's gets a unique name. A large
    // picture sits among small ones; one file is no picture, one has no
    // permissions, one is empty.
    for (const char* folder : {"tree/x", "tree/y", "tree/z", "tree/small"})
        ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(source / folder)));
    picture(source / "tree/whole.png", "png", 1600, 1200);
    const QByteArray whole = ReadFile(source / "tree/whole.png");
    ASSERT_TRUE(WriteFile(source / "tree/x/a.png", whole.left(whole.size() / 2)));
    picture(source / "tree/y/a.png", "png", 120, 90);
    picture(source / "tree/z/a.png", "png", 90, 120);
    picture(source / "tree/big.png", "png", 3000, 2000);
    for (int i = 0; i < 12; ++i)
        picture(source / "tree/small/" + QByteArray::number(i) + ".png", "png", 160, 120);
    ASSERT_TRUE(WriteFile(source / "tree/notes.txt", "not a picture"));
    ASSERT_TRUE(WriteFile(source / "tree/empty.png", ""));
    picture(source / "tree/locked.png");
    ASSERT_TRUE(QFile::setPermissions(QString::fromUtf8(source / "tree/locked.png"), {}));

    struct Run {
        Outcome outcome;
        std::map<QByteArray, QByteArray> named;  // name: bytes
        std::multiset<QByteArray> uniquelyNamed; // bytes
    } runs[2];
    const char* workers[2] = {"1", "4"};
    for (int r = 0; r < 2; ++r) {
        const QByteArray into = output / workers[r];
        ASSERT_TRUE(MakeFolder(into));
        runs[r].outcome = tessaly({"--to", QString::fromUtf8(into), "-j", workers[r],
                                   QString::fromUtf8(source / "tree")});
        ASSERT_TRUE(runs[r].outcome.finished);
        ASSERT_EQ(runs[r].outcome.exitCode, 0) << runs[r].outcome.err.constData();
        for (const QByteArray& name : ListFolder(into)) {
            EXPECT_FALSE(name.startsWith(".")) << name.constData(); // no temporary file
            const QByteArray bytes = ReadFile(into + "/" + name);
            EXPECT_FALSE(bytes.isEmpty()) << name.constData();
            if (IsUniqueName(name))
                runs[r].uniquelyNamed.insert(bytes);
            else
                runs[r].named[name] = bytes;
        }
    }
    EXPECT_EQ(runs[0].outcome.out, runs[1].outcome.out);
    EXPECT_EQ(runs[1].outcome.out.count("File: a.png\n"), 3);
    EXPECT_TRUE(runs[1].outcome.out.contains("(20 of 20)\n")) << runs[1].outcome.out.constData();
    std::vector<QByteArray> names;
    for (const auto& [name, bytes] : runs[1].named)
        names.push_back(name);
    std::vector<QByteArray> expected = {"0.jpg", "1.jpg", "10.jpg", "11.jpg", "2.jpg",
                                        "3.jpg", "4.jpg", "5.jpg",  "6.jpg",  "7.jpg",
                                        "8.jpg", "9.jpg", "a.jpg",  "big.jpg"};
    // Root reads a file without permissions; anybody else is refused it.
    if (::geteuid() == 0)
        expected.push_back("locked.jpg");
    expected.push_back("whole.jpg");
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(runs[0].named == runs[1].named) << "the same names with the same bytes";
    EXPECT_EQ(runs[1].uniquelyNamed.size(), 1u);
    EXPECT_TRUE(runs[0].uniquelyNamed == runs[1].uniquelyNamed);
    EXPECT_EQ(ReadFile(source / "tree/x/a.png").size(), whole.size() / 2); // untouched
}

TEST_F(EndToEnd, AnInterruptedBatchLeavesOnlyWholeOutputs)
{
    ASSERT_TRUE(MakeFolder(source / "many"));
    for (int i = 0; i < 24; ++i)
        picture(source / "many/" + QByteArray::number(i).rightJustified(2, '0') + ".png", "png",
                1200, 900);
    storeCopyTo(output.path());
    // Ctrl-C on the command line, logout's SIGTERM to the window.
    struct Case {
        const char* what;
        bool window;
        int signal;
    } cases[] = {{"command line, SIGINT", false, SIGINT},
                 {"command line, SIGTERM", false, SIGTERM},
                 {"window, SIGTERM", true, SIGTERM}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray into = output / QByteArray::number(c.signal) + (c.window ? "w" : "");
        ASSERT_TRUE(MakeFolder(into));
        storeCopyTo(into);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config.path()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        environment.insert(QStringLiteral("TESSALY_JOBS"), QStringLiteral("3"));
        process.setProcessEnvironment(environment);
        const QString many = QString::fromUtf8(source / "many");
        process.start(TESSALY_EXECUTABLE, c.window
                                              ? QStringList{many}
                                              : QStringList{"--to", QString::fromUtf8(into), many});
        ASSERT_TRUE(process.waitForStarted(10000));
        // Interrupted once the first output is there: several are converting.
        const auto firstOutput = [&] {
            for (const QByteArray& name : ListFolder(into))
                if (!name.startsWith("."))
                    return true;
            return false;
        };
        for (int waited = 0; !firstOutput() && waited < 1200; ++waited)
            process.waitForFinished(100);
        ASSERT_TRUE(firstOutput());
        ASSERT_EQ(process.state(), QProcess::Running);
        ::kill(pid_t(process.processId()), c.signal);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 128 + c.signal);
        const std::vector<QByteArray> outputs = ListFolder(into);
        EXPECT_LT(outputs.size(), 24u);
        for (const QByteArray& name : outputs) {
            EXPECT_FALSE(name.startsWith(".")) << name.constData();
            platform::testing::PictureFacts facts;
            EXPECT_EQ(platform::testing::ReadPictureFacts(into + "/" + name, &facts), noErr)
                << name.constData();
        }
        if (!c.window) {
            const QByteArray out = process.readAllStandardOutput();
            EXPECT_EQ(qsizetype(outputs.size()), out.count("File: ")) << out.constData();
            EXPECT_EQ(out.count("File: "), out.count(" of 24)"));
        }
    }
}

TEST_F(EndToEnd, ASecondLaunchHandsItsItemsToTheRunningInstance)
{
    ASSERT_EQ(MissingProgram(QStringLiteral("dbus-run-session"), "dbus"), "");
    const QString busRunner = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    storeCopyTo(output.path());
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(source / "first")));
    for (int i = 0; i < 6; ++i)
        picture(source / "first/" + QByteArray::number(i) + ".png", "png", 1600, 1200);
    picture(source / "extra.png");
    // Names that are not UTF-8 are handed over whole, given as paths or URIs.
    picture(source / "caf\xe9.png");
    picture(source / "x\xff.png");
    const QByteArray second =
        tessalyCommand({source / "extra.png", source / "caf\xe9.png",
                        "file://" + (source / "x\xff.png").toPercentEncoding("/")});
    // The second launch waits until the first is converting, so the first is
    // surely serving the bus by then.
    const QByteArray twoLaunches = R"sh(
"$1" "$2" > "$4/first.out" 2>&1 &
first=$!
i=0
while [ -z "$(ls "$3")" ] && [ $i -lt 1200 ]; do sleep 0.1; i=$((i+1)); done
)sh" + second + R"sh( > "$4/second.out" 2>&1
echo "second=$?"
wait $first
echo "first=$?"
)sh";
    ASSERT_TRUE(WriteFile(source / "two-launches.sh", twoLaunches));
    const Outcome result =
        run(busRunner, {"--", "sh", QString::fromUtf8(source / "two-launches.sh"),
                        TESSALY_EXECUTABLE, QString::fromUtf8(source / "first"),
                        QString::fromUtf8(output.path()), QString::fromUtf8(source.path())});
    ASSERT_TRUE(result.finished);
    EXPECT_TRUE(result.out.contains("second=0")) << result.out.constData();
    EXPECT_TRUE(result.out.contains("first=0")) << result.out.constData();
    // The second launch started nothing of its own: no catalogue, no window.
    EXPECT_FALSE(ReadFile(source / "second.out").contains("Tessaly: Loading"))
        << ReadFile(source / "second.out").constData();
    EXPECT_TRUE(hasCatalogueLines(ReadFile(source / "first.out")));
    EXPECT_EQ(ListFolder(output.path()),
              (std::vector<QByteArray>{"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg",
                                       "caf\xe9.jpg", "extra.jpg", "x\xff.jpg"}));
}

// A second launch at any moment of the goodbye second is converted: either
// the instance that is leaving still takes it and converts it, or it has let
// go of the bus and the second launch runs on its own. Never "handed over"
// to an instance that then ends without converting it.
TEST_F(EndToEnd, ASecondLaunchDuringTheGoodbyeIsAlwaysConverted)
{
    const QString busRunner = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    if (busRunner.isEmpty())
        GTEST_SKIP() << "dbus-run-session is not installed";
    storeCopyTo(output.path());
    // Offsets after the first launch's output appears: the goodbye second,
    // closely around its end and fade, and a little on both sides, given
    // that the second launch needs a while to start before it asks the bus.
    QList<QByteArray> offsets{"0.00", "0.30"};
    for (int hundredths = 60; hundredths <= 140; hundredths += 5)
        offsets << QByteArray::number(hundredths / 100.0, 'f', 2);
    offsets << "1.70";
    QByteArray sweep = "for offset in " + offsets.join(' ') + "; do\n";
    sweep += R"sh(
"$1" "$2/first-$offset.png" > "$3/first-$offset.out" 2>&1 &
first=$!
i=0
while [ ! -e "$4/first-$offset.jpg" ] && [ $i -lt 6000 ]; do sleep 0.01; i=$((i+1)); done
sleep $offset
"$1" "$2/second-$offset.png" > "$3/second-$offset.out" 2>&1
echo "second-$offset=$?"
wait $first
echo "first-$offset=$?"
done
)sh";
    for (const QByteArray& offset : offsets) {
        picture(source / "first-" + offset + ".png");
        picture(source / "second-" + offset + ".png");
    }
    ASSERT_TRUE(MakeFolder(source / "logs"));
    ASSERT_TRUE(WriteFile(source / "sweep.sh", sweep));
    const Outcome result =
        run(busRunner,
            {"--", "sh", QString::fromUtf8(source / "sweep.sh"), TESSALY_EXECUTABLE,
             QString::fromUtf8(source.path()), QString::fromUtf8(source / "logs"),
             QString::fromUtf8(output.path())},
            600000);
    ASSERT_TRUE(result.finished) << result.out.constData();
    std::vector<QByteArray> expected;
    for (const QByteArray& offset : offsets) {
        SCOPED_TRACE("second launch " + offset.toStdString() + " s after the first's output");
        EXPECT_TRUE(result.out.contains("first-" + offset + "=0\n")) << result.out.constData();
        EXPECT_TRUE(result.out.contains("second-" + offset + "=0\n")) << result.out.constData();
        EXPECT_TRUE(Exists(output / "second-" + offset + ".jpg"))
            << "second launch: "
            << ReadFile(source / "logs/second-" + offset + ".out").left(200).constData();
        expected.push_back("first-" + offset + ".jpg");
        expected.push_back("second-" + offset + ".jpg");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(output.path()), expected); // each converted once
    // Early in the sweep, while the first still waits, items are handed
    // over: those second launches start nothing of their own.
    const auto handedOver = std::count_if(offsets.begin(), offsets.end(), [&](const QByteArray& o) {
        return !ReadFile(source / "logs/second-" + o + ".out").contains("Tessaly: Loading");
    });
    EXPECT_GE(handedOver, 1);
}

TEST_F(EndToEnd, OutputsShrinkAsTheLevelFallsAndLosslessWebPKeepsEveryPixel)
{
    const TempFolder& outputs = output;
    QByteArray photo;
    // Converts the photo into a fresh folder at the stored level; the output's bytes.
    const auto convertAt = [&](CodecQ quality, const QByteArray& name) {
        WriteSetting(kQualitySetting, int(quality));
        const QByteArray into = outputs / name;
        if (!MakeFolder(into) ||
            !tessaly({QStringLiteral("--to"), QString::fromUtf8(into), QString::fromUtf8(photo)})
                 .finished)
            return QByteArray();
        const std::vector<QByteArray> made = ListFolder(into);
        return made.size() == 1 ? ReadFile(into + '/' + made[0]) : QByteArray();
    };
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
