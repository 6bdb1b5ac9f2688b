// CString256: cutting at the capacity, the conversions from the platform's
// text forms, the text operations and writing lines to a file.
#include "util/CString256.h"
#include "platform/files/Forks.h"
#include "platform/memory/Memory.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace
{

std::string textOf(const CString256& s)
{
    return std::string(s.text);
}

struct OperationCase {
    const char* name;
    std::string start;
    std::function<void(CString256&)> operation;
    std::string expected;
};

void runCases(const std::vector<OperationCase>& cases)
{
    for (const OperationCase& c : cases) {
        CString256 s(c.start.c_str());
        c.operation(s);
        EXPECT_EQ(textOf(s), c.expected) << c.name;
    }
}

// A handle holding exactly the given bytes.
Handle handleWith(const std::string& bytes)
{
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

const std::string k252(252, 'a');
const std::string k253(253, 'a');

} // namespace

TEST(CString256, AssignmentsAndAppendsCutAtTheCapacity)
{
    char* noText = nullptr;
    unsigned char pascal[] = "\x03"
                             "abcdef";
    runCases({
        {"assign 300", "", [](CString256& s) { s = std::string(300, 'x').c_str(); },
         std::string(255, 'x')},
        {"append to 252", k252, [](CString256& s) { s += "abcdef"; }, k252 + "abc"},
        {"char to 253", k253, [](CString256& s) { s += 'z'; }, k253 + "z"},
        {"two chars to 253", k253,
         [](CString256& s) {
             s += 'z';
             s += 'y';
         },
         k253 + "z"},
        {"zero byte", "ab", [](CString256& s) { s += '\0'; }, "ab"},
        {"assign null", "ab", [&](CString256& s) { s = noText; }, ""},
        {"assign nullptr", "ab", [](CString256& s) { s = nullptr; }, ""},
        {"append null", "ab", [&](CString256& s) { s += noText; }, "ab"},
        {"append itself", "abc", [](CString256& s) { s += s; }, "abcabc"},
        {"number 0", "ab", [](CString256& s) { s = 0; }, "0"},
        {"most negative", "", [](CString256& s) { s = std::numeric_limits<int32_t>::min(); },
         "-2147483648"},
        {"append number", "x", [](CString256& s) { s += -5; }, "x-5"},
        {"append number cut", k252, [](CString256& s) { s += 12345; }, k252 + "123"},
        {"pascal", "zz", [&](CString256& s) { s = pascal; }, "abc"},
        {"append pascal", "zz", [&](CString256& s) { s += pascal; }, "zzabc"},
        {"Mac Roman", "", [](CString256& s) { s = QStringLiteral("caf\u00E9 \u20AC"); },
         "caf\x8E \xDB"},
        {"not Mac Roman", "ab", [](CString256& s) { s = QStringLiteral("\u4E2D"); }, ""},
        {"too long to convert", "ab", [](CString256& s) { s = QString(256, u'a'); }, ""},
        {"append Mac Roman", "x", [](CString256& s) { s += QStringLiteral("\u00E9"); }, "x\x8E"},
        {"append not Mac Roman", "x", [](CString256& s) { s += QStringLiteral("\u4E2D"); }, "x"},
    });
}

TEST(CString256, HandleContentsAreCopiedAsTheyAre)
{
    const std::string bytes300 = std::string(150, 'q') + std::string(150, 'r');
    struct Case {
        std::string block;
        std::string expected;
    } const cases[] = {
        {bytes300, bytes300.substr(0, 255)},
        {std::string(255, 'h'), std::string(255, 'h')},
        {std::string(256, 'h'), std::string(255, 'h')},
        {"abc", "abc"}, // no terminator in the block
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    for (const Case& c : cases) {
        Handle h = handleWith(c.block);
        CString256 s("old");
        s = h;
        EXPECT_EQ(textOf(s), c.expected) << c.block.size() << " bytes";
        DisposeHandle(h);
    }
}

TEST(CString256, TextOperations)
{
    runCases({
        {"suffix", "photo.tiff", [](CString256& s) { s.change_suffix("jpg"); }, "photo.jpg"},
        {"last dot", "archive.tar.gz", [](CString256& s) { s.change_suffix("jpg"); },
         "archive.tar.jpg"},
        {"no dot", "README", [](CString256& s) { s.change_suffix("jpg"); }, "README.jpg"},
        {"empty suffix", "x.txt", [](CString256& s) { s.change_suffix(""); }, "x."},
        {"suffix at capacity", std::string(255, 'n'), [](CString256& s) { s.change_suffix("jpg"); },
         std::string(255, 'n')},
        {"lower", "ABC-\xC9z", [](CString256& s) { s.to_lower(); }, "abc-\xC9z"},
        {"filter", "a b\tc!\x7F\x80~", [](CString256& s) { s.filter_to_alnum_or_punct(); },
         "abc!~"},
    });
}

TEST(CString256, PrefixAndSuffixTests)
{
    struct Case {
        const char* text;
        const char* argument;
        unsigned char caseMode;
        bool begins;
        bool ends;
    } const cases[] = {
        {"photo.jpg", "", 0, true, true},       {"x.jpg", "JPG", 1, false, true},
        {"x.jpg", "JPG", 0, false, false},      {"jpg", "photo.jpg", 0, false, false},
        {"Photo.jpg", "pHOTO", 1, true, false}, {"photo", "photo", 0, true, true},
        {"ph", "photo", 1, false, false},       {"\xC9t\xC9", "\xE9", 1, false, false},
    };
    for (const Case& c : cases) {
        const CString256 s(c.text);
        const CString256 argument(c.argument);
        EXPECT_EQ(s.beginsWith(c.argument, c.caseMode), c.begins) << c.text << " / " << c.argument;
        EXPECT_EQ(s.beginsWith(&argument, c.caseMode), c.begins) << c.text << " / " << c.argument;
        EXPECT_EQ(s.endsWith(c.argument, c.caseMode), c.ends) << c.text << " / " << c.argument;
        EXPECT_EQ(s.endsWith(&argument, c.caseMode), c.ends) << c.text << " / " << c.argument;
        if (c.caseMode) {
            EXPECT_EQ(s.beginsWith_nocase(argument), c.begins);
            EXPECT_EQ(s.endsWith_nocase(c.argument), c.ends);
        }
    }
}

TEST(CString256, PrintAppendsALineToABuffer)
{
    char buffer[600] = "first\n";
    CString256("second").print(buffer);
    CString256(std::string(255, 'f').c_str()).print(buffer);
    EXPECT_EQ(std::string(buffer), "first\nsecond\n" + std::string(255, 'f') + "\n");
}

TEST(CString256, PrintWritesLinesToAnOpenFile)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("lines.txt"));
    QFile create(path);
    ASSERT_TRUE(create.open(QIODevice::WriteOnly));
    create.close();

    SInt16 refNum = 0;
    ASSERT_EQ(FSOpenDataForkPath(QFile::encodeName(path), true, &refNum), noErr);
    EXPECT_EQ(CString256("abc").print(refNum), noErr);
    EXPECT_EQ(CString256().print(refNum), noErr);
    EXPECT_EQ(CString256(std::string(255, 'z').c_str()).print(refNum), noErr);
    EXPECT_EQ(FSCloseFork(refNum), noErr);
    EXPECT_EQ(CString256("closed").print(refNum), rfNumErr);

    ASSERT_TRUE(create.open(QIODevice::ReadOnly));
    EXPECT_EQ(create.readAll().toStdString(), "abc\n\n" + std::string(255, 'z') + "\n");
    create.close();

    ASSERT_EQ(FSOpenDataForkPath(QFile::encodeName(path), false, &refNum), noErr);
    EXPECT_EQ(CString256("read-only").print(refNum), wrPermErr);
    EXPECT_EQ(FSCloseFork(refNum), noErr);
}
