// SPDX-License-Identifier: GPL-3.0-or-later
// A second process for the preference tests.
//
//   prefs_writer write <domain> <prefix> <count>
//       for i in [0, count): sets "<prefix>-<i>" = i and "<prefix>-last" = i,
//       then synchronises; exit status 2 when a synchronise fails.
//   prefs_writer fill <domain> <bytes>
//       rewrites the key "blob" with <bytes> bytes, again and again, until
//       killed.
//   prefs_writer copy <from> <to> <key>...
//       copies each key's value from one domain to the other and
//       synchronises; exit status 3 when a key is absent.
#include "platform/prefs/Preferences.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.size() == 4 && args[0] == u"write") {
        for (int i = 0; i < args[3].toInt(); ++i) {
            CFPreferencesSetAppValue(args[2] + u'-' + QString::number(i), i, args[1]);
            CFPreferencesSetAppValue(args[2] + QStringLiteral("-last"), i, args[1]);
            if (!CFPreferencesAppSynchronize(args[1]))
                return 2;
        }
        return 0;
    }
    if (args.size() == 3 && args[0] == u"fill") {
        for (int i = 0;; ++i) {
            CFPreferencesSetAppValue(QStringLiteral("blob"),
                                     QByteArray(args[2].toInt(), char('a' + i % 26)), args[1]);
            if (!CFPreferencesAppSynchronize(args[1]))
                return 2;
        }
    }
    if (args.size() >= 3 && args[0] == u"copy") {
        for (const QString& key : args.mid(3)) {
            const QVariant value = CFPreferencesCopyAppValue(key, args[1]);
            if (!value.isValid())
                return std::fprintf(stderr, "no value for \"%s\"\n", qPrintable(key)), 3;
            CFPreferencesSetAppValue(key, value, args[2]);
        }
        return CFPreferencesAppSynchronize(args[2]) ? 0 : 2;
    }
    return 1; // not a use given above
}
