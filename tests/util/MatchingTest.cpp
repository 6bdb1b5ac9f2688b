// SPDX-License-Identifier: GPL-3.0-or-later
// The matchers, run the way callers run them: through CString256::match with
// an adapter chosen as a function pointer; case-insensitive search and
// comparison, reversal, and decimal text checked against the standard
// library's formatting at every width boundary.
#include "util/Matching.h"
#include "util/NumberText.h"

#include "UtilTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

static float scoreOf(const std::string& text, MatchFunc matcher, const void* data)
{
    CString256 subject(text.c_str());
    float score = -1.0f;
    subject.match(matcher, const_cast<void*>(data), &score);
    return score;
}

// The in-order matches m of the approximate rule (each pattern byte takes the
// first equal text byte after the previous match, or is skipped): 2m/(T+P).
static double twiceMatchesOverTotal(const std::string& text, const std::string& pattern)
{
    size_t m = 0, cursor = 0;
    for (size_t i = 0; i < pattern.size() && cursor < text.size(); ++i) {
        if (const size_t j = text.find(pattern[i], cursor); j != std::string::npos)
            ++m, cursor = j + 1;
    }
    return 2.0 * double(m) / double(text.size() + pattern.size());
}

// Wildcard patterns are written as their pieces separated by spaces.
TEST(Matching, ScoresThroughTheAdapters)
{
    const std::string l255(255, 'l'), l300(300, 'l'); // the adapter cuts the pattern to 255
    // clang-format off
    const MatchFunc exact = matcher_case_exact_256, nocaseExact = matcher_nocase_exact_256,
        partial = matcher_case_partial_256, nocasePartial = matcher_nocase_partial_256,
        approx = matcher_case_approximate_256, nocaseApprox = matcher_nocase_approximate_256,
        wild = match_wildcard_case_256, nocaseWild = match_wildcard_nocase_256;
    struct { MatchFunc matcher; std::string text, pattern; float expected; } const cases[] = {
        {exact, "abc", "abc", 1},             {exact, "abc", "abcd", 0},
        {exact, "abc", "ab", 0},              {exact, "", "", 0},
        {exact, "abc", "ABC", 0},             {exact, l255, l300, 1},
        {nocaseExact, "abc", "ABC", 1},       {nocaseExact, "\xC9", "\xE9", 0},
        {partial, "photo.jpg", "o.j", 1},     {partial, "photo.jpg", "", 0},
        {partial, "ab", "abc", 0},            {partial, "aab", "ab", 1},
        {partial, "x.jpg", "JPG", 0},         {nocasePartial, "x.jpg", "JPG", 1},
        {approx, "abcdef", "ace", 6.0f / 9},  {approx, "abc", "axc", 4.0f / 6},
        {approx, "abc", "cab", 2.0f / 6},     {nocaseApprox, "abc", "ABC", 1},
        {wild, "photo.jpg", "ph jpg", 1},     {wild, "photo.jpg", "jpg ph", 0},
        {wild, "photo", "o o", 1},            {wild, "photo", "oto to", 0}, // no overlap
        {wild, "photo.jpg", "PH JPG", 0},     {nocaseWild, "photo.jpg", "PH JPG", 1},
        {wild, "", "", 1},                    {nocaseWild, "", "x", 0}};
    // clang-format on
    CList<CString256> pieces;
    for (const auto& c : cases) {
        CString256(c.pattern.c_str()).parse_into_list(" ", pieces);
        const bool wildcard = c.matcher == wild || c.matcher == nocaseWild;
        EXPECT_FLOAT_EQ(scoreOf(c.text, c.matcher, wildcard ? (void*)&pieces : c.pattern.data()),
                        c.expected)
            << c.text << " / " << c.pattern;
    }
}

TEST(Matching, ApproximateScoreIsTwiceMatchesOverTotalLength)
{
    RandomText random(77);
    for (int round = 0; round < 4000; ++round) {
        std::string text = random.text(round % 2 ? 12 : 255);
        std::string pattern = random.byte() + random.text(round % 3 ? 9 : 254);
        const float score = scoreOf(text, matcher_case_approximate_256, pattern.c_str());
        ASSERT_TRUE(score >= 0.0f && score <= 1.0f) << score;
        ASSERT_FLOAT_EQ(score, float(twiceMatchesOverTotal(text, pattern)))
            << text << " / " << pattern;
        // Ignoring case is the same as comparing lower-cased copies.
        const float nocase = scoreOf(text, matcher_nocase_approximate_256, pattern.c_str());
        for (std::string* s : {&text, &pattern})
            std::ranges::transform(*s, s->begin(), lowerAscii);
        ASSERT_FLOAT_EQ(nocase, float(twiceMatchesOverTotal(text, pattern)));
    }
}

TEST(NumberText, SearchCompareAndReverse)
{
    // clang-format off
    struct { const char *text, *pattern; int offset; /* -1: none */ } const searches[] = {
        {"photo.jpg", "JPG", 6}, {"abc", "x", -1},  {"abc", "", 0},           {"", "", 0},
        {"abcabd", "abd", 3},    {"ab", "abc", -1}, {"\xC9t\xE9", "\xE9", 2}, {"\xC9", "\xE9", -1}};
    struct { const char *a, *b; int n, expected; } const comparisons[] = {
        {"ABCdef", "abcXYZ", 3, 0}, {"ABCdef", "abcXYZ", 4, 'd' - 'X'}, {"x", "y", 0, 0},
        {"abc", "ABC", 10, 0},      {"a", "B", 1, 'a' - 'B'},           {"abc", "abd", -1, -1},
        {"ab", "abc", 5, -'c'},     {"\xE9", "\xC9", 1, 0xE9 - 0xC9},   {"a\0x", "A\0y", 3, 0}};
    // clang-format on
    for (const auto& s : searches) {
        const char* found = STRSTR(s.text, s.pattern);
        EXPECT_EQ(found ? int(found - s.text) : -1, s.offset) << s.text << " / " << s.pattern;
    }
    for (const auto& c : comparisons)
        EXPECT_EQ(STRNCMP(c.a, c.b, c.n), c.expected) << c.a << " / " << c.b << " over " << c.n;
    for (auto [input, expected] : {std::pair{"abc", "cba"}, {"ab", "ba"}, {"a", "a"}, {"", ""}}) {
        char buffer[4];
        EXPECT_STREQ((reverse(std::strcpy(buffer, input)), buffer), expected);
    }
    reverse(nullptr);
}

// The limits of every width and each step in digit count, with neighbours,
// through the allocating forms and into caller's buffers of every size.
TEST(NumberText, ItoaAgreesWithStandardFormattingAtEveryWidthBoundary)
{
    using Text = std::unique_ptr<char[]>; // the allocating forms' buffers
    std::vector<int64_t> values{0, INT16_MIN, INT16_MAX, INT32_MIN, INT32_MAX, UINT32_MAX};
    for (int64_t power = 1; power <= 1000000000; power *= 10)
        values.insert(values.end(), {power, -power});
    for (int64_t v : std::vector<int64_t>(values))
        values.insert(values.end(), {v - 1, v + 1});

    for (const int64_t v : values) {
        const std::string full = std::to_string(v), digits = v < 0 ? full.substr(1) : full;
        const auto expectText = [&](char* text) { EXPECT_STREQ(Text(text).get(), full.c_str()); };
        if (v >= 0 && v <= UINT32_MAX)
            expectText(itoa(uint32_t(v)));
        if (v >= INT16_MIN && v <= INT16_MAX)
            expectText(itoa(int16_t(v)));
        if (v < INT32_MIN || v > INT32_MAX)
            continue;
        expectText(itoa(int32_t(v)));
        for (short size = -1; size <= 31; ++size) {
            char buffer[40];
            std::memset(buffer, 0x7F, sizeof buffer);
            itoa(buffer, size, int32_t(v));
            std::string expected; // the sign first, the lowest digits that fit, the terminator
            if (size >= 1) {
                const int keep = std::clamp(size - 1 - int(v < 0), 0, int(digits.size()));
                expected =
                    (v < 0 && size > 1 ? "-" : "") + digits.substr(digits.size() - keep) + '\0';
            }
            expected.resize(sizeof buffer, 0x7F); // nothing written past the size
            ASSERT_EQ(std::string(buffer, sizeof buffer), expected) << v << " in " << size;
        }
    }
}
