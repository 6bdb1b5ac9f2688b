// SPDX-License-Identifier: GPL-3.0-or-later
// Child processes with their resource use.
#include "Processes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

static const char kGnuTime[] = "/usr/bin/time";

namespace
{

double Seconds(const timeval& user, const timeval& system)
{
    return double(user.tv_sec + system.tv_sec) + double(user.tv_usec + system.tv_usec) / 1e6;
}

} // namespace

std::vector<QByteArray> WithPeakMemoryReport(const std::vector<QByteArray>& arguments,
                                             const QByteArray& reportPath)
{
    std::vector<QByteArray> command;
    if (QFile::exists(QString::fromUtf8(kGnuTime)))
        command = {kGnuTime, "-f", "%M", "-o", reportPath};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

long ReadPeakMemory(const QByteArray& reportPath)
{
    QFile report(QString::fromUtf8(reportPath));
    if (!report.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = report.readAll().trimmed().split('\n');
    return lines.isEmpty() ? 0 : lines.back().trimmed().toLong();
}

double ChildrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return Seconds(usage.ru_utime, usage.ru_stime);
}

ProcessRun RunProcess(const std::vector<QByteArray>& arguments, const QByteArray& workingFolder)
{
    ProcessRun run;
    QTemporaryFile report;
    report.open();
    const bool timed = QFile::exists(QString::fromUtf8(kGnuTime));
    const std::vector<QByteArray> command =
        WithPeakMemoryReport(arguments, report.fileName().toUtf8());
    std::vector<char*> argv;
    for (const QByteArray& argument : command)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (!workingFolder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.constData());

    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return run;
    }
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, got);
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    // The child's usage includes that of the children it reaped: with GNU
    // time between, the contender's.
    run.cpuSeconds = Seconds(usage.ru_utime, usage.ru_stime);
    run.peakMemoryKiB = timed ? ReadPeakMemory(report.fileName().toUtf8()) : usage.ru_maxrss;
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double ReportedSeconds(const ProcessRun& run, double fallback)
{
    const qsizetype at = run.output.indexOf("RESULT ");
    if (at < 0)
        return fallback;
    return run.output.mid(at + 7).trimmed().split('\n').front().toDouble();
}
