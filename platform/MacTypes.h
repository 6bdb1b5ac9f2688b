// SPDX-License-Identifier: GPL-3.0-or-later
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
using SInt8 = int8_t;
using UInt16 = uint16_t;
using UInt32 = uint32_t;
using SInt16 = int16_t;
using SInt32 = int32_t;
using SInt64 = int64_t;
using UInt64 = uint64_t;

// A name's text encoding hint: none given.
inline constexpr TextEncoding kTextEncodingUnknown = 0xFFFF;

// Status codes. Only -43 means that an item is absent.
inline constexpr OSErr noErr = 0;
inline constexpr OSErr dskFulErr = -34;
inline constexpr OSErr nsvErr = -35;
inline constexpr OSErr ioErr = -36;
inline constexpr OSErr bdNamErr = -37;
inline constexpr OSErr fnOpnErr = -38;
inline constexpr OSErr eofErr = -39;
inline constexpr OSErr posErr = -40;
inline constexpr OSErr tmfoErr = -42;
inline constexpr OSErr fnfErr = -43;
inline constexpr OSErr wPrErr = -44;
inline constexpr OSErr fLckdErr = -45;
inline constexpr OSErr vLckdErr = -46;
inline constexpr OSErr fBsyErr = -47;
inline constexpr OSErr dupFNErr = -48;
inline constexpr OSErr opWrErr = -49;
inline constexpr OSErr paramErr = -50;
inline constexpr OSErr rfNumErr = -51;
inline constexpr OSErr permErr = -54;
inline constexpr OSErr wrPermErr = -61;
inline constexpr OSErr memFullErr = -108;
inline constexpr OSErr nilHandleErr = -109;
inline constexpr OSErr dirNFErr = -120;
inline constexpr OSErr userCanceledErr = -128;
inline constexpr OSErr notAFileErr = -1302;
inline constexpr OSErr errFSNoMoreItems = -1417;
inline constexpr OSErr errFSBadForkName = -1402;
inline constexpr OSErr errFSBadInfoBitmap = -1405;
inline constexpr OSErr errFSNotAFolder = -1407;
inline constexpr OSErr errFSForkNotFound = -1409;
inline constexpr OSErr errFSNameTooLong = -1410;
inline constexpr OSErr errFSBadPosMode = -1412;
// The file system cannot do this, for instance keep extended attributes.
inline constexpr OSErr errFSOperationNotSupported = -1426;
inline constexpr OSErr pathTooLongErr = -2110;
inline constexpr OSErr afpAccessDenied = -5000;
inline constexpr OSErr errAEDescNotFound = -1701;
inline constexpr OSErr errAECoercionFail = -1700;
inline constexpr OSErr errAEWrongDataType = -1703;
inline constexpr OSErr errAEIllegalIndex = -1719;
inline constexpr OSErr eventNotHandledErr = -9874;
inline constexpr OSErr dragNotAcceptedErr = -1857;
inline constexpr OSErr badComponentInstance = -2003;
inline constexpr OSErr badComponentType = -2005;
inline constexpr OSErr invalidComponentID = -3000;
inline constexpr OSErr codecErr = -8960;

// Builds a four-character code from its text, most significant byte first.
constexpr FourCharCode FOUR_CHAR_CODE(const char (&s)[5])
{
    return (FourCharCode(uint8_t(s[0])) << 24) | (FourCharCode(uint8_t(s[1])) << 16) |
           (FourCharCode(uint8_t(s[2])) << 8) | FourCharCode(uint8_t(s[3]));
}
