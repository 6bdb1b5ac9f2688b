// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers the test programs share: temporary folders, real files, references
// made from paths, and running a check without root's right to bypass
// permissions (CI runs as root, where chmod alone stops nothing).
#pragma once

#include "platform/files/Files.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport
{

// A temporary folder that everybody may enter, so that an unprivileged child
// can work in it too.
// Removed with everything in it, whatever the names' bytes or permissions.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    QByteArray path() const { return m_path; }
    QByteArray operator/(const QByteArray& name) const { return m_path + '/' + name; }

private:
    QByteArray m_path;
};

// Writes bytes to path (creating parent folders); false on failure.
bool WriteFile(const QByteArray& path, const QByteArray& bytes);
QByteArray ReadFile(const QByteArray& path);
bool MakeFolder(const QByteArray& path);
bool Exists(const QByteArray& path);
// The names in a folder, sorted, without "." and "..".
std::vector<QByteArray> ListFolder(const QByteArray& path);

FSRef RefFor(const QByteArray& path);
QByteArray PathFor(const FSRef& ref);
// UTF-16 units of a name given as bytes, the way the file manager shows it.
std::vector<UniChar> UnitsOf(const QString& name);

// Runs check in a child process that cannot bypass file permissions, and
// gives its exit status (0 when the check passed). The child reports
// failures on standard error.
int RunUnprivileged(const std::function<bool()>& check);
// Makes path and its contents usable by the unprivileged child.
void GiveToUnprivileged(const QByteArray& path);
// A child that drops to "nobody" reads the leak checker's suppression file
// only when it exits, when a clone in a folder only root may enter (/root)
// is out of its reach. As root, points LSAN_OPTIONS, and so every child
// started afterwards, at a copy that anybody can read. Call before starting
// a program that drops its privileges; once is enough.
void ShareLeakSuppressions();
// A copy of the built program at path, with the build tree's share/ beside
// it as an installed program has, in a folder anybody may enter: "nobody"
// cannot run the program where a clone under /root built it. Copied once
// per test program; empty on failure.
QByteArray ProgramForUnprivileged(const QByteArray& path);

// A test that needs a fresh process with its own environment (the user's
// language, read once at start-up) runs again as a child of the test
// program: RunTestInChild starts the program on the one test named (as
// "Suite.Name"), with the variables given set (an empty value unsets one)
// and kTestChildVariable set, and gives what the child wrote on standard
// output; nothing when it did not end with 0 within two minutes. The test
// does the child's part when InTestChild() holds.
inline constexpr char kTestChildVariable[] = "TESSALY_TEST_CHILD";
bool InTestChild();
std::optional<QByteArray>
RunTestInChild(const QString& testName,
               const std::vector<std::pair<QString, QString>>& environment);

// Empty when program is on the PATH; otherwise says which Debian package
// brings it, for the assertion that stops a test needing it.
std::string MissingProgram(const QString& program, const char* package);

// The same below base through the folders named one by one, whatever the
// length of the whole path: for trees deeper than a path can reach.
// WriteDeepFile makes the folders that are missing.
bool WriteDeepFile(const QByteArray& base, const std::vector<QByteArray>& folders,
                   const QByteArray& name, const QByteArray& bytes);
QByteArray ReadDeepFile(const QByteArray& base, const std::vector<QByteArray>& folders,
                        const QByteArray& name);
std::vector<QByteArray> ListDeepFolder(const QByteArray& base,
                                       const std::vector<QByteArray>& folders);
// Names of folders nested deeper than any path can reach: 45 names of 200
// bytes, over 9,000 bytes in all, each starting with label.
std::vector<QByteArray> DeepFolderNames(const char* label);
// base and the folders below it joined into one path.
QByteArray PathThrough(const QByteArray& base, const std::vector<QByteArray>& folders);

// An extended attribute of the item at path (not following links); empty
// when it has none.
QByteArray GetAttribute(const QByteArray& path, const char* name);
bool SetAttribute(const QByteArray& path, const char* name, const QByteArray& value);

// Runs work in a child process, in a folder of a file system that keeps no
// extended attributes (a ramfs mounted in a private user and mount
// namespace), and gives back the text work returned. Empty optional when
// this machine does not allow such a mount.
std::optional<std::string>
RunWithoutAttributes(const std::function<std::string(const QByteArray& folder)>& work);

} // namespace testsupport
