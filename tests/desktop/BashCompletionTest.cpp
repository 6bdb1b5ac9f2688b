// SPDX-License-Identifier: GPL-3.0-or-later
// tessaly's bash completion, loaded into a real bash beside bash-completion's
// own functions, as an interactive shell loads it, completing the command
// lines of a table against a folder of real files and folders.
#include "DesktopTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>

namespace
{

const QString kBashCompletion = QStringLiteral("/usr/share/bash-completion/bash_completion");
const QString kCompletion = QStringLiteral("share/bash-completion/completions/tessaly");

// Sources both files, completes the words given as arguments (the last one
// being completed, as bash's own COMP_ variables describe a command line)
// and prints one candidate a line.
const QString kScript = QStringLiteral(R"(
source "$BASH_COMPLETION" || exit 3
source "$COMPLETION" || exit 3
COMP_WORDS=("$@")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMP_LINE="${COMP_WORDS[*]}"
COMP_POINT=${#COMP_LINE}
COMPREPLY=()
"$FUNCTION" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}"
exit 0
)");

class BashCompletion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(testsupport::MissingProgram(QStringLiteral("bash"), "bash"), "");
        ASSERT_TRUE(QFileInfo::exists(kBashCompletion))
            << "no " << qPrintable(kBashCompletion) << ": install the Debian package "
            << "bash-completion";
        // Folders, files, a name with a space and one that looks like an option.
        for (const char* folder : {"holiday", "My Pictures"})
            ASSERT_TRUE(testsupport::MakeFolder(m_folder / folder));
        for (const char* file : {"photo.png", "notes.txt", "-x.png"})
            ASSERT_TRUE(testsupport::WriteFile(m_folder / file, "bytes"));
    }

    // The function that bash calls to complete tessaly, as the file
    // registers it.
    QString completionFunction() const
    {
        const ToolRun run =
            runBash(QStringLiteral("source \"$COMPLETION\" && complete -p tessaly"), {});
        const QStringList words = run.output.split(u' ', Qt::SkipEmptyParts);
        const qsizetype flag = words.indexOf(QStringLiteral("-F"));
        return flag >= 0 && flag + 1 < words.size() ? words[flag + 1] : QString();
    }

    // The sorted candidates offered for the command line, its last word
    // being completed, one a line; "none" when there are none.
    QString complete(const QStringList& words) const
    {
        const ToolRun run = runBash(kScript, words);
        EXPECT_EQ(run.exitCode, 0) << qPrintable(run.errors);
        EXPECT_EQ(run.errors, QString());
        QStringList candidates = run.output.split(u'\n', Qt::SkipEmptyParts);
        std::sort(candidates.begin(), candidates.end());
        return candidates.isEmpty() ? QStringLiteral("none") : candidates.join(u'\n');
    }

private:
    ToolRun runBash(const QString& script, const QStringList& words) const
    {
        const QString folder = QString::fromUtf8(m_folder.path());
        return RunTool(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("--norc"), QStringLiteral("--noprofile"),
                        QStringLiteral("-c"), script, QStringLiteral("completion")} +
                words,
            {.errorsApart = true,
             .environment = {QStringLiteral("BASH_COMPLETION=") + kBashCompletion,
                             QStringLiteral("COMPLETION=") + BuildTreePath(kCompletion),
                             QStringLiteral("FUNCTION=_tessaly"), QStringLiteral("HOME=") + folder,
                             QStringLiteral("XDG_DATA_DIRS=/nonexistent")},
             .workingFolder = folder});
    }

    testsupport::TempFolder m_folder;
};

TEST_F(BashCompletion, IsRegisteredForTessaly)
{
    EXPECT_EQ(completionFunction(), QStringLiteral("_tessaly"));
}

TEST_F(BashCompletion, OffersTheOptionsWhereTheProgramTakesThem)
{
    const struct {
        QStringList words;
        QStringList expected;
    } cases[] = {
        // Every option may come anywhere before "--"; --to only once, and
        // --help and --version, which take no other, only as the first word.
        {{"tessaly", "-"}, {"--help", "--jobs", "--to", "--version", "-j"}},
        {{"tessaly", "--"}, {"--help", "--jobs", "--to", "--version"}},
        {{"tessaly", "--v"}, {"--version"}},
        {{"tessaly", "photo.png", "-"}, {"--", "--jobs", "--to", "-j"}},
        {{"tessaly", "-j", "2", "--t"}, {"--to"}},
        {{"tessaly", "--to", "holiday", "-"}, {"--", "--jobs", "-j"}},
        {{"tessaly", "--to=holiday", "photo.png", "-"}, {"--", "--jobs", "-j"}},
        // An option's value is never taken for the end of the options.
        {{"tessaly", "--to", "--", "-"}, {"--", "--jobs", "-j"}},
        // A count follows -j and --jobs, and nothing follows --help or --version.
        {{"tessaly", "-j", ""}, {"none"}},
        {{"tessaly", "--jobs", ""}, {"none"}},
        {{"tessaly", "--jobs="}, {"none"}},
        {{"tessaly", "--to", "holiday", "-j", ""}, {"none"}},
        {{"tessaly", "--help", ""}, {"none"}},
        {{"tessaly", "--version", ""}, {"none"}},
        {{"tessaly", "photo.png", "--help", ""}, {"none"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(complete(c.words), c.expected.join(u'\n')) << qPrintable(c.words.join(u' '));
}

TEST_F(BashCompletion, OffersFoldersAfterToAndFilesAndFoldersAsItems)
{
    const QStringList everything{"-x.png", "My Pictures", "holiday", "notes.txt", "photo.png"};
    const struct {
        QStringList words;
        QStringList expected;
    } cases[] = {
        {{"tessaly", "--to", ""}, {"My Pictures", "holiday"}},
        {{"tessaly", "--to", "M"}, {"My Pictures"}},
        {{"tessaly", "photo.png", "-j", "2", "--to", "M"}, {"My Pictures"}},
        {{"tessaly", "--to=h"}, {"holiday"}},
        {{"tessaly", "--jobs", "2", "--to="}, {"My Pictures", "holiday"}},
        {{"tessaly", "--to", "n"}, {"none"}},
        {{"tessaly", ""}, everything},
        {{"tessaly", "--to", "holiday", ""}, everything},
        {{"tessaly", "--to", "holiday", "-j", "2", "p"}, {"photo.png"}},
        {{"tessaly", "-j", "2", "h"}, {"holiday"}},
        // After "--" every word is an item, also one that looks like an option.
        {{"tessaly", "--", "-"}, {"-x.png"}},
        {{"tessaly", "--to", "holiday", "--", "-x"}, {"-x.png"}},
        {{"tessaly", "--", "--to", ""}, everything},
    };
    for (const auto& c : cases)
        EXPECT_EQ(complete(c.words), c.expected.join(u'\n')) << qPrintable(c.words.join(u' '));
}

} // namespace
