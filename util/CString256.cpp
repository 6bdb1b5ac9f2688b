// SPDX-License-Identifier: GPL-3.0-or-later
// CString256: construction, assignment, appending, output, the text
// operations and the string pool.
#include "util/CString256.h"

#include "platform/files/Forks.h"
#include "platform/memory/Memory.h"
#include "platform/text/TextEncoding.h"
#include "util/NumberText.h"
#include "util/Pool.h"

#include <cstring>

CString256* CString256::nfree = nullptr;
int32_t CString256::nchunks = 0;

namespace
{

// Room for every 32-bit value with its sign and terminator.
constexpr short kNumberBufferSize = 31;

size_t boundedLength(const char* source, size_t limit)
{
    const void* end = std::memchr(source, '\0', limit);
    return end ? size_t(static_cast<const char*>(end) - source) : limit;
}

} // namespace

void* CString256::operator new(std::size_t) noexcept
{
    return pool::take(nfree, nchunks);
}

void CString256::operator delete(void* object, std::size_t) noexcept
{
    pool::give(nfree, object);
}

// --- construction and assignment ---------------------------------------------

CString256::CString256() : next_free(nullptr)
{
    text[0] = '\0';
}

CString256::CString256(const char* source) : CString256()
{
    *this = source;
}

CString256::CString256(std::nullptr_t) : CString256() {}

CString256::CString256(const CString256& other) : CString256()
{
    *this = other;
}

CString256::CString256(unsigned char* pascal) : CString256()
{
    *this = pascal;
}

CString256::CString256(const unsigned char* pascal) : CString256()
{
    *this = const_cast<unsigned char*>(pascal);
}

size_t CString256::length() const
{
    return std::strlen(text);
}

void CString256::assign(const char* source, size_t length)
{
    if (length > kCapacity)
        length = kCapacity;
    std::memmove(text, source, length);
    text[length] = '\0';
}

void CString256::append(const char* source, size_t length)
{
    const size_t current = this->length();
    const size_t room = kCapacity - current;
    if (length > room)
        length = room;
    std::memmove(text + current, source, length);
    text[current + length] = '\0';
}

CString256& CString256::operator=(char* source)
{
    return *this = const_cast<const char*>(source);
}

CString256& CString256::operator=(const char* source)
{
    if (!source)
        text[0] = '\0';
    else
        assign(source, boundedLength(source, kCapacity));
    return *this;
}

CString256& CString256::operator=(std::nullptr_t)
{
    text[0] = '\0';
    return *this;
}

CString256& CString256::operator=(const CString256& other)
{
    if (this != &other)
        assign(other.text, boundedLength(other.text, kCapacity));
    return *this;
}

CString256& CString256::operator=(unsigned char* pascal)
{
    if (!pascal) {
        text[0] = '\0';
        return *this;
    }
    // A length byte of at most 255 always fits the 256 bytes.
    CopyPascalStringToC(pascal, text);
    return *this;
}

CString256& CString256::operator=(const CFStringRef& string)
{
    // Whether the conversion succeeded is not looked at: a failed one leaves
    // the empty text, which is what we want here.
    text[0] = '\0';
    CFStringGetCString(string, text, sizeof text, kCFStringEncodingMacRoman);
    text[kCapacity] = '\0';
    return *this;
}

CString256& CString256::operator=(Handle handle)
{
    if (!handle || !*handle) {
        text[0] = '\0';
        return *this;
    }
    const Size size = GetHandleSize(handle);
    const size_t count = size < 256 ? size_t(size) : size_t(kCapacity);
    assign(*handle, boundedLength(*handle, count));
    return *this;
}

CString256& CString256::operator=(int32_t number)
{
    itoa(text, kNumberBufferSize, number);
    return *this;
}

// --- appending ---------------------------------------------------------------------

CString256& CString256::operator+=(const char* source)
{
    if (source)
        append(source, boundedLength(source, kCapacity));
    return *this;
}

CString256& CString256::operator+=(const CString256& other)
{
    append(other.text, boundedLength(other.text, kCapacity));
    return *this;
}

CString256& CString256::operator+=(unsigned char* pascal)
{
    if (pascal) {
        char converted[256];
        CopyPascalStringToC(pascal, converted);
        *this += converted;
    }
    return *this;
}

CString256& CString256::operator+=(int32_t number)
{
    char digits[kNumberBufferSize];
    itoa(digits, kNumberBufferSize, number);
    return *this += digits;
}

CString256& CString256::operator+=(const CFStringRef& string)
{
    char converted[256] = {};
    CFStringGetCString(string, converted, sizeof converted, kCFStringEncodingMacRoman);
    converted[kCapacity] = '\0';
    return *this += converted;
}

CString256& CString256::operator+=(char byte)
{
    const size_t current = length();
    if (byte != '\0' && current <= kCapacity - 2) {
        text[current] = byte;
        text[current + 1] = '\0';
    }
    return *this;
}

// --- output ------------------------------------------------------------------------

void CString256::print(char* buffer) const
{
    if (!buffer)
        return;
    char* end = buffer + std::strlen(buffer);
    const size_t count = length();
    std::memcpy(end, text, count);
    end[count] = '\n';
    end[count + 1] = '\0';
}

OSErr CString256::print(short refNum) const
{
    // A full text has no byte left for the line feed, so write from a copy.
    char line[257];
    const size_t count = length();
    std::memcpy(line, text, count);
    line[count] = '\n';
    long byteCount = long(count + 1);
    return FSWrite(refNum, &byteCount, line);
}

// --- text operations ----------------------------------------------------------------

void CString256::to_lower()
{
    // Only A to Z: bytes from 0x80 on are not letters of any one encoding
    // here, whatever locale the process runs in.
    for (char* p = text; *p != '\0'; ++p) {
        if (*p >= 'A' && *p <= 'Z')
            *p = char(*p + ('a' - 'A'));
    }
}

void CString256::filter_to_alnum_or_punct()
{
    char* kept = text;
    for (const char* p = text; *p != '\0'; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte >= 0x21 && byte <= 0x7E)
            *kept++ = *p;
    }
    *kept = '\0';
}

void CString256::change_suffix(const char* suffix)
{
    if (char* dot = std::strrchr(text, '.'))
        *dot = '\0';
    *this += ".";
    *this += suffix;
}

bool CString256::beginsWith(const CString256* prefix, unsigned char caseMode) const
{
    return beginsWith(prefix->text, caseMode);
}

bool CString256::beginsWith(const char* prefix, unsigned char caseMode) const
{
    const size_t count = std::strlen(prefix);
    if (caseMode == 0)
        return std::strncmp(text, prefix, count) == 0;
    return STRNCMP(text, prefix, int(count)) == 0;
}

bool CString256::endsWith(const CString256* suffix, unsigned char caseMode) const
{
    return endsWith(suffix->text, caseMode);
}

bool CString256::endsWith(const char* suffix, unsigned char caseMode) const
{
    const size_t count = std::strlen(suffix);
    const size_t own = length();
    if (own < count)
        return false;
    const char* tail = text + (own - count);
    if (caseMode == 0)
        return std::memcmp(tail, suffix, count) == 0;
    return STRNCMP(tail, suffix, int(count)) == 0;
}

bool CString256::beginsWith_nocase(const CString256& prefix) const
{
    return beginsWith(&prefix, 1);
}
bool CString256::beginsWith_nocase(const char* prefix) const
{
    return beginsWith(prefix, 1);
}
bool CString256::endsWith_nocase(const CString256& suffix) const
{
    return endsWith(&suffix, 1);
}
bool CString256::endsWith_nocase(const char* suffix) const
{
    return endsWith(suffix, 1);
}
