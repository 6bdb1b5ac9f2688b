// The matchers, run the way callers run them: through CString256::match with
// an adapter chosen as a function pointer.
#include "util/Matching.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

float scoreOf(const char* text, MatchFunc matcher, const char* pattern)
{
    CString256 subject(text);
    float score = -1.0f;
    subject.match(matcher, const_cast<char*>(pattern), &score);
    return score;
}

// Length of the longest common subsequence: an upper bound on what any
// in-order scan can match.
size_t commonSubsequence(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1, 0);
    for (char x : a) {
        size_t diagonal = 0;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = x == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string asciiLower(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
    return text;
}

} // namespace

TEST(Matching, ScoresThroughTheAdapters)
{
    const std::string long255(255, 'l');
    const std::string long300(300, 'l');
    struct Case {
        const char* rule;
        MatchFunc matcher;
        const char* text;
        const char* pattern;
        float expected;
    } const cases[] = {
        {"case exact", matcher_case_exact_256, "abc", "abc", 1.0f},
        {"case exact", matcher_case_exact_256, "abc", "abcd", 0.0f},
        {"case exact", matcher_case_exact_256, "abc", "ab", 0.0f},
        {"case exact", matcher_case_exact_256, "", "", 0.0f},
        {"case exact", matcher_case_exact_256, "abc", "ABC", 0.0f},
        {"case exact cut", matcher_case_exact_256, long255.c_str(), long300.c_str(), 1.0f},
        {"nocase exact", matcher_nocase_exact_256, "abc", "ABC", 1.0f},
        {"nocase exact", matcher_nocase_exact_256, "\xC9", "\xE9", 0.0f},
        {"case partial", matcher_case_partial_256, "photo.jpg", "o.j", 1.0f},
        {"case partial", matcher_case_partial_256, "photo.jpg", "", 0.0f},
        {"case partial", matcher_case_partial_256, "", "a", 0.0f},
        {"case partial", matcher_case_partial_256, "ab", "abc", 0.0f},
        {"case partial", matcher_case_partial_256, "aab", "ab", 1.0f},
        {"case partial", matcher_case_partial_256, "x.jpg", "JPG", 0.0f},
        {"nocase partial", matcher_nocase_partial_256, "x.jpg", "JPG", 1.0f},
        {"approximate", matcher_case_approximate_256, "abc", "abc", 1.0f},
        {"approximate", matcher_case_approximate_256, "abcdef", "ace", 6.0f / 9.0f},
        {"approximate", matcher_case_approximate_256, "abc", "axc", 4.0f / 6.0f},
        {"approximate", matcher_case_approximate_256, "abc", "cab", 2.0f / 6.0f},
        {"approximate", matcher_case_approximate_256, "abc", "xyz", 0.0f},
        {"approximate", matcher_case_approximate_256, "abc", "", 0.0f},
        {"approximate", matcher_case_approximate_256, "", "", 0.0f},
        {"approximate", matcher_case_approximate_256, "abc", "ABC", 0.0f},
        {"nocase approximate", matcher_nocase_approximate_256, "abc", "ABC", 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(scoreOf(c.text, c.matcher, c.pattern), c.expected)
            << c.rule << ": " << c.text << " / " << c.pattern;
}

TEST(Matching, WildcardPiecesOccurInOrderWithoutOverlap)
{
    using Pieces = std::vector<const char*>;
    struct Case {
        Pieces pieces;
        const char* text;
        MatchFunc matcher;
        float expected;
    } const cases[] = {
        {{"ph", "jpg"}, "photo.jpg", match_wildcard_case_256, 1.0f},
        {{"jpg", "ph"}, "photo.jpg", match_wildcard_case_256, 0.0f},
        {{"o", "o"}, "photo", match_wildcard_case_256, 1.0f},
        {{"oto", "to"}, "photo", match_wildcard_case_256, 0.0f},
        {{"PH", "JPG"}, "photo.jpg", match_wildcard_case_256, 0.0f},
        {{"PH", "JPG"}, "photo.jpg", match_wildcard_nocase_256, 1.0f},
        {{"jpg", ""}, "photo.jpg", match_wildcard_nocase_256, 1.0f},
        {{"", "jpg", ""}, "photo.jpg", match_wildcard_case_256, 1.0f},
        {{}, "", match_wildcard_case_256, 1.0f},
        {{}, "anything", match_wildcard_nocase_256, 1.0f},
        {{"x"}, "", match_wildcard_nocase_256, 0.0f},
    };
    CList<CString256> list;
    for (const Case& c : cases) {
        list.clear();
        for (const char* piece : c.pieces)
            list.append(CString256(piece));
        CString256 text(c.text);
        float score = -1.0f;
        text.match(c.matcher, &list, &score);
        EXPECT_EQ(score, c.expected) << c.text << " with " << c.pieces.size() << " pieces";
        if (score == 1.0f) {
            EXPECT_EQ(list.current, nullptr);
        }
    }

    // The wildcard adapters cut a longer text to 255 characters first.
    const std::string longText = std::string(255, 'a') + "tail";
    list.clear();
    list.append(CString256("tail"));
    float score = -1.0f;
    match_wildcard_case_256(const_cast<char*>(longText.c_str()), &list, &score);
    EXPECT_EQ(score, 0.0f);
}

// The approximate score is 2m/(T+P) for a count m of in-order matches that
// no common subsequence exceeds, reaches the whole pattern exactly when the
// pattern is a subsequence, and is above zero exactly when a byte is shared.
TEST(Matching, ApproximateScoreIsTwiceMatchesOverTotalLength)
{
    RandomText random(77);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = random.text(round % 2 ? 12 : 255);
        const std::string pattern = random.text(round % 3 ? 10 : 255);
        if (text.empty() && pattern.empty())
            continue;
        const float score = scoreOf(text.c_str(), matcher_case_approximate_256, pattern.c_str());
        ASSERT_GE(score, 0.0f);
        ASSERT_LE(score, 1.0f);

        const double total = double(text.size() + pattern.size());
        const double m = std::round(score * total / 2.0);
        ASSERT_FLOAT_EQ(score, float(2.0 * m / total)) << text << " / " << pattern;
        const size_t lcs = commonSubsequence(text, pattern);
        ASSERT_LE(m, double(lcs));
        ASSERT_EQ(m == double(pattern.size()), lcs == pattern.size()) << text << " / " << pattern;
        ASSERT_EQ(m > 0, lcs > 0) << text << " / " << pattern;

        const float folded = scoreOf(asciiLower(text).c_str(), matcher_case_approximate_256,
                                     asciiLower(pattern).c_str());
        ASSERT_EQ(scoreOf(text.c_str(), matcher_nocase_approximate_256, pattern.c_str()), folded);
    }
}
