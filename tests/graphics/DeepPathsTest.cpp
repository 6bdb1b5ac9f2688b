// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures and outputs deeper than any path (over 8,192 bytes): the formats
// read only through ImageMagick, which resolves every file name it is given,
// convert there into every export type, and a truncated one leaves nothing.
#include "GraphicsTestSupport.h"

#include "platform/files/Files.h"
#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace platform::testing;
using namespace testsupport;
using platform::graphics::AvailableSavers;
using platform::graphics::SaverEntry;

namespace
{

TEST(DeepPaths, FallbackFormatsConvertThereAndTruncatedOnesLeaveNothing)
{
    TempFolder folder;
    const std::vector<QByteArray> sources = DeepFolderNames("source ");
    const std::vector<QByteArray> outputs = DeepFolderNames("output ");
    ASSERT_TRUE(WriteDeepFile(folder.path(), outputs, "keep", "keep"));
    const QByteArray outputFolder = PathThrough(folder.path(), outputs);
    ASSERT_GT(outputFolder.size(), 8192);

    for (const char* format : {"bmp", "tga", "ico", "pcx", "psd", "xpm", "png"}) {
        SCOPED_TRACE(format);
        const QByteArray shallow = folder / "picture." + format;
        ASSERT_EQ(WriteTestPicture(shallow, format, 64, 48), noErr) << LastCodecErrorText();
        const QByteArray bytes = ReadFile(shallow);
        // No suffix, as anywhere else: the content alone tells the loader.
        ASSERT_TRUE(WriteDeepFile(folder.path(), sources, "whole", bytes));
        ASSERT_TRUE(
            WriteDeepFile(folder.path(), sources, "truncated", bytes.left(bytes.size() / 2)));
        const QByteArray whole = PathThrough(folder.path(), sources) + "/whole";
        const QByteArray truncated = PathThrough(folder.path(), sources) + "/truncated";
        EXPECT_EQ(platform::ProbePicture(whole), noErr) << LastCodecErrorText();

        for (const SaverEntry* saver : AvailableSavers()) {
            SCOPED_TRACE(saver->extension);
            const QByteArray name = QByteArray("out.") + saver->extension;
            ASSERT_EQ(platform::ExportPicture(whole, outputFolder + '/' + name,
                                              {saver->exportType, codecHighQuality}),
                      noErr)
                << LastCodecErrorText();
            ASSERT_EQ(ListDeepFolder(folder.path(), outputs),
                      (std::vector<QByteArray>{"keep", name}));
            // Read back from a short path, by a loader that knows nothing of depth.
            const QByteArray copy = folder / "copy";
            ASSERT_TRUE(WriteFile(copy, ReadDeepFile(folder.path(), outputs, name)));
            PictureFacts facts;
            ASSERT_EQ(ReadPictureFacts(copy, &facts), noErr);
            EXPECT_EQ(facts.width, 64);
            EXPECT_EQ(facts.height, 48);

            // Over the output just written, a truncated picture fails and
            // leaves it as it was, with no temporary file beside it.
            const QByteArray before = ReadDeepFile(folder.path(), outputs, name);
            EXPECT_NE(platform::ExportPicture(truncated, outputFolder + '/' + name,
                                              {saver->exportType, codecHighQuality}),
                      noErr);
            EXPECT_EQ(ListDeepFolder(folder.path(), outputs),
                      (std::vector<QByteArray>{"keep", name}));
            EXPECT_EQ(ReadDeepFile(folder.path(), outputs, name), before);
            FSRef written = RefFor(outputFolder + '/' + name);
            ASSERT_EQ(FSDeleteObject(&written), noErr);
        }
    }
}

} // namespace
