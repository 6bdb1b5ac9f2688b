// SPDX-License-Identifier: GPL-3.0-or-later
// Names in the Finder's order: case and width ignored, numbers by value,
// accents and punctuation significant, in several scripts.
#include "pane/ItemHelpers.h"

#include <gtest/gtest.h>

namespace
{

struct Case {
    const char* why;
    QString first;
    QString second;
    int expected;
};

int Compare(const QString& a, const QString& b)
{
    return int(CompareLikeTheFinder(&a, &b, nullptr));
}

TEST(FinderOrder, ComparesAsTheFinderDoes)
{
    const Case cases[] = {
        {"only case differs", "Holiday Photo", "holiday photo", 0},
        {"9 before 10", "Photo 9.jpg", "Photo 10.jpg", -1},
        {"10 after 9", "Photo 10.jpg", "Photo 9.jpg", 1},
        {"leading zeros are the same number", "img007", "img7", 0},
        {"numbers by value beyond 64 bits", "v99999999999999999999", "v100000000000000000000", -1},
        {"an accent counts", QString::fromUtf8("r\xc3\xa9sum\xc3\xa9"), "resume", 1},
        {"composed and decomposed forms are equal", QString::fromUtf8("caf\xc3\xa9"),
         QString::fromUtf8("cafe\xcc\x81"), 0},
        {"full and half widths are equal",
         QString::fromUtf8("\xef\xbc\xa1\xef\xbc\xa2\xef\xbc\xa3"), "abc", 0},
        {"punctuation counts", "a-b", "ab", -1},
        {"an empty name first", "", "a", -1},
        {"Greek case ignored", QString::fromUtf8("\xce\x91\xce\xbb\xcf\x86\xce\xb1"),
         QString::fromUtf8("\xce\xb1\xce\xbb\xcf\x86\xce\xb1"), 0},
        {"Cyrillic numbers by value", QString::fromUtf8("\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb 2"),
         QString::fromUtf8("\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb 10"), -1},
        {"Arabic-Indic digits by value",
         QString::fromUtf8("\xd8\xb5\xd9\x88\xd8\xb1\xd8\xa9 \xd9\xa9"),
         QString::fromUtf8("\xd8\xb5\xd9\x88\xd8\xb1\xd8\xa9 \xd9\xa1\xd9\xa0"), -1},
        {"half-width katakana equals full-width", QString::fromUtf8("\xef\xbd\xb6"),
         QString::fromUtf8("\xe3\x82\xab"), 0},
        {"Greek accent counts", QString::fromUtf8("\xce\xac"), QString::fromUtf8("\xce\xb1"), 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Compare(c.first, c.second), c.expected) << c.why;
}

TEST(FinderOrder, RunsOfDigitsOfAnyLengthCompareByValue)
{
    // The collation library reads a run of at most 254 digits as one number;
    // longer runs must still compare by their value.
    const auto run = [](qsizetype count, char16_t digit) { return QString(count, QChar(digit)); };
    const char16_t arabicNine = u'\u0669', arabicOne = u'\u0661', arabicZero = u'\u0660';
    const Case cases[] = {
        {"255 nines before a 1 and 255 zeros", "n" + run(255, u'9'), "n1" + run(255, u'0'), -1},
        {"a 1 and 255 zeros after 255 nines", "n1" + run(255, u'0'), "n" + run(255, u'9'), 1},
        {"254 nines before a 1 and 254 zeros", "n" + run(254, u'9'), "n1" + run(254, u'0'), -1},
        {"253 nines before a 1 and 253 zeros", "n" + run(253, u'9'), "n1" + run(253, u'0'), -1},
        {"equal lengths, the first digit differs", "n1" + run(299, u'0'), "n2" + run(299, u'0'),
         -1},
        {"equal lengths, the last digit differs", "n" + run(299, u'5') + "1",
         "n" + run(299, u'5') + "2", -1},
        {"a 1 and 600 zeros after 600 nines", "n1" + run(600, u'0'), "n" + run(600, u'9'), 1},
        {"leading zeros do not count", "n000" + run(300, u'3'), "n" + run(300, u'3'), 0},
        {"a long run of zeros is a small number", "n" + run(300, u'0') + "5", "n6", -1},
        {"a long number after a short one", "n" + run(300, u'1'), "n2", 1},
        {"the text after equal long numbers decides", "n" + run(255, u'9') + "b",
         "n" + run(255, u'9') + "a", 1},
        {"a later number after equal long numbers", "n" + run(255, u'9') + "-10",
         "n" + run(255, u'9') + "-9", 1},
        {"case still ignored beside long numbers", "N" + run(300, u'4') + "X",
         "n" + run(300, u'4') + "x", 0},
        {"accents still count beside long numbers", QString::fromUtf8("\xc3\xa9") + run(300, u'4'),
         "e" + run(300, u'4'), 1},
        {"digits before letters beside long numbers", "n" + run(300, u'4'), "na", -1},
        {"Arabic-Indic digits by value", run(255, arabicNine),
         QString(QChar(arabicOne)) + run(255, arabicZero), -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Compare(c.first, c.second), c.expected) << c.why;
        EXPECT_EQ(Compare(c.second, c.first), -c.expected) << c.why << ", the other way round";
    }

    QStringList names{"n1" + run(255, u'0'), "n10",
                      "n" + run(255, u'9'),  "n9",
                      "n" + run(256, u'9'),  "n1" + run(254, u'0')};
    SortCFMutableArrayOfCFStringsLikeTheFinder(names);
    EXPECT_EQ(names, QStringList({"n9", "n10", "n1" + run(254, u'0'), "n" + run(255, u'9'),
                                  "n1" + run(255, u'0'), "n" + run(256, u'9')}));
}

TEST(FinderOrder, NamesLongerThanTheBufferAreComparedWhole)
{
    const QString stem(1500, u'x');
    EXPECT_EQ(Compare(stem + "1", stem + "2"), -1);
    EXPECT_EQ(Compare(stem + "2", stem + "2"), 0);
}

TEST(FinderOrder, SortsAnArrayInPlace)
{
    QStringList names{"item 10",  "Item 2", "item 1", QString::fromUtf8("\xc3\x89t\xc3\xa9"),
                      "Ete",      "zeta",   "alpha",  "Alpha 3",
                      "alpha 20", "_draft", "ete"};
    SortCFMutableArrayOfCFStringsLikeTheFinder(names);
    // Equal names ("Ete", "ete") keep their order.
    EXPECT_EQ(names, QStringList({"_draft", "alpha", "Alpha 3", "alpha 20", "Ete", "ete",
                                  QString::fromUtf8("\xc3\x89t\xc3\xa9"), "item 1", "Item 2",
                                  "item 10", "zeta"}));
}

} // namespace
