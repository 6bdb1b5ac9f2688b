// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the settings in the application's preference domain.
#include "app/engine/Settings.h"

#include "app/engine/ExporterCatalogue.h"
#include "platform/prefs/Preferences.h"

#include <limits>

namespace
{

bool isOfKind(const QVariant& value, SettingKind kind)
{
    switch (kind) {
    case SettingKind::Boolean:
        return value.typeId() == QMetaType::Bool;
    case SettingKind::Data:
        return value.typeId() == QMetaType::QByteArray;
    case SettingKind::String:
        return value.typeId() == QMetaType::QString;
    case SettingKind::Integer:
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return true;
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            return value.toULongLong() <= quint64(std::numeric_limits<qint64>::max());
        default:
            return false;
        }
    }
    return false;
}

bool isWithinRange(const QVariant& value, const Setting& setting)
{
    return setting.kind != SettingKind::Integer ||
           (value.toLongLong() >= setting.least && value.toLongLong() <= setting.most);
}

} // namespace

QVariant ReadSetting(const Setting& setting)
{
    if (setting.synchronizeBeforeRead)
        CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
    const QVariant stored =
        CFPreferencesCopyAppValue(setting.key, kCFPreferencesCurrentApplication);
    return isOfKind(stored, setting.kind) && isWithinRange(stored, setting) ? stored
                                                                            : setting.defaultValue;
}

void WriteSetting(const Setting& setting, const QVariant& value)
{
    CFPreferencesSetAppValue(setting.key, value, kCFPreferencesCurrentApplication);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
}

Boolean QuitWhenDone()
{
    return ReadSetting(kQuitWhenDoneSetting).toBool();
}

Boolean CopyTo()
{
    return ReadSetting(kCopyToSetting).toBool();
}

Boolean GetCopyToLocation(FSRef& folder)
{
    const QByteArray alias = ReadSetting(kCopyToLocationSetting).toByteArray();
    if (alias.isEmpty())
        return false;
    Boolean changed = false;
    // A folder found moved is used where it is now; the record is not rewritten.
    return FSResolveAliasBytes(alias, &folder, &changed) == noErr;
}

CFStringRef StoredExportExtension()
{
    const QVariant stored = ReadSetting(kLastImageURLExtensionSetting);
    return stored.isValid() ? stored.toString() : QString();
}

CFStringRef ChosenExportExtension()
{
    const QString stored = StoredExportExtension();
    if (!stored.isNull())
        return stored;
    GetExportTypes();
    if (gNumberExporters <= 0)
        return {};
    return gTheExporters[0].extensionRef;
}

ExportOptions ChosenExportOptions(OSType exportType)
{
    ExportOptions options;
    options.exportType = exportType;
    options.quality = CodecQ(ReadSetting(kQualitySetting).toLongLong());
    options.stripLocation = ReadSetting(kStripLocationSetting).toBool();
    return options;
}
