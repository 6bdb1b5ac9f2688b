// Reading and writing the settings in the application's preference domain.
#include "app/engine/Settings.h"

#include "platform/prefs/Preferences.h"

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
    }
    return false;
}

} // namespace

QVariant ReadSetting(const Setting& setting)
{
    if (setting.synchronizeBeforeRead)
        CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
    const QVariant stored =
        CFPreferencesCopyAppValue(setting.key, kCFPreferencesCurrentApplication);
    return isOfKind(stored, setting.kind) ? stored : setting.defaultValue;
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
