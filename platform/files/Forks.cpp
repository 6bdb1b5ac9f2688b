// SPDX-License-Identifier: GPL-3.0-or-later
// The table of open forks. Numbers start at 1 and the lowest free one is
// reused, as the old file manager did, so 0 never names an open fork.
#include "platform/files/Forks.h"

#include "platform/files/Files.h"
#include "platform/files/ItemAt.h"
#include "platform/files/RefTable.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

struct OpenFork {
    int fd = -1;
    bool readable = false;
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

// Puts an open descriptor in the table; closes it when no number is left.
OSErr addFork(const OpenFork& open, SInt16* refNum)
{
    std::lock_guard lock(gForkLock);
    size_t slot = 0;
    while (slot < gForks.size() && gForks[slot].fd >= 0)
        ++slot;
    if (slot >= size_t(std::numeric_limits<SInt16>::max())) {
        ::close(open.fd);
        return tmfoErr;
    }
    if (slot == gForks.size())
        gForks.emplace_back();
    gForks[slot] = open;
    *refNum = SInt16(slot + 1);
    return noErr;
}

// A copy of the fork's entry; rfNumErr when the number is not open.
OSErr lookUp(SInt16 refNum, OpenFork* fork)
{
    std::lock_guard lock(gForkLock);
    const OpenFork* open = forkOf(refNum);
    if (!open)
        return rfNumErr;
    *fork = *open;
    return noErr;
}

int openRetrying(int folder, const char* name, int flags)
{
    int fd;
    do {
        fd = ::openat(folder, name, flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// The absolute offset a position mode and offset stand for.
OSErr placeOf(int fd, UInt16 positionMode, SInt64 offset, SInt64* place)
{
    SInt64 base;
    switch (positionMode & ~noCacheMask) {
    case fsAtMark:
        offset = 0;
        [[fallthrough]];
    case fsFromMark:
        base = ::lseek(fd, 0, SEEK_CUR);
        break;
    case fsFromStart:
        base = 0;
        break;
    case fsFromLEOF: {
        struct stat st;
        base = ::fstat(fd, &st) == 0 ? SInt64(st.st_size) : -1;
        break;
    }
    default:
        return errFSBadPosMode;
    }
    if (base < 0)
        return platform::StatusFromErrno(errno);
    if (offset < 0 && -offset > base)
        return posErr;
    *place = base + offset;
    return noErr;
}

} // namespace

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar*, SInt8 permissions,
                 SInt16* forkRefNum)
{
    if (!ref || !forkRefNum || permissions < fsCurPerm || permissions > fsRdWrPerm)
        return paramErr;
    *forkRefNum = 0;
    if (forkNameLength != 0)
        return errFSForkNotFound;
    QByteArray path;
    struct stat st;
    if (OSErr err = platform::files::ResolveRef(*ref, &path, &st); err != noErr)
        return err;
    if (!S_ISREG(st.st_mode))
        return notAFileErr;

    // No following of links and no waiting on a FIFO put there meanwhile;
    // the descriptor must lead to the very item the reference names.
    const int common = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    const platform::files::ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    int fd = -1;
    bool readable = permissions != fsWrPerm;
    bool writable = permissions != fsRdPerm;
    if (permissions == fsCurPerm) {
        fd = openRetrying(at.folder(), at.name(), O_RDWR | common);
        if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            writable = false;
            fd = openRetrying(at.folder(), at.name(), O_RDONLY | common);
        }
    } else {
        const int mode = !writable ? O_RDONLY : !readable ? O_WRONLY : O_RDWR;
        fd = openRetrying(at.folder(), at.name(), mode | common);
    }
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? fnfErr : platform::StatusFromErrno(errno);
    struct stat opened;
    if (!platform::files::IsItemOfRef(*ref, fd, &opened) || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return fnfErr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return addFork(OpenFork{fd, readable, writable}, forkRefNum);
}

OSErr FSGetForkSize(SInt16 forkRefNum, SInt64* forkSize)
{
    if (!forkSize)
        return paramErr;
    *forkSize = 0;
    OpenFork fork;
    if (OSErr err = lookUp(forkRefNum, &fork); err != noErr)
        return err;
    struct stat st;
    if (::fstat(fork.fd, &st) != 0)
        return platform::StatusFromErrno(errno);
    *forkSize = SInt64(st.st_size);
    return noErr;
}

OSErr FSSetForkPosition(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset)
{
    OpenFork fork;
    if (OSErr err = lookUp(forkRefNum, &fork); err != noErr)
        return err;
    SInt64 place;
    if (OSErr err = placeOf(fork.fd, positionMode, positionOffset, &place); err != noErr)
        return err;
    struct stat st;
    if (::fstat(fork.fd, &st) != 0)
        return platform::StatusFromErrno(errno);
    if (place > SInt64(st.st_size))
        return eofErr;
    return ::lseek(fork.fd, place, SEEK_SET) < 0 ? platform::StatusFromErrno(errno) : noErr;
}

namespace
{

// Moves requestCount bytes between the fork and buffer at the given place
// with io (pread or pwrite), and leaves the mark after what was moved.
template <typename Io>
OSErr transfer(SInt16 forkRefNum, bool writing, UInt16 positionMode, SInt64 positionOffset,
               ByteCount requestCount, void* buffer, ByteCount* actualCount, Io io)
{
    if (actualCount)
        *actualCount = 0;
    if (requestCount > 0 && !buffer)
        return paramErr;
    OpenFork fork;
    if (OSErr err = lookUp(forkRefNum, &fork); err != noErr)
        return err;
    if (writing ? !fork.writable : !fork.readable)
        return writing ? wrPermErr : afpAccessDenied;
    SInt64 place;
    if (OSErr err = placeOf(fork.fd, positionMode, positionOffset, &place); err != noErr)
        return err;
    auto* bytes = static_cast<char*>(buffer);
    ByteCount done = 0;
    OSErr status = noErr;
    while (done < requestCount) {
        const ssize_t n = io(fork.fd, bytes + done, requestCount - done, place + SInt64(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing read is the end of the fork; nothing written, a fault.
            status = n < 0 ? platform::StatusFromErrno(errno) : writing ? ioErr : eofErr;
            break;
        }
        done += ByteCount(n);
    }
    ::lseek(fork.fd, place + SInt64(done), SEEK_SET);
    if (actualCount)
        *actualCount = done;
    return status;
}

} // namespace

OSErr FSReadFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                 ByteCount requestCount, void* buffer, ByteCount* actualCount)
{
    return transfer(forkRefNum, false, positionMode, positionOffset, requestCount, buffer,
                    actualCount, ::pread);
}

OSErr FSWriteFork(SInt16 forkRefNum, UInt16 positionMode, SInt64 positionOffset,
                  ByteCount requestCount, const void* buffer, ByteCount* actualCount)
{
    return transfer(
        forkRefNum, true, positionMode, positionOffset, requestCount, const_cast<void*>(buffer),
        actualCount,
        [](int fd, const void* b, size_t n, off_t at) { return ::pwrite(fd, b, n, at); });
}

OSErr FSOpenDataForkPath(const QByteArray& path, bool write, SInt16* refNum)
{
    if (!refNum || path.isEmpty())
        return paramErr;
    *refNum = 0;
    const int fd =
        openRetrying(AT_FDCWD, path.constData(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOTDIR ? fnfErr : platform::StatusFromErrno(errno);
    return addFork(OpenFork{fd, true, write}, refNum);
}

OSErr FSWrite(SInt16 refNum, long* count, const void* buffer)
{
    if (!count || *count < 0 || (*count > 0 && !buffer))
        return paramErr;
    OpenFork fork;
    if (OSErr err = lookUp(refNum, &fork); err != noErr || !fork.writable) {
        *count = 0;
        return err != noErr ? err : wrPermErr;
    }
    // Plain write() at the descriptor's own offset, so that pipes and
    // terminals work as well as files.
    const auto* bytes = static_cast<const char*>(buffer);
    long written = 0;
    while (written < *count) {
        const ssize_t n = ::write(fork.fd, bytes + written, size_t(*count - written));
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
