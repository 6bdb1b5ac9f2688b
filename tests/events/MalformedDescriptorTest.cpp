// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs the fuzz targets found: descriptors whose bytes were damaged on the
// way must fail to coerce, never read past their data or name another item.
#include "platform/events/Descriptors.h"
#include "platform/files/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testsupport;

namespace
{

struct Desc {
    AEDesc d{typeNull, nullptr};
    ~Desc() { AEDisposeDesc(&d); }
};

FSSpec SpecOf(const QByteArray& path)
{
    const FSRef ref = RefFor(path);
    FSSpec spec{};
    EXPECT_EQ(FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &spec, nullptr), noErr);
    return spec;
}

// The length byte of a file specification's name beyond the 63 bytes the
// field holds made the coercion read past the descriptor's data; a NUL in
// the name cut the path short, so "item.txt\0junk" named "item.txt".
TEST(DamagedSpec, CoercesToNothing)
{
    struct Case {
        const char* what;
        unsigned char length; // the name's length byte
        QByteArray name;      // the bytes after it
    };
    const Case cases[] = {
        {"length past the field", 0x70, "item.txt"},
        {"largest length", 0xFF, "item.txt"},
        {"length of the whole field", 64, "item.txt"},
        {"NUL inside", 13, QByteArray("item.txt\0junk", 13)},
    };
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "item.txt", "x"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FSSpec spec = SpecOf(dir / "item.txt");
        std::memset(spec.name, 0, sizeof spec.name);
        spec.name[0] = c.length;
        std::memcpy(spec.name + 1, c.name.constData(), size_t(c.name.size()));

        Desc source;
        ASSERT_EQ(AECreateDesc(typeFSS, &spec, sizeof spec, &source.d), noErr);
        for (DescType to : {typeFSRef, typeAlias, typeFileURL}) {
            Desc result;
            EXPECT_EQ(AECoerceDesc(&source.d, to, &result.d), bdNamErr);
            EXPECT_EQ(result.d.dataHandle, nullptr);
        }
        FSRef ref;
        EXPECT_EQ(FSpMakeFSRef(&spec, &ref), bdNamErr);
    }
}

TEST(DamagedSpec, LongestNameStillResolves)
{
    TempFolder dir;
    const QByteArray name(63, 'n');
    ASSERT_TRUE(WriteFile(dir / name, "x"));
    const FSSpec spec = SpecOf(dir / name);
    ASSERT_EQ(spec.name[0], 63);
    FSRef ref;
    ASSERT_EQ(FSpMakeFSRef(&spec, &ref), noErr);
    EXPECT_EQ(PathFor(ref), dir / name);
}

} // namespace
