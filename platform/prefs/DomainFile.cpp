// SPDX-License-Identifier: GPL-3.0-or-later
// Files of the preference store: XDG locations, reading, the writers' lock,
// keeping unusable files aside and atomic replacement, over POSIX calls so
// that the lock and the flushes are the real ones.
#include "platform/prefs/DomainFile.h"

#include "platform/prefs/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPrefs, "tessaly.prefs")

namespace tessaly::prefs
{

namespace
{

// Room for ".plist.corrupt-YYYYMMDDTHHMMSSZ-NNN" within a 255-byte file name.
constexpr qsizetype kMaxDomainBytes = 200;

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

bool pathExists(const QString& path)
{
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The process id in the name of a writer's temporary file for target
// ("<target>.tmp-<pid>-<8 hex digits>"), or 0 for any other name.
pid_t temporaryFileOwner(const QByteArray& name, const QByteArray& targetName)
{
    const QByteArray prefix = targetName + ".tmp-";
    if (!name.startsWith(prefix))
        return 0;
    const QList<QByteArray> parts = name.mid(prefix.size()).split('-');
    if (parts.size() != 2 || parts[1].size() != 8)
        return 0;
    bool isNumber = false, isHex = false;
    const qint64 pid = parts[0].toLongLong(&isNumber);
    parts[1].toUInt(&isHex, 16);
    if (!isNumber || !isHex || pid <= 0 || parts[0].startsWith('+') || parts[0].startsWith('0'))
        return 0;
    return pid_t(pid);
}

// Removes the temporary files that writers killed before their rename left
// beside target: those whose process is gone. The caller holds the domain's
// lock, so no live writer is half-way through one of them either.
void removeLeftovers(const QString& target)
{
    const QByteArray folder = nativePath(QFileInfo(target).path());
    const QByteArray targetName = nativePath(QFileInfo(target).fileName());
    DIR* listing = ::opendir(folder.constData());
    if (!listing)
        return;
    QList<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        const pid_t owner = temporaryFileOwner(name, targetName);
        if (owner && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH)
            leftovers.append(name);
    }
    ::closedir(listing);
    for (const QByteArray& name : leftovers) {
        if (::unlink((folder + '/' + name).constData()) == 0)
            qCInfo(lcPrefs, "removed %s, left by a writer that died", name.constData());
    }
}

// Makes a finished rename survive a crash: the folder's entry must reach the
// disk as well as the file's bytes.
void syncFolder(const QString& folder)
{
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a write to path should replace: the target of a symbolic link,
// so that a link into a dotfiles repository stays a link.
QString writeTarget(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

} // namespace

QString userConfigFolder()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList sharedConfigFolders()
{
    QStringList folders;
    const QString configDirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& folder : configDirs.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders.append(QDir::cleanPath(folder));
    }
    if (folders.isEmpty())
        folders.append(QStringLiteral("/etc/xdg"));
    return folders;
}

QString domainFileName(const QString& domain)
{
    if (domain.isEmpty() || domain == u"." || domain == u".." || domain.contains(u'/') ||
        domain.contains(QChar(0)) || nativePath(domain).size() > kMaxDomainBytes)
        return QString();
    return domain + QStringLiteral(".plist");
}

DomainFileContents readDomainFile(const QString& path)
{
    DomainFileContents contents;
    if (!QFileInfo::exists(path))
        return contents;
    contents.state = FileState::Unusable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPrefs, "cannot read %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return contents;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcPrefs, "cannot read %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return contents;
    }
    ParsedPropertyList parsed = parsePropertyList(bytes);
    if (!parsed.ok) {
        qCWarning(lcPrefs, "%s is not a property list (%s); reading it as empty", qPrintable(path),
                  qPrintable(parsed.error));
        return contents;
    }
    contents.state = FileState::Read;
    contents.values = std::move(parsed.values);
    return contents;
}

DomainFileLock::DomainFileLock(const QString& path)
{
    const QByteArray lockPath = nativePath(path + QStringLiteral(".lock"));
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        qCWarning(lcPrefs, "cannot open the lock file %s", lockPath.constData());
        return;
    }
    // Blocking is bounded by the holder: it keeps the lock for one read and
    // one write, and the kernel drops it if the holder dies.
    int status;
    do {
        status = ::flock(m_fd, LOCK_EX);
    } while (status < 0 && errno == EINTR);
    if (status < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

DomainFileLock::~DomainFileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the only descriptor releases the flock
}

bool keepAside(const QString& path)
{
    const QString stem =
        path + QStringLiteral(".corrupt-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    // Writers hold the domain's lock here, so no other writer can take the
    // free name between the check and the rename.
    QString aside = stem;
    for (int n = 2; pathExists(aside); ++n) {
        if (n > 1000)
            return false;
        aside = stem + u'-' + QString::number(n);
    }
    if (::rename(nativePath(path).constData(), nativePath(aside).constData()) != 0) {
        qCWarning(lcPrefs, "cannot move %s aside: %s", qPrintable(path), strerror(errno));
        return false;
    }
    qCWarning(lcPrefs, "kept the unusable %s as %s", qPrintable(path), qPrintable(aside));
    return true;
}

bool makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    if (parent != folder && !makeFolder(parent))
        return false;
    if (::mkdir(nativePath(folder).constData(), 0700) == 0 || errno == EEXIST)
        return QFileInfo(folder).isDir();
    return false;
}

bool replaceFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QString target = writeTarget(path);
    const QString folder = QFileInfo(target).path();
    removeLeftovers(target);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = nativePath(
            target + QStringLiteral(".tmp-%1-%2")
                         .arg(::getpid())
                         .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        qCWarning(lcPrefs, "cannot create a file in %s: %s", qPrintable(folder), strerror(errno));
        return false;
    }
    struct stat existing;
    if (::stat(nativePath(target).constData(), &existing) == 0)
        ::fchmod(fd, existing.st_mode & 07777);

    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), nativePath(target).constData()) == 0;
    if (!ok) {
        qCWarning(lcPrefs, "cannot write %s: %s", qPrintable(target), strerror(errno));
        ::unlink(temporary.constData());
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace tessaly::prefs
