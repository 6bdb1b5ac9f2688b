// SPDX-License-Identifier: GPL-3.0-or-later
// Private to platform/files: what the file manager keeps of an item beyond
// what Linux keeps itself, held in extended attributes of the item.
//
//   Finder information (type and creator codes, flags)  user.com.apple.FinderInfo
//       32 bytes, big-endian, laid out as macOS keeps its own attribute of
//       that name, so the codes travel with tools that copy attributes
//   resource fork                                        user.com.apple.ResourceFork
//   Finder comment                                       user.xdg.comment
//       UTF-8, the attribute freedesktop file managers show as the comment
//   creation date, once set through the file manager     user.tessaly.creation-date
//       "<seconds since 1970>.<nine digits of nanoseconds>"; Linux cannot set
//       a file's birth time, so a date set here is kept beside it
//
// Attributes are read and written on the item itself, never through a
// symbolic link. Reads answer an attribute that is absent, or that the file
// system cannot keep, as empty: such an item has no type, no resource fork
// and no comment. Writes on a file system without extended attributes, and
// on items that cannot carry user attributes (links, devices), give
// errFSOperationNotSupported.
#pragma once

#include "platform/files/Files.h"

#include <QByteArray>
#include <sys/stat.h>

namespace platform::files
{

inline constexpr char kFinderInfoAttribute[] = "user.com.apple.FinderInfo";
inline constexpr char kResourceForkAttribute[] = "user.com.apple.ResourceFork";
inline constexpr char kCommentAttribute[] = "user.xdg.comment";
inline constexpr char kCreationDateAttribute[] = "user.tessaly.creation-date";

// The attribute's value; empty when the item has none.
OSErr ReadAttribute(const QByteArray& path, const char* name, QByteArray* value);
// The attribute's size in bytes; 0 when the item has none.
OSErr AttributeSize(const QByteArray& path, const char* name, UInt64* size);
// Sets the attribute; an empty value removes it. st is the item's lstat.
OSErr WriteAttribute(const QByteArray& path, const struct stat& st, const char* name,
                     const QByteArray& value);

// The Finder information of the item as catalogue fields (native byte
// order), from the attribute's big-endian bytes, and back.
void FinderInfoFromAttribute(const QByteArray& bytes, bool folder, FSCatalogInfo* info);
QByteArray FinderInfoToAttribute(const FSCatalogInfo& info, bool folder);

// The creation date the file manager set, if any (*present says).
OSErr ReadCreationDate(const QByteArray& path, UTCDateTime* date, bool* present);
OSErr WriteCreationDate(const QByteArray& path, const struct stat& st, const UTCDateTime& date);

} // namespace platform::files
