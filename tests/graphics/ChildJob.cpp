// The child side and the parent side of ChildJob.
#include "ChildJob.h"

#include "platform/graphics/GraphicsCore.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr uid_t kNobody = 65534;

QByteArray Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? QByteArray(value) : QByteArray();
}

[[noreturn]] void Report(OSErr status)
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %ld\n", int(status), long(usage.ru_maxrss));
    std::fflush(stdout);
    std::_Exit(0);
}

bool RunJobIfAsked()
{
    const QByteArray kind = Variable("TESSALY_GRAPHICS_JOB");
    if (kind.isEmpty())
        return false;
    if (Variable("TESSALY_JOB_UNPRIVILEGED") == "1" && ::geteuid() == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            std::_Exit(3);
    }
    if (const long long limit = Variable("TESSALY_JOB_FILE_LIMIT").toLongLong(); limit > 0) {
        // Over the limit write() fails with EFBIG instead of the signal
        // killing the process, as a full disk makes it fail with ENOSPC.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    }
    const QByteArray source = Variable("TESSALY_JOB_SOURCE");
    if (kind == "probe")
        Report(platform::ProbePicture(source));
    const OSType type = OSType(Variable("TESSALY_JOB_TYPE").toUInt());
    Report(platform::ExportPicture(source, Variable("TESSALY_JOB_OUTPUT"), type,
                                   codecHighQuality));
}

const bool gRanJob = RunJobIfAsked();

} // namespace

ChildResult RunChildJob(const ChildJob& job)
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("TESSALY_JOB", 0) != 0 &&
            std::string(*entry).rfind("TESSALY_GRAPHICS_JOB", 0) != 0)
            variables.emplace_back(*entry);
    }
    variables.push_back(std::string("TESSALY_GRAPHICS_JOB=") +
                        (job.kind == ChildJob::Kind::Probe ? "probe" : "export"));
    variables.push_back("TESSALY_JOB_SOURCE=" + job.source.toStdString());
    variables.push_back("TESSALY_JOB_OUTPUT=" + job.output.toStdString());
    variables.push_back("TESSALY_JOB_TYPE=" + std::to_string(job.exportType));
    variables.push_back("TESSALY_JOB_FILE_LIMIT=" + std::to_string(job.fileSizeLimit));
    variables.push_back(std::string("TESSALY_JOB_UNPRIVILEGED=") + (job.unprivileged ? "1" : "0"));
    std::vector<char*> envp;
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    char program[] = "/proc/self/exe";
    char* argv[] = {program, nullptr};

    ChildResult result;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execve(program, argv, envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        return result;
    }

    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(job.timeoutSeconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        pollfd readable{pipeFds[0], POLLIN, 0};
        if (::poll(&readable, 1, int(left.count())) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        output.append(buffer, size_t(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    int reportedStatus = 0;
    long peak = 0;
    if (!result.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
        std::sscanf(output.c_str(), "%d %ld", &reportedStatus, &peak) == 2) {
        result.finished = true;
        result.status = OSErr(reportedStatus);
        result.peakMemoryKiB = peak;
    }
    return result;
}
