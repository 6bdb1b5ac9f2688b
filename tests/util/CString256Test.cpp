// CString256: cutting at the capacity, the conversions from the platform's
// text forms, the text operations and writing lines; then random sequences of
// operations checked against the same operations on a std::string.
#include "util/CString256.h"
#include "platform/files/Forks.h"
#include "platform/memory/Memory.h"

#include "RandomText.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <string>

namespace
{

std::string cut(std::string text)
{
    if (text.size() > 255)
        text.resize(255);
    return text;
}

Handle handleWith(const std::string& bytes)
{
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

using Operation = std::function<void(CString256&)>;

} // namespace

TEST(CString256, OperationsOnTheEdges)
{
    const std::string a252(252, 'a'), a253(253, 'a'), q300 = std::string(150, 'q') + "r" + a253;
    char* noText = nullptr;
    unsigned char pascal[] = "\x03"
                             "abcdef";
    Handle handles[] = {handleWith(q300), handleWith("abc"), handleWith({"ab\0cd", 5})};
    struct {
        const char* name;
        std::string start;
        Operation operation;
        std::string expected;
    } const cases[] = {
        {"assign 300", "", [&](auto& s) { s = q300.c_str(); }, q300.substr(0, 255)},
        {"append to 252", a252, [](auto& s) { s += "abcdef"; }, a252 + "abc"},
        {"char to 253", a253, [](auto& s) { s += 'z'; }, a253 + "z"},
        {"two chars to 253", a253, [](auto& s) { (s += 'z') += 'y'; }, a253 + "z"},
        {"zero byte", "ab", [](auto& s) { s += '\0'; }, "ab"},
        {"assign null", "ab", [&](auto& s) { s = noText; }, ""},
        {"assign nullptr", "ab", [](auto& s) { s = nullptr; }, ""},
        {"append null", "ab", [&](auto& s) { s += noText; }, "ab"},
        {"append itself", "abc", [](auto& s) { s += s; }, "abcabc"},
        {"number 0", "ab", [](auto& s) { s = 0; }, "0"},
        {"most negative", "", [](auto& s) { s = INT32_MIN; }, "-2147483648"},
        {"append number", a252, [](auto& s) { s += -12345; }, a252 + "-12"},
        {"pascal", "zz", [&](auto& s) { s = pascal; }, "abc"},
        {"append pascal", "zz", [&](auto& s) { s += pascal; }, "zzabc"},
        {"handle of 300", "", [&](auto& s) { s = handles[0]; }, q300.substr(0, 255)},
        {"unterminated handle", "", [&](auto& s) { s = handles[1]; }, "abc"},
        {"zero in handle", "", [&](auto& s) { s = handles[2]; }, "ab"},
        {"Mac Roman", "", [](auto& s) { s = QStringLiteral("caf\u00E9 \u20AC"); }, "caf\x8E \xDB"},
        {"not Mac Roman", "ab", [](auto& s) { s = QStringLiteral("\u4E2D"); }, ""},
        {"too long to convert", "ab", [](auto& s) { s = QString(256, u'a'); }, ""},
        {"append Mac Roman", "x", [](auto& s) { s += QStringLiteral("\u00E9"); }, "x\x8E"},
        {"append not Mac Roman", "x", [](auto& s) { s += QStringLiteral("\u4E2D"); }, "x"},
        {"suffix", "photo.tiff", [](auto& s) { s.change_suffix("jpg"); }, "photo.jpg"},
        {"last dot", "archive.tar.gz", [](auto& s) { s.change_suffix("jpg"); }, "archive.tar.jpg"},
        {"no dot", "README", [](auto& s) { s.change_suffix("jpg"); }, "README.jpg"},
        {"empty suffix", "x.txt", [](auto& s) { s.change_suffix(""); }, "x."},
        {"lower", "ABC-\xC9z", [](auto& s) { s.to_lower(); }, "abc-\xC9z"},
        {"filter", "a b\tc!\x7F\x80~", [](auto& s) { s.filter_to_alnum_or_punct(); }, "abc!~"}};
    for (const auto& c : cases) {
        CString256 s(c.start.c_str());
        c.operation(s);
        EXPECT_EQ(std::string(s.text), c.expected) << c.name;
    }
    for (Handle h : handles)
        DisposeHandle(h);
}

TEST(CString256, PrefixAndSuffixTests)
{
    // clang-format off
    struct { const char *text, *argument; bool nocase, begins, ends; } const cases[] = {
        {"photo.jpg", "", 0, true, true},       {"x.jpg", "JPG", 1, false, true},
        {"x.jpg", "JPG", 0, false, false},      {"jpg", "photo.jpg", 0, false, false},
        {"Photo.jpg", "pHOTO", 1, true, false}, {"\xC9t\xC9", "\xE9", 1, false, false},
        {"photo", "photo", 0, true, true}};
    // clang-format on
    for (const auto& c : cases) {
        const CString256 s(c.text), argument(c.argument);
        SCOPED_TRACE(std::string(c.text) + " / " + c.argument);
        EXPECT_EQ(s.beginsWith(c.argument, c.nocase), c.begins);
        EXPECT_EQ(s.endsWith(&argument, c.nocase), c.ends);
        if (c.nocase) {
            EXPECT_EQ(s.beginsWith_nocase(argument), c.begins);
            EXPECT_EQ(s.endsWith_nocase(c.argument), c.ends);
        }
    }
}

TEST(CString256, PrintWritesLinesToAnOpenFile)
{
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("lines.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QByteArray path = QFile::encodeName(file.fileName());

    SInt16 refNum = 0;
    ASSERT_EQ(FSOpenDataForkPath(path, true, &refNum), noErr);
    EXPECT_EQ(CString256("abc").print(refNum), noErr);
    EXPECT_EQ(CString256().print(refNum), noErr);
    EXPECT_EQ(CString256(std::string(255, 'z').c_str()).print(refNum), noErr);
    EXPECT_EQ(FSCloseFork(refNum), noErr);
    EXPECT_EQ(CString256("closed").print(refNum), rfNumErr);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "abc\n\n" + std::string(255, 'z') + "\n");

    ASSERT_EQ(FSOpenDataForkPath(path, false, &refNum), noErr);
    EXPECT_EQ(CString256("read-only").print(refNum), wrPermErr);
    EXPECT_EQ(FSCloseFork(refNum), noErr);
}

// After every operation the text is terminated within its 256 bytes and is
// what the operation gives on a std::string cut to 255 characters; only the
// character append stops one short, at 254.
TEST(CString256, RandomOperationsMatchAStringModel)
{
    RandomText random(31337);
    for (int round = 0; round < 3000; ++round) {
        std::string model = random.text();
        CString256 s(model.c_str());
        model = cut(model);
        for (int step = 0; step < 8; ++step) {
            const int operation = random.between(0, 7);
            const std::string arg = random.text();
            if (operation == 0) {
                s = arg.c_str();
                model = cut(arg);
            } else if (operation == 1) {
                s += arg.c_str();
                model = cut(model + arg);
            } else if (operation == 2) {
                s += CString256(arg.c_str());
                model = cut(model + cut(arg));
            } else if (operation == 3) {
                const char c = random.byte();
                s += c;
                model += model.size() <= 253 ? std::string(1, c) : "";
            } else if (operation == 4) {
                const int32_t n = random.number();
                s += n;
                model = cut(model + std::to_string(n));
            } else if (operation == 5) {
                s.to_lower();
                for (char& c : model)
                    c = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
            } else if (operation == 6) {
                s.filter_to_alnum_or_punct();
                std::erase_if(model, [](char c) { return c < 0x21 || c > 0x7E; });
            } else {
                const std::string suffix = random.text(6);
                s.change_suffix(suffix.c_str());
                model = cut(cut(model.substr(0, model.rfind('.')) + ".") + suffix);
            }
            ASSERT_NE(std::memchr(s.text, '\0', sizeof s.text), nullptr)
                << "operation " << operation;
            ASSERT_EQ(std::string(s.text), model) << "operation " << operation;
        }
    }
    char buffer[600] = "line\n";
    CString256(std::string(255, 'p').c_str()).print(buffer);
    EXPECT_EQ(std::string(buffer), "line\n" + std::string(255, 'p') + "\n");
}
