// SPDX-License-Identifier: GPL-3.0-or-later
// Text conversions the system relies on: Unicode to and from Mac OS Roman,
// length-prefixed strings, UUID text, path extensions, and the mapping
// between Linux file names (bytes) and the UTF-16 names the system handles.
#pragma once

#include "platform/MacTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

using CFStringEncoding = uint32_t;
using CFIndex = long;

enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kTextEncodingUnicodeDefault = 0x100,
    kCFStringEncodingUTF8 = 0x08000100,
};
inline constexpr TextEncoding kTextEncodingMacRoman = 0;

// --- Mac OS Roman -----------------------------------------------------------

// Converts to Mac OS Roman. Characters without a Mac Roman form become '?';
// *complete (when given) tells whether every character had a form.
QByteArray UnicodeToMacRoman(QStringView text, bool* complete = nullptr);
QString MacRomanToUnicode(const char* bytes, qsizetype length);

// The string's text in the given encoding (Mac Roman or UTF-8), terminated,
// into a buffer of bufferSize bytes. False, with an empty text in the buffer,
// when a character has no form in the encoding or the text does not fit.
bool CFStringGetCString(const QString& string, char* buffer, CFIndex bufferSize,
                        CFStringEncoding encoding);
// A string from terminated 8-bit text in the given encoding (Mac Roman or UTF-8).
QString CFStringCreateWithCString(const char* cString, CFStringEncoding encoding);

// Text converter objects, as the old converter API shapes them. Only the
// Unicode (UTF-16, native order) to Mac Roman direction is provided.
using TECObjectRef = struct OpaqueTECObjectRef*;
OSStatus TECCreateConverter(TECObjectRef* converter, TextEncoding from, TextEncoding to);
// Converts whole UTF-16 units; unmappable characters produce '?'. Stops when
// the output is full and reports how much was read and written.
OSStatus TECConvertText(TECObjectRef converter, const UInt8* input, ByteCount inputLength,
                        ByteCount* actualInputLength, UInt8* output, ByteCount outputLength,
                        ByteCount* actualOutputLength);
OSStatus TECDisposeConverter(TECObjectRef converter);
inline constexpr OSStatus kTECOutputBufferFullStatus = -8785;
inline constexpr OSStatus kTECUnmappableElementErr = -8779;

// --- length-prefixed strings -------------------------------------------------

// Copies a length-prefixed string into terminated text; cString must hold
// 256 bytes.
void CopyPascalStringToC(const unsigned char* pascal, char* cString);
// Copies at most 255 bytes of terminated text into a length-prefixed string.
void CopyCStringToPascal(const char* cString, unsigned char* pascal);

// --- UUIDs and names ------------------------------------------------------------

// A fresh UUID as 36 characters: groups of 8-4-4-4-12 upper-case hex digits.
QString CFUUIDCreateString();

// The text after the last "." of the last path component, or a null string
// when there is none. A leading dot (a hidden file's name) starts no extension.
QString PathExtensionOfName(QStringView name);

// Linux names are bytes and need not be UTF-8. A name is shown to the rest of
// the system as UTF-16: valid UTF-8 decodes as usual and every byte that is
// not part of valid UTF-8 becomes the lone surrogate U+DC00 + byte, so each
// name survives the round trip unchanged.
QString NameFromBytes(const QByteArray& bytes);
QByteArray NameToBytes(QStringView name);

// The string as a path for the file system (its bytes as NameToBytes makes
// them), terminated, into a buffer of maxBufLen bytes. False when it does not
// fit or holds a NUL, which no path can.
bool CFStringGetFileSystemRepresentation(const QString& string, char* buffer, CFIndex maxBufLen);
// The string a terminated path for the file system stands for.
QString CFStringCreateWithFileSystemRepresentation(const char* buffer);
