// SPDX-License-Identifier: GPL-3.0-or-later
// CString256: text of at most 255 single-byte characters held in the object,
// with assignments and appends that cut overlong input silently instead of
// growing or failing. Heap-made strings come from a pool of the class's own.
//
// Overloads and literals:
//  - `s = 0` and `s += 0` format the number (an int is an exact match for the
//    int32_t overloads); numbers wider than 32 bits (long, size_t) must be
//    cast to int32_t first. `s += 5L` is ambiguous between the number and
//    the character append on purpose.
//  - a literal `nullptr` has overloads of its own and means "no text".
//  - print(short) takes a file reference number; `print(0)` does not compile
//    (0 is also a null char*), and 0 is never an open file anyway.
#pragma once

#include "platform/MacTypes.h"

#include <QString>

#include <cstddef>
#include <cstdint>

// The platform's string object, as the preference store names it too.
using CFStringRef = QString;

template <class T> class CList;

// The uniform matcher form: (text object, pattern data, score out); the
// adapters in util/Matching.h have it.
using MatchFunc = void (*)(void*, void*, float*);

class CString256
{
public:
    static constexpr int kCapacity = 255;

    CString256();
    CString256(const char* source);
    CString256(std::nullptr_t);
    CString256(const CString256& other);
    // Length-prefixed: one length byte, then that many characters.
    CString256(unsigned char* pascal);
    CString256(const unsigned char* pascal);
    ~CString256() {}

    CString256& operator=(char* source);
    CString256& operator=(const char* source);
    CString256& operator=(std::nullptr_t);
    CString256& operator=(const CString256& other);
    CString256& operator=(unsigned char* pascal);
    // Mac OS Roman. A string with a character Mac OS Roman lacks, or longer
    // than 255 bytes, does not convert and gives the empty text.
    CString256& operator=(const CFStringRef& string);
    // The block's bytes as they are, at most 255; a null handle gives the
    // empty text.
    CString256& operator=(Handle handle);
    CString256& operator=(int32_t number);

    CString256& operator+=(const char* source);
    CString256& operator+=(std::nullptr_t) { return *this; }
    // Safe when other is this object.
    CString256& operator+=(const CString256& other);
    CString256& operator+=(unsigned char* pascal);
    CString256& operator+=(int32_t number);
    // Appends nothing when the string does not convert (see operator=).
    CString256& operator+=(const CFStringRef& string);
    // Stops at 254 characters, one short of what text appends reach.
    CString256& operator+=(char byte);

    // No bounds check: callers keep the index within 0 to 255.
    char& operator[](int index) { return text[index]; }
    char operator[](int index) const { return text[index]; }

    // Appends the text and a line feed to the caller's terminated buffer,
    // which must have room for them.
    void print(char* buffer) const;
    // Writes the text and a line feed to the open file refNum at its current
    // position; the status of the write.
    OSErr print(short refNum) const;

    void to_lower();
    void filter_to_alnum_or_punct();
    // Replaces everything from the last "." on with "." and suffix.
    void change_suffix(const char* suffix);

    // caseMode 0 compares bytes exactly, anything else ignores letter case.
    bool beginsWith(const CString256* prefix, unsigned char caseMode) const;
    bool beginsWith(const char* prefix, unsigned char caseMode) const;
    bool endsWith(const CString256* suffix, unsigned char caseMode) const;
    bool endsWith(const char* suffix, unsigned char caseMode) const;
    bool beginsWith_nocase(const CString256& prefix) const;
    bool beginsWith_nocase(const char* prefix) const;
    bool endsWith_nocase(const CString256& suffix) const;
    bool endsWith_nocase(const char* suffix) const;

    // Joins the list's values with separator; moves the list's cursor.
    void flatten_list(char separator, CList<CString256>& list);
    // Splits this text into list at any of the delimiter bytes, dropping
    // empty tokens; this text may itself be one of list's values.
    void parse_into_list(const char* delimiters, CList<CString256>& list) const;

    // Matchers: each writes 1.0 or 0.0 to *score, the approximate ones a
    // similarity from 0.0 to 1.0. The wildcard ones move the list's cursor.
    void match_case_exact(const CString256& pattern, float* score) const;
    void match_nocase_exact(const CString256& pattern, float* score) const;
    void match_case_partial(const CString256& pattern, float* score) const;
    void match_nocase_partial(const CString256& pattern, float* score) const;
    void match_case_approximate(const CString256& pattern, float* score) const;
    void match_nocase_approximate(const CString256& pattern, float* score) const;
    void match_wildcard_case(CList<CString256>& pieces, float* score) const;
    void match_wildcard_nocase(CList<CString256>& pieces, float* score) const;
    // Runs a matcher of the uniform form with this object as its text.
    void match(MatchFunc matcher, void* data, float* score);

    // Pooled; null when the pool cannot grow. noexcept makes a failed
    // `new CString256` yield null rather than construct at null.
    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* object, std::size_t size) noexcept;

    // Must stay the first member: the wildcard adapters read a CString256
    // through a pointer to its text.
    char text[256];
    CString256* next_free;

    static CString256* nfree;
    // Chunks the pool has obtained so far; read by the pool's tests.
    static int32_t nchunks;

private:
    void assign(const char* source, size_t length);
    void append(const char* source, size_t length);
    size_t length() const;
};
