// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers shared by the test programs.
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <map>
#include <mutex>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace testsupport
{

namespace
{
constexpr uid_t kNobody = 65534;
}

TempFolder::TempFolder()
{
    QByteArray templ = QDir::tempPath().toUtf8() + "/tessaly-test-XXXXXX";
    if (::mkdtemp(templ.data()))
        m_path = templ;
    ::chmod(m_path.constData(), 0777);
}

namespace
{

// Removes the entry name of the open folder parent and everything in it,
// through descriptors, so that trees deeper than any path can be are
// removed too. Folders are opened up first so that removal can reach in.
void removeTree(int parent, const char* name)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return;
    ::fchmodat(parent, name, 0700, 0);
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        if (DIR* dir = ::fdopendir(fd)) {
            std::vector<QByteArray> names;
            while (dirent* e = ::readdir(dir)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    names.emplace_back(e->d_name);
            }
            for (const QByteArray& entry : names)
                removeTree(dirfd(dir), entry.constData());
            ::closedir(dir);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

// Opens the folder at the end of components below base, making the missing
// ones when make is set; -1 on failure.
int openDeepFolder(const QByteArray& base, const std::vector<QByteArray>& components, bool make)
{
    int fd = ::open(base.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray& name : components) {
        if (fd < 0)
            return -1;
        if (make)
            ::mkdirat(fd, name.constData(), 0777);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

} // namespace

TempFolder::~TempFolder()
{
    if (m_path.isEmpty())
        return;
    removeTree(AT_FDCWD, m_path.constData());
}

bool WriteDeepFile(const QByteArray& base, const std::vector<QByteArray>& folders,
                   const QByteArray& name, const QByteArray& bytes)
{
    const int folder = openDeepFolder(base, folders, true);
    if (folder < 0)
        return false;
    const int fd =
        ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(folder);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return ok;
}

QByteArray ReadDeepFile(const QByteArray& base, const std::vector<QByteArray>& folders,
                        const QByteArray& name)
{
    QByteArray out;
    const int folder = openDeepFolder(base, folders, false);
    if (folder < 0)
        return out;
    const int fd = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    ::close(folder);
    if (fd < 0)
        return out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

std::vector<QByteArray> ListDeepFolder(const QByteArray& base,
                                       const std::vector<QByteArray>& folders)
{
    std::vector<QByteArray> names;
    const int folder = openDeepFolder(base, folders, false);
    if (folder < 0)
        return names;
    if (DIR* dir = ::fdopendir(folder)) {
        while (dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    } else {
        ::close(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<QByteArray> DeepFolderNames(const char* label)
{
    std::vector<QByteArray> names;
    for (int level = 0; level < 45; ++level)
        names.push_back((label + QByteArray::number(level) + ' ').leftJustified(200, 'd'));
    return names;
}

QByteArray PathThrough(const QByteArray& base, const std::vector<QByteArray>& folders)
{
    QByteArray path = base;
    for (const QByteArray& folder : folders)
        path += '/' + folder;
    return path;
}

bool WriteFile(const QByteArray& path, const QByteArray& bytes)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0)
        QDir().mkpath(QString::fromUtf8(path.left(slash)));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return ok;
}

QByteArray ReadFile(const QByteArray& path)
{
    QByteArray out;
    // Non-blocking, and regular files only: a test may point it at a FIFO.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return out;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return out;
    }
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

bool MakeFolder(const QByteArray& path)
{
    return ::mkdir(path.constData(), 0777) == 0;
}

bool Exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

std::vector<QByteArray> ListFolder(const QByteArray& path)
{
    std::vector<QByteArray> names;
    if (DIR* dir = ::opendir(path.constData())) {
        while (dirent* e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

FSRef RefFor(const QByteArray& path)
{
    FSRef ref{};
    platform::RefFromPath(path, &ref);
    return ref;
}

QByteArray PathFor(const FSRef& ref)
{
    QByteArray path;
    platform::PathOfRef(ref, &path);
    return path;
}

std::vector<UniChar> UnitsOf(const QString& name)
{
    return std::vector<UniChar>(name.utf16(), name.utf16() + name.size());
}

int RunUnprivileged(const std::function<bool()>& check)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(3);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void GiveToUnprivileged(const QByteArray& path)
{
    if (::geteuid() != 0)
        return;
    ::nftw(
        path.constData(),
        [](const char* p, const struct stat*, int, struct FTW*) {
            ::lchown(p, kNobody, kNobody);
            return 0;
        },
        16, FTW_PHYS);
}

void ShareLeakSuppressions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (::geteuid() != 0)
            return;
        QList<QByteArray> options = qgetenv("LSAN_OPTIONS").split(':');
        for (QByteArray& option : options) {
            if (!option.startsWith("suppressions="))
                continue;
            const QByteArray rules = ReadFile(option.mid(13));
            // Lives as long as the test program, whose children use it.
            static TempFolder shared;
            const QByteArray copy = shared / "lsan.supp";
            if (!WriteFile(copy, rules))
                return;
            option = "suppressions=" + copy;
            qputenv("LSAN_OPTIONS", options.join(':'));
            return;
        }
    });
}

QByteArray ProgramForUnprivileged(const QByteArray& path)
{
    static std::map<QByteArray, QByteArray> copies;
    static TempFolder prefix;
    if (const auto known = copies.find(path); known != copies.end())
        return known->second;
    const QFileInfo program(QString::fromLocal8Bit(path));
    const QDir share(program.dir().filePath(QStringLiteral("../share")));
    const QByteArray copy = prefix / "bin/" + QFile::encodeName(program.fileName());
    if (!QDir().mkpath(QString::fromLocal8Bit(prefix / "bin")) ||
        !QFile::copy(program.filePath(), QString::fromLocal8Bit(copy)))
        return {};
    QDirIterator it(share.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target =
            QString::fromLocal8Bit(prefix / "share/") + share.relativeFilePath(file);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(file, target))
            return {};
    }
    // Copies keep their modes, but the folders made on the way follow the
    // umask: open them all up, as the temporary folder itself is.
    ::nftw(
        prefix.path().constData(),
        [](const char* p, const struct stat* s, int, struct FTW*) {
            ::chmod(p, S_ISDIR(s->st_mode) ? 0755 : (s->st_mode & 0111 ? 0755 : 0644));
            return 0;
        },
        16, FTW_PHYS);
    copies[path] = copy;
    return copy;
}

bool InTestChild()
{
    return qEnvironmentVariableIsSet(kTestChildVariable);
}

std::optional<QByteArray>
RunTestInChild(const QString& testName, const std::vector<std::pair<QString, QString>>& environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment) {
        if (value.isEmpty())
            env.remove(name);
        else
            env.insert(name, value);
    }
    env.insert(QString::fromLatin1(kTestChildVariable), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                {QStringLiteral("--gtest_filter=") + testName});
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        return std::nullopt;
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return std::nullopt;
    return child.readAllStandardOutput();
}

std::string MissingProgram(const QString& program, const char* package)
{
    if (!QStandardPaths::findExecutable(program).isEmpty())
        return {};
    return program.toStdString() + " is not installed: it comes with Debian's package " + package +
           " (scripts/install-deps.sh installs it)";
}

QByteArray GetAttribute(const QByteArray& path, const char* name)
{
    char value[65536];
    const ssize_t n = ::lgetxattr(path.constData(), name, value, sizeof value);
    return n > 0 ? QByteArray(value, qsizetype(n)) : QByteArray();
}

bool SetAttribute(const QByteArray& path, const char* name, const QByteArray& value)
{
    return ::lsetxattr(path.constData(), name, value.constData(), size_t(value.size()), 0) == 0;
}

namespace
{

bool writeText(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// In a fresh child: becomes root of a private user namespace (mapped onto
// the caller's ids) with a private mount namespace, and mounts a ramfs.
bool mountRamfs(const QByteArray& folder, uid_t uid, gid_t gid)
{
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    writeText("/proc/self/setgroups", "deny");
    if (!writeText("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
        !writeText("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
        return false;
    return ::mount("none", folder.constData(), "ramfs", 0, nullptr) == 0;
}

} // namespace

std::optional<std::string>
RunWithoutAttributes(const std::function<std::string(const QByteArray& folder)>& work)
{
    TempFolder mountPoint;
    int out[2];
    if (::pipe(out) != 0)
        return std::nullopt;
    std::fflush(nullptr);
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (!mountRamfs(mountPoint.path(), uid, gid))
            ::_exit(2);
        const std::string report = work(mountPoint.path());
        const bool written =
            ::write(out[1], report.data(), report.size()) == ssize_t(report.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(out[1]);
    std::string report;
    char chunk[4096];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        report.append(chunk, size_t(n));
    }
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return std::string("child failed");
    if (WEXITSTATUS(status) == 2)
        return std::nullopt;
    return report;
}

} // namespace testsupport
