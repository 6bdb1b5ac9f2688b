// SPDX-License-Identifier: GPL-3.0-or-later
// Every setting of the program: its key in the preference domain, the kind of
// value it holds and its default. A stored value of another kind counts as
// absent. The readers go back to the store every time, so a change applies
// from the next read. Adding a setting is one entry below and its reader.
#pragma once

#include "platform/files/Files.h"
#include "platform/graphics/Graphics.h"

#include <QString>
#include <QVariant>

#include <array>

using CFStringRef = QString;

enum class SettingKind { Boolean, Data, String, Integer };

struct Setting {
    QString key;
    SettingKind kind;
    QVariant defaultValue; // invalid: no value
    bool synchronizeBeforeRead;
    // An Integer outside least..most counts as absent.
    qint64 least = 0;
    qint64 most = 0;
};

// Whether to say goodbye and quit one second after a batch.
inline const Setting kQuitWhenDoneSetting{QStringLiteral("QuitWhenDone"), SettingKind::Boolean,
                                          true, true};
// Whether outputs go to the stored copy-to folder.
inline const Setting kCopyToSetting{QStringLiteral("CopyTo"), SettingKind::Boolean, false, true};
// The copy-to folder: an alias record made without a relative path.
inline const Setting kCopyToLocationSetting{QStringLiteral("CopyToLocation"), SettingKind::Data,
                                            QVariant(), true};
// The output format, by its extension as the exporter catalogue spells it;
// without it, the first catalogue entry's.
inline const Setting kLastImageURLExtensionSetting{QStringLiteral("Last ImageURL Extension"),
                                                   SettingKind::String, QVariant(), false};

// The output quality on the platform's scale (0..1024, 1024 lossless);
// without it, 768, the level every output had before there was a choice.
inline const Setting kQualitySetting{
    QStringLiteral("Quality"), SettingKind::Integer, 768, false, 0, 1024};
// Whether outputs leave out where photos were taken.
inline const Setting kStripLocationSetting{QStringLiteral("StripLocation"), SettingKind::Boolean,
                                           false, false};

inline const std::array<const Setting*, 6> kAllSettings{
    &kQuitWhenDoneSetting,          &kCopyToSetting,  &kCopyToLocationSetting,
    &kLastImageURLExtensionSetting, &kQualitySetting, &kStripLocationSetting};

// The stored value when it is of the setting's kind, else its default.
QVariant ReadSetting(const Setting& setting);
// Stores the value and synchronises the store at once.
void WriteSetting(const Setting& setting, const QVariant& value);

Boolean QuitWhenDone();
Boolean CopyTo();
// True when the stored copy-to folder resolves; folder names it then.
Boolean GetCopyToLocation(FSRef& folder);
// The stored output extension; a null string when none is stored.
CFStringRef StoredExportExtension();
// The output extension to use: the stored one, else the first catalogue
// entry's; a null string when there is neither.
CFStringRef ChosenExportExtension();
// What an export of exportType is asked for, from the settings as they are
// now: its quality and whether location data is left out.
ExportOptions ChosenExportOptions(OSType exportType);
