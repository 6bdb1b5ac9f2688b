// SPDX-License-Identifier: GPL-3.0-or-later
// CString256 and its lists: cutting at the capacity, the conversions from the
// platform's text forms, the text operations, writing lines, splitting into
// and joining from a list, random texts checked against a model; and the
// pools behind `new CString256` and list nodes.
#include "platform/files/Forks.h"
#include "platform/memory/Memory.h"
#include "support/TestSupport.h"
#include "util/CList.h"

#include "UtilTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>
#include <vector>

using Values = std::vector<std::string>;

static Handle handleWith(const std::string& bytes)
{
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

// The values in order, checking the links and count on the way.
static Values valuesOf(const CList<CString256>& list)
{
    Values values;
    for (auto* node = list.first; node; node = node->next) {
        values.emplace_back(node->item.text);
        EXPECT_EQ(node->next == nullptr, node == list.last);
    }
    EXPECT_EQ(int32_t(values.size()), list.count);
    return values;
}

static void fill(CList<CString256>& list, const Values& values)
{
    list.clear();
    for (const std::string& v : values)
        list.append(CString256(v.c_str()));
}

// The text forms and inputs the random model below does not produce, and
// the prefix and suffix tests.
TEST(CString256, OperationsOnTheEdges)
{
    const std::string q300 = std::string(150, 'q') + std::string(150, 'r');
    char* noText = nullptr;
    unsigned char pascal[] = {3, 'a', 'b', 'c', 'd', 'e', 'f', 0};
    Handle handles[] = {handleWith(q300), handleWith("abc"), handleWith({"ab\0cd", 5})};
    // clang-format off
    struct { std::string start; std::function<void(CString256&)> operation; std::string expected; } const cases[] = {
        {"ab", [](auto& s) { s += '\0'; }, "ab"},           {"ab", [&](auto& s) { s = noText; }, ""},
        {"ab", [&](auto& s) { s += noText; }, "ab"},        {"abc", [](auto& s) { s += s; }, "abcabc"},
        {"ab", [](auto& s) { s = 0; }, "0"},                {"", [](auto& s) { s = INT32_MIN; }, "-2147483648"},
        {"zz", [&](auto& s) { s = pascal; }, "abc"},        {"zz", [&](auto& s) { s += pascal; }, "zzabc"},
        {"", [&](auto& s) { s = handles[0]; }, q300.substr(0, 255)},
        {"", [&](auto& s) { s = handles[1]; }, "abc"},      {"", [&](auto& s) { s = handles[2]; }, "ab"},
        {"", [](auto& s) { s = QStringLiteral("caf\u00E9 \u20AC"); }, "caf\x8E \xDB"},
        {"ab", [](auto& s) { s = QStringLiteral("\u4E2D"); }, ""}, // not in Mac OS Roman
        {"ab", [](auto& s) { s = QString(256, u'a'); }, ""},       // longer than 255 bytes
        {"x", [](auto& s) { s += QStringLiteral("\u00E9"); }, "x\x8E"},
        {"ab", [](auto& s) { CString256("cd").print(s.text); }, "abcd\n"}};
    // clang-format on
    for (size_t i = 0; i < std::size(cases); ++i) {
        CString256 s(cases[i].start.c_str());
        cases[i].operation(s);
        EXPECT_EQ(std::string(s.text), cases[i].expected) << "case " << i;
    }
    for (Handle h : handles)
        DisposeHandle(h);

    // clang-format off
    struct { const char *text, *argument; bool nocase, begins, ends; } const tests[] = {
        {"photo.jpg", "", 0, true, true},        {"x.jpg", "JPG", 1, false, true},
        {"x.jpg", "JPG", 0, false, false},       {"jpg", "photo.jpg", 0, false, false},
        {"Photo.jpg", "pHOTO", 1, true, false},  {"\xC9t\xC9", "\xE9", 1, false, false}};
    // clang-format on
    for (const auto& c : tests) {
        const CString256 s(c.text), argument(c.argument);
        EXPECT_EQ(s.beginsWith(c.argument, c.nocase), c.begins) << c.text << " / " << c.argument;
        EXPECT_EQ(s.endsWith(&argument, c.nocase), c.ends) << c.text << " / " << c.argument;
        if (c.nocase) {
            EXPECT_EQ(s.beginsWith_nocase(argument), c.begins);
            EXPECT_EQ(s.endsWith_nocase(c.argument), c.ends);
        }
    }
}

TEST(CString256, PrintWritesLinesToAnOpenFile)
{
    testsupport::TempFolder folder;
    const QByteArray path = folder / "lines.txt";
    SInt16 refNum = 0;
    ASSERT_TRUE(testsupport::WriteFile(path, ""));
    ASSERT_EQ(FSOpenDataForkPath(path, true, &refNum), noErr);
    EXPECT_EQ(CString256("abc").print(refNum), noErr);
    EXPECT_EQ(CString256().print(refNum), noErr);
    EXPECT_EQ(FSCloseFork(refNum), noErr);
    EXPECT_EQ(CString256("closed").print(refNum), rfNumErr);
    EXPECT_EQ(testsupport::ReadFile(path), "abc\n\n");
}

// After every operation the text is terminated within its 256 bytes and is
// what the operation gives on a std::string cut to 255 characters; only the
// character append stops one short, at 254. Splitting at one delimiter and
// joining with it gives the text back with runs of the delimiter folded into
// one and none at either end.
TEST(CString256, RandomOperationsMatchAStringModel)
{
    const auto cut = [](std::string text) { return text.substr(0, 255); };
    const auto fold = [](const std::string& text, char delimiter) {
        std::string folded;
        for (char c : text) {
            if (c != delimiter || (!folded.empty() && folded.back() != delimiter))
                folded += c;
        }
        if (!folded.empty() && folded.back() == delimiter)
            folded.pop_back();
        return folded;
    };
    CList<CString256> list;
    RandomText random(31337);
    for (int round = 0; round < 3000; ++round) {
        std::string model = random.text();
        CString256 s(model.c_str());
        model = cut(model);
        for (int step = 0; step < 8; ++step) {
            const int operation = random.between(0, 8);
            const std::string arg = random.text(), suffix = arg.substr(0, 6);
            const char c = random.byte(), delimiters[] = {c, '\0'};
            const auto n = int32_t(random.engine());
            // clang-format off
            switch (operation) {
            case 0: s = arg.c_str(), model = cut(arg); break;
            case 1: s += arg.c_str(), model = cut(model + arg); break;
            case 2: s += CString256(arg.c_str()), model = cut(model + cut(arg)); break;
            case 3: s += c, model += model.size() <= 253 ? std::string(1, c) : ""; break;
            case 4: s += n, model = cut(model + std::to_string(n)); break;
            case 5: s.to_lower(), std::ranges::transform(model, model.begin(), lowerAscii); break;
            case 6: s.filter_to_alnum_or_punct(), std::erase_if(model, [](char m) { return m < 0x21 || m > 0x7E; }); break;
            case 7: s.parse_into_list(delimiters, list), s.flatten_list(c, list), model = fold(model, c); break;
            default: s.change_suffix(suffix.c_str()), model = cut(cut(model.substr(0, model.rfind('.')) + ".") + suffix);
            }
            // clang-format on
            ASSERT_NE(std::memchr(s.text, '\0', sizeof s.text), nullptr) << operation;
            ASSERT_EQ(std::string(s.text), model) << "operation " << operation;
        }
    }
}

TEST(CList, AppendClearSplitAndJoin)
{
    CList<CString256> list;
    list.clear();
    EXPECT_EQ(valuesOf(list), Values{});
    CString256 value("first");
    list.append(value);
    value = "changed"; // the list holds a copy
    list.append(value);
    EXPECT_EQ(valuesOf(list), (Values{"first", "changed"}));

    // clang-format off
    struct { const char *text, *delimiters; Values expected; } const splits[] = {
        {",,a,,b,", ",", {"a", "b"}},  {"a b,,c", ", ", {"a", "b", "c"}},
        {"abc", "", {"abc"}}};
    // clang-format on
    for (const auto& c : splits) {
        CString256(c.text).parse_into_list(c.delimiters, list);
        EXPECT_EQ(valuesOf(list), c.expected) << c.text;
    }
    // The text being split may be one of the list's own values.
    fill(list, {"p,q", "s"});
    list.first->item.parse_into_list(",", list);
    EXPECT_EQ(valuesOf(list), (Values{"p", "q"}));

    const std::string x253(253, 'x'), x254(254, 'x');
    // clang-format off
    struct { Values values; std::string expected; } const joins[] = {
        {{}, ""},                      {{"a"}, "a"},    {{"a", "", "b"}, "a,,b"},
        {{x253, "yz"}, x253 + ",y"},   {{x254, "y"}, x254 + "y"}}; // no room for the separator
    // clang-format on
    for (const auto& c : joins) {
        fill(list, c.values);
        EXPECT_EQ(valuesOf(list), c.values);
        CString256 text("previous");
        text.flatten_list(',', list);
        EXPECT_EQ(std::string(text.text), c.expected);
        EXPECT_EQ(list.current, nullptr);
    }
}

// Other tests may have used the pools already, so this first runs the pool
// dry. The object that comes from a new chunk is the chunk's first one, and
// the rest of it is handed out from the top down.
template <class T> void expectChunkOrder()
{
    std::vector<T*> held;
    const int32_t chunksBefore = T::nchunks;
    while (T::nchunks == chunksBefore)
        held.push_back(new T);
    T* chunk = held.back();
    for (int index = 255; index >= 1; --index)
        ASSERT_EQ(held.emplace_back(new T), chunk + index);
    EXPECT_EQ(T::nchunks, chunksBefore + 1) << "256 objects fit one chunk";
    held.push_back(new T);
    EXPECT_EQ(T::nchunks, chunksBefore + 2);

    T *third = held[held.size() - 3], *seventeenth = held[held.size() - 17];
    delete seventeenth;
    delete third;
    EXPECT_EQ(new T, third) << "the object given back last is handed out first";
    EXPECT_EQ(new T, seventeenth);
    for (T* object : held)
        delete object;
}

TEST(Pool, StringsAndListNodesComeInChunksOf256)
{
    expectChunkOrder<CString256>();
    expectChunkOrder<elem<CString256>>();
}

TEST(Pool, NoObjectIsHandedOutTwice)
{
    RandomText random(4242);
    std::set<CString256*> live;
    for (int step = 0; step < 8000; ++step) {
        if (live.empty() || random.between(0, 2) != 0) {
            ASSERT_TRUE(live.insert(new CString256).second) << "handed out while in use";
        } else {
            const auto given = std::next(live.begin(), random.between(0, int(live.size()) - 1));
            delete *given;
            live.erase(given);
        }
    }
    for (CString256* s : live)
        delete s;
}

#if defined(__SANITIZE_ADDRESS__)
// A free object's bytes are poisoned, so misuse is caught where it happens.
TEST(PoolDeathTest, MisusingAGivenBackStringIsCaught)
{
    CString256* volatile s = nullptr;
    EXPECT_DEATH((s = new CString256("gone"), delete s, std::strcpy(s->text, "x")),
                 "use-after-poison");
    EXPECT_DEATH((s = new CString256("twice"), delete s, delete s), "given back twice");
}
#endif
