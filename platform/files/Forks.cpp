// The table of open forks. Numbers start at 1 and the lowest free one is
// reused, as the old file manager did, so 0 never names an open fork.
#include "platform/files/Forks.h"

#include "platform/files/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace
{

struct OpenFork {
    int fd = -1;
    bool writable = false;
};

std::mutex gForkLock;
std::vector<OpenFork> gForks; // index refNum - 1

OpenFork* forkOf(SInt16 refNum)
{
    if (refNum < 1 || size_t(refNum) > gForks.size())
        return nullptr;
    OpenFork& fork = gForks[size_t(refNum) - 1];
    return fork.fd >= 0 ? &fork : nullptr;
}

} // namespace

OSErr FSOpenDataForkPath(const QByteArray& path, bool write, SInt16* refNum)
{
    if (!refNum || path.isEmpty())
        return paramErr;
    *refNum = 0;
    int fd;
    do {
        fd = ::open(path.constData(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno == ENOTDIR ? fnfErr : platform::StatusFromErrno(errno);

    std::lock_guard lock(gForkLock);
    size_t slot = 0;
    while (slot < gForks.size() && gForks[slot].fd >= 0)
        ++slot;
    if (slot >= size_t(std::numeric_limits<SInt16>::max())) {
        ::close(fd);
        return tmfoErr;
    }
    if (slot == gForks.size())
        gForks.emplace_back();
    gForks[slot] = OpenFork{fd, write};
    *refNum = SInt16(slot + 1);
    return noErr;
}

OSErr FSWrite(SInt16 refNum, long* count, const void* buffer)
{
    if (!count || *count < 0 || (*count > 0 && !buffer))
        return paramErr;
    int fd;
    {
        std::lock_guard lock(gForkLock);
        const OpenFork* fork = forkOf(refNum);
        if (!fork) {
            *count = 0;
            return rfNumErr;
        }
        if (!fork->writable) {
            *count = 0;
            return wrPermErr;
        }
        fd = fork->fd;
    }

    const auto* bytes = static_cast<const char*>(buffer);
    long written = 0;
    while (written < *count) {
        const ssize_t n = ::write(fd, bytes + written, size_t(*count - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            *count = written;
            return platform::StatusFromErrno(error);
        }
        written += long(n);
    }
    *count = written;
    return noErr;
}

OSErr FSCloseFork(SInt16 refNum)
{
    int fd;
    {
        std::lock_guard lock(gForkLock);
        OpenFork* fork = forkOf(refNum);
        if (!fork)
            return rfNumErr;
        fd = fork->fd;
        *fork = OpenFork{};
    }
    // The descriptor is released whatever close() reports; an error here
    // means data may not have reached the disk.
    return ::close(fd) == 0 ? noErr : platform::StatusFromErrno(errno);
}
