// Test helpers shared by the test programs.
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {
constexpr uid_t kNobody = 65534;
}

TempFolder::TempFolder()
{
    QByteArray templ = QDir::tempPath().toUtf8() + "/tessaly-test-XXXXXX";
    if (::mkdtemp(templ.data()))
        m_path = templ;
    ::chmod(m_path.constData(), 0777);
}

TempFolder::~TempFolder()
{
    if (m_path.isEmpty())
        return;
    // Open every folder up first so that removal can reach its contents.
    ::nftw(
        m_path.constData(),
        [](const char* p, const struct stat* st, int type, struct FTW*) {
            if (type == FTW_D || type == FTW_DNR)
                ::chmod(p, 0700);
            (void)st;
            return 0;
        },
        16, FTW_PHYS);
    ::nftw(
        m_path.constData(),
        [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p), 0; }, 16,
        FTW_PHYS | FTW_DEPTH);
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

bool MakeFolder(const QByteArray& path) { return ::mkdir(path.constData(), 0777) == 0; }

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

} // namespace testsupport
