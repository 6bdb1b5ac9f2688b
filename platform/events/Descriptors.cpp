// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptors and the coercions between the forms of a file item.
#include "platform/events/Descriptors.h"

#include "platform/files/Files.h"
#include "platform/memory/Memory.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace
{

QByteArray dataOf(const AEDesc* desc)
{
    if (!desc->dataHandle || !*desc->dataHandle)
        return {};
    return QByteArray(*desc->dataHandle, qsizetype(GetHandleSize(desc->dataHandle)));
}

// The item a descriptor of one of the item forms names.
OSErr itemOf(DescType type, const QByteArray& data, FSRef* ref)
{
    switch (type) {
    case typeFSRef:
        if (data.size() != qsizetype(sizeof(FSRef)))
            return errAECoercionFail;
        std::memcpy(ref, data.constData(), sizeof(FSRef));
        // Only a reference that still names its item passes on.
        return FSGetCatalogInfo(ref, kFSCatInfoNone, nullptr, nullptr, nullptr, nullptr);
    case typeFSS: {
        if (data.size() != qsizetype(sizeof(FSSpec)))
            return errAECoercionFail;
        FSSpec spec;
        std::memcpy(&spec, data.constData(), sizeof spec);
        return FSpMakeFSRef(&spec, ref);
    }
    case typeAlias: {
        Boolean changed = false;
        return FSResolveAliasBytes(data, ref, &changed);
    }
    case typeFileURL: {
        const QByteArray path = platform::PathOfFileURI(data);
        return path.isEmpty() ? errAECoercionFail : platform::RefFromPath(path, ref);
    }
    default:
        return errAECoercionFail;
    }
}

// The item in the form toType.
OSErr formOf(const FSRef& ref, DescType toType, QByteArray* data)
{
    switch (toType) {
    case typeFSRef:
        *data = QByteArray(reinterpret_cast<const char*>(&ref), sizeof ref);
        return noErr;
    case typeFSS: {
        FSSpec spec;
        if (OSErr err = FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr);
            err != noErr)
            return err;
        *data = QByteArray(reinterpret_cast<const char*>(&spec), sizeof spec);
        return noErr;
    }
    case typeAlias: {
        AliasHandle alias = nullptr;
        if (OSErr err = FSNewAlias(nullptr, &ref, &alias); err != noErr)
            return err;
        *data = QByteArray(*alias, qsizetype(GetHandleSize(alias)));
        DisposeHandle(alias);
        return noErr;
    }
    case typeFileURL: {
        QByteArray path;
        if (OSErr err = platform::PathOfRef(ref, &path); err != noErr)
            return err;
        *data = platform::FileURIOfPath(path);
        return noErr;
    }
    default:
        return errAECoercionFail;
    }
}

} // namespace

void AEInitializeDesc(AEDesc* desc)
{
    desc->descriptorType = typeNull;
    desc->dataHandle = nullptr;
}

OSErr AECreateDesc(DescType typeCode, const void* data, Size size, AEDesc* result)
{
    if (!result || size < 0 || (size > 0 && !data))
        return paramErr;
    AEInitializeDesc(result);
    Handle h = NewHandle(size);
    if (!h)
        return memFullErr;
    if (size > 0)
        std::memcpy(*h, data, size_t(size));
    result->descriptorType = typeCode;
    result->dataHandle = h;
    return noErr;
}

OSErr AEDuplicateDesc(const AEDesc* desc, AEDesc* result)
{
    if (!desc || !result)
        return paramErr;
    const QByteArray data = dataOf(desc);
    return AECreateDesc(desc->descriptorType, data.constData(), Size(data.size()), result);
}

OSErr AEDisposeDesc(AEDesc* desc)
{
    if (!desc)
        return paramErr;
    DisposeHandle(desc->dataHandle);
    AEInitializeDesc(desc);
    return noErr;
}

Size AEGetDescDataSize(const AEDesc* desc)
{
    return desc && desc->dataHandle ? GetHandleSize(desc->dataHandle) : 0;
}

OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, Size maximumSize)
{
    if (!desc || (maximumSize > 0 && !dataPtr) || maximumSize < 0)
        return paramErr;
    const Size size = std::min(AEGetDescDataSize(desc), maximumSize);
    if (size > 0)
        std::memcpy(dataPtr, *desc->dataHandle, size_t(size));
    return noErr;
}

OSErr AECoerceDesc(const AEDesc* desc, DescType toType, AEDesc* result)
{
    if (!desc || !result)
        return paramErr;
    AEInitializeDesc(result);
    if (desc->descriptorType == toType)
        return AEDuplicateDesc(desc, result);
    FSRef ref;
    if (OSErr err = itemOf(desc->descriptorType, dataOf(desc), &ref); err != noErr)
        return err;
    QByteArray data;
    if (OSErr err = formOf(ref, toType, &data); err != noErr)
        return err;
    return AECreateDesc(toType, data.constData(), Size(data.size()), result);
}
