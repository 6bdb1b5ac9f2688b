// SPDX-License-Identifier: GPL-3.0-or-later
// Decimal text of integers and case-insensitive search and comparison on
// terminated single-byte texts.
//
// Case folding here is ASCII only (a-z onto A-Z); every other byte compares
// exactly, whatever locale the process runs in.
//
// Widths: the number overloads take the fixed widths they format (32-bit
// signed and unsigned, 16-bit signed). An int literal picks itoa(int32_t),
// an unsigned literal itoa(uint32_t), a short itoa(int16_t). A long, a
// size_t or any other wider integer is deliberately ambiguous: the caller
// has to say which width the value is meant to have.
#pragma once

#include <cstdint>

// The first position in text where pattern occurs, letters compared without
// case, or null when it occurs nowhere. An empty pattern matches at text.
const char* STRSTR(const char* text, const char* pattern);

// Compares at most n bytes without case, stopping after a terminator both
// texts share; a negative n sets no limit. A non-zero result is the
// difference of the first differing bytes as they are (unfolded, unsigned).
int STRNCMP(const char* a, const char* b, int n);

// Reverses the bytes before the terminator in place; null is accepted.
void reverse(char* text);

// Decimal text in a new buffer the caller releases with delete[]; null when
// the buffer cannot be obtained.
char* itoa(uint32_t value);
char* itoa(int32_t value);
char* itoa(int16_t value);

// Decimal text into the caller's buffer of size bytes. A text that does not
// fit keeps its lowest digits; a negative value keeps its sign in preference
// to a digit, so the written bytes never pass size. A size below 1 writes
// nothing.
void itoa(char* buffer, short size, int32_t value);
