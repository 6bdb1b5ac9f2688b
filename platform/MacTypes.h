// Basic types and status codes shared by every platform module. Callers above
// platform/ speak in these names, so the algorithms that test exact status
// values read the same here as they always have.
#pragma once

#include <cstddef>
#include <cstdint>

using OSErr = int16_t;
using OSStatus = int32_t;
using Boolean = unsigned char;
using OSType = uint32_t;
using FourCharCode = uint32_t;
using UniChar = uint16_t;
using UniCharCount = unsigned long;
using ItemCount = unsigned long;
using ByteCount = unsigned long;
using TextEncoding = uint32_t;
using Size = long;
using Ptr = char*;
using Handle = char**;
using UInt8 = uint8_t;
using UInt16 = uint16_t;
using UInt32 = uint32_t;
using SInt16 = int16_t;
using SInt32 = int32_t;
using SInt64 = int64_t;
using UInt64 = uint64_t;

// Status codes. Only -43 means that an item is absent.
enum : OSErr {
    noErr = 0,
    dskFulErr = -34,
    nsvErr = -35,
    ioErr = -36,
    bdNamErr = -37,
    fnOpnErr = -38,
    eofErr = -39,
    posErr = -40,
    tmfoErr = -42,
    fnfErr = -43,
    wPrErr = -44,
    fLckdErr = -45,
    vLckdErr = -46,
    fBsyErr = -47,
    dupFNErr = -48,
    opWrErr = -49,
    paramErr = -50,
    rfNumErr = -51,
    permErr = -54,
    wrPermErr = -61,
    memFullErr = -108,
    nilHandleErr = -109,
    dirNFErr = -120,
    userCanceledErr = -128,
    notAFileErr = -1302,
    errFSNoMoreItems = -1417,
    errFSNotAFolder = -1407,
    errFSNameTooLong = -1420,
    afpAccessDenied = -5000,
    errAEDescNotFound = -1701,
    errAECoercionFail = -1700,
    errAEWrongDataType = -1703,
    errAEIllegalIndex = -1719,
    eventNotHandledErr = -9874,
    dragNotAcceptedErr = -1857,
    badComponentInstance = -2003,
    badComponentType = -2005,
    invalidComponentID = -3000,
    codecErr = -8960,
};

// Builds a four-character code from its text, most significant byte first.
constexpr FourCharCode FOUR_CHAR_CODE(const char (&s)[5])
{
    return (FourCharCode(uint8_t(s[0])) << 24) | (FourCharCode(uint8_t(s[1])) << 16) |
           (FourCharCode(uint8_t(s[2])) << 8) | FourCharCode(uint8_t(s[3]));
}
