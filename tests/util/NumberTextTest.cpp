// Case-insensitive search and comparison, reversal and decimal text, checked
// against tables of awkward cases and against the standard library's
// formatting at every width boundary.
#include "util/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::string decimal(int64_t value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Zero, the limits of every width and the digit-count steps around them.
std::vector<int64_t> boundaryValues()
{
    std::vector<int64_t> values = {0,
                                   std::numeric_limits<int16_t>::min(),
                                   std::numeric_limits<int16_t>::max(),
                                   std::numeric_limits<uint16_t>::max(),
                                   std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max(),
                                   std::numeric_limits<uint32_t>::max()};
    for (int64_t power = 1; power <= 1000000000; power *= 10) {
        for (int64_t v : {power - 1, power, power + 1})
            values.insert(values.end(), {v, -v});
    }
    for (int64_t v : std::vector<int64_t>(values))
        values.insert(values.end(), {v - 1, v + 1});
    return values;
}

} // namespace

TEST(STRSTR, FindsLeftmostOccurrenceIgnoringAsciiCase)
{
    struct Case {
        const char* text;
        const char* pattern;
        int expected; // offset, or -1 for none
    } const cases[] = {
        {"photo.jpg", "JPG", 6}, {"abc", "x", -1},  {"abc", "", 0},     {"", "", 0},
        {"abcabd", "abd", 3},    {"ab", "abc", -1}, {"xAbAb", "ab", 1}, {"\xC9t\xE9", "\xE9", 2},
        {"\xC9", "\xE9", -1},
    };
    for (const Case& c : cases) {
        const char* found = STRSTR(c.text, c.pattern);
        EXPECT_EQ(found ? int(found - c.text) : -1, c.expected) << c.text << " / " << c.pattern;
    }
}

TEST(STRNCMP, ComparesFoldedAndAnswersWithUnfoldedDifference)
{
    struct Case {
        const char* a;
        const char* b;
        int n;
        int expected;
    } const cases[] = {
        {"ABCdef", "abcXYZ", 3, 0}, {"ABCdef", "abcXYZ", 4, 'd' - 'X'},
        {"x", "y", 0, 0},           {"abc", "ABC", 10, 0},
        {"a", "B", 1, 'a' - 'B'},   {"abc", "abd", -1, 'c' - 'd'},
        {"ab", "abc", 5, -'c'},     {"\xE9", "\xC9", 1, 0xE9 - 0xC9},
        {"abc\0x", "ABC\0y", 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(STRNCMP(c.a, c.b, c.n), c.expected) << c.a << " / " << c.b << " / " << c.n;
}

TEST(Reverse, ReversesInPlace)
{
    for (auto [input, expected] : {std::pair{"abc", "cba"}, {"ab", "ba"}, {"a", "a"}, {"", ""}}) {
        char buffer[8];
        std::strcpy(buffer, input);
        reverse(buffer);
        EXPECT_STREQ(buffer, expected);
    }
    reverse(nullptr);
}

TEST(Itoa, NewBufferAgreesWithStandardFormattingAtEveryWidthBoundary)
{
    for (int64_t v : boundaryValues()) {
        const std::string expected = decimal(v);
        if (v >= 0 && v <= std::numeric_limits<uint32_t>::max()) {
            std::unique_ptr<char[]> text(itoa(uint32_t(v)));
            EXPECT_STREQ(text.get(), expected.c_str());
        }
        if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
            std::unique_ptr<char[]> text(itoa(int32_t(v)));
            EXPECT_STREQ(text.get(), expected.c_str());
        }
        if (v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max()) {
            std::unique_ptr<char[]> text(itoa(int16_t(v)));
            EXPECT_STREQ(text.get(), expected.c_str());
        }
    }
}

// A text that fits is the full decimal text; one that does not keeps its
// lowest digits, and a negative one its sign first. Nothing is written past
// the buffer's size.
TEST(Itoa, CallerBufferKeepsLowestDigitsWithinItsSize)
{
    constexpr char kUntouched = 0x7F;
    for (int64_t v : boundaryValues()) {
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            continue;
        const std::string full = decimal(v);
        const std::string digits = v < 0 ? full.substr(1) : full;
        for (short size = -1; size <= 31; ++size) {
            char buffer[40];
            std::memset(buffer, kUntouched, sizeof buffer);
            itoa(buffer, size, int32_t(v));

            std::string expected;
            if (full.size() < size_t(std::max<short>(size, 0)))
                expected = full;
            else if (v >= 0 && size >= 1)
                expected = digits.substr(digits.size() - size_t(size - 1));
            else if (v < 0 && size >= 2)
                expected = "-" + digits.substr(digits.size() - size_t(size - 2));

            if (size >= 1) {
                EXPECT_EQ(std::string(buffer), expected) << v << " in " << size;
            }
            const int firstUntouched = std::max<int>(size, 0);
            for (int i = firstUntouched; i < int(sizeof buffer); ++i)
                ASSERT_EQ(buffer[i], kUntouched) << v << " in " << size << " wrote byte " << i;
        }
    }
}
