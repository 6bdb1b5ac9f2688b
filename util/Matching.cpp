// SPDX-License-Identifier: GPL-3.0-or-later
// The string matchers of CString256 and their MatchFunc adapters. Each rule
// is written once over a byte-folding function and instantiated with and
// without case folding.
#include "util/Matching.h"

#include "util/NumberText.h"

#include <cmath>
#include <cstring>

namespace
{

unsigned char keepCase(char byte)
{
    return static_cast<unsigned char>(byte);
}

// ASCII letters only, as everywhere in these utilities: the score of a name
// must not depend on the locale the program happens to run in.
unsigned char foldCase(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return (value >= 'A' && value <= 'Z') ? value + ('a' - 'A') : value;
}

using Fold = unsigned char (*)(char);

float exactScore(const char* text, const char* pattern, Fold fold)
{
    if (*pattern == '\0')
        return 0.0f;
    for (; *pattern != '\0'; ++text, ++pattern) {
        if (*text == '\0' || fold(*text) != fold(*pattern))
            return 0.0f;
    }
    return *text == '\0' ? 1.0f : 0.0f;
}

float partialScore(const char* text, const char* pattern, Fold fold)
{
    if (*pattern == '\0')
        return 0.0f;
    for (const char* start = text; *start != '\0'; ++start) {
        const char* t = start;
        const char* p = pattern;
        while (*p != '\0' && *t != '\0' && fold(*t) == fold(*p)) {
            ++t;
            ++p;
        }
        if (*p == '\0')
            return 1.0f;
    }
    return 0.0f;
}

float approximateScore(const char* text, const char* pattern, Fold fold)
{
    const size_t textLength = std::strlen(text);
    const size_t patternLength = std::strlen(pattern);
    // Nothing to compare: treated like the empty pattern against any text,
    // rather than dividing zero by zero.
    if (textLength + patternLength == 0)
        return 0.0f;

    size_t matched = 0;
    size_t cursor = 0;
    for (size_t k = 0; k < patternLength && cursor < textLength; ++k) {
        const unsigned char wanted = fold(pattern[k]);
        for (size_t j = cursor; j < textLength; ++j) {
            if (fold(text[j]) == wanted) {
                ++matched;
                cursor = j + 1;
                break;
            }
        }
    }

    const float textMiss = std::fabs(float(textLength) - float(matched));
    const float patternMiss = std::fabs(float(patternLength) - float(matched));
    const double ratio =
        (double(textMiss) + double(patternMiss)) / double(textLength + patternLength);
    return float(1.0 - ratio);
}

using Search = const char* (*)(const char*, const char*);

const char* searchCase(const char* text, const char* piece)
{
    return std::strstr(text, piece);
}

float wildcardScore(const char* text, CList<CString256>& pieces, Search search)
{
    const char* position = text;
    pieces.current = pieces.first;
    while (pieces.current) {
        const elem<CString256>* piece = pieces.current;
        pieces.current = piece->next;
        const char* found = search(position, piece->item.text);
        if (!found)
            return 0.0f;
        position = found + std::strlen(piece->item.text);
    }
    return 1.0f;
}

CString256& textOf(void* object)
{
    return *static_cast<CString256*>(object);
}

// A terminated text of any length, cut to the capacity.
CString256 copyOf(void* terminated)
{
    return CString256(static_cast<const char*>(terminated));
}

CList<CString256>& piecesOf(void* list)
{
    return *static_cast<CList<CString256>*>(list);
}

} // namespace

void CString256::match_case_exact(const CString256& pattern, float* score) const
{
    *score = exactScore(text, pattern.text, keepCase);
}

void CString256::match_nocase_exact(const CString256& pattern, float* score) const
{
    *score = exactScore(text, pattern.text, foldCase);
}

void CString256::match_case_partial(const CString256& pattern, float* score) const
{
    *score = partialScore(text, pattern.text, keepCase);
}

void CString256::match_nocase_partial(const CString256& pattern, float* score) const
{
    *score = partialScore(text, pattern.text, foldCase);
}

void CString256::match_case_approximate(const CString256& pattern, float* score) const
{
    *score = approximateScore(text, pattern.text, keepCase);
}

void CString256::match_nocase_approximate(const CString256& pattern, float* score) const
{
    *score = approximateScore(text, pattern.text, foldCase);
}

void CString256::match_wildcard_case(CList<CString256>& pieces, float* score) const
{
    *score = wildcardScore(text, pieces, searchCase);
}

void CString256::match_wildcard_nocase(CList<CString256>& pieces, float* score) const
{
    *score = wildcardScore(text, pieces, STRSTR);
}

void CString256::match(MatchFunc matcher, void* data, float* score)
{
    matcher(this, data, score);
}

void matcher_case_exact_256(void* text, void* pattern, float* score)
{
    textOf(text).match_case_exact(copyOf(pattern), score);
}

void matcher_nocase_exact_256(void* text, void* pattern, float* score)
{
    textOf(text).match_nocase_exact(copyOf(pattern), score);
}

void matcher_case_partial_256(void* text, void* pattern, float* score)
{
    textOf(text).match_case_partial(copyOf(pattern), score);
}

void matcher_nocase_partial_256(void* text, void* pattern, float* score)
{
    textOf(text).match_nocase_partial(copyOf(pattern), score);
}

void matcher_case_approximate_256(void* text, void* pattern, float* score)
{
    textOf(text).match_case_approximate(copyOf(pattern), score);
}

void matcher_nocase_approximate_256(void* text, void* pattern, float* score)
{
    textOf(text).match_nocase_approximate(copyOf(pattern), score);
}

void match_wildcard_case_256(void* text, void* pieces, float* score)
{
    copyOf(text).match_wildcard_case(piecesOf(pieces), score);
}

void match_wildcard_nocase_256(void* text, void* pieces, float* score)
{
    copyOf(text).match_wildcard_nocase(piecesOf(pieces), score);
}
