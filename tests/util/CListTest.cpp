// Lists of strings: appending copies, clearing, and splitting a text into a
// list and joining it back.
#include "util/CList.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string> valuesOf(CList<CString256>& list)
{
    std::vector<std::string> values;
    int32_t walked = 0;
    for (auto* node = list.first; node; node = node->next, ++walked) {
        values.emplace_back(node->item.text);
        if (!node->next) {
            EXPECT_EQ(node, list.last);
        }
    }
    EXPECT_EQ(walked, list.count);
    EXPECT_EQ(list.first == nullptr, list.count == 0);
    return values;
}

void fill(CList<CString256>& list, const std::vector<std::string>& values)
{
    list.clear();
    for (const std::string& v : values)
        list.append(CString256(v.c_str()));
}

using Values = std::vector<std::string>;

} // namespace

TEST(CList, AppendKeepsCopiesAndClearEmpties)
{
    CList<CString256> list;
    list.clear();
    EXPECT_TRUE(valuesOf(list).empty());

    CString256 value("first");
    list.append(value);
    EXPECT_EQ(list.first, list.last);
    EXPECT_EQ(list.count, 1);
    value = "changed";
    list.append(value);
    EXPECT_EQ(valuesOf(list), (Values{"first", "changed"}));

    list.clear();
    EXPECT_EQ(list.current, nullptr);
    list.append(value);
    EXPECT_EQ(list.first, list.last);
    EXPECT_EQ(valuesOf(list), Values{"changed"});
}

TEST(CList, ParseIntoListDropsEmptyTokens)
{
    struct Case {
        const char* text;
        const char* delimiters;
        Values expected;
    } const cases[] = {
        {",,a,,b,", ",", {"a", "b"}},
        {"", ",", {}},
        {",,,", ",", {}},
        {"a b,,c d", ", ", {"a", "b", "c", "d"}},
        {"abc", "", {"abc"}},
        {"a.b", ",", {"a.b"}},
        {"x\xE9y", "\xE9", {"x", "y"}},
    };
    CList<CString256> list;
    for (const Case& c : cases) {
        fill(list, {"left", "over"});
        const CString256 text(c.text);
        text.parse_into_list(c.delimiters, list);
        EXPECT_EQ(valuesOf(list), c.expected) << c.text;
        EXPECT_EQ(std::string(text.text), c.text);
    }
}

TEST(CList, ParseIntoListWhenTheTextIsOneOfTheListsOwnValues)
{
    CList<CString256> list;
    fill(list, {"p,q,r", "s"});
    list.first->item.parse_into_list(",", list);
    EXPECT_EQ(valuesOf(list), (Values{"p", "q", "r"}));
}

TEST(CList, FlattenListJoinsWithTheSeparator)
{
    struct Case {
        Values values;
        char separator;
        std::string expected;
    } const cases[] = {
        {{"a", "b", "c"}, '+', "a+b+c"},
        {{}, '+', ""},
        {{"only"}, ',', "only"},
        {{"a", "", "b"}, ',', "a,,b"},
        {{std::string(254, 'x'), "y"}, ',', std::string(254, 'x') + "y"},
        {{std::string(253, 'x'), "yz"}, ',', std::string(253, 'x') + ",y"},
    };
    CList<CString256> list;
    for (const Case& c : cases) {
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
        const char delimiter = ",. +"[random.between(0, 3)];
        const CString256 source(random.text().c_str());

        std::string expected;
        for (char c : std::string(source.text)) {
            if (c != delimiter || (!expected.empty() && expected.back() != delimiter))
                expected += c;
        }
        if (!expected.empty() && expected.back() == delimiter)
            expected.pop_back();

        const char delimiters[] = {delimiter, '\0'};
        source.parse_into_list(delimiters, list);
        CString256 joined;
        joined.flatten_list(delimiter, list);
        ASSERT_EQ(std::string(joined.text), expected) << source.text;
    }
}
