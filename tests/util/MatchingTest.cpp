// The matchers, run the way callers run them: through CString256::match with
// an adapter chosen as a function pointer.
#include "util/Matching.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

float scoreOf(const std::string& text, MatchFunc matcher, void* data)
{
    CString256 subject(text.c_str());
    float score = -1.0f;
    subject.match(matcher, data, &score);
    return score;
}

float scoreOf(const std::string& text, MatchFunc matcher, const std::string& pattern)
{
    return scoreOf(text, matcher, const_cast<char*>(pattern.c_str()));
}

// Longest common subsequence: no in-order scan can match more.
size_t commonSubsequence(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1, 0);
    for (char x : a) {
        for (size_t j = 1, diagonal = 0; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = x == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

TEST(Matching, ScoresThroughTheAdapters)
{
    const MatchFunc exact = matcher_case_exact_256, nocaseExact = matcher_nocase_exact_256,
                    partial = matcher_case_partial_256, nocasePartial = matcher_nocase_partial_256,
                    approximate = matcher_case_approximate_256,
                    nocaseApproximate = matcher_nocase_approximate_256;
    const std::string l255(255, 'l'), l300(300, 'l');
    // clang-format off
    struct { MatchFunc matcher; std::string text, pattern; float expected; } const cases[] = {
        {exact, "abc", "abc", 1},               {exact, "abc", "abcd", 0},
        {exact, "abc", "ab", 0},                {exact, "", "", 0},
        {exact, "abc", "ABC", 0},               {exact, l255, l300, 1},
        {nocaseExact, "abc", "ABC", 1},         {nocaseExact, "\xC9", "\xE9", 0},
        {partial, "photo.jpg", "o.j", 1},       {partial, "photo.jpg", "", 0},
        {partial, "ab", "abc", 0},              {partial, "aab", "ab", 1},
        {partial, "x.jpg", "JPG", 0},           {nocasePartial, "x.jpg", "JPG", 1},
        {approximate, "abcdef", "ace", 6.0f / 9}, {approximate, "abc", "axc", 4.0f / 6},
        {approximate, "abc", "cab", 2.0f / 6},  {approximate, "abc", "xyz", 0},
        {approximate, "abc", "", 0},            {approximate, "", "", 0},
        {approximate, "abc", "ABC", 0},         {nocaseApproximate, "abc", "ABC", 1}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(scoreOf(c.text, c.matcher, c.pattern), c.expected)
            << c.text << " / " << c.pattern;
}

TEST(Matching, WildcardPiecesOccurInOrderWithoutOverlap)
{
    const MatchFunc exact = match_wildcard_case_256, nocase = match_wildcard_nocase_256;
    // clang-format off
    struct { std::vector<const char*> pieces; const char* text; MatchFunc matcher; float expected; }
    const cases[] = {
        {{"ph", "jpg"}, "photo.jpg", exact, 1}, {{"jpg", "ph"}, "photo.jpg", exact, 0},
        {{"o", "o"}, "photo", exact, 1},        {{"oto", "to"}, "photo", exact, 0},
        {{"PH", "JPG"}, "photo.jpg", exact, 0}, {{"PH", "JPG"}, "photo.jpg", nocase, 1},
        {{"jpg", ""}, "photo.jpg", nocase, 1},  {{"", "jpg", ""}, "photo.jpg", exact, 1},
        {{}, "", exact, 1},                     {{"x"}, "", nocase, 0}};
    // clang-format on
    CList<CString256> list;
    for (const auto& c : cases) {
        list.clear();
        for (const char* piece : c.pieces)
            list.append(CString256(piece));
        EXPECT_EQ(scoreOf(c.text, c.matcher, &list), c.expected) << c.text;
    }
    // The adapters cut a longer text to 255 characters first.
    std::string text = std::string(255, 'a') + "tail";
    list.clear();
    list.append(CString256("tail"));
    float score = -1.0f;
    match_wildcard_case_256(text.data(), &list, &score);
    EXPECT_EQ(score, 0.0f);
}

// The approximate score is 2m/(T+P) for a count m of in-order matches that
// no common subsequence exceeds; m covers the whole pattern exactly when the
// pattern is a subsequence, and is above zero exactly when a byte is shared.
TEST(Matching, ApproximateScoreIsTwiceMatchesOverTotalLength)
{
    RandomText random(77);
    for (int round = 0; round < 4000; ++round) {
        std::string text = random.text(round % 2 ? 12 : 255);
        std::string pattern = random.text(round % 3 ? 10 : 255);
        if (text.empty() && pattern.empty())
            continue;
        const float score = scoreOf(text, matcher_case_approximate_256, pattern);
        ASSERT_TRUE(score >= 0.0f && score <= 1.0f) << score;
        const double total = double(text.size() + pattern.size());
        const double m = std::round(score * total / 2);
        const size_t lcs = commonSubsequence(text, pattern);
        ASSERT_FLOAT_EQ(score, float(2 * m / total)) << text << " / " << pattern;
        ASSERT_LE(m, lcs);
        ASSERT_EQ(m == pattern.size(), lcs == pattern.size()) << text << " / " << pattern;
        ASSERT_EQ(m > 0, lcs > 0) << text << " / " << pattern;

        // Ignoring case is the same as comparing lower-cased copies.
        const float nocase = scoreOf(text, matcher_nocase_approximate_256, pattern);
        for (std::string* s : {&text, &pattern})
            std::transform(s->begin(), s->end(), s->begin(),
                           [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; });
        ASSERT_EQ(nocase, scoreOf(text, matcher_case_approximate_256, pattern));
    }
}
