// The property-list format on its own: what it reads from files that other
// writers produce, what it rejects, and which values it will keep.
#include "PrefsFixture.h"

#include "platform/prefs/PropertyList.h"

#include <QDateTime>
#include <QSize>
#include <QStringList>
#include <QUrl>

#include <limits>

using namespace tessaly::prefs;

namespace
{

QByteArray plist(const QByteArray& dictBody)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           dictBody + "</dict>\n</plist>\n";
}

} // namespace

TEST(PropertyListRead, ReadsTheFormsOtherWritersUse)
{
    const struct {
        const char* body;
        QVariant expected;
    } cases[] = {
        {"\t<key>k</key>\n\t<integer>  42 </integer>\n", qint64(42)},
        {"<key>k</key><integer>0x1F</integer>", qint64(31)},
        {"<key>k</key><integer>-9223372036854775808</integer>", std::numeric_limits<qint64>::min()},
        {"<key>k</key><real>+infinity</real>", std::numeric_limits<double>::infinity()},
        {"<key>k</key><real>2.5e-3</real>", 2.5e-3},
        {"<key>k</key><string/>", QString()},
        {"<key>k</key><string>a&#13;b&lt;<![CDATA[<c>]]></string>", u"a\rb<<c>"_s},
        {"<key>k</key>\n\t<data>\n\tAAEC\n\t/w==\n\t</data>", QByteArray("\x00\x01\x02\xff", 4)},
        {"<key>k</key><date>2009-02-13T23:31:30Z</date>",
         QDateTime::fromSecsSinceEpoch(1234567890, Qt::UTC)},
        {"<!-- a comment --><key>k</key><true/>", true},
        {"<key>k</key><array><false/><integer>1</integer></array>", QVariantList{false, qint64(1)}},
        {"<key>k</key><string>first</string><key>k</key><string>last</string>", u"last"_s},
    };
    for (const auto& c : cases) {
        const ParsedPropertyList parsed = parsePropertyList(plist(c.body));
        ASSERT_TRUE(parsed.ok) << c.body << ": " << parsed.error.toStdString();
        EXPECT_EQ(parsed.values.size(), 1) << c.body;
        EXPECT_TRUE(sameValue(parsed.values.value(u"k"_s), c.expected)) << c.body;
    }
}

TEST(PropertyListRead, RejectsWhatItDoesNotFullyUnderstand)
{
    const QByteArray laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
        "<plist><dict><key>k</key><string>&e;&e;&e;&e;</string></dict></plist>";
    const QByteArray cases[] = {
        "",
        "just text",
        "\x89PNG\r\n\x1a\n\0\0\0",
        "<html><body/></html>",
        "<plist version=\"1.0\"><array/></plist>",
        "<plist version=\"1.0\"/>",
        "<plist><dict/><dict/></plist>",
        "<plist><dict/></plist><plist/>",
        plist("<key>k</key><integer>12abc</integer>"),
        plist("<key>k</key><integer>9223372036854775808</integer>"),
        plist("<key>k</key><integer></integer>"),
        plist("<key>k</key><integer>+-1</integer>"),
        plist("<key>k</key><real>one</real>"),
        plist("<key>k</key><data>not base64!</data>"),
        plist("<key>k</key><date>yesterday</date>"),
        plist("<key>k</key><true>yes</true>"),
        plist("<key>k</key><null/>"),
        plist("<key>k</key>"),
        plist("<string>no key</string>"),
        plist("loose text<key>k</key><true/>"),
        plist("<key>k<b/></key><true/>"),
        plist("<key>k</key><string>&undefined;</string>"),
        plist("<key>k</key>" + QByteArray("<array>").repeated(kMaxNesting + 1) +
              QByteArray("</array>").repeated(kMaxNesting + 1)),
        laughs,
    };
    for (const QByteArray& bytes : cases)
        EXPECT_FALSE(parsePropertyList(bytes).ok) << bytes.left(200).toStdString();
}

// A file cut short at any byte, as a full disk or a crash would leave it,
// is never taken for a complete one.
TEST(PropertyListRead, RejectsEveryTruncation)
{
    const QByteArray whole =
        serializePropertyList({{u"list"_s, QVariantList{qint64(1), u"x"_s}}, {u"flag"_s, true}});
    const qsizetype end = whole.lastIndexOf("</plist>") + 8;
    ASSERT_TRUE(parsePropertyList(whole).ok);
    for (qsizetype cut = 0; cut < end; ++cut)
        EXPECT_FALSE(parsePropertyList(whole.left(cut)).ok) << "cut at " << cut;
}

TEST(PropertyListStore, GivesEachValueTheKindItHasInAFile)
{
    const QDateTime berlin(QDate(2020, 5, 17), QTime(14, 30), Qt::OffsetFromUTC, 7200);
    const struct {
        QVariant given;
        QVariant stored;
    } cases[] = {
        {int(-7), qint64(-7)},
        {uint(7), qint64(7)},
        {short(3), qint64(3)},
        {quint64(std::numeric_limits<qint64>::max()), std::numeric_limits<qint64>::max()},
        {1.5f, 1.5},
        {berlin, QDateTime(QDate(2020, 5, 17), QTime(12, 30), Qt::UTC)},
        {QStringList{u"a"_s, u"b"_s}, QVariantList{u"a"_s, u"b"_s}},
        {QVariantHash{{u"Width"_s, 640}}, QVariantMap{{u"Width"_s, qint64(640)}}},
        {QVariantList{QVariantMap{{u"n"_s, 1u}}}, QVariantList{QVariantMap{{u"n"_s, qint64(1)}}}},
    };
    for (const auto& c : cases) {
        const auto stored = storableValue(c.given);
        ASSERT_TRUE(stored) << c.given.typeName();
        EXPECT_TRUE(sameValue(*stored, c.stored)) << c.given.typeName();
        if (c.stored.metaType().id() == QMetaType::QDateTime) {
            EXPECT_EQ(stored->toDateTime().timeSpec(), Qt::UTC);
        }
    }
}

TEST(PropertyListStore, RefusesValuesAFileCannotCarry)
{
    const QVariant cases[] = {
        QVariant(),
        QVariant(QUrl(u"file:///tmp"_s)),
        QVariant(QSize(1, 2)),
        QVariant(quint64(std::numeric_limits<qint64>::max()) + 1),
        QVariant(QString(QChar(1))),
        QVariant(QString(QChar(0xD800))),
        QVariant(QString(QChar(0xFFFE))),
        QVariant(QDateTime()),
        QVariant(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)),
        QVariant(QVariantList{QVariant()}),
        QVariant(QVariantMap{{u"bad\x01key"_s, true}}),
        nested(kMaxNesting + 1),
    };
    for (const QVariant& value : cases)
        EXPECT_FALSE(storableValue(value)) << value.typeName();
    EXPECT_TRUE(storableValue(nested(kMaxNesting)));
}
