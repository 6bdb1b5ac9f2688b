// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptors holding a file item in any of its four forms coerce to every
// other form and still name the same item, whatever the item's name.
#include "platform/events/Descriptors.h"
#include "platform/files/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace testsupport;

namespace
{

// An owned descriptor, disposed of at the end of the test.
struct Desc {
    AEDesc d{typeNull, nullptr};
    ~Desc() { AEDisposeDesc(&d); }
};

QByteArray dataOf(const AEDesc& d)
{
    QByteArray data(qsizetype(AEGetDescDataSize(&d)), '\0');
    AEGetDescData(&d, data.data(), Size(data.size()));
    return data;
}

// The item a descriptor names, by way of the file reference form.
FSRef itemOf(const AEDesc& d)
{
    Desc ref;
    EXPECT_EQ(AECoerceDesc(&d, typeFSRef, &ref.d), noErr);
    FSRef out{};
    AEGetDescData(&ref.d, &out, sizeof out);
    return out;
}

const DescType kForms[] = {typeFSRef, typeFSS, typeAlias, typeFileURL};

class ItemForms : public ::testing::TestWithParam<QByteArray>
{
};

TEST_P(ItemForms, EveryFormCoercesToEveryOtherAndBack)
{
    TempFolder dir;
    const QByteArray path = dir / GetParam();
    ASSERT_TRUE(WriteFile(path, "x"));
    const FSRef ref = RefFor(path);
    Desc start;
    ASSERT_EQ(AECreateDesc(typeFSRef, &ref, sizeof ref, &start.d), noErr);

    for (DescType from : kForms) {
        Desc source;
        ASSERT_EQ(AECoerceDesc(&start.d, from, &source.d), noErr);
        EXPECT_EQ(source.d.descriptorType, from);
        for (DescType to : kForms) {
            Desc target;
            ASSERT_EQ(AECoerceDesc(&source.d, to, &target.d), noErr);
            const FSRef item = itemOf(target.d);
            EXPECT_EQ(FSCompareFSRefs(&item, &ref), noErr);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ItemForms,
                         ::testing::Values(QByteArray("plain.jpg"),
                                           QByteArray("100% sure? #1 & more.png"),
                                           QByteArray("caf\xe9 \xff.gif"),
                                           QByteArray(251, 'n') + ".png",
                                           QByteArray("\xe6\x97\xa5\xe6\x9c\xac.webp")),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(Descriptors, FileURLIsPercentEncodedPath)
{
    TempFolder dir;
    const QByteArray path = dir / "a b%\xe9.txt";
    ASSERT_TRUE(WriteFile(path, "x"));
    const FSRef ref = RefFor(path);
    Desc start;
    Desc url;
    ASSERT_EQ(AECreateDesc(typeFSRef, &ref, sizeof ref, &start.d), noErr);
    ASSERT_EQ(AECoerceDesc(&start.d, typeFileURL, &url.d), noErr);
    EXPECT_EQ(dataOf(url.d), "file://" + dir.path() + "/a%20b%25%E9.txt");
}

TEST(Descriptors, WhatNamesNoItemDoesNotCoerce)
{
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "gone.txt", "x"));
    const FSRef gone = RefFor(dir / "gone.txt");
    std::remove((dir / "gone.txt").constData());

    struct Case {
        const char* what;
        DescType type;
        QByteArray data;
        OSErr status;
    };
    const Case cases[] = {
        {"reference to a removed file", typeFSRef,
         QByteArray(reinterpret_cast<const char*>(&gone), sizeof gone), fnfErr},
        {"reference of the wrong size", typeFSRef, QByteArray(79, '\0'), errAECoercionFail},
        {"file specification of the wrong size", typeFSS, QByteArray(71, '\0'), errAECoercionFail},
        {"alias of garbage", typeAlias, QByteArray(300, '\x5a'), paramErr},
        {"URL of a missing file", typeFileURL, "file://" + dir.path() + "/gone.txt", fnfErr},
        {"URL of another host", typeFileURL, "file://elsewhere/tmp", errAECoercionFail},
        {"web URL", typeFileURL, "https://example.org/a.jpg", errAECoercionFail},
        {"URL with a NUL", typeFileURL, "file:///tmp/a%00b", errAECoercionFail},
        {"text", FOUR_CHAR_CODE("TEXT"), "/tmp", errAECoercionFail},
    };
    for (const Case& c : cases) {
        Desc source;
        ASSERT_EQ(AECreateDesc(c.type, c.data.constData(), Size(c.data.size()), &source.d), noErr);
        // Coercion to the same type is a copy; references are checked on
        // their way to a file specification.
        const DescType to = c.type == typeFSRef ? typeFSS : typeFSRef;
        Desc out;
        EXPECT_EQ(AECoerceDesc(&source.d, to, &out.d), c.status) << c.what;
        EXPECT_EQ(out.d.descriptorType, typeNull) << c.what;
        EXPECT_EQ(out.d.dataHandle, nullptr) << c.what;
    }
}

} // namespace
