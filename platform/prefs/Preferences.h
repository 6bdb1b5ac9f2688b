// SPDX-License-Identifier: GPL-3.0-or-later
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
// Other value types are stored in the kind a file gives back: every integer
// type as qint64, float as double, dates in UTC, QStringList as an array,
// QVariantHash as a dictionary. Values a file cannot carry (other types, text
// with characters XML cannot hold, nesting deeper than 256) are refused and
// leave the stored value as it was.
//
// Set changes this process's view at once; Synchronize writes pending
// changes atomically under a lock, merged over what other processes wrote,
// and makes their changes visible here. A user's file that cannot be read as
// a property list reads as empty and is renamed aside
// ("<domain>.plist.corrupt-<UTC time>") before anything is written over it.
//
// The locations are read from the environment at every call; caches are per
// file, so pending changes belong to the file they were made for. All calls
// may be made from any thread.
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
// The user's file of the domain, where Set values are written; empty for a
// domain that cannot name a file.
QString PreferencesFilePath(const QString& applicationID);
// Writes pending changes and reloads; false when the file could not be written.
bool CFPreferencesAppSynchronize(const QString& applicationID);
