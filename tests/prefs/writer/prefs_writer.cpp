// A second process for the preference tests.
//
//   prefs_writer write <domain> <prefix> <count>
//       for i in [0, count): sets "<prefix>-<i>" = i and "<prefix>-last" = i,
//       then synchronises; exit status 2 when a synchronise fails.
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
        const QString& domain = args[1];
        const QString& prefix = args[2];
        const int count = args[3].toInt();
        for (int i = 0; i < count; ++i) {
            CFPreferencesSetAppValue(prefix + u'-' + QString::number(i), i, domain);
            CFPreferencesSetAppValue(prefix + QStringLiteral("-last"), i, domain);
            if (!CFPreferencesAppSynchronize(domain)) {
                std::fprintf(stderr, "synchronise %d failed\n", i);
                return 2;
            }
        }
        return 0;
    }
    if (args.size() >= 3 && args[0] == u"copy") {
        for (qsizetype i = 3; i < args.size(); ++i) {
            const QVariant value = CFPreferencesCopyAppValue(args[i], args[1]);
            if (!value.isValid()) {
                std::fprintf(stderr, "no value for \"%s\"\n", qPrintable(args[i]));
                return 3;
            }
            CFPreferencesSetAppValue(args[i], value, args[2]);
        }
        return CFPreferencesAppSynchronize(args[2]) ? 0 : 2;
    }
    std::fprintf(stderr, "usage: prefs_writer write <domain> <prefix> <count>\n"
                         "       prefs_writer copy <from> <to> <key>...\n");
    return 1;
}
