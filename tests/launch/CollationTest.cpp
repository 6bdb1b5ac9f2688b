// Names in the Finder's order: case and width ignored, numbers by value,
// accents and punctuation significant, in several scripts.
#include "pane/ItemHelpers.h"

#include <gtest/gtest.h>

namespace
{

int Compare(const QString& a, const QString& b)
{
    return int(CompareLikeTheFinder(&a, &b, nullptr));
}

TEST(FinderOrder, ComparesAsTheFinderDoes)
{
    struct Case {
        const char* why;
        QString first;
        QString second;
        int expected;
    };
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
