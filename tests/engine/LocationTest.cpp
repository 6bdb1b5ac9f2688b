// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving out where photos were taken: a photo given GPS coordinates and
// place names by exiftool is converted into every output format with the
// setting off and on, and exiftool reads the outputs back.
#include "EngineFixture.h"

#include "app/engine/Settings.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/TestPictures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <set>

using namespace enginetest;
using namespace testsupport;

namespace
{

// exiftool's tags of the file as "Group:Name", less those about the file
// itself and those exiftool works out from others, and the picture's size as
// "Composite:ImageSize=WxH"; empty when it fails.
std::set<QString> TagsOf(const QByteArray& path)
{
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"), {QStringLiteral("-j"), QStringLiteral("-G1"),
                                                QStringLiteral("-a"), QString::fromUtf8(path)});
    if (!exiftool.waitForFinished(60000))
        return {};
    const QJsonDocument json = QJsonDocument::fromJson(exiftool.readAllStandardOutput());
    std::set<QString> tags;
    const QJsonObject object = json.array().at(0).toObject();
    for (auto tag = object.begin(); tag != object.end(); ++tag) {
        const QString group = tag.key().section(u':', 0, 0);
        if (tag.key() == QLatin1String("Composite:ImageSize"))
            tags.insert(tag.key() + u'=' + tag.value().toString());
        if (tag.key().contains(u':') &&
            !QStringList{"ExifTool", "System", "File", "Composite"}.contains(group))
            tags.insert(tag.key());
    }
    return tags;
}

bool IsLocation(const QString& tag)
{
    const QString name = tag.section(u':', 1);
    return name.startsWith(QLatin1String("GPS")) ||
           QStringList{"City", "State", "Country", "Location", "CountryCode"}.contains(name);
}

class Location : public EngineTest
{
protected:
    // Converts the photo into a folder of its own; the output's path.
    QByteArray convertInto(const QByteArray& extension, bool strip)
    {
        WriteSetting(kStripLocationSetting, strip);
        const QByteArray folder = destination / (extension + (strip ? "-on" : "-off"));
        MakeFolder(folder);
        destinationRef = RefFor(folder);
        choose(QString::fromLatin1(extension));
        convert(source / "photo.jpg");
        return folder + "/photo." + extension;
    }
};

TEST_F(Location, OutputsLeaveOutGpsAndPlacesAndKeepTheRest)
{
    const std::string missing = MissingProgram("exiftool", "libimage-exiftool-perl");
    ASSERT_TRUE(missing.empty()) << missing;
    platform::testing::TestPictureOptions options;
    options.orientation = 6;
    options.iccProfile = true;
    ASSERT_EQ(platform::testing::WriteTestPicture(source / "photo.jpg", "jpg", 240, 160, options),
              noErr);
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"),
                   {"-q", "-overwrite_original", "-GPSLatitude=48.8584", "-GPSLatitudeRef=N",
                    "-GPSLongitude=2.2945", "-GPSLongitudeRef=E", "-GPSAltitude=35",
                    "-Artist=Ann Example", "-Make=Example Camera", "-XMP-dc:Creator=Ann Example",
                    "-XMP-exif:GPSLatitude=48.8584 N", "-XMP-exif:GPSLongitude=2.2945 E",
                    "-XMP-photoshop:City=Paris", "-XMP-photoshop:Country=France",
                    "-XMP-iptcCore:Location=Champ de Mars",
                    QString::fromUtf8(source / "photo.jpg")});
    ASSERT_TRUE(exiftool.waitForFinished(60000));
    ASSERT_EQ(exiftool.exitCode(), 0) << exiftool.readAllStandardError().constData();
    ASSERT_TRUE(TagsOf(source / "photo.jpg").count("GPS:GPSLatitude"));

    std::set<QByteArray> carried;
    for (const auto* saver : platform::graphics::AvailableSavers()) {
        const QByteArray extension = saver->extension;
        SCOPED_TRACE(extension.constData());
        const QByteArray kept = convertInto(extension, false);
        const QByteArray left = convertInto(extension, true);
        const std::set<QString> before = TagsOf(kept);
        const std::set<QString> after = TagsOf(left);
        ASSERT_FALSE(before.empty());
        for (const QString& tag : before) {
            if (IsLocation(tag))
                carried.insert(extension);
            else
                EXPECT_TRUE(after.count(tag)) << "lost " << tag.toStdString();
        }
        for (const QString& tag : after)
            EXPECT_FALSE(IsLocation(tag)) << tag.toStdString();
        // The orientation stays applied: the picture comes upright either way.
        EXPECT_TRUE(after.count(QStringLiteral("Composite:ImageSize=160x240")));
        EXPECT_TRUE(before.count(QStringLiteral("Composite:ImageSize=160x240")));
    }
    // The formats that hold EXIF or XMP carry the place unless told not to.
    for (const char* extension : {"jpg", "png", "webp", "tif"})
        EXPECT_TRUE(carried.count(extension)) << extension;
}

TEST_F(Location, OffWritesTheSameBytesAsBefore)
{
    // The hash list of default outputs covers pictures without a place; this
    // covers one with a place, whose bytes the setting left off must not
    // touch: the same bytes as with the key absent.
    platform::testing::TestPictureOptions options;
    options.xmp = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                  "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                  "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\" "
                  "photoshop:City=\"Paris\"/></rdf:RDF></x:xmpmeta>";
    ASSERT_EQ(platform::testing::WriteTestPicture(source / "photo.jpg", "jpg", 64, 48, options),
              noErr);
    const QByteArray off = ReadFile(convertInto("jpg", false));
    WriteSetting(kStripLocationSetting, QVariant());
    choose(QStringLiteral("jpg"));
    const QByteArray folder = destination / "absent";
    MakeFolder(folder);
    destinationRef = RefFor(folder);
    convert(source / "photo.jpg");
    EXPECT_FALSE(off.isEmpty());
    EXPECT_EQ(ReadFile(folder + "/photo.jpg"), off);
    EXPECT_TRUE(off.contains("Paris"));
    EXPECT_FALSE(ReadFile(convertInto("jpg", true)).contains("Paris"));
}

} // namespace
