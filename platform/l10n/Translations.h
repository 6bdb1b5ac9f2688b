// SPDX-License-Identifier: GPL-3.0-or-later
// The user's language: Tessaly's compiled catalogues (tessaly_<language>.qm)
// and Qt's own for its dialogs, installed into the application. English is
// the language the texts are written in and needs no catalogue.
#pragma once

#include <QString>
#include <QStringList>

namespace platform
{

// The catalogues' folder inside the bundle (<bundle>/translations).
inline constexpr char kTranslationsFolderName[] = "translations";

// The user's languages, most wanted first, as the desktop gives them:
// LANGUAGE's list, else the locale of LC_ALL, LC_MESSAGES or LANG.
QStringList UserLanguages();

// Installs the catalogues of the first of languages that folder has one
// for, with Qt's own catalogue of that language where Qt has one; stops at
// English, the texts' own language, so that "en:de" stays English. Takes
// back what an earlier call installed. Gives the language whose catalogue
// was installed, as its catalogue names it ("de", "zh_CN"), or an empty
// string when the texts stay English.
QString InstallTranslations(const QString& folder, const QStringList& languages = UserLanguages());

} // namespace platform
