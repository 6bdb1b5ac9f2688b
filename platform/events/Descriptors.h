// SPDX-License-Identifier: GPL-3.0-or-later
// Event descriptors: typed blocks of bytes, as events and replies carry
// them, and coercion between the forms in which an item can travel (a file
// reference, a file specification, an alias record, a file URL).
#pragma once

#include "platform/MacTypes.h"

using DescType = FourCharCode;
using AEDataStorage = Handle;

struct AEDesc {
    DescType descriptorType;
    AEDataStorage dataHandle;
};
using AEDescList = AEDesc;

enum : DescType {
    typeNull = FOUR_CHAR_CODE("null"),
    typeFSRef = FOUR_CHAR_CODE("fsrf"),
    typeFSS = FOUR_CHAR_CODE("fss "),
    typeAlias = FOUR_CHAR_CODE("alis"),
    // "file://" URL text, percent-encoded; the path's bytes may be any.
    typeFileURL = FOUR_CHAR_CODE("furl"),
};

// An empty descriptor (typeNull, no data).
void AEInitializeDesc(AEDesc* desc);
// A descriptor holding a copy of size bytes at data.
OSErr AECreateDesc(DescType typeCode, const void* data, Size size, AEDesc* result);
OSErr AEDuplicateDesc(const AEDesc* desc, AEDesc* result);
// Releases the data and leaves an empty descriptor; an empty one is accepted.
OSErr AEDisposeDesc(AEDesc* desc);
Size AEGetDescDataSize(const AEDesc* desc);
// Copies at most maximumSize bytes of the data.
OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, Size maximumSize);

// A new descriptor of type toType holding the same item. Between the item
// forms above every direction works when the item exists; the same type is
// copied. errAECoercionFail for types that do not convert or for data of
// the wrong size; the file manager's status when the item cannot be found.
OSErr AECoerceDesc(const AEDesc* desc, DescType toType, AEDesc* result);
