// SPDX-License-Identifier: GPL-3.0-or-later
// A small program that the single-instance tests start as real processes,
// one per role, on a session bus of their own.
//
//   single_instance_probe serve APPID
//       serves APPID; prints "serving" and the bus address, then "open URI" for every URI of
//       each Open call (with " main" when it arrived on the main thread)
//       and "activate" for an Activate call, after which it exits 0. It also
//       exits 0 when its standard input closes. An input line "stop" stops
//       taking hand-overs and prints "stopped" once that call returned;
//       "again" takes them again and prints "serving again".
//       Prints "not serving" and exits 3 when the name cannot be served.
//   single_instance_probe forward APPID [URI...]
//       forwards the URIs; prints "forwarded" and exits 0, or prints
//       "not forwarded" and exits 1.
#include "platform/desktop/SingleInstance.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace
{

void Say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A probe nobody stops must not outlive its test.
constexpr int kLifetimeMs = 60000;
constexpr int kNotServing = 3;
constexpr int kLeftOver = 4;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == u"serve") {
        QThread* mainThread = QThread::currentThread();
        const bool serving = platform::ServeAsPrimaryInstance(
            args[1],
            [mainThread](const QStringList& uris) {
                const bool onMain = QThread::currentThread() == mainThread;
                for (const QString& uri : uris)
                    Say(QStringLiteral("open ") + uri +
                        (onMain ? QStringLiteral(" main") : QStringLiteral(" other")));
            },
            [] {
                Say(QStringLiteral("activate"));
                QCoreApplication::exit(0);
            });
        if (!serving) {
            Say(QStringLiteral("not serving"));
            return kNotServing;
        }
        // The bus address lets the test start more probes on the same bus.
        Say(QStringLiteral("serving ") + qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
        std::thread([] {
            for (std::string line; std::getline(std::cin, line);) {
                if (line == "stop")
                    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
                        platform::StopTakingHandOvers();
                        Say(QStringLiteral("stopped"));
                    });
                else if (line == "again")
                    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
                        platform::TakeHandOversAgain();
                        Say(QStringLiteral("serving again"));
                    });
            }
            QMetaObject::invokeMethod(QCoreApplication::instance(),
                                      [] { QCoreApplication::exit(0); });
        }).detach();
        QTimer::singleShot(kLifetimeMs, [] { QCoreApplication::exit(kLeftOver); });
        return app.exec();
    }
    if (args.size() >= 2 && args[0] == u"forward") {
        const bool forwarded = platform::ForwardToRunningInstance(args[1], args.mid(2));
        Say(forwarded ? QStringLiteral("forwarded") : QStringLiteral("not forwarded"));
        return forwarded ? 0 : 1;
    }
    return 2; // not a use given above
}
