// Case-insensitive search and comparison, reversal, and decimal text checked
// against the standard library's formatting at every width boundary.
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
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// The limits of every width and each step in digit count, with neighbours.
std::vector<int64_t> boundaryValues()
{
    std::vector<int64_t> values{0, INT16_MIN, INT16_MAX, INT32_MIN, INT32_MAX, UINT32_MAX};
    for (int64_t power = 1; power <= 1000000000; power *= 10)
        values.insert(values.end(), {power, -power});
    for (int64_t v : std::vector<int64_t>(values))
        values.insert(values.end(), {v - 1, v + 1});
    return values;
}

template <class T> bool fits(int64_t v)
{
    return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

} // namespace

TEST(NumberText, SearchAndCompareFoldOnlyAsciiLetters)
{
    // clang-format off
    struct { const char *text, *pattern; int offset; /* -1: none */ } const searches[] = {
        {"photo.jpg", "JPG", 6}, {"abc", "x", -1},  {"abc", "", 0},           {"", "", 0},
        {"abcabd", "abd", 3},    {"ab", "abc", -1}, {"\xC9t\xE9", "\xE9", 2}, {"\xC9", "\xE9", -1}};
    // clang-format on
    for (const auto& s : searches) {
        const char* found = STRSTR(s.text, s.pattern);
        EXPECT_EQ(found ? int(found - s.text) : -1, s.offset) << s.text << " / " << s.pattern;
    }

    // clang-format off
    struct { const char *a, *b; int n, expected; } const comparisons[] = {
        {"ABCdef", "abcXYZ", 3, 0}, {"ABCdef", "abcXYZ", 4, 'd' - 'X'}, {"x", "y", 0, 0},
        {"abc", "ABC", 10, 0},      {"a", "B", 1, 'a' - 'B'},           {"abc", "abd", -1, -1},
        {"ab", "abc", 5, -'c'},     {"\xE9", "\xC9", 1, 0xE9 - 0xC9},   {"a\0x", "A\0y", 3, 0}};
    // clang-format on
    for (const auto& c : comparisons)
        EXPECT_EQ(STRNCMP(c.a, c.b, c.n), c.expected) << c.a << " / " << c.b << " over " << c.n;

    for (auto [input, expected] : {std::pair{"abc", "cba"}, {"ab", "ba"}, {"a", "a"}, {"", ""}}) {
        char buffer[4];
        reverse(std::strcpy(buffer, input));
        EXPECT_STREQ(buffer, expected);
    }
    reverse(nullptr);
}

TEST(NumberText, ItoaAgreesWithStandardFormattingAtEveryWidthBoundary)
{
    for (int64_t v : boundaryValues()) {
        auto expectText = [&](char* text) {
            EXPECT_STREQ(std::unique_ptr<char[]>(text).get(), decimal(v).c_str());
        };
        if (fits<uint32_t>(v))
            expectText(itoa(uint32_t(v)));
        if (fits<int32_t>(v))
            expectText(itoa(int32_t(v)));
        if (fits<int16_t>(v))
            expectText(itoa(int16_t(v)));
    }
}

// A text too long for the caller's buffer keeps its lowest digits, and a
// negative one its sign first; nothing is written past the buffer's size.
TEST(NumberText, ItoaIntoABufferStaysWithinItsSize)
{
    for (int64_t v : boundaryValues()) {
        if (!fits<int32_t>(v))
            continue;
        const std::string full = decimal(v), digits = v < 0 ? full.substr(1) : full;
        for (short size = -1; size <= 31; ++size) {
            char buffer[40];
            std::memset(buffer, 0x7F, sizeof buffer);
            itoa(buffer, size, int32_t(v));
            std::string expected;
            if (int(full.size()) < size)
                expected = full;
            else if (size >= (v < 0 ? 2 : 1))
                expected = (v < 0 ? "-" : "") + digits.substr(digits.size() + (v < 0) + 1 - size);
            if (size >= 1) {
                EXPECT_EQ(std::string(buffer), expected) << v << " in " << size;
            }
            for (int i = std::max<int>(size, 0); i < int(sizeof buffer); ++i)
                ASSERT_EQ(buffer[i], 0x7F) << v << " in " << size << " wrote byte " << i;
        }
    }
}
