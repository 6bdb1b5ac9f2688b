// SPDX-License-Identifier: GPL-3.0-or-later
// Writing an export beside its output file and putting it in place.
#include "TemporaryOutput.h"

#include "VipsSupport.h"
#include "platform/files/FolderIndex.h"
#include "platform/files/ItemAt.h"
#include "platform/files/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace platform::graphics
{

namespace
{

// The permissions a new file gets from this process: 0666 less the umask.
// umask() can only be read by changing it, which other threads would see,
// so it is read from the kernel's status page instead.
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return 0666 & ~mode_t(std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

constexpr char kPrefix[] = ".tessaly-";

// The owner's process id when name is a temporary export file's
// (".tessaly-<pid>-" and six characters of mkstemp's), else 0.
pid_t OwnerOf(const char* name)
{
    const size_t prefixLength = sizeof kPrefix - 1;
    if (std::strncmp(name, kPrefix, prefixLength) != 0)
        return 0;
    const char* digits = name + prefixLength;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(digits, &end, 10);
    if (!std::isdigit(static_cast<unsigned char>(*digits)) || errno || pid <= 0 || *end != '-' ||
        std::strlen(end + 1) != 6)
        return 0;
    return pid_t(pid);
}

bool IsGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Creates a new file in folder named prefix and six random letters or
// digits, as mkostemp does with a path, but relative to the folder's
// descriptor so that the folder may lie at any depth. Gives its descriptor
// (owner-only permissions, as mkostemp's) and the name chosen, or -1 with
// errno set.
int CreateUniqueAt(int folder, const QByteArray& prefix, QByteArray* name)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ std::uint64_t(::getpid())};
    std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = prefix;
        for (int i = 0; i < 6; ++i)
            candidate += kLetters[pick(random)];
        const int fd =
            ::openat(folder, candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            *name = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// Removes the temporary files of exporters that died before they could,
// once per folder and process: later leftovers in the same folder can only
// come from processes that die while this one runs, and the next run of the
// program clears them. folder is a descriptor of the folder at path. A
// folder is known by its birth time besides its inode number, which the
// file system gives again to a folder made after one was removed.
void ClearLeftoversOnce(int folder, const QByteArray& path)
{
    static std::mutex lock;
    static std::set<std::tuple<dev_t, ino_t, long long>> cleared;
    struct statx info;
    if (::statx(folder, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &info) != 0)
        return;
    const long long born = info.stx_mask & STATX_BTIME
                               ? info.stx_btime.tv_sec * 1000000000LL + info.stx_btime.tv_nsec
                               : 0;
    {
        std::lock_guard guard(lock);
        if (!cleared.insert({makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino, born})
                 .second)
            return;
    }
    const int readable = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (readable < 0)
        return;
    DIR* listing = ::fdopendir(readable);
    if (!listing) {
        ::close(readable);
        return;
    }
    std::vector<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(listing)) {
        const pid_t owner = OwnerOf(entry->d_name);
        if (owner && owner != ::getpid() && IsGone(owner))
            leftovers.emplace_back(entry->d_name);
    }
    ::closedir(listing);
    for (const QByteArray& name : leftovers) {
        files::OwnFolderChange change(path);
        if (::unlinkat(folder, name.constData(), 0) == 0)
            change.removed(name);
    }
}

} // namespace

TemporaryOutput::TemporaryOutput(const QByteArray& outputPath)
    : m_folderPath(files::ParentOf(outputPath)), m_outputName(files::LastComponent(outputPath))
{
    if (!outputPath.contains('/'))
        m_folderPath = ".";
}

TemporaryOutput::~TemporaryOutput()
{
    if (m_target.get_target())
        g_signal_handlers_disconnect_by_data(m_target.get_target(), this);
    if (!m_committed)
        Discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

OSErr TemporaryOutput::Create()
{
    // Everything from here on is relative to the folder's descriptor, so
    // that a destination deeper than any path works as a shallow one.
    m_folder = files::OpenFolder(m_folderPath, O_PATH);
    if (m_folder < 0)
        return StatusFromFileError(errno);
    ClearLeftoversOnce(m_folder, m_folderPath);
    // Through the folder index, so that a batch writing into a large folder
    // does not make every later name look-up read the whole folder again.
    files::OwnFolderChange change(m_folderPath);
    const QByteArray prefix = kPrefix + QByteArray::number(qint64(::getpid())) + '-';
    const int fd = CreateUniqueAt(m_folder, prefix, &m_temporaryName);
    if (fd < 0)
        return StatusFromFileError(errno);
    change.added(m_temporaryName);
    m_fd = fd;

    VipsTargetCustom* custom = vips_target_custom_new();
    g_signal_connect(custom, "write", G_CALLBACK(OnWrite), this);
    g_signal_connect(custom, "read", G_CALLBACK(OnRead), this);
    g_signal_connect(custom, "seek", G_CALLBACK(OnSeek), this);
    g_signal_connect(custom, "end", G_CALLBACK(OnEnd), this);
    m_target = vips::VTarget(VIPS_TARGET(custom));
    return noErr;
}

OSErr TemporaryOutput::WriteStatus() const
{
    return StatusFromFileError(m_writeError);
}

OSErr TemporaryOutput::Commit(UInt64* size)
{
    if (m_fd < 0)
        return paramErr;
    if (vips_target_end(m_target.get_target()) != 0) {
        TakeVipsError();
        return m_writeError ? WriteStatus() : ioErr;
    }
    // The output keeps the permissions a new file gets (the claimed output
    // file was made that way), not mkstemp's owner-only ones.
    //
    // No fsync before the rename: what is guarded against is a failed
    // export, not a power cut, and on ext4 a rename over an existing file
    // already flushes the new data first. Measured, the fsync cost 10-15% on
    // small pictures.
    struct stat info;
    if (::fchmod(m_fd, NewFileMode()) != 0 || ::fstat(m_fd, &info) != 0)
        return StatusFromFileError(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return StatusFromFileError(errno);
    files::OwnFolderChange change(m_folderPath);
    if (::renameat(m_folder, m_temporaryName.constData(), m_folder, m_outputName.constData()) != 0)
        return StatusFromFileError(errno);
    change.removed(m_temporaryName);
    m_committed = true;
    if (size)
        *size = UInt64(info.st_size);
    return noErr;
}

void TemporaryOutput::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryName.isEmpty()) {
        files::OwnFolderChange change(m_folderPath);
        if (::unlinkat(m_folder, m_temporaryName.constData(), 0) == 0)
            change.removed(m_temporaryName);
    }
}

gint64 TemporaryOutput::OnWrite(VipsTargetCustom*, const void* data, gint64 length, void* self)
{
    auto* output = static_cast<TemporaryOutput*>(self);
    const char* bytes = static_cast<const char*>(data);
    gint64 left = length;
    while (left > 0) {
        const ssize_t written = ::write(output->m_fd, bytes, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (!output->m_writeError)
                output->m_writeError = errno;
            return -1;
        }
        bytes += written;
        left -= written;
    }
    return length;
}

gint64 TemporaryOutput::OnRead(VipsTargetCustom*, void* buffer, gint64 length, void* self)
{
    auto* output = static_cast<TemporaryOutput*>(self);
    ssize_t got;
    do {
        got = ::read(output->m_fd, buffer, size_t(length));
    } while (got < 0 && errno == EINTR);
    return got;
}

gint64 TemporaryOutput::OnSeek(VipsTargetCustom*, gint64 offset, int whence, void* self)
{
    return ::lseek(static_cast<TemporaryOutput*>(self)->m_fd, off_t(offset), whence);
}

int TemporaryOutput::OnEnd(VipsTargetCustom*, void*)
{
    return 0;
}

} // namespace platform::graphics
