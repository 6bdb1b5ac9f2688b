// SPDX-License-Identifier: GPL-3.0-or-later
// Extended attributes of items: raw access, the Finder information's byte
// layout and the creation date's text.
#include "platform/files/Attributes.h"

#include "platform/files/Dates.h"
#include "platform/files/ItemAt.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace platform::files
{

namespace
{

bool meansNoAttribute(int error)
{
    return error == ENODATA || error == ENOTSUP;
}

// User attributes exist only on files and folders.
bool canCarryAttributes(const struct stat& st)
{
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

// Widths of the fields of the 32 bytes, in order: file information then
// extended file information, or the same two for a folder.
constexpr int kFileFields[] = {4, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4};
constexpr int kFolderFields[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4, 2, 2, 4};

// Turns each field between native and big-endian order (the same swap both ways).
template <size_t N> void swapFields(UInt8* bytes, const int (&widths)[N])
{
    for (int width : widths) {
        if (width == 2)
            qToBigEndian(qFromUnaligned<UInt16>(bytes), bytes);
        else
            qToBigEndian(qFromUnaligned<UInt32>(bytes), bytes);
        bytes += width;
    }
}

void swapFinderInfo(UInt8* bytes, bool folder)
{
    if (folder)
        swapFields(bytes, kFolderFields);
    else
        swapFields(bytes, kFileFields);
}

} // namespace

OSErr ReadAttribute(const QByteArray& path, const char* name, QByteArray* value)
{
    value->clear();
    const ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    const QByteArray item = at.shortPath();
    for (;;) {
        const ssize_t size = ::lgetxattr(item.constData(), name, nullptr, 0);
        if (size < 0)
            return meansNoAttribute(errno) ? noErr : platform::StatusFromErrno(errno);
        value->resize(qsizetype(size));
        const ssize_t read = ::lgetxattr(item.constData(), name, value->data(), size_t(size));
        if (read >= 0) {
            value->resize(qsizetype(read));
            return noErr;
        }
        // The value grew between the two calls: ask again.
        if (errno != ERANGE)
            return meansNoAttribute(errno) ? noErr : platform::StatusFromErrno(errno);
    }
}

OSErr AttributeSize(const QByteArray& path, const char* name, UInt64* size)
{
    *size = 0;
    const ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    const ssize_t n = ::lgetxattr(at.shortPath().constData(), name, nullptr, 0);
    *size = n > 0 ? UInt64(n) : 0;
    if (n < 0 && !meansNoAttribute(errno))
        return platform::StatusFromErrno(errno);
    return noErr;
}

OSErr WriteAttribute(const QByteArray& path, const struct stat& st, const char* name,
                     const QByteArray& value)
{
    if (!canCarryAttributes(st))
        return errFSOperationNotSupported;
    const ItemAt at(path);
    if (at.error())
        return platform::StatusFromErrno(at.error());
    const QByteArray item = at.shortPath();
    const int result = value.isEmpty() ? ::lremovexattr(item.constData(), name)
                                       : ::lsetxattr(item.constData(), name, value.constData(),
                                                     size_t(value.size()), 0);
    if (result == 0)
        return noErr;
    if (errno == ENODATA)
        return noErr; // removing what is not there
    if (errno == ENOTSUP)
        return errFSOperationNotSupported;
    // E2BIG: larger than the file system keeps in one attribute.
    return errno == E2BIG || errno == ERANGE ? dskFulErr : platform::StatusFromErrno(errno);
}

void FinderInfoFromAttribute(const QByteArray& bytes, bool folder, FSCatalogInfo* info)
{
    UInt8 raw[32] = {};
    std::memcpy(raw, bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), 32)));
    swapFinderInfo(raw, folder);
    std::memcpy(info->finderInfo, raw, 16);
    std::memcpy(info->extFinderInfo, raw + 16, 16);
}

QByteArray FinderInfoToAttribute(const FSCatalogInfo& info, bool folder)
{
    UInt8 raw[32];
    std::memcpy(raw, info.finderInfo, 16);
    std::memcpy(raw + 16, info.extFinderInfo, 16);
    if (std::all_of(std::begin(raw), std::end(raw), [](UInt8 b) { return b == 0; }))
        return {}; // nothing set: no attribute at all
    swapFinderInfo(raw, folder);
    return QByteArray(reinterpret_cast<const char*>(raw), 32);
}

OSErr ReadCreationDate(const QByteArray& path, UTCDateTime* date, bool* present)
{
    *present = false;
    QByteArray text;
    if (OSErr err = ReadAttribute(path, kCreationDateAttribute, &text); err != noErr)
        return err;
    const qsizetype dot = text.indexOf('.');
    if (dot <= 0 || text.size() - dot - 1 != 9)
        return noErr; // absent, or not written by us: the birth time stands
    bool secondsOk = false;
    bool nanosecondsOk = false;
    const qlonglong seconds = text.left(dot).toLongLong(&secondsOk);
    const long nanoseconds = text.mid(dot + 1).toLong(&nanosecondsOk);
    if (!secondsOk || !nanosecondsOk || nanoseconds < 0)
        return noErr;
    *date = platform::UTCDateTimeFromTimespec({std::time_t(seconds), nanoseconds});
    *present = true;
    return noErr;
}

OSErr WriteCreationDate(const QByteArray& path, const struct stat& st, const UTCDateTime& date)
{
    const std::timespec time = platform::TimespecFromUTCDateTime(date);
    const QByteArray text = QByteArray::number(qlonglong(time.tv_sec)) + '.' +
                            QByteArray::number(qlonglong(time.tv_nsec)).rightJustified(9, '0');
    return WriteAttribute(path, st, kCreationDateAttribute, text);
}

} // namespace platform::files
