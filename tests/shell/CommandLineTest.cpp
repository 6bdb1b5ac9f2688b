// SPDX-License-Identifier: GPL-3.0-or-later
// The command line read into what the program does: tables of argument lists
// and the mode, destination, count, items or problem each one gives.
#include "app/shell/CommandLine.h"
#include "platform/prefs/Preferences.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstdlib>

namespace
{

using Mode = CommandLine::Mode;

struct Case {
    QStringList arguments;
    Mode mode;
    QString destination;
    int workers;
    QStringList items;
};

void Expect(const Case& c, const CommandLine& line)
{
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.destination, c.destination);
    EXPECT_EQ(line.workers, c.workers);
    EXPECT_EQ(line.items, c.items);
    EXPECT_EQ(line.problem, QString());
}

TEST(CommandLine, OptionsInAnyOrderAndInEveryForm)
{
    const Case cases[] = {
        {{}, Mode::Window, "", 0, {}},
        {{"a.png", "b"}, Mode::Window, "", 0, {"a.png", "b"}},
        {{"-j", "2", "a.png"}, Mode::Window, "", 2, {"a.png"}},
        {{"a.png", "-j3"}, Mode::Window, "", 3, {"a.png"}},
        {{"--jobs", "4", "a.png"}, Mode::Window, "", 4, {"a.png"}},
        {{"--jobs=256", "a.png"}, Mode::Window, "", 256, {"a.png"}},
        {{"-j", "2", "-j", "5"}, Mode::Window, "", 5, {}}, // the last count counts
        {{"--to", "D", "a.png"}, Mode::ToFolder, "D", 0, {"a.png"}},
        {{"--to", "D", "-j", "2", "a.png"}, Mode::ToFolder, "D", 2, {"a.png"}},
        {{"-j", "2", "--to", "D", "a.png"}, Mode::ToFolder, "D", 2, {"a.png"}},
        {{"a.png", "--to", "D", "b.png"}, Mode::ToFolder, "D", 0, {"a.png", "b.png"}},
        {{"a.png", "--to=D", "--jobs=2"}, Mode::ToFolder, "D", 2, {"a.png"}},
        {{"--to=a=b", "x"}, Mode::ToFolder, "a=b", 0, {"x"}},
        // An option's value is the next word, whatever it looks like.
        {{"--to", "-j", "a.png"}, Mode::ToFolder, "-j", 0, {"a.png"}},
        {{"--to", "--", "--", "--"}, Mode::ToFolder, "--", 0, {"--"}},
        // "--" ends the options; a lone "-" is an item.
        {{"--", "-j.png", "--to", "--help"}, Mode::Window, "", 0, {"-j.png", "--to", "--help"}},
        {{"--to", "D", "--", "-j.png"}, Mode::ToFolder, "D", 0, {"-j.png"}},
        {{"-j", "2", "--", "-j", "3"}, Mode::Window, "", 2, {"-j", "3"}},
        {{"-", "a.png"}, Mode::Window, "", 0, {"-", "a.png"}},
        // Names that are not UTF-8 arrive as lone surrogates and stay whole.
        {{"--to", QString(QChar(0xDCFF)), QString(QChar(0xDCE9)) + ".png"},
         Mode::ToFolder,
         QString(QChar(0xDCFF)),
         0,
         {QString(QChar(0xDCE9)) + ".png"}},
        // --help and --version end the reading wherever they stand.
        {{"--help"}, Mode::Help, "", 0, {}},
        {{"-h"}, Mode::Help, "", 0, {}},
        {{"--to", "D", "-j", "2", "a.png", "--help"}, Mode::Help, "D", 2, {"a.png"}},
        {{"--version"}, Mode::Version, "", 0, {}},
        {{"a.png", "--version", "--help"}, Mode::Version, "", 0, {"a.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        Expect(c, ParseCommandLine(c.arguments));
    }
}

TEST(CommandLine, UsageErrorsNameWhatIsWrong)
{
    const struct {
        QStringList arguments;
        const char* problem;
    } cases[] = {
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"a.png", "--frobnicate=2"}, "unknown option --frobnicate"},
        {{"-x.png"}, "unknown option -x.png"},
        {{"-j.png"}, "-j needs a number of files from 1 to 256"},
        {{"--to"}, "--to needs a destination folder and at least one item"},
        {{"--to", "D"}, "--to needs a destination folder and at least one item"},
        {{"--to=D"}, "--to needs a destination folder and at least one item"},
        {{"--to=", "a.png"}, "--to needs a destination folder and at least one item"},
        {{"--to", "D", "--"}, "--to needs a destination folder and at least one item"},
        {{"--to", "D", "--to", "E", "a.png"}, "--to is given twice"},
        {{"-j", "0", "a.png"}, "-j needs a number of files from 1 to 256"},
        {{"-j", "many"}, "-j needs a number of files from 1 to 256"},
        {{"a.png", "-j"}, "-j needs a number of files from 1 to 256"},
        {{"--jobs", "257"}, "--jobs needs a number of files from 1 to 256"},
        {{"--jobs="}, "--jobs needs a number of files from 1 to 256"},
        {{"--jobs"}, "--jobs needs a number of files from 1 to 256"},
        {{"--help=all"}, "--help takes no value"},
        {{"--version=2"}, "--version takes no value"},
        // The first fault wins, even over a later --help.
        {{"--bad", "--help"}, "unknown option --bad"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.mode, Mode::Bad);
        EXPECT_EQ(line.problem, QLatin1String(c.problem));
    }
}

TEST(CommandLine, HelpSaysWhatEachOptionDoesAndWhereTheSettingsAre)
{
    testsupport::TempFolder config;
    ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1);
    // The file the help names is the one the settings are written to.
    CFPreferencesSetAppValue(QStringLiteral("QuitWhenDone"), false,
                             kCFPreferencesCurrentApplication);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication));
    const QString help = HelpText();
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(help.startsWith(UsageText())) << qPrintable(help);
    const QRegularExpression named(QRegularExpression::escape(QString::fromUtf8(config.path())) +
                                   QStringLiteral("/\\S+"));
    const QString settings = named.match(help).captured();
    EXPECT_TRUE(testsupport::ReadFile(settings.toUtf8()).contains("QuitWhenDone"))
        << qPrintable(help);
    // Each option and the environment variable, at the start of a line of
    // its own that goes on to say what it does.
    for (const char* term : {"--to DESTINATION", "-j N, --jobs N", "--  ", "-h, --help",
                             "--version", "TESSALY_JOBS"}) {
        const QString start = QStringLiteral("\n  ") + QLatin1String(term);
        const qsizetype at = help.indexOf(start);
        ASSERT_GE(at, 0) << term << " missing from\n" << qPrintable(help);
        const QString line = help.mid(at + 1, help.indexOf(u'\n', at + 1) - at - 1);
        EXPECT_GT(line.simplified().size(), start.simplified().size() + 10) << qPrintable(line);
    }
}

} // namespace
