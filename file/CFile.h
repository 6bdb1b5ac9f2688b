// SPDX-License-Identifier: GPL-3.0-or-later
// CFile: static operations on file references. No data and no instances.
//
// Every operation is a thin layer over the file manager. Status-returning
// operations stop at the first failing call and return its status; those
// that return a string give a null string on failure, and those that return
// a buffer give a null pointer. Strings returned are the caller's; buffers
// from ReadFile come from new[] and are released with delete[].
#pragma once

#include "file/MoreFiles.h"
#include "platform/events/Descriptors.h"
#include "platform/files/Files.h"

class CFile
{
public:
    CFile() = delete;

    // --- queries ---------------------------------------------------------

    // True when the item is a folder (catalogue node flags, folder bit).
    // An item whose catalogue cannot be read is neither folder nor file.
    static Boolean IsADirectory(const FSRef& ref);
    static Boolean IsAFile(const FSRef& ref);
    // True for an alias file (a symbolic link) that leads to a folder.
    static Boolean FileIsAliasedDirectory(const FSRef* ref);

    // Looks name up in the folder parent, ignoring letter case, and stores
    // the item's reference in found. True for every outcome but -43: a
    // look-up that fails for another reason counts as existing too.
    static Boolean FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found);
    // As above, also giving the look-up's status, so callers can tell a
    // missing item from a failed look-up.
    static Boolean FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found,
                                  OSErr& status);
    // True when the item's catalogue can be read; stores its parent folder.
    static Boolean FSObjectExists(const FSRef& ref, FSRef& parent);

    // Type and creator codes from the Finder information; 0 stored on failure.
    static OSErr FSGetType(const FSRef& ref, unsigned long& type);
    static OSErr FSGetCreator(const FSRef& ref, unsigned long& creator);
    // Logical sizes; 0 stored on failure. FSGetSize adds the resource fork.
    static OSErr FSGetDataForkSize(const FSRef& ref, unsigned long long& size);
    static OSErr FSGetSize(const FSRef& ref, unsigned long long& size);
    // The low 32 bits of the seconds of the content modification date (0
    // when the catalogue cannot be read).
    static OSErr FSGetModDateAsUInt32(const FSRef& ref, unsigned long& seconds);
    // The item's name as the file manager holds it.
    static CFStringRef FSGetObjectName(const FSRef& ref);
    // The item's path (at most 254 bytes) as a length-prefixed string in
    // path, which must hold 256 bytes; untouched on failure.
    static OSErr FSGetPascalPath(const FSRef& ref, unsigned char* path);
    // The item's Finder comment; empty when it has none.
    static CFStringRef FSGetComment(const FSRef& ref);
    static OSErr FSMakeFSSpec(const FSRef* ref, FSSpec* spec);
    // The file reference a descriptor holds as a reference, or as anything
    // that coerces to one or to a file specification.
    static OSErr GetFSRefFromAEDesc(FSRef* ref, const AEDesc* desc);

    // --- changes -----------------------------------------------------------

    // Renames the item in its folder; ref names it under the new name after.
    static OSErr FSSetObjectName(FSRef& ref, const CFStringRef& name);
    static OSErr FSSetType(const FSRef& ref, const unsigned long& type);
    static OSErr FSSetCreator(const FSRef& ref, const unsigned long& creator);
    static OSErr FSSetComment(const FSRef& ref, const CFStringRef& comment);
    // Sets the content modification date and the creation date (a null
    // pointer leaves that date alone). Always returns 0.
    static OSErr FSSetModCreateDate(const FSRef& ref, const UTCDateTime* modDate,
                                    const UTCDateTime* createDate);
    // Sets the creation, content and attribute modification dates to date
    // and reads one byte so the file system records an access. Always 0;
    // nothing happens when the catalogue cannot be read.
    static OSErr FSSetModCreateAccessDate(const FSRef& ref, const UTCDateTime* date);

    // --- creation ------------------------------------------------------------

    // Creates an empty file named name in parent. An existing item of that
    // name (in any letter case) is answered with 0 and left as it is; newRef
    // names it. A look-up that fails gives its status.
    static OSErr FSCreateFile(const FSRef& parent, const CFStringRef& name, FSRef& newRef);
    // As above, then sets the creator and type codes, also of an existing file.
    static OSErr FSCreateFile(const FSRef& parent, const CFStringRef& name, unsigned long creator,
                              unsigned long type, FSRef& newRef);
    // With makeUnique clear as the three-argument form; with makeUnique set
    // a taken name is replaced, once, by the existing item's base name,
    // " - ", a fresh UUID and its extension.
    static OSErr FSCreateFile(const FSRef& parent, const CFStringRef& name, FSRef& newRef,
                              unsigned char makeUnique);
    static OSErr FSCreateDirectory(const FSRef& parent, const CFStringRef& name, FSRef& newRef);
    // Creates the file at a full path in an existing folder; an existing item
    // at the path is answered with 0 and its reference. -43 for a path with
    // no "/"; bdNamErr or pathTooLongErr for text that is no path of at most
    // 1026 bytes.
    static OSErr FSCreateFile(const CFStringRef& path, FSRef& newRef);
    static OSErr FSCreateFile(const CFStringRef& path, unsigned long creator, unsigned long type,
                              FSRef& newRef);
    // Asks for a place to save a file, proposing name, and creates the
    // chosen file (deleting the item it replaces, when the user said so).
    // True when a file was created; extensionHidden gets the dialog's flag.
    static Boolean DoSaveDialog(const CFStringRef& name, unsigned long type, unsigned long creator,
                                FSRef& newRef, unsigned char& extensionHidden);

    // --- whole data forks ----------------------------------------------------

    // The whole data fork in a new[] buffer without length or terminator (a
    // caller learns the length with FSGetDataForkSize); an empty file gives
    // a buffer of no bytes. Null when the file cannot be opened for reading
    // or holds 4 GiB or more.
    static char* ReadFile(const FSRef& ref);
    // The same for the file at a path; the second argument is not used.
    static char* ReadFile(const CFStringRef& path, long* unused);
    // The same for the file named by the parts of a file specification.
    static char* ReadFile(short vRefNum, long dirID, const unsigned char* name);
    // Writes length bytes at the start of the data fork; what lies beyond
    // them keeps its old bytes.
    static OSErr WriteFile(const FSRef& ref, const char* data, unsigned long length);
    // Creates the file at path when needed (path bytes as the file system
    // takes them) and writes as above; the status of the first failure.
    static OSErr WriteFile(const char* path, const char* data, unsigned long length);
};

// The status FSCreateFile gives when a unique name cannot be formed or is
// taken as well.
inline constexpr OSErr kUniqueNameUnavailableErr = dupFNErr;
