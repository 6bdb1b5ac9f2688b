// Lists of strings: appending copies, clearing, and splitting a text into a
// list and joining it back.
#include "util/CList.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Values = std::vector<std::string>;

// The values in order, checking the links and count on the way.
Values valuesOf(const CList<CString256>& list)
{
    Values values;
    for (auto* node = list.first; node; node = node->next) {
        values.emplace_back(node->item.text);
        EXPECT_EQ(node->next == nullptr, node == list.last);
    }
    EXPECT_EQ(int32_t(values.size()), list.count);
    return values;
}

void fill(CList<CString256>& list, const Values& values)
{
    list.clear();
    for (const std::string& v : values)
        list.append(CString256(v.c_str()));
}

} // namespace

TEST(CList, AppendKeepsCopiesAndClearEmpties)
{
    CList<CString256> list;
    list.clear();
    EXPECT_EQ(valuesOf(list), Values{});
    CString256 value("first");
    list.append(value);
    value = "changed";
    list.append(value);
    EXPECT_EQ(valuesOf(list), (Values{"first", "changed"}));
    list.clear();
    EXPECT_EQ(list.current, nullptr);
    list.append(value);
    EXPECT_EQ(list.first, list.last);
    EXPECT_EQ(valuesOf(list), Values{"changed"});
}

TEST(CList, SplitAndJoinTables)
{
    // clang-format off
    struct { const char *text, *delimiters; Values expected; } const splits[] = {
        {",,a,,b,", ",", {"a", "b"}},       {"", ",", {}},       {",,,", ",", {}},
        {"a b,,c", ", ", {"a", "b", "c"}},  {"abc", "", {"abc"}}, {"x\xE9y", "\xE9", {"x", "y"}}};
    // clang-format on
    CList<CString256> list;
    for (const auto& c : splits) {
        fill(list, {"left", "over"});
        CString256(c.text).parse_into_list(c.delimiters, list);
        EXPECT_EQ(valuesOf(list), c.expected) << c.text;
    }
    // The text being split may be one of the list's own values.
    fill(list, {"p,q", "s"});
    list.first->item.parse_into_list(",", list);
    EXPECT_EQ(valuesOf(list), (Values{"p", "q"}));

    const std::string x253(253, 'x'), x254(254, 'x');
    // clang-format off
    struct { Values values; char separator; std::string expected; } const joins[] = {
        {{"a", "b", "c"}, '+', "a+b+c"},    {{}, '+', ""},    {{"a", "", "b"}, ',', "a,,b"},
        {{x253, "yz"}, ',', x253 + ",y"},
        {{x254, "y"}, ',', x254 + "y"}}; // no room left for the separator
    // clang-format on
    for (const auto& c : joins) {
        fill(list, c.values);
        CString256 text("previous");
        text.flatten_list(c.separator, list);
        EXPECT_EQ(std::string(text.text), c.expected);
        EXPECT_EQ(list.current, nullptr);
    }
}

// Splitting and joining with one delimiter gives the text back with runs of
// the delimiter folded into one and none at either end.
TEST(CList, SplitThenJoinFoldsAndTrimsDelimiters)
{
    RandomText random(20240603);
    CList<CString256> list;
    for (int round = 0; round < 3000; ++round) {
        const char delimiters[] = {",. +"[random.between(0, 3)], '\0'};
        const CString256 source(random.text().c_str());
        std::string expected;
        for (char c : std::string(source.text)) {
            if (c != delimiters[0] || (!expected.empty() && expected.back() != c))
                expected += c;
        }
        if (!expected.empty() && expected.back() == delimiters[0])
            expected.pop_back();

        source.parse_into_list(delimiters, list);
        CString256 joined;
        joined.flatten_list(delimiters[0], list);
        ASSERT_EQ(std::string(joined.text), expected) << source.text;
    }
}
