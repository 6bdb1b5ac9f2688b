// The per-application preference store. One XML property list per domain:
// the user's in $XDG_CONFIG_HOME/<domain>.plist (default ~/.config), the
// all-users fallback in the first $XDG_CONFIG_DIRS folder that has one
// (default /etc/xdg). Values keep their kind:
//
//   Boolean     QMetaType::Bool         <true/> <false/>
//   integer     QMetaType::LongLong     <integer>
//   real        QMetaType::Double       <real>
//   string      QMetaType::QString      <string>
//   data        QMetaType::QByteArray   <data> (base64)
//   date        QMetaType::QDateTime    <date>
//   array       QMetaType::QVariantList <array>
//   dictionary  QMetaType::QVariantMap  <dict>
//
// Set changes this process's view at once; Synchronize writes pending
// changes atomically under a lock, merged over what other processes wrote,
// and makes their changes visible here.
#pragma once

#include <QString>
#include <QVariant>

using CFStringRef = QString;
using CFPropertyListRef = QVariant;

// Stands for the running application's own domain.
extern const QString kCFPreferencesCurrentApplication;

// The domain that kCFPreferencesCurrentApplication names; "com.quorvane.Tessaly"
// unless a program sets another.
void CFPreferencesSetCurrentApplicationID(const QString& applicationID);
QString CFPreferencesCurrentApplicationID();

// The user's value of key, else the all-users value; an invalid QVariant when
// neither exists.
QVariant CFPreferencesCopyAppValue(const QString& key, const QString& applicationID);
// Stores value for the current user; an invalid QVariant removes the key.
void CFPreferencesSetAppValue(const QString& key, const QVariant& value,
                              const QString& applicationID);
// Writes pending changes and reloads; false when the file could not be written.
bool CFPreferencesAppSynchronize(const QString& applicationID);
