// SPDX-License-Identifier: GPL-3.0-or-later
// The manual pages as man shows them: formatted without a warning, with the
// sections a reader looks for, and describing every option the programs'
// own --help names.
#include "DesktopTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

namespace
{

struct Page {
    const char* program;
    QString path; // below the prefix
};

const Page kPages[] = {
    {"tessaly", QStringLiteral("share/man/man1/tessaly.1.gz")},
    {"tessaly-preferences", QStringLiteral("share/man/man1/tessaly-preferences.1.gz")},
};

// The page as man shows it on an 80-column terminal; warnings in errors.
ToolRun ShowPage(const QString& path)
{
    return RunTool(QStringLiteral("man"),
                   {QStringLiteral("--warnings"), QStringLiteral("-l"), QStringLiteral("-E"),
                    QStringLiteral("UTF-8"), BuildTreePath(path)},
                   {.errorsApart = true,
                    .environment = {QStringLiteral("MANWIDTH=80"), QStringLiteral("LC_ALL=C.UTF-8"),
                                    QStringLiteral("MANPAGER=cat"), QStringLiteral("PAGER=cat")}});
}

// The text of one section of a shown page: from its heading to the next one,
// with the words that man split at a line's end joined again.
QString Section(const QString& page, const QString& heading)
{
    const QRegularExpression pattern(
        QStringLiteral("^%1\\n(.*?)(?=^\\S|\\z)").arg(QRegularExpression::escape(heading)),
        QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    QString text = pattern.match(page).captured(1);
    text.replace(QRegularExpression(QStringLiteral("\u2010\\n\\s*")), QString());
    return text;
}

TEST(ManualPage, IsShownByManWithoutWarnings)
{
    ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("man"), "man-db"), "");
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.program);
        const ToolRun man = ShowPage(page.path);
        EXPECT_EQ(man.exitCode, 0) << qPrintable(man.errors);
        EXPECT_EQ(man.errors, QString()) << "warnings from man or groff";
        for (const char* heading : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS",
                                    "ENVIRONMENT", "FILES", "SEE ALSO"})
            EXPECT_FALSE(Section(man.output, QLatin1String(heading)).trimmed().isEmpty())
                << heading << " missing from\n"
                << qPrintable(man.output);
        // The name line is what apropos and whatis index.
        EXPECT_TRUE(Section(man.output, QStringLiteral("NAME"))
                        .simplified()
                        .startsWith(QLatin1String(page.program) + QStringLiteral(" - ")))
            << qPrintable(Section(man.output, QStringLiteral("NAME")));
        // The version the build made, in the footer.
        EXPECT_TRUE(man.output.contains(QStringLiteral("Tessaly " TESSALY_VERSION)))
            << qPrintable(man.output);
    }
}

TEST(ManualPage, DescribesEveryOptionOfTheProgramsHelp)
{
    ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("man"), "man-db"), "");
    const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.program);
        const ToolRun help = RunTool(
            BuildTreePath(QStringLiteral("bin/") + QLatin1String(page.program)),
            {QStringLiteral("--help")},
            {.errorsApart = true, .environment = {QStringLiteral("QT_QPA_PLATFORM=offscreen")}});
        ASSERT_EQ(help.exitCode, 0) << qPrintable(help.errors);
        QSet<QString> options;
        for (const QRegularExpressionMatch& match : option.globalMatch(help.output))
            options.insert(match.captured());
        EXPECT_TRUE(options.contains(QStringLiteral("--help"))) << qPrintable(help.output);
        EXPECT_TRUE(options.contains(QStringLiteral("--version"))) << qPrintable(help.output);

        const ToolRun man = ShowPage(page.path);
        ASSERT_EQ(man.exitCode, 0) << qPrintable(man.errors);
        const QString described = Section(man.output, QStringLiteral("OPTIONS"));
        for (const QString& name : options) {
            const QRegularExpression term(
                QStringLiteral("(?<![\\w-])%1(?![\\w-])").arg(QRegularExpression::escape(name)));
            EXPECT_TRUE(term.match(described).hasMatch())
                << qPrintable(name) << " is not described in\n"
                << qPrintable(described);
        }
    }
}

} // namespace
