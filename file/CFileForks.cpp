// SPDX-License-Identifier: GPL-3.0-or-later
// The members of CFile that create files by path and read or write whole
// data forks.
#include "file/CFile.h"

#include "platform/files/Forks.h"
#include "platform/text/TextEncoding.h"

#include <cstdint>
#include <new>

namespace
{

// The size of the text buffer a path is converted into, terminator included.
constexpr CFIndex kPathBufferSize = 1027;

} // namespace

OSErr CFile::FSCreateFile(const CFStringRef& path, FSRef& newRef)
{
    char text[kPathBufferSize];
    if (!CFStringGetFileSystemRepresentation(path, text, kPathBufferSize))
        return NameToBytes(path).contains('\0') ? bdNamErr : pathTooLongErr;
    const auto* bytes = reinterpret_cast<const UInt8*>(text);
    // The path is looked up as names are, ignoring letter case, so an item
    // that exists by parent and name exists by path too.
    if (OSStatus status = FSPathMakeRef(bytes, &newRef, nullptr); status != fnfErr)
        return OSErr(status); // 0 when the item exists already

    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return fnfErr;
    const QString name = path.mid(slash + 1);
    // The folder the path leads through: the "/" after it makes a last link
    // to a folder lead there, as it does in any path. A path whose only "/"
    // comes first names an item in the root folder.
    const QByteArray parentPath =
        slash == 0 ? QByteArray("/") : NameToBytes(path.left(slash)) + '/';
    FSRef parent;
    if (OSStatus status =
            FSPathMakeRef(reinterpret_cast<const UInt8*>(parentPath.constData()), &parent, nullptr);
        status != noErr)
        return OSErr(status);
    UniCharCount count = 0;
    UniChar* units = GetUnicodeString(name, count);
    if (!units)
        return memFullErr;
    const OSErr status =
        FSCreateFileUnicode(&parent, count, units, kFSCatInfoNone, nullptr, &newRef, nullptr);
    DisposePtr(reinterpret_cast<Ptr>(units));
    return status;
}

OSErr CFile::FSCreateFile(const CFStringRef& path, unsigned long creator, unsigned long type,
                          FSRef& newRef)
{
    const OSErr status = FSCreateFile(path, newRef);
    if (status == noErr) {
        FSSetCreator(newRef, creator);
        FSSetType(newRef, type);
    }
    return status;
}

char* CFile::ReadFile(const FSRef& ref)
{
    SInt16 fork = 0;
    if (FSOpenFork(&ref, 0, nullptr, fsRdPerm, &fork) != noErr)
        return nullptr;
    SInt64 size = 0;
    // The size is a 32-bit count; a larger fork is refused rather than cut
    // short, since the buffer carries no length to tell the difference.
    if (FSGetForkSize(fork, &size) != noErr || size < 0 || size > SInt64(UINT32_MAX)) {
        FSCloseFork(fork);
        return nullptr;
    }
    // Zero-filled: a file that shrinks while being read leaves no garbage.
    char* buffer = new (std::nothrow) char[size_t(size)]();
    if (buffer && FSSetForkPosition(fork, fsFromStart, 0) == noErr)
        FSReadFork(fork, fsAtMark | noCacheMask, 0, ByteCount(size), buffer, nullptr);
    FSCloseFork(fork);
    return buffer;
}

char* CFile::ReadFile(const CFStringRef& path, long*)
{
    // The path's bytes as the file system takes them; text that cannot be
    // a path (a NUL inside) gives nothing.
    const QByteArray bytes = NameToBytes(path);
    if (bytes.isEmpty() || bytes.contains('\0'))
        return nullptr;
    FSRef ref;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(bytes.constData()), &ref, nullptr) != noErr)
        return nullptr;
    return ReadFile(ref);
}

char* CFile::ReadFile(short vRefNum, long dirID, const unsigned char* name)
{
    FSRef ref;
    if (dirID < INT32_MIN || dirID > INT32_MAX ||
        FSMakeFSRef(vRefNum, SInt32(dirID), name, &ref) != noErr)
        return nullptr;
    return ReadFile(ref);
}

OSErr CFile::WriteFile(const FSRef& ref, const char* data, unsigned long length)
{
    SInt16 fork = 0;
    if (OSErr status = FSOpenFork(&ref, 0, nullptr, fsRdWrPerm, &fork); status != noErr)
        return status;
    OSErr status = FSSetForkPosition(fork, fsFromStart, 0);
    if (status == noErr)
        status = FSWriteFork(fork, fsAtMark | noCacheMask, 0, length, data, nullptr);
    // Closing can be where a failed write shows (a full network volume).
    const OSErr closed = FSCloseFork(fork);
    return status != noErr ? status : closed;
}

OSErr CFile::WriteFile(const char* path, const char* data, unsigned long length)
{
    if (!path)
        return paramErr;
    FSRef ref;
    if (OSErr status = FSCreateFile(CFStringCreateWithFileSystemRepresentation(path), ref);
        status != noErr)
        return status;
    return WriteFile(ref, data, length);
}
