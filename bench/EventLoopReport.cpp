// SPDX-License-Identifier: GPL-3.0-or-later
// The benchmark's measuring hook in the program, linked into tessaly by
// bench/CMakeLists.txt. With TESSALY_REPORT_EVENT_LOOP set, a 2 ms timer on
// the main thread measures the time between two of its firings, that is
// between two turns of the event loop that serve timers, and writes
// "tessaly: longest event-loop gap: N ms" to standard error each time the
// longest grows. (The program ends with _Exit after its goodbye, so nothing
// can be written at exit; the last such line is the result.) Start-up, before
// the loop first turns, is not counted. Without the variable nothing happens.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace
{

void StartEventLoopReport()
{
    if (qEnvironmentVariableIsEmpty("TESSALY_REPORT_EVENT_LOOP"))
        return;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(2);
    auto sinceLastTurn = std::make_shared<QElapsedTimer>();
    auto longest = std::make_shared<qint64>(0);
    QObject::connect(timer, &QTimer::timeout, [sinceLastTurn, longest] {
        if (!sinceLastTurn->isValid()) {
            sinceLastTurn->start();
            return;
        }
        const qint64 gap = sinceLastTurn->restart();
        if (gap > *longest) {
            *longest = gap;
            std::fprintf(stderr, "tessaly: longest event-loop gap: %lld ms\n", (long long)gap);
        }
    });
    timer->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartEventLoopReport)
