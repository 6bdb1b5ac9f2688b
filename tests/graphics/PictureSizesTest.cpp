// SPDX-License-Identifier: GPL-3.0-or-later
// What the header of a picture tells before decoding (the size a batch
// counts against its memory budget), and libvips' threads per picture.
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

using platform::PictureHeader;

TEST(PictureSizes, TheHeaderGivesTheDecodedSizeOfWhatIsLoaded)
{
    testsupport::TempFolder folder;
    struct Case {
        const char* name;
        const char* format;
        platform::testing::TestPictureOptions options;
        UInt64 bytes;
    } cases[] = {
        {"rgb.png", "png", {}, 64ULL * 48 * 3},
        {"rgba.png", "png", {.alpha = true}, 64ULL * 48 * 4},
        {"float.tif", "tif", {.floatSamples = true}, 64ULL * 48 * 3 * 4},
        {"photo.jpg", "jpg", {}, 64ULL * 48 * 3},
        // Every frame of an animation is loaded.
        {"frames.webp", "webp", {.frames = 3}, 64ULL * 48 * 4 * 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray path = folder / c.name;
        ASSERT_EQ(platform::testing::WriteTestPicture(path, c.format, 64, 48, c.options), noErr);
        PictureHeader header;
        ASSERT_EQ(platform::ProbePicture(path, &header), noErr);
        EXPECT_EQ(header.width, 64);
        EXPECT_EQ(header.height, 48);
        EXPECT_EQ(platform::DecodedBytes(header), c.bytes);
    }

    // 16-bit RGBA.
    ASSERT_EQ(platform::testing::WriteHalfTransparentPicture(folder / "sixteen.png", "png", 64, 48,
                                                             platform::testing::SampleKind::RGB16),
              noErr);
    PictureHeader sixteen;
    ASSERT_EQ(platform::ProbePicture(folder / "sixteen.png", &sixteen), noErr);
    EXPECT_EQ(platform::DecodedBytes(sixteen), 64ULL * 48 * 4 * 2);

    // What is no picture says nothing.
    ASSERT_TRUE(testsupport::WriteFile(folder / "notes.txt", "not a picture"));
    PictureHeader none;
    EXPECT_NE(platform::ProbePicture(folder / "notes.txt", &none), noErr);
    EXPECT_EQ(platform::DecodedBytes(none), 0u);
    // A header that gives a size beyond any machine does not wrap around.
    const PictureHeader huge{
        .width = 1LL << 31, .height = 1LL << 31, .bands = 4, .bytesPerSample = 8, .pages = 1};
    EXPECT_EQ(platform::DecodedBytes(huge), std::numeric_limits<UInt64>::max());
}

TEST(PictureSizes, ThreadsPerPictureGoBackToLibvipsOwnChoice)
{
    ASSERT_EQ(platform::ProbePicture("/nonexistent"), fnfErr); // starts libvips
    const int byDefault = platform::testing::CodecThreadsPerPicture();
    platform::SetThreadsPerPicture(1);
    EXPECT_EQ(platform::testing::CodecThreadsPerPicture(), 1);
    platform::SetThreadsPerPicture(3);
    EXPECT_EQ(platform::testing::CodecThreadsPerPicture(), 3);
    platform::SetThreadsPerPicture(0);
    EXPECT_EQ(platform::testing::CodecThreadsPerPicture(), byDefault);
}

} // namespace
