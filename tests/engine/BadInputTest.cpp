// SPDX-License-Identifier: GPL-3.0-or-later
// Bad input never crashes the engine, never changes a source and never
// leaves a broken or temporary output behind.
#include "EngineFixture.h"

#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using namespace testsupport;

namespace
{

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : bytes) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
}

// A real PNG whose header claims a huge size (its CRC made to match).
QByteArray pngClaiming(const QByteArray& real, quint32 width, quint32 height)
{
    QByteArray png = real;
    // Signature (8), IHDR length (4) and type (4), then width and height.
    putBigEndian(png, 16, width);
    putBigEndian(png, 20, height);
    putBigEndian(png, 29, crc32(png.mid(12, 17)));
    return png;
}

QByteArray corrupted(QByteArray bytes, int keepHeader)
{
    for (int i = keepHeader; i < bytes.size(); i += 3)
        bytes[i] = char(bytes[i] ^ 0x5A);
    return bytes;
}

class BadInput : public EngineTest
{
protected:
    // Converts path and checks that nothing was left in the destination and
    // that the source did not change.
    void expectNothing(const QByteArray& path)
    {
        const QByteArray before = ReadFile(path);
        convert(path);
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{});
    }
};

TEST_F(BadInput, DamagedPicturesOfEachFormat)
{
    for (const char* format : {"PNG", "JPEG"}) {
        for (const char* chosen : {"jpg", "png", "webp"}) {
            SCOPED_TRACE(std::string(format) + " to " + chosen);
            choose(chosen);
            const QByteArray good = source / "good";
            ASSERT_TRUE(MakePicture(good, format, 300, 200));
            const QByteArray bytes = ReadFile(good);

            ASSERT_TRUE(WriteFile(source / "truncated", bytes.left(bytes.size() / 2)));
            expectNothing(source / "truncated");
            ASSERT_TRUE(WriteFile(source / "corrupt", corrupted(bytes, 64)));
            expectNothing(source / "corrupt");
            ASSERT_TRUE(WriteFile(source / "header only", bytes.left(40)));
            expectNothing(source / "header only");
        }
    }
}

TEST_F(BadInput, AHeaderClaimingTenBillionPixels)
{
    choose("png");
    ASSERT_TRUE(MakePicture(source / "small.png", "PNG", 16, 16));
    ASSERT_TRUE(WriteFile(source / "huge.png",
                          pngClaiming(ReadFile(source / "small.png"), 100000, 100000)));
    expectNothing(source / "huge.png");
}

TEST_F(BadInput, EmptyTextAndSpecialFiles)
{
    choose("jpg");
    ASSERT_TRUE(WriteFile(source / "zero.png", ""));
    expectNothing(source / "zero.png");
    ASSERT_TRUE(WriteFile(source / "words.txt", "A plain text file, not a matrix.\n1 2 3\n"));
    expectNothing(source / "words.txt");
    ASSERT_TRUE(WriteFile(source / "numbers.csv", "1,2,3\n4,5,6\n"));
    expectNothing(source / "numbers.csv");
    ASSERT_TRUE(WriteFile(source / ".jpg", "\xff\xd8\xff but nothing more"));
    expectNothing(source / ".jpg");

    ASSERT_EQ(::symlink("loop", (source / "loop").constData()), 0);
    expectNothing(source / "loop");
    ASSERT_EQ(::mkfifo((source / "pipe.png").constData(), 0644), 0);
    expectNothing(source / "pipe.png"); // never opened: it would block
    ASSERT_TRUE(MakeFolder(source / "folder.png"));
    expectNothing(source / "folder.png");
}

// Converts one file in a process of its own; gives its exit code.
int convertInChild(const QStringList& options, const QByteArray& sourcePath,
                   const QByteArray& destinationPath)
{
    ShareLeakSuppressions();
    QProcess child;
    child.start(QStringLiteral(ENGINE_CONVERT_ONE),
                options +
                    QStringList{QString::fromUtf8(sourcePath), QString::fromUtf8(destinationPath)});
    if (!child.waitForFinished(60000)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -2;
}

TEST_F(BadInput, UnreadableSourceAndUnwritableDestination)
{
    choose("jpg");
    ASSERT_TRUE(MakePicture(source / "secret.png", "PNG"));
    ::chmod((source / "secret.png").constData(), 0);
    ASSERT_TRUE(MakePicture(source / "open.png", "PNG"));
    ASSERT_TRUE(MakeFolder(destination / "readonly"));
    ::chmod((destination / "readonly").constData(), 0555);
    GiveToUnprivileged(config.path());

    EXPECT_EQ(convertInChild({"--unprivileged"}, source / "secret.png", destination.path()), 0);
    EXPECT_EQ(convertInChild({"--unprivileged"}, source / "open.png", destination / "readonly"), 0);
    EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{"readonly"});
    EXPECT_EQ(ListFolder(destination / "readonly"), std::vector<QByteArray>{});
    // The same conversion with the right to write works, so the refusal above
    // came from the permissions.
    ::chmod((destination / "readonly").constData(), 0755);
    EXPECT_EQ(convertInChild({}, source / "open.png", destination / "readonly"), 0);
    EXPECT_EQ(ListFolder(destination / "readonly"), std::vector<QByteArray>{"open.jpg"});
}

TEST_F(BadInput, ADestinationThatFillsUpDuringTheWrite)
{
    choose("png");
    ASSERT_TRUE(MakePicture(source / "big.png", "PNG", 800, 600));
    EXPECT_EQ(convertInChild({"--file-size-limit", "4096"}, source / "big.png", destination.path()),
              0);
    EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{});
    EXPECT_EQ(
        convertInChild({"--file-size-limit", "100000000"}, source / "big.png", destination.path()),
        0);
    EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{"big.png"});
}

} // namespace
