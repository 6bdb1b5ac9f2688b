// Private to platform/files: the process-wide table of paths that file
// references and file specifications point into, and the checks that keep a
// reference from naming a different item than the one it was made for.
#pragma once

#include "platform/files/Files.h"

#include <QByteArray>
#include <sys/stat.h>

namespace platform::files {

// What a reference carries inside its 80 bytes.
struct RefData {
    UInt32 magic;
    UInt32 pathId;
    UInt64 device;
    UInt64 inode;
    UInt32 mode;
};

constexpr UInt32 kRefMagic = 0x54535246; // "TSRF"
// The volume reference number that file specifications made here carry.
constexpr SInt16 kSpecVolume = -100;

// Interns a normalised absolute path; the same path always gives the same id.
UInt32 InternPath(const QByteArray& path);
// The path interned under id, or an empty array for an unknown id.
QByteArray PathForId(UInt32 id);

void EncodeRef(UInt32 pathId, const struct stat& st, FSRef* ref);
// Decodes and checks that the item at the path is still the one named
// (device and inode); fills path and st.
OSErr ResolveRef(const FSRef& ref, QByteArray* path, struct stat* st);
// A reference to the item at an absolute, normalised path (lstat, no following).
OSErr MakeRef(const QByteArray& path, FSRef* ref, struct stat* st = nullptr);

// Absolute path with "." and empty components removed and the parent folder
// resolved through realpath, so the last component (possibly a link) stays.
// The catalogue fields of the item at path whose lstat is st.
OSErr FillCatalogInfo(const QByteArray& path, const struct stat& st, FSCatalogInfoBitmap whichInfo,
                     FSCatalogInfo* info);
// A file specification for the item at path.
void MakeSpec(const QByteArray& path, FSSpec* spec);

QByteArray NormalisePath(const QByteArray& path);
QByteArray ParentOf(const QByteArray& path);
QByteArray LastComponent(const QByteArray& path);
QByteArray Join(const QByteArray& folder, const QByteArray& name);

} // namespace platform::files
