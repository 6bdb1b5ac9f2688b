// CFile: static operations on file references. No data and no instances.
#pragma once

#include "file/MoreFiles.h"
#include "platform/files/Files.h"

class CFile {
public:
    CFile() = delete;

    // True when the item is a folder (catalogue node flags, folder bit).
    static Boolean IsADirectory(const FSRef& ref);

    // Looks name up in the folder parent, ignoring letter case, and stores
    // the item's reference in found. True for every outcome but -43: a
    // look-up that fails for another reason counts as existing too.
    static Boolean FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found);
    // As above, also giving the look-up's status, so callers can tell a
    // missing item from a failed look-up.
    static Boolean FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found,
                                  OSErr& status);

    // Creates an empty file named name in parent. With makeUnique clear an
    // existing item of that name is answered with 0 and left as it is; with
    // makeUnique set a taken name is replaced, once, by the existing item's
    // base name, " - ", a fresh UUID and its extension.
    static OSErr FSCreateFile(const FSRef& parent, const CFStringRef& name, FSRef& newRef,
                              unsigned char makeUnique);
};

// The status FSCreateFile gives when a unique name cannot be formed or is
// taken as well.
inline constexpr OSErr kUniqueNameUnavailableErr = dupFNErr;
