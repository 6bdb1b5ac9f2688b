// SPDX-License-Identifier: GPL-3.0-or-later
// Catalogues for the user's language.
#include "platform/l10n/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace
{

std::unique_ptr<QTranslator> gOwn;
std::unique_ptr<QTranslator> gQt;

void takeBack(std::unique_ptr<QTranslator>& translator)
{
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

QStringList platform::UserLanguages()
{
    // Qt reads LANGUAGE's list itself, and falls back to the locale's
    // variables when it is unset.
    return QLocale::system().uiLanguages();
}

QString platform::InstallTranslations(const QString& folder, const QStringList& languages)
{
    takeBack(gOwn);
    takeBack(gQt);
    for (const QString& language : languages) {
        const QLocale locale(language);
        // A name Qt does not know makes the C locale, which is English too:
        // such a name is passed over rather than taken for English.
        if (locale.language() == QLocale::C)
            continue;
        if (locale.language() == QLocale::English)
            return {};
        auto own = std::make_unique<QTranslator>();
        if (!own->load(locale, QStringLiteral("tessaly"), QStringLiteral("_"), folder))
            continue;
        const QString name = QFileInfo(own->filePath()).completeBaseName().section(u'_', 1);
        QCoreApplication::installTranslator(own.get());
        gOwn = std::move(own);
        // Qt's catalogue of the same language, so that its dialogs and
        // buttons speak as the windows do.
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            gQt = std::move(qt);
        }
        return name;
    }
    return {};
}
