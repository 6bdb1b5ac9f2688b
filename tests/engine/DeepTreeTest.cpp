// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures at the bottom of trees deeper than any path (over 8,192 bytes)
// convert into a destination as deep, in every export type, and a failed
// conversion there leaves nothing behind.
#include "EngineFixture.h"

#include "platform/graphics/PictureFiles.h"
#include "platform/graphics/SaverTable.h"

#include <QBuffer>
#include <QImage>

using namespace enginetest;
using namespace testsupport;

namespace
{

QByteArray pictureBytes(const char* format)
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x ^ y) * 7 & 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class DeepTree : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        // The destination's bottom folder holds a file of its own, which
        // also makes the folders on the way.
        ASSERT_TRUE(WriteDeepFile(destination.path(), destinationChain, "keep", "keep"));
        deepDestination = PathThrough(destination.path(), destinationChain);
        ASSERT_GT(deepDestination.size(), 8192);
        destinationRef = RefFor(deepDestination);
    }

    // Converts the picture bytes put at the bottom of the source tree as
    // name; gives the names in the destination's bottom folder after.
    std::vector<QByteArray> convertDeep(const QByteArray& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(WriteDeepFile(source.path(), sourceChain, name, bytes));
        const QByteArray sourcePath = PathThrough(source.path(), sourceChain) + '/' + name;
        convert(sourcePath);
        EXPECT_EQ(ReadDeepFile(source.path(), sourceChain, name), bytes) << "source changed";
        return ListDeepFolder(destination.path(), destinationChain);
    }

    // Whether a picture loader reads bytes (copied to a short path).
    bool readable(const QByteArray& bytes)
    {
        const QByteArray copy = scratch / "copy";
        return WriteFile(copy, bytes) && platform::ProbePicture(copy) == noErr;
    }

    const std::vector<QByteArray> sourceChain = DeepFolderNames("source level ");
    const std::vector<QByteArray> destinationChain = DeepFolderNames("destination level ");
    QByteArray deepDestination;
    TempFolder scratch;
};

TEST_F(DeepTree, PicturesConvertIntoEveryExportType)
{
    struct Source {
        const char* name;
        const char* format; // as Qt writes it
    };
    // PNG has a loader that reads the descriptor as a stream; BMP goes
    // through the fallback loader, which needs a file name.
    const Source sources[] = {{"picture.png", "PNG"}, {"picture.bmp", "BMP"}};
    for (const platform::graphics::SaverEntry* saver : platform::graphics::AvailableSavers()) {
        for (const Source& s : sources) {
            SCOPED_TRACE(std::string(s.name) + " to " + saver->extension);
            choose(QString::fromLatin1(saver->extension));
            const QByteArray output = QByteArray("picture.") + saver->extension;
            const QByteArray bytes = pictureBytes(s.format);
            ASSERT_FALSE(bytes.isEmpty());

            // Only the output (and the folder's own file): no temporary one.
            ASSERT_EQ(convertDeep(s.name, bytes), (std::vector<QByteArray>{"keep", output}));
            const QByteArray written = ReadDeepFile(destination.path(), destinationChain, output);
            EXPECT_TRUE(readable(written)) << written.size() << " bytes";

            // Removed through the file layer, so the next case starts clean.
            FSRef made = RefFor(deepDestination + '/' + output);
            ASSERT_EQ(FSDeleteObject(&made), noErr);
        }
    }
}

TEST_F(DeepTree, AFailedConversionThereLeavesNothing)
{
    const QByteArray png = pictureBytes("PNG");
    for (const char* chosen : {"jpg", "png", "webp"}) {
        SCOPED_TRACE(chosen);
        choose(QString::fromLatin1(chosen));
        // Half a picture: the header reads, the pixels fail part way.
        EXPECT_EQ(convertDeep("truncated.png", png.left(png.size() / 2)),
                  std::vector<QByteArray>{"keep"});
        // A good picture beside it still converts, so the bad one really was
        // tried at that depth.
        EXPECT_EQ(convertDeep("good.png", png),
                  (std::vector<QByteArray>{"good." + QByteArray(chosen), "keep"}));
        FSRef made = RefFor(deepDestination + "/good." + chosen);
        ASSERT_EQ(FSDeleteObject(&made), noErr);
    }
}

} // namespace
