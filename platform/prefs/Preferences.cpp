// SPDX-License-Identifier: GPL-3.0-or-later
// The preference store: per-domain caches of the user's and the all-users
// files, this process's pending changes, and the three calls over them.
// Caches are keyed by the resolved file path, so a changed XDG_CONFIG_HOME
// or XDG_CONFIG_DIRS simply leads to other entries.
#include "platform/prefs/Preferences.h"

#include "platform/prefs/DomainFile.h"
#include "platform/prefs/PropertyList.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>

using namespace tessaly::prefs;

const QString kCFPreferencesCurrentApplication = QStringLiteral("kCFPreferencesCurrentApplication");

namespace
{

const QString kDefaultApplicationID = QStringLiteral("com.quorvane.Tessaly");

struct UserDomain {
    QVariantMap stored;  // the file's values as last read or written
    QVariantMap pending; // set here, not yet written; an invalid value removes the key
    bool loaded = false;
};

struct SharedDomain {
    QVariantMap values;
    bool loaded = false;
};

// Everything below is guarded by mutex: the engine may read settings from a
// worker thread while the interface thread writes them.
struct Store {
    QMutex mutex;
    QString currentApplication = kDefaultApplicationID;
    QHash<QString, UserDomain> user;     // by the user's file path
    QHash<QString, SharedDomain> shared; // by file name and the folder list searched
};

Store& store()
{
    static Store s;
    return s;
}

struct Location {
    QString userPath;
    QString fileName;
    QStringList sharedFolders;

    QString sharedKey() const { return fileName + u'\n' + sharedFolders.join(u':'); }
};

std::optional<Location> locate(const Store& s, const QString& applicationID)
{
    const QString domain =
        applicationID == kCFPreferencesCurrentApplication ? s.currentApplication : applicationID;
    Location location;
    location.fileName = domainFileName(domain);
    if (location.fileName.isEmpty())
        return std::nullopt;
    location.userPath = userConfigFolder() + u'/' + location.fileName;
    location.sharedFolders = sharedConfigFolders();
    return location;
}

UserDomain& userDomain(Store& s, const Location& location)
{
    UserDomain& domain = s.user[location.userPath];
    if (!domain.loaded) {
        domain.stored = readDomainFile(location.userPath).values;
        domain.loaded = true;
    }
    return domain;
}

// The all-users values come from the first folder that has the domain's file.
SharedDomain& sharedDomain(Store& s, const Location& location, bool reload)
{
    SharedDomain& domain = s.shared[location.sharedKey()];
    if (domain.loaded && !reload)
        return domain;
    domain.values.clear();
    for (const QString& folder : location.sharedFolders) {
        const QString path = folder + u'/' + location.fileName;
        if (QFileInfo::exists(path)) {
            domain.values = readDomainFile(path).values;
            break;
        }
    }
    domain.loaded = true;
    return domain;
}

// Equal values of the same kind, all the way down. QVariant's own == would
// let an integer 1 equal a real 1.0 and skip writing a change of kind.
bool identical(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType().id() == QMetaType::QVariantList) {
        const QVariantList left = a.toList(), right = b.toList();
        return left.size() == right.size() &&
               std::equal(left.cbegin(), left.cend(), right.cbegin(), identical);
    }
    if (a.metaType().id() == QMetaType::QVariantMap) {
        const QVariantMap left = a.toMap(), right = b.toMap();
        return left.size() == right.size() &&
               std::equal(left.keyValueBegin(), left.keyValueEnd(), right.keyValueBegin(),
                          [](const auto& l, const auto& r) {
                              return l.first == r.first && identical(l.second, r.second);
                          });
    }
    return a == b;
}

bool changesAnything(const QVariantMap& values, const QVariantMap& changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        const auto current = values.constFind(it.key());
        if (current == values.cend() ? it.value().isValid() : !identical(*current, it.value()))
            return true;
    }
    return false;
}

QVariantMap withChanges(QVariantMap values, const QVariantMap& changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.value().isValid())
            values.insert(it.key(), it.value());
        else
            values.remove(it.key());
    }
    return values;
}

// Writes pending changes over what the file holds now. The file is re-read
// under the lock, so keys that other processes wrote since our last read
// are kept, and ours win only for the keys we changed.
bool writePending(UserDomain& domain, const QString& path)
{
    // A folder that cannot be written may still be read: keep showing it.
    const auto showFileAsItIs = [&] {
        domain.stored = readDomainFile(path).values;
        return false;
    };
    if (!makeFolder(QFileInfo(path).path()))
        return showFileAsItIs();
    const DomainFileLock lock(path);
    if (!lock.isLocked())
        return showFileAsItIs();
    const DomainFileContents current = readDomainFile(path);
    domain.stored = current.values;
    if (current.state == FileState::Unusable && !keepAside(path))
        return false;
    if (current.state != FileState::Unusable && !changesAnything(current.values, domain.pending)) {
        domain.pending.clear();
        return true;
    }
    const QVariantMap merged = withChanges(current.values, domain.pending);
    if (!replaceFileAtomically(path, serializePropertyList(merged)))
        return false;
    domain.stored = merged;
    domain.pending.clear();
    return true;
}

} // namespace

void CFPreferencesSetCurrentApplicationID(const QString& applicationID)
{
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    const bool usable =
        !applicationID.isEmpty() && applicationID != kCFPreferencesCurrentApplication;
    s.currentApplication = usable ? applicationID : kDefaultApplicationID;
}

QString CFPreferencesCurrentApplicationID()
{
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    return s.currentApplication;
}

QVariant CFPreferencesCopyAppValue(const QString& key, const QString& applicationID)
{
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    const auto location = locate(s, applicationID);
    if (!location)
        return QVariant();
    const UserDomain& user = userDomain(s, *location);
    const auto pending = user.pending.constFind(key);
    if (pending != user.pending.cend()) {
        if (pending->isValid())
            return *pending;
    } else if (const auto stored = user.stored.constFind(key); stored != user.stored.cend()) {
        return *stored;
    }
    return sharedDomain(s, *location, false).values.value(key);
}

void CFPreferencesSetAppValue(const QString& key, const QVariant& value,
                              const QString& applicationID)
{
    std::optional<QVariant> stored = value.isValid() ? storableValue(value) : QVariant();
    if (!stored || !isStorableText(key)) {
        qCWarning(lcPrefs, "refused to store a %s under the key \"%s\"",
                  value.isValid() ? value.typeName() : "removal", qPrintable(key));
        return;
    }
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    const auto location = locate(s, applicationID);
    if (!location)
        return;
    s.user[location->userPath].pending.insert(key, *stored);
}

QString PreferencesFilePath(const QString& applicationID)
{
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    const auto location = locate(s, applicationID);
    return location ? location->userPath : QString();
}

bool CFPreferencesAppSynchronize(const QString& applicationID)
{
    Store& s = store();
    QMutexLocker locker(&s.mutex);
    const auto location = locate(s, applicationID);
    if (!location)
        return false;
    sharedDomain(s, *location, true);
    UserDomain& domain = s.user[location->userPath];
    domain.loaded = true;
    if (domain.pending.isEmpty()) {
        domain.stored = readDomainFile(location->userPath).values;
        return true;
    }
    return writePending(domain, location->userPath);
}
