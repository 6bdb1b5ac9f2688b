// SPDX-License-Identifier: GPL-3.0-or-later
// The application's rows: the windowed program and `tessaly --to` beside the
// engine loop, on the sets the engine rows use.
#include "AppRows.h"

#include "Contenders.h"
#include "Corpus.h"
#include "Measure.h"
#include "Processes.h"
#include "Report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

constexpr int kLongestRunMs = 30 * 60 * 1000;

// Whether the folder holds count finished outputs: a claimed name stays empty
// until its picture is renamed over it, and temporary files are hidden.
bool OutputsComplete(const QString& folder, int count)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot);
    if (names.size() != count)
        return false;
    return std::none_of(names.begin(), names.end(), [&](const QString& name) {
        return QFileInfo(dir.filePath(name)).size() == 0;
    });
}

} // namespace

Programs ProgramsBeside(const QByteArray& self)
{
    const QByteArray bin = self.left(self.lastIndexOf('/'));
    return {self, bin + "/tessaly", bin + "/tessaly_store_settings"};
}

void IsolateApplicationRuns(const QByteArray& work)
{
    const QByteArray config = work + "/app-config";
    RemoveTree(config);
    MakeFolders(config);
    qputenv("XDG_CONFIG_HOME", config);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessaly-bench-bus");
    qunsetenv("TESSALY_REPORT_EVENT_LOOP");
}

bool StoreSettings(const Programs& programs, const QByteArray& out, const QByteArray& extension)
{
    QProcess store;
    store.start(QString::fromUtf8(programs.storeSettings),
                {QString::fromUtf8(out), QString::fromUtf8(extension)});
    return store.waitForFinished(60000) && store.exitStatus() == QProcess::NormalExit &&
           store.exitCode() == 0;
}

WindowedRun RunWindowed(const Programs& programs, const QByteArray& sources, const QByteArray& out,
                        int count, const std::vector<std::pair<QString, QString>>& environment)
{
    WindowedRun run;
    QProcess app;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment)
        variables.insert(name, value);
    app.setProcessEnvironment(variables);
    QTemporaryFile report;
    report.open();
    QStringList command;
    for (const QByteArray& argument :
         WithPeakMemoryReport({programs.tessaly, sources}, report.fileName().toUtf8()))
        command.push_back(QString::fromUtf8(argument));
    // In a process group of its own, so that a run that hangs is ended
    // with GNU time and all.
    app.setChildProcessModifier([] { ::setpgid(0, 0); });
    const double cpuBefore = ChildrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    app.start(command.front(), command.mid(1));
    if (!app.waitForStarted())
        return run;
    bool complete = false;
    while (!(complete = OutputsComplete(QString::fromUtf8(out), count))) {
        if (app.waitForFinished(5) || clock.elapsed() > kLongestRunMs)
            break;
    }
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!app.waitForFinished(60000)) {
        ::kill(-pid_t(app.processId()), SIGKILL);
        app.waitForFinished();
        complete = false;
    }
    run.errors = app.readAllStandardError();
    if (!complete)
        run.errors += "\nthe outputs were not complete\n";
    run.succeeded = complete && app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0;
    run.cpuSeconds = ChildrenCpuSeconds() - cpuBefore;
    run.peakMemoryKiB = ReadPeakMemory(report.fileName().toUtf8());
    return run;
}

int RunApplicationBenchmark(const QByteArray& self, const QByteArray& workFolder)
{
    const QByteArray work = QFileInfo(QString::fromUtf8(workFolder)).absoluteFilePath().toUtf8();
    const Programs programs = ProgramsBeside(self);
    Corpus corpus;
    if (!PrepareCorpus(work + "/corpus", &corpus))
        return 1;
    IsolateApplicationRuns(work);

    const std::vector<Contender> contenders = {Engine(self, "engine (ProcessFSRef loop)"),
                                               Window(programs), ToFolder(programs)};
    std::vector<Row> rows;
    std::vector<Check> checks;
    bool failed = false;
    std::fprintf(stderr, "Running the application\n");
    for (const auto& [set, repeats] :
         {std::pair{Describe("(a) 200 640x480 PNG>JPEG", corpus.smallPngs, "jpg"), 3},
          {Describe("(b) 40 3000x2000 JPEG>WebP", corpus.cameraJpegs, "webp"), 1}}) {
        std::vector<Row> timed = Measure(work, set, contenders, repeats);
        for (Row& row : timed) {
            row.floorSeconds = timed[0].seconds;
            failed = failed || row.failed;
            if (&row != &timed[0])
                checks.push_back({set.label.left(3) + " " + row.contender + " / engine",
                                  row.seconds / timed[0].seconds, 1.2});
        }
        rows.insert(rows.end(), timed.begin(), timed.end());
    }

    // The large picture, to see whether the window keeps answering.
    const QByteArray out = work + "/out/large";
    RemoveTree(out);
    MakeFolders(out);
    double longestGapMs = -1;
    double largeSeconds = 0;
    if (StoreSettings(programs, out, "jpg")) {
        const WindowedRun large =
            RunWindowed(programs, corpus.hugePng, out, int(FilesIn(corpus.hugePng).size()),
                        {{QStringLiteral("TESSALY_REPORT_EVENT_LOOP"), QStringLiteral("1")}});
        largeSeconds = large.seconds;
        const QRegularExpression report(QStringLiteral("longest event-loop gap: (\\d+) ms"));
        for (auto match = report.globalMatch(QString::fromUtf8(large.errors)); match.hasNext();)
            longestGapMs = match.next().captured(1).toDouble();
        if (!large.succeeded || longestGapMs < 0) {
            std::fprintf(stderr, "the large picture's run failed or reported no gap\n%s",
                         large.errors.constData());
            failed = true;
        }
    }
    RemoveTree(out);

    PrintTable("The application end to end (best of the repeats; the engine loop's time\n"
               "excludes its process start-up, the application's includes it; CPU s is the\n"
               "whole process's, start-up included, for all three)",
               rows, "x engine");
    PrintLoadAverage();
    std::printf("(c) 12000x9000 PNG>JPEG, tessaly window, offscreen: %.3f s, longest "
                "event-loop gap %.0f ms\n",
                largeSeconds, longestGapMs);

    checks.push_back({"(c) longest event-loop gap in the window, ms", longestGapMs, 50});
    const bool pass = PrintChecks(checks);
    return failed ? 1 : pass ? 0 : 3;
}
