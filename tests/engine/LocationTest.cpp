// SPDX-License-Identifier: GPL-3.0-or-later
// Leaving out where photos were taken: a photo given GPS coordinates and
// place names (EXIF, XMP and IPTC) by exiftool is converted into every
// output format with the setting off and on, and exiftool reads the outputs
// back. The IPTC filter also meets hand-built blocks, damaged ones among
// them.
#include "EngineFixture.h"

#include "app/engine/Settings.h"
#include "platform/graphics/SaverTable.h"
#include "platform/graphics/testing/MetadataTesting.h"
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

// Runs exiftool with arguments; its standard output, or an empty one with
// *error set when it fails.
QByteArray Exiftool(const QStringList& arguments, std::string* error = nullptr)
{
    QProcess exiftool;
    exiftool.start(QStringLiteral("exiftool"), arguments);
    const bool done = exiftool.waitForFinished(60000);
    if (done && exiftool.exitCode() == 0)
        return exiftool.readAllStandardOutput();
    if (error)
        *error = done ? exiftool.readAllStandardError().toStdString() : "exiftool did not finish";
    return {};
}

// exiftool's tags of the file as "Group:Name", less those about the file
// itself and those exiftool works out from others, and the picture's size as
// "Composite:ImageSize=WxH"; empty when it fails.
std::set<QString> TagsOf(const QByteArray& path)
{
    const QJsonDocument json =
        QJsonDocument::fromJson(Exiftool({"-j", "-G1", "-a", QString::fromUtf8(path)}));
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
    return name.startsWith(QLatin1String("GPS")) || QStringList{"City",
                                                                "State",
                                                                "Country",
                                                                "Location",
                                                                "CountryCode",
                                                                "Sub-location",
                                                                "Province-State",
                                                                "Country-PrimaryLocationName",
                                                                "Country-PrimaryLocationCode",
                                                                "ContentLocationName",
                                                                "ContentLocationCode"}
                                                        .contains(name);
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
    std::string error;
    Exiftool({"-q",
              "-overwrite_original",
              "-GPSLatitude=48.8584",
              "-GPSLatitudeRef=N",
              "-GPSLongitude=2.2945",
              "-GPSLongitudeRef=E",
              "-GPSAltitude=35",
              "-Artist=Ann Example",
              "-Make=Example Camera",
              "-XMP-dc:Creator=Ann Example",
              "-XMP-exif:GPSLatitude=48.8584 N",
              "-XMP-exif:GPSLongitude=2.2945 E",
              "-XMP-photoshop:City=Paris",
              "-XMP-photoshop:Country=France",
              "-XMP-iptcCore:Location=Champ de Mars",
              "-IPTC:City=Paris",
              "-IPTC:Sub-location=Champ de Mars",
              "-IPTC:Province-State=Ile-de-France",
              "-IPTC:Country-PrimaryLocationName=France",
              "-IPTC:Country-PrimaryLocationCode=FRA",
              "-IPTC:ContentLocationName=Eiffel Tower",
              "-IPTC:By-line=Ann Example",
              QString::fromUtf8(source / "photo.jpg")},
             &error);
    ASSERT_EQ(error, "");
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
        // Nor in a block exiftool cannot read.
        EXPECT_FALSE(ReadFile(left).contains("Champ de Mars"));
        // The orientation stays applied: the picture comes upright either way.
        EXPECT_TRUE(after.count(QStringLiteral("Composite:ImageSize=160x240")));
        EXPECT_TRUE(before.count(QStringLiteral("Composite:ImageSize=160x240")));
    }
    // The formats that hold EXIF or XMP carry the place unless told not to.
    for (const char* extension : {"jpg", "png", "webp", "tif"})
        EXPECT_TRUE(carried.count(extension)) << extension;
    // JPEG and TIFF keep IPTC: the place goes, the rest of the block stays.
    for (const char* extension : {"jpg", "tif"}) {
        SCOPED_TRACE(extension);
        const QByteArray name = QByteArray("/photo.") + extension;
        const std::set<QString> kept = TagsOf(destination / extension + "-off" + name);
        const std::set<QString> left = TagsOf(destination / extension + "-on" + name);
        // exiftool names IPTC found in a TIFF's Photoshop tag "IPTC2".
        const QString group = QLatin1String(extension) == u"tif" ? "IPTC2:" : "IPTC:";
        for (const char* tag :
             {"City", "Sub-location", "Province-State", "Country-PrimaryLocationName",
              "Country-PrimaryLocationCode", "ContentLocationName", "By-line"})
            EXPECT_TRUE(kept.count(group + QLatin1String(tag))) << tag;
        EXPECT_TRUE(left.count(group + "By-line"));
    }
}

// exiftool's values of the IPTC tags and its warnings, by tag name.
QJsonObject IptcOf(const QByteArray& path)
{
    return QJsonDocument::fromJson(
               Exiftool({"-j", "-IPTC:all", "-Warning", "-Error", QString::fromUtf8(path)}))
        .array()
        .at(0)
        .toObject();
}

// A JPEG keeps IPTC in an APP13 segment of Photoshop image resources, a TIFF
// as bare datasets in its IPTC tag (and often in its Photoshop tag too).
// From either, a JPEG or TIFF output carries every dataset whole, longer
// values too: libvips alone writes a quarter of the block into a TIFF and
// bare datasets into a JPEG's APP13, which no reader takes.
TEST_F(Location, IptcReachesJpegAndTiffWholeFromEitherKindOfSource)
{
    const std::string missing = MissingProgram("exiftool", "libimage-exiftool-perl");
    ASSERT_TRUE(missing.empty()) << missing;
    const QString caption = QStringLiteral("Evening light over the river, seen from the old "
                                           "bridge; the caption runs past a hundred bytes.");
    for (const char* from : {"jpg", "tif"}) {
        const QByteArray photo = source / "photo-" + from + "." + from;
        ASSERT_EQ(platform::testing::WriteTestPicture(photo, from, 120, 80), noErr);
        std::string error;
        Exiftool({"-q", "-overwrite_original", "-IPTC:By-line=Ann Example",
                  "-IPTC:Caption-Abstract=" + caption, "-IPTC:Keywords=river",
                  "-IPTC:Keywords=bridge", QString::fromUtf8(photo)},
                 &error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(IptcOf(photo).value("Caption-Abstract").toString(), caption);
        for (const char* into : {"jpg", "tif"}) {
            SCOPED_TRACE(std::string(from) + " into " + into);
            const QByteArray folder = destination / from + "-into-" + into;
            MakeFolder(folder);
            destinationRef = RefFor(folder);
            choose(QString::fromLatin1(into));
            convert(photo);
            const QJsonObject iptc = IptcOf(folder + "/photo-" + from + "." + into);
            EXPECT_FALSE(iptc.contains("Warning"))
                << iptc.value("Warning").toString().toStdString();
            EXPECT_FALSE(iptc.contains("Error"));
            EXPECT_EQ(iptc.value("Caption-Abstract").toString().toStdString(),
                      caption.toStdString());
            EXPECT_EQ(iptc.value("By-line").toString().toStdString(), "Ann Example");
            EXPECT_EQ(iptc.value("Keywords").toArray(),
                      QJsonArray({QStringLiteral("river"), QStringLiteral("bridge")}))
                << QJsonDocument(iptc).toJson().constData();
        }
    }
}

// Hand-built IPTC blocks: IIM datasets, Photoshop image resources holding
// them, and the filter's answer.
QByteArray Dataset(int record, int number, const QByteArray& value, int lengthBytes = 0)
{
    QByteArray bytes{"\x1c"};
    bytes += char(record);
    bytes += char(number);
    if (lengthBytes) {
        // The extended form: a count of length bytes with the high bit set.
        bytes += char(0x80);
        bytes += char(lengthBytes);
        for (int n = lengthBytes - 1; n >= 0; --n)
            bytes += char(n < 4 ? (value.size() >> (8 * n)) & 0xff : 0);
    } else {
        bytes += char(value.size() >> 8);
        bytes += char(value.size() & 0xff);
    }
    return bytes + value;
}

QByteArray Resource(int id, const QByteArray& name, const QByteArray& data)
{
    QByteArray bytes = "8BIM";
    bytes += char(id >> 8);
    bytes += char(id & 0xff);
    bytes += char(name.size());
    bytes += name;
    if (bytes.size() % 2)
        bytes += '\0';
    const auto size = quint32(data.size());
    for (int shift : {24, 16, 8, 0})
        bytes += char((size >> shift) & 0xff);
    bytes += data;
    if (data.size() % 2)
        bytes += '\0';
    return bytes;
}

const QByteArray kPhotoshop("Photoshop 3.0\0", 14);

TEST(IptcFilter, LeavesOutPlacesAndKeepsEveryOtherByte)
{
    const QByteArray byline = Dataset(2, 80, "Ann Example");
    const QByteArray keywords = Dataset(2, 25, "tower");
    const QByteArray version = Dataset(2, 0, QByteArray("\0\4", 2));
    const QByteArray places = Dataset(2, 90, "Paris") + Dataset(2, 92, "Champ de Mars") +
                              Dataset(2, 95, "IDF") + Dataset(2, 100, "FRA") +
                              Dataset(2, 101, "France") + Dataset(2, 26, "FRA-75") +
                              Dataset(2, 27, "Eiffel Tower");
    // Another resource (here the IPTC digest) and its bytes, left alone.
    const QByteArray digest = Resource(0x0425, "", QByteArray(16, '\x5a'));
    const QByteArray bigPlace = Dataset(2, 90, QByteArray(70000, 'p'), 4);
    const QByteArray bigCaption = Dataset(2, 120, QByteArray(40000, 'c'), 3);
    const QByteArray damaged = Dataset(2, 25, "tower").chopped(2);
    struct Case {
        const char* what;
        QByteArray block;
        bool read;
        QByteArray filtered;
    };
    const Case cases[] = {
        {"a JPEG's segment", kPhotoshop + digest + Resource(0x0404, "", version + places + byline),
         true, kPhotoshop + digest + Resource(0x0404, "", version + byline)},
        {"a name of one letter, an odd size left",
         kPhotoshop + Resource(0x0404, "a", keywords + places + version), true,
         kPhotoshop + Resource(0x0404, "a", keywords + version)},
        {"a padded name, no header", Resource(0x0404, "ab", places + keywords) + digest, true,
         Resource(0x0404, "ab", keywords) + digest},
        {"extended lengths", kPhotoshop + Resource(0x0404, "", bigPlace + bigCaption + byline),
         true, kPhotoshop + Resource(0x0404, "", bigCaption + byline)},
        {"datasets alone, zeros after", places + byline + QByteArray(3, '\0'), true,
         byline + QByteArray(3, '\0')},
        {"datasets alone, all places", places + QByteArray(1, '\0'), true, {}},
        {"no place", kPhotoshop + Resource(0x0404, "", byline + keywords), true,
         kPhotoshop + Resource(0x0404, "", byline + keywords)},
        {"a dataset past its resource",
         kPhotoshop + Resource(0x0404, "", places + damaged),
         false,
         {}},
        {"a dataset past the end", places + damaged, false, {}},
        {"a dataset header cut", places + QByteArray("\x1c\x02\x5a", 3), false, {}},
        {"an extended length cut", places + Dataset(2, 25, "tower", 4).first(7), false, {}},
        {"an extended length of no bytes",
         places + QByteArray("\x1c\x02\x19\x80\x00", 5),
         false,
         {}},
        {"a resource size past the end",
         (kPhotoshop + Resource(0x0404, "", places)).chopped(3),
         false,
         {}},
        {"a name past the end",
         kPhotoshop + QByteArray("8BIM\x04\x04\x09"
                                 "abc",
                                 10),
         false,
         {}},
        {"a resource header cut", kPhotoshop + digest + QByteArray("8BIM\x04", 5), false, {}},
        {"something else after the resources", kPhotoshop + digest + "junk", false, {}},
        {"not IPTC", "Adobe_Photoshop2.5:" + places, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray filtered = "stale";
        EXPECT_EQ(platform::testing::IptcWithoutPlaces(c.block, &filtered), c.read);
        EXPECT_EQ(filtered, c.filtered);
    }
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
