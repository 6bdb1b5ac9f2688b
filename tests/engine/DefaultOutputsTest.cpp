// SPDX-License-Identifier: GPL-3.0-or-later
// With no quality or location setting stored, every output format writes the
// same bytes as the hash list in data/default-outputs.sha256: what a default
// conversion writes changes only on purpose (the list was made before the
// quality and location settings existed, and again when the quality levels
// were calibrated across formats). The pictures are the samples
// shipped with the program and photo-like ones drawn as the benchmark draws
// them (with orientation, ICC profile and XMP, and with alpha).
//
// TESSALY_WRITE_DEFAULT_OUTPUTS=<file> writes the list instead of checking it.
#include "EngineFixture.h"

#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"

#include <QCryptographicHash>
#include <QFile>

#include <cstdlib>
#include <map>

using namespace enginetest;
using namespace testsupport;

namespace
{

constexpr const char* kSamples[] = {"sunset.png", "holiday/meadow.jpg", "holiday/day2/sky.webp",
                                    "holiday/day2/blink.gif"};

// The bytes that do not change from one run to the next: libvips' PPM
// header carries a comment with the time of writing, which is left out.
QByteArray Stable(QByteArray bytes)
{
    if (bytes.startsWith("P")) {
        const qsizetype comment = bytes.indexOf("\n#");
        const qsizetype end = comment < 0 ? -1 : bytes.indexOf('\n', comment + 1);
        if (comment >= 0 && comment < 3 && end > comment)
            bytes.remove(comment + 1, end - comment);
    }
    return bytes;
}

// "<sha256>  <extension>/<output name>" for every line of the list.
std::map<QByteArray, QByteArray> ReadHashList(const QByteArray& path)
{
    std::map<QByteArray, QByteArray> hashes;
    for (const QByteArray& line : ReadFile(path).split('\n')) {
        const qsizetype gap = line.indexOf("  ");
        if (gap > 0)
            hashes[line.mid(gap + 2)] = line.left(gap);
    }
    return hashes;
}

TEST_F(EngineTest, DefaultOutputsAreTheStoredBytes)
{
    namespace pt = platform::testing;
    std::vector<QByteArray> pictures;
    for (const char* sample : kSamples) {
        const QByteArray name = QByteArray(sample).replace('/', '-');
        ASSERT_TRUE(WriteFile(source / name, ReadFile(QByteArray(TESSALY_SAMPLES) + '/' + sample)))
            << sample;
        pictures.push_back(name);
    }
    pt::TestPictureOptions turned;
    turned.orientation = 6;
    turned.iccProfile = true;
    turned.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                 "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/></x:xmpmeta>";
    turned.saveOptions = "Q=92";
    ASSERT_EQ(pt::WriteTestPicture(source / "turned.jpg", "jpg", 320, 240, turned), noErr);
    pictures.push_back("turned.jpg");
    pt::TestPictureOptions clear;
    clear.alpha = true;
    clear.seed = 7;
    ASSERT_EQ(pt::WriteTestPicture(source / "clear.png", "png", 200, 150, clear), noErr);
    pictures.push_back("clear.png");

    std::map<QByteArray, QByteArray> made;
    for (const auto* saver : platform::graphics::AvailableSavers()) {
        const QByteArray extension = saver->extension;
        TempFolder out;
        destinationRef = RefFor(out.path());
        choose(QString::fromLatin1(extension));
        for (const QByteArray& picture : pictures) {
            convert(source / picture);
            const QByteArray output = picture.left(picture.lastIndexOf('.') + 1) + extension;
            const QByteArray bytes = ReadFile(out / output);
            ASSERT_FALSE(bytes.isEmpty()) << output.constData();
            made[extension + '/' + output] =
                QCryptographicHash::hash(Stable(bytes), QCryptographicHash::Sha256).toHex();
        }
    }

    if (const char* write = std::getenv("TESSALY_WRITE_DEFAULT_OUTPUTS")) {
        QByteArray list;
        for (const auto& [name, hash] : made)
            list += hash + "  " + name + '\n';
        ASSERT_TRUE(WriteFile(write, list));
        GTEST_SKIP() << "wrote " << write;
    }
    const std::map<QByteArray, QByteArray> stored = ReadHashList(TESSALY_DEFAULT_OUTPUTS);
    ASSERT_FALSE(stored.empty());
    for (const auto& [name, hash] : stored) {
        const auto found = made.find(name);
        // A format this libvips cannot write (an encoder plug-in not
        // installed) has nothing to compare.
        if (found == made.end() &&
            !platform::graphics::FindSaverForExtension(name.left(name.indexOf('/')).constData()))
            continue;
        ASSERT_NE(found, made.end()) << name.constData();
        EXPECT_EQ(found->second, hash) << name.constData();
    }
    for (const auto& [name, hash] : made)
        EXPECT_TRUE(stored.count(name)) << "not in the list: " << name.constData();
}

} // namespace
