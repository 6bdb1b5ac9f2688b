// SPDX-License-Identifier: GPL-3.0-or-later
// Item kinds from the file system, invisibility as Linux file managers see
// it, and opening URLs through the desktop.
#include "platform/launch/LaunchServices.h"

#include "platform/files/Paths.h"
#include "platform/text/TextEncoding.h"

#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const QString kLSItemIsInvisible = QStringLiteral("LSItemIsInvisible");

using platform::files::LastComponent;
using platform::files::ParentOf;

namespace
{

// Neither list a file manager keeps nor a desktop entry is ever this large;
// anything bigger is not read at all.
constexpr qint64 kMaxSmallFileBytes = 1 << 20;

constexpr std::array kBundleExtensions = {u"app", u"bundle", u"framework", u"plugin", u"kext"};

bool isBundleExtension(const QString& extension)
{
    for (const char16_t* bundle : kBundleExtensions) {
        if (extension.compare(QStringView(bundle), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Reads a small regular file without following a final link; nothing when
// it is missing, not a regular file or too large.
std::optional<QByteArray> readSmallFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSmallFileBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return file.read(kMaxSmallFileBytes);
}

bool isListedInHiddenFile(const QByteArray& path)
{
    const auto list = readSmallFile(ParentOf(path) + "/.hidden");
    if (!list)
        return false;
    const QByteArray name = LastComponent(path);
    for (QByteArray line : list->split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && line == name)
            return true;
    }
    return false;
}

bool isInvisiblePath(const QByteArray& path)
{
    if (path == "/")
        return false;
    return LastComponent(path).startsWith('.') || isListedInHiddenFile(path);
}

// A desktop entry whose main group says Type=Application.
bool isApplicationDesktopEntry(const QByteArray& path)
{
    if (!path.endsWith(".desktop"))
        return false;
    const auto text = readSmallFile(path);
    if (!text)
        return false;
    bool inMainGroup = false;
    for (QByteArray line : text->split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && line.startsWith("Type") && line.mid(4).trimmed().startsWith('='))
            return line.mid(line.indexOf('=') + 1).trimmed() == "Application";
    }
    return false;
}

bool isMountPoint(const QByteArray& path, const struct stat& st)
{
    if (path == "/")
        return true;
    struct stat parent {
    };
    return ::lstat(ParentOf(path).constData(), &parent) == 0 && parent.st_dev != st.st_dev;
}

} // namespace

OSStatus LSCopyItemInfoForRef(const FSRef* inItemRef, LSRequestedInfo inWhichInfo,
                              LSItemInfoRecord* outItemInfo)
{
    if (!inItemRef || !outItemInfo)
        return paramErr;
    QByteArray path;
    if (const OSErr err = platform::PathOfRef(*inItemRef, &path); err != noErr)
        return err;
    struct stat st {
    };
    if (::lstat(path.constData(), &st) != 0)
        return platform::StatusFromErrno(errno);

    const QString extension = PathExtensionOfName(NameFromBytes(LastComponent(path)));
    LSItemInfoFlags flags = 0;
    if (S_ISDIR(st.st_mode)) {
        flags |= kLSItemInfoIsContainer;
        if (isMountPoint(path, st))
            flags |= kLSItemInfoIsVolume;
        if (isBundleExtension(extension))
            flags |= kLSItemInfoIsPackage;
        if (extension.compare(u"app", Qt::CaseInsensitive) == 0)
            flags |= kLSItemInfoIsApplication;
    } else if (S_ISLNK(st.st_mode)) {
        flags |= kLSItemInfoIsSymlink;
    } else if (S_ISREG(st.st_mode)) {
        flags |= kLSItemInfoIsPlainFile;
        const bool executable = (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) &&
                                ::faccessat(AT_FDCWD, path.constData(), X_OK, AT_EACCESS) == 0;
        if (executable || isApplicationDesktopEntry(path))
            flags |= kLSItemInfoIsApplication;
    }
    if (isInvisiblePath(path))
        flags |= kLSItemInfoIsInvisible;

    *outItemInfo = LSItemInfoRecord{};
    outItemInfo->flags = flags;
    if (inWhichInfo & kLSRequestExtension)
        outItemInfo->extension = extension;
    return noErr;
}

OSStatus LSCopyItemAttribute(const FSRef* inItem, LSRolesMask, const QString& inAttributeName,
                             QVariant* outValue)
{
    if (!inItem || !outValue)
        return paramErr;
    if (inAttributeName != kLSItemIsInvisible)
        return kLSDataUnavailableErr;
    QByteArray path;
    if (const OSErr err = platform::PathOfRef(*inItem, &path); err != noErr)
        return err;
    *outValue = QVariant(isInvisiblePath(path));
    return noErr;
}

OSStatus LSOpenCFURLRef(const QUrl& url, QUrl* launchedURL)
{
    if (launchedURL)
        *launchedURL = QUrl();
    if (!url.isValid() || url.isEmpty() || url.isRelative())
        return paramErr;
    // The window system's services know the desktop's preferred ways (a
    // portal inside a sandbox); headless platforms have none.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != u"offscreen" &&
        QGuiApplication::platformName() != u"minimal" && QDesktopServices::openUrl(url))
        return noErr;
    const QString argument =
        url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    return QProcess::startDetached(QStringLiteral("xdg-open"), {argument})
               ? noErr
               : kLSApplicationNotFoundErr;
}

QUrl CFURLCreateFromFSRef(const FSRef* ref)
{
    QByteArray path;
    if (!ref || platform::PathOfRef(*ref, &path) != noErr)
        return QUrl();
    struct stat st {
    };
    const bool folder = ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
    return CFURLCreateWithFileSystemPath(
        CFStringCreateWithFileSystemRepresentation(path.constData()), folder);
}

QUrl CFURLCreateWithFileSystemPath(const QString& filePath, bool isDirectory)
{
    if (!filePath.startsWith(u'/'))
        return QUrl();
    QString path = filePath;
    if (isDirectory && !path.endsWith(u'/'))
        path += u'/';
    return QUrl::fromLocalFile(path);
}

QString CFURLCopyPathExtension(const QUrl& url)
{
    QString path = url.path(QUrl::FullyDecoded);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return PathExtensionOfName(path.mid(path.lastIndexOf(u'/') + 1));
}

bool NSWorkspace::openURL(const QUrl& url)
{
    return LSOpenCFURLRef(url, nullptr) == noErr;
}
