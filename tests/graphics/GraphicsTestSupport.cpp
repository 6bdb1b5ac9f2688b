// SPDX-License-Identifier: GPL-3.0-or-later
// Shared pieces of the graphics tests, and their main(): a copy of this
// program started with a job does it instead of running the tests. The job
// waits for main() because the library's globals are ready only then.
#include "GraphicsTestSupport.h"

#include "platform/graphics/PictureFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace
{

constexpr const char* kChildFlag = "--graphics-child-job";

int RunJob(char** argv)
{
    ::alarm(60);
    if (std::strcmp(argv[5], "1") == 0 && ::geteuid() == 0 &&
        (::setgid(65534) != 0 || ::setuid(65534) != 0))
        return 3;
    if (const long long limit = std::atoll(argv[6]); limit > 0) {
        // Over the limit write() fails with EFBIG, as a full disk makes it
        // fail with ENOSPC, instead of the signal killing the process.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit fileSize{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
    }
    const OSType type = OSType(std::strtoul(argv[4], nullptr, 10));
    const OSErr status = type ? platform::ExportPicture(argv[2], argv[3], {type, codecHighQuality})
                              : platform::ProbePicture(argv[2]);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%d %ld\n", int(status), long(usage.ru_maxrss));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::strcmp(argv[1], kChildFlag) == 0)
        return RunJob(argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

ChildResult RunChildJob(const ChildJob& job)
{
    if (job.unprivileged)
        testsupport::ShareLeakSuppressions();
    const QByteArray command =
        "exec " + QFile::symLinkTarget("/proc/self/exe").toUtf8() + " " + kChildFlag + " '" +
        job.source + "' '" + job.output + "' " + QByteArray::number(job.exportType) +
        (job.unprivileged ? " 1 " : " 0 ") + QByteArray::number(job.fileSizeLimit);
    ChildResult result;
    std::fflush(nullptr);
    FILE* child = ::popen(command.constData(), "r");
    const bool reported =
        child && std::fscanf(child, "%hd %ld", &result.status, &result.peakMemoryKiB) == 2;
    const int status = child ? ::pclose(child) : -1;
    result.timedOut = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    result.finished = reported && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

pid_t StartChildJob(const ChildJob& job)
{
    if (job.unprivileged)
        testsupport::ShareLeakSuppressions();
    const QByteArray program = QFile::symLinkTarget("/proc/self/exe").toUtf8();
    const QByteArray type = QByteArray::number(job.exportType);
    const QByteArray limit = QByteArray::number(job.fileSizeLimit);
    const char* arguments[] = {program.constData(),    kChildFlag,
                               job.source.constData(), job.output.constData(),
                               type.constData(),       job.unprivileged ? "1" : "0",
                               limit.constData(),      nullptr};
    pid_t child = -1;
    std::fflush(nullptr);
    if (::posix_spawn(&child, program.constData(), nullptr, nullptr,
                      const_cast<char* const*>(arguments), environ) != 0)
        return -1;
    return child;
}

int OpenDescriptors()
{
    // The count includes the descriptor that reads the list, every time.
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System).size());
}

QByteArray WithGarbageInside(QByteArray bytes)
{
    for (qsizetype i = bytes.size() * 55 / 100, end = std::min(i + 512, bytes.size()); i < end; ++i)
        bytes[i] = char(i * 7919 % 251);
    return bytes;
}

QByteArray PngClaimingSize(QByteArray png, quint32 width, quint32 height)
{
    // Signature (8), IHDR length and type (8), then width and height; the
    // checksum covers the type and the 13 bytes of data.
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    const auto crc = ::crc32(0, reinterpret_cast<const Bytef*>(png.constData() + 12), 17);
    qToBigEndian(quint32(crc), png.data() + 29);
    return png;
}
