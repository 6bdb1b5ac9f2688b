// The application's rows: the windowed program and `tessaly --to` beside the
// engine loop, on the sets the engine rows use.
#include "AppRows.h"

#include "Corpus.h"
#include "Processes.h"
#include "Report.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>

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
        app.kill();
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

namespace
{

struct AppSet {
    QByteArray label;
    QByteArray sources;
    QByteArray extension;
    int repeats = 1;
};

struct AppRow {
    QByteArray set;
    QByteArray contender;
    double seconds = 0;    // best of the repeats
    double cpuSeconds = 0; // of the whole process, in that run
    int pictures = 0;
};

int gOutputs = 0;

} // namespace

int RunApplicationBenchmark(const QByteArray& self, const QByteArray& workFolder)
{
    const QByteArray work = QFileInfo(QString::fromUtf8(workFolder)).absoluteFilePath().toUtf8();
    const Programs programs = ProgramsBeside(self);
    Corpus corpus;
    if (!PrepareCorpus(work + "/corpus", &corpus))
        return 1;
    IsolateApplicationRuns(work);

    const std::vector<AppSet> sets = {
        {"(a) 200 640x480 PNG>JPEG", corpus.smallPngs, "jpg", 3},
        {"(b) 40 3000x2000 JPEG>WebP", corpus.cameraJpegs, "webp", 1},
    };
    const char* contenders[] = {"engine (ProcessFSRef loop)", "tessaly window, offscreen",
                                "tessaly --to"};
    std::vector<AppRow> rows;
    bool failed = false;
    std::fprintf(stderr, "Running the application\n");
    for (const AppSet& set : sets) {
        const int pictures = int(FilesIn(set.sources).size());
        std::vector<AppRow> setRows(3);
        for (int round = 0; round < set.repeats; ++round) {
            for (int which = 0; which < 3; ++which) {
                const QByteArray out = work + "/app-out/" + QByteArray::number(++gOutputs);
                RemoveTree(out);
                MakeFolders(out);
                double seconds = 0;
                bool succeeded = StoreSettings(programs, out, set.extension);
                const double cpuBefore = ChildrenCpuSeconds();
                if (succeeded && which == 0) {
                    const ProcessRun engine =
                        RunProcess({self, "engine", set.sources, out, set.extension});
                    succeeded = engine.succeeded;
                    seconds = ReportedSeconds(engine, 0);
                } else if (succeeded && which == 1) {
                    const WindowedRun app = RunWindowed(programs, set.sources, out, pictures);
                    succeeded = app.succeeded;
                    seconds = app.seconds;
                } else if (succeeded) {
                    const ProcessRun to = RunProcess({programs.tessaly, "--to", out, set.sources});
                    succeeded = to.succeeded;
                    seconds = to.seconds;
                }
                const double cpuSeconds = ChildrenCpuSeconds() - cpuBefore;
                succeeded = succeeded && int(FilesIn(out).size()) == pictures;
                if (!succeeded) {
                    std::fprintf(stderr, "%s on %s failed\n", contenders[which],
                                 set.label.constData());
                    failed = true;
                }
                AppRow& row = setRows[size_t(which)];
                if (round == 0 || seconds < row.seconds) {
                    row.seconds = seconds;
                    row.cpuSeconds = cpuSeconds;
                }
                RemoveTree(out);
            }
        }
        for (int which = 0; which < 3; ++which) {
            AppRow& row = setRows[size_t(which)];
            row.set = set.label;
            row.contender = contenders[which];
            row.pictures = pictures;
            std::fprintf(stderr, "  %-28s %-30s %8.3f s, processor %8.3f s\n", row.set.constData(),
                         row.contender.constData(), row.seconds, row.cpuSeconds);
            rows.push_back(row);
        }
    }

    // The large picture, to see whether the window keeps answering.
    const QByteArray out = work + "/app-out/large";
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

    std::printf("\nThe application end to end (best of the repeats; the engine loop's time\n"
                "excludes its process start-up, the application's includes it; processor\n"
                "time is the whole process's, start-up included, for all three)\n");
    std::printf("%-28s %-30s %8s %8s %9s %10s %9s\n", "set", "contender", "seconds", "pict/s",
                "x engine", "processor", "x engine");
    for (const AppRow& row : rows) {
        const AppRow& engine = *std::find_if(rows.begin(), rows.end(), [&](const AppRow& r) {
            return r.set == row.set && r.contender == contenders[0];
        });
        std::printf("%-28s %-30s %8.3f %8.2f %9.3f %10.3f %9.3f\n", row.set.constData(),
                    row.contender.constData(), row.seconds,
                    row.seconds > 0 ? row.pictures / row.seconds : 0.0,
                    engine.seconds > 0 ? row.seconds / engine.seconds : 0.0, row.cpuSeconds,
                    engine.cpuSeconds > 0 ? row.cpuSeconds / engine.cpuSeconds : 0.0);
    }
    QFile loadAverage(QStringLiteral("/proc/loadavg"));
    if (loadAverage.open(QIODevice::ReadOnly))
        std::printf("Load average of the machine at the end: %s",
                    loadAverage.readLine().constData());
    std::printf("(c) 12000x9000 PNG>JPEG, tessaly window, offscreen: %.3f s, longest "
                "event-loop gap %.0f ms\n",
                largeSeconds, longestGapMs);

    std::vector<Check> checks;
    for (size_t i = 0; i < rows.size(); i += 3) {
        for (size_t which = 1; which < 3; ++which)
            checks.push_back({rows[i].set.left(3) + " " + rows[i + which].contender + " / engine",
                              rows[i + which].seconds / rows[i].seconds, 1.2});
    }
    checks.push_back({"(c) longest event-loop gap in the window, ms", longestGapMs, 50});
    const bool pass = PrintChecks(checks);
    return failed ? 1 : pass ? 0 : 3;
}
