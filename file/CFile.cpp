// SPDX-License-Identifier: GPL-3.0-or-later
// The members of CFile that find, test and create items by parent and name.
#include "file/CFile.h"

#include "platform/memory/Memory.h"
#include "platform/text/TextEncoding.h"

Boolean CFile::IsADirectory(const FSRef& ref)
{
    FSCatalogInfo info{};
    // The read's status is not looked at: an unreadable item is not a folder.
    FSGetCatalogInfo(&ref, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr);
    return (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
}

Boolean CFile::FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found,
                              OSErr& status)
{
    UniCharCount count = 0;
    UniChar* units = GetUnicodeString(name, count);
    if (!units) {
        status = memFullErr;
        return true;
    }
    status = FSMakeFSRefUnicode(&parent, count, units, kTextEncodingUnknown, &found);
    DisposePtr(reinterpret_cast<Ptr>(units));
    return status != fnfErr;
}

Boolean CFile::FSObjectExists(const FSRef& parent, const CFStringRef& name, FSRef& found)
{
    OSErr status = noErr;
    return FSObjectExists(parent, name, found, status);
}

namespace
{

// The unique name for an item that holds the wanted name: its stored name
// without its extension, " - ", a UUID and the extension.
OSErr uniqueNameFor(const FSRef& parent, const FSRef& existing, QString* candidate)
{
    QString base = FSGetFileDirNameString(existing);
    if (base.isNull())
        return fnfErr;
    FSRef scratch;
    OSErr status = noErr;
    CFile::FSObjectExists(parent, base, scratch, status);
    if (status != noErr)
        return status;
    const QString extension = PathExtensionOfName(base);
    if (!extension.isNull()) {
        const qsizetype at = base.lastIndexOf(u'.' + extension, -1, Qt::CaseSensitive);
        if (at >= 0)
            base.remove(at, extension.size() + 1);
    }
    const QString uuid = CFUUIDCreateString();
    if (uuid.size() != 36)
        return paramErr;
    if (!base.isEmpty())
        base += QStringLiteral(" - ");
    base += uuid;
    if (!extension.isNull())
        base += u'.' + extension;
    *candidate = base;
    return noErr;
}

} // namespace

OSErr CFile::FSCreateFile(const FSRef& parent, const CFStringRef& name, FSRef& newRef,
                          unsigned char makeUnique)
{
    QString candidate = name;
    OSErr status = noErr;
    if (makeUnique) {
        if (FSObjectExists(parent, name, newRef, status)) {
            if (status != noErr)
                return status;
            if (OSErr err = uniqueNameFor(parent, newRef, &candidate); err != noErr)
                return err;
        }
    }
    if (!FSObjectExists(parent, candidate, newRef, status)) {
        UniCharCount count = 0;
        UniChar* units = GetUnicodeString(candidate, count);
        if (!units)
            return memFullErr;
        status =
            FSCreateFileUnicode(&parent, count, units, kFSCatInfoNone, nullptr, &newRef, nullptr);
        DisposePtr(reinterpret_cast<Ptr>(units));
        return status;
    }
    if (status != noErr)
        return status;
    return makeUnique ? kUniqueNameUnavailableErr : noErr;
}

OSErr CFile::FSCreateFile(const FSRef& parent, const CFStringRef& name, FSRef& newRef)
{
    return FSCreateFile(parent, name, newRef, false);
}

OSErr CFile::FSCreateFile(const FSRef& parent, const CFStringRef& name, unsigned long creator,
                          unsigned long type, FSRef& newRef)
{
    const OSErr status = FSCreateFile(parent, name, newRef);
    if (status == noErr) {
        // Creator before type; a file system that cannot keep codes still
        // has the file, so these statuses are not looked at.
        FSSetCreator(newRef, creator);
        FSSetType(newRef, type);
    }
    return status;
}

OSErr CFile::FSCreateDirectory(const FSRef& parent, const CFStringRef& name, FSRef& newRef)
{
    OSErr status = noErr;
    if (FSObjectExists(parent, name, newRef, status))
        return status; // 0 for an existing item, else why the look-up failed
    UniCharCount count = 0;
    UniChar* units = GetUnicodeString(name, count);
    if (!units)
        return memFullErr;
    status = FSCreateDirectoryUnicode(&parent, count, units, kFSCatInfoNone, nullptr, &newRef,
                                      nullptr, nullptr);
    DisposePtr(reinterpret_cast<Ptr>(units));
    return status;
}
