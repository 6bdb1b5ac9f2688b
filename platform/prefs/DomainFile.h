// SPDX-License-Identifier: GPL-3.0-or-later
// Where a preference domain's files live and how they are read, locked and
// replaced on disk. The locations come from the XDG base-directory variables,
// read at every call so that a changed environment takes effect at once.
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QVariantMap>

Q_DECLARE_LOGGING_CATEGORY(lcPrefs)

namespace tessaly::prefs
{

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
QString userConfigFolder();
// The absolute folders of $XDG_CONFIG_DIRS in order, else /etc/xdg.
QStringList sharedConfigFolders();
// "<domain>.plist", or an empty string for a domain that cannot name a file
// (empty, ".", "..", containing '/' or NUL, or too long to leave room for the
// lock, temporary and kept-aside names beside it).
QString domainFileName(const QString& domain);

enum class FileState {
    Missing,
    Read,
    Unusable, // malformed, or present but unreadable; reads as empty
};

struct DomainFileContents {
    FileState state = FileState::Missing;
    QVariantMap values;
};

DomainFileContents readDomainFile(const QString& path);

// Holds an exclusive flock on "<path>.lock" for its lifetime, creating the
// lock file when needed. Every writer of a domain takes it, so a re-read, a
// merge and a replacement happen as one step with respect to the others.
class DomainFileLock
{
public:
    explicit DomainFileLock(const QString& path);
    ~DomainFileLock();
    DomainFileLock(const DomainFileLock&) = delete;
    DomainFileLock& operator=(const DomainFileLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Moves an unusable file out of the way as "<path>.corrupt-<UTC time>", with
// a counter when that name is taken, so its bytes survive the next write.
bool keepAside(const QString& path);

// Creates folder and its missing parents (new ones private to the user).
bool makeFolder(const QString& folder);

// Replaces the file at path with bytes: a temporary file in the same folder,
// flushed to disk, then renamed over it, so readers see the old or the new
// contents and never a mix. A symbolic link at path is written through and
// stays a link. The file's permissions are kept. The temporary file is
// "<target>.tmp-<pid>-<random>"; those of writers that were killed before
// their rename are removed first. Call it holding the domain's lock.
bool replaceFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace tessaly::prefs
