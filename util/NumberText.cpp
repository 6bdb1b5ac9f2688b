// SPDX-License-Identifier: GPL-3.0-or-later
// Number text and case-insensitive search. Folding is done by hand rather
// than with toupper(): the application sets the user's locale at start-up,
// and these comparisons must not change meaning with it.
#include "util/NumberText.h"

#include <new>

namespace
{

unsigned char folded(unsigned char byte)
{
    return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
}

int digitCount(uint32_t magnitude)
{
    int digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    return digits;
}

// The magnitude of a signed value as unsigned, so the most negative value
// needs no special case.
uint32_t magnitudeOf(int32_t value)
{
    return value < 0 ? 0u - uint32_t(value) : uint32_t(value);
}

char* newDecimal(uint32_t magnitude, bool negative)
{
    const int digits = digitCount(magnitude);
    char* buffer = new (std::nothrow) char[digits + 2];
    if (!buffer)
        return nullptr;
    char* out = buffer;
    do {
        *out++ = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *out++ = '-';
    *out = '\0';
    reverse(buffer);
    return buffer;
}

} // namespace

const char* STRSTR(const char* text, const char* pattern)
{
    if (*pattern == '\0')
        return text;
    const auto first = folded(static_cast<unsigned char>(*pattern));
    for (const char* start = text; *start != '\0'; ++start) {
        if (folded(static_cast<unsigned char>(*start)) != first)
            continue;
        const char* t = start;
        const char* p = pattern;
        while (*p != '\0' &&
               folded(static_cast<unsigned char>(*t)) == folded(static_cast<unsigned char>(*p))) {
            ++t;
            ++p;
        }
        if (*p == '\0')
            return start;
    }
    return nullptr;
}

int STRNCMP(const char* a, const char* b, int n)
{
    for (int i = 0; i != n; ++i) {
        const auto byteA = static_cast<unsigned char>(a[i]);
        const auto byteB = static_cast<unsigned char>(b[i]);
        if (folded(byteA) != folded(byteB))
            return int(byteA) - int(byteB);
        if (byteA == '\0')
            return 0;
    }
    return 0;
}

void reverse(char* text)
{
    if (!text || *text == '\0')
        return;
    char* back = text;
    while (back[1] != '\0')
        ++back;
    for (char* front = text; front < back; ++front, --back) {
        const char byte = *front;
        *front = *back;
        *back = byte;
    }
}

char* itoa(uint32_t value)
{
    return newDecimal(value, false);
}
char* itoa(int32_t value)
{
    return newDecimal(magnitudeOf(value), value < 0);
}
char* itoa(int16_t value)
{
    return newDecimal(magnitudeOf(value), value < 0);
}

void itoa(char* buffer, short size, int32_t value)
{
    if (size < 1)
        return;
    const bool negative = value < 0;
    // The terminator always needs a byte, and a negative value its sign.
    int room = size - 1 - (negative ? 1 : 0);
    uint32_t magnitude = magnitudeOf(value);
    char* out = buffer;
    while (room > 0) {
        *out++ = char('0' + magnitude % 10);
        --room;
        magnitude /= 10;
        if (magnitude == 0)
            break;
    }
    if (negative && size >= 2)
        *out++ = '-';
    *out = '\0';
    reverse(buffer);
}
