// SPDX-License-Identifier: GPL-3.0-or-later
// The translation sources (translations/tessaly_<language>.ts) against the
// texts in the code and the interface files: lupdate, run over the sources
// into a copy of each, must find nothing new to translate, and lrelease must
// find every entry finished; and each translation keeps what the program
// fills in and the one key that reaches its control.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace
{

QStringList languages()
{
    return QStringLiteral(TRANSLATED_LANGUAGES).split(u',');
}

QString sourceOf(const QString& language)
{
    return QStringLiteral(SOURCE_DIR "/translations/tessaly_%1.ts").arg(language);
}

struct ToolRun {
    int exitCode = -1;
    QString output;
};

ToolRun run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(QStringLiteral(SOURCE_DIR));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

TEST(Catalogues, HoldAFinishedTranslationOfEveryTextInTheSources)
{
    testsupport::TempFolder work;
    for (const QString& language : languages()) {
        SCOPED_TRACE(language.toStdString());
        const QString copy =
            QString::fromUtf8(work / "tessaly_") + language + QStringLiteral(".ts");
        ASSERT_TRUE(QFile::copy(sourceOf(language), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QStringList arguments{QStringLiteral("-locations"), QStringLiteral("none"),
                              QStringLiteral("-I"), QStringLiteral(".")};
        arguments << QStringLiteral(TRANSLATED_FOLDERS).split(u',') << QStringLiteral("-ts")
                  << copy;
        const ToolRun update = run(QStringLiteral(LUPDATE), arguments);
        ASSERT_EQ(update.exitCode, 0) << update.output.toStdString();

        const ToolRun release =
            run(QStringLiteral(LRELEASE),
                {copy, QStringLiteral("-qm"),
                 QString(copy).replace(QStringLiteral(".ts"), QStringLiteral(".qm"))});
        ASSERT_EQ(release.exitCode, 0) << release.output.toStdString();
        const QRegularExpressionMatch counts =
            QRegularExpression(
                QStringLiteral(
                    R"(Generated (\d+) translation\(s\) \((\d+) finished and (\d+) unfinished\))"))
                .match(release.output);
        ASSERT_TRUE(counts.hasMatch()) << release.output.toStdString();
        EXPECT_GT(counts.captured(1).toInt(), 0);
        EXPECT_EQ(counts.captured(3).toInt(), 0)
            << "texts left unfinished (translations/update.sh brings them in; Qt Linguist "
               "finishes them):\n"
            << release.output.toStdString();
        EXPECT_FALSE(release.output.contains(QStringLiteral("untranslated")))
            << release.output.toStdString();
    }
}

// The pieces the program fills in (%1, %2) and the mnemonic (one "&", "&&"
// being a plain ampersand) of every finished entry.
TEST(Catalogues, KeepThePiecesFilledInAndOneMnemonic)
{
    const QRegularExpression piece(QStringLiteral(R"(%\d)"));
    const auto pieces = [&](const QString& text) {
        QStringList found;
        for (const QRegularExpressionMatch& m : piece.globalMatch(text))
            found << m.captured();
        found.sort();
        return found;
    };
    const auto mnemonics = [](QString text) {
        return text.remove(QStringLiteral("&&")).count(u'&');
    };
    for (const QString& language : languages()) {
        QFile file(sourceOf(language));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << language.toStdString();
        QXmlStreamReader xml(&file);
        QString source;
        int entries = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const QString type = xml.attributes().value(QStringLiteral("type")).toString();
                const QString translation = xml.readElementText();
                if (type == u"vanished" || type == u"obsolete")
                    continue;
                ++entries;
                const std::string what = language.toStdString() + ": " + source.toStdString();
                EXPECT_EQ(pieces(translation), pieces(source)) << what;
                EXPECT_EQ(mnemonics(translation), mnemonics(source)) << what;
            }
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
        EXPECT_GT(entries, 20) << language.toStdString();
    }
}

} // namespace
