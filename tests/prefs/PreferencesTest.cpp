// SPDX-License-Identifier: GPL-3.0-or-later
// The preference store through its three calls, with real files in a
// temporary configuration folder and a second process where one is needed;
// then the property-list format on its own.
#include "platform/prefs/Preferences.h"
#include "platform/prefs/PropertyList.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <list>

using namespace Qt::StringLiterals;
using namespace tessaly::prefs;
using namespace testsupport;

namespace
{

const QString kDomain = u"org.example.Prefs"_s;
constexpr qint64 kMin = std::numeric_limits<qint64>::min(), kMax = -(kMin + 1);
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Same value and same kind, all the way down (QVariant's == treats 1 and 1.0
// as equal, and NaN as unequal to itself).
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() != b.metaType())
        return false;
    if (a.metaType().id() == QMetaType::QVariantList) {
        const QVariantList x = a.toList(), y = b.toList();
        return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), sameValue);
    }
    if (a.metaType().id() == QMetaType::QVariantMap) {
        const QVariantMap x = a.toMap(), y = b.toMap();
        return x.keys() == y.keys() && std::all_of(x.keyBegin(), x.keyEnd(),
                                                   [&](auto& k) { return sameValue(x[k], y[k]); });
    }
    const double x = a.toDouble(), y = b.toDouble();
    if (a.metaType().id() == QMetaType::Double)
        return std::isnan(x) ? std::isnan(y) : x == y && std::signbit(x) == std::signbit(y);
    return a == b;
}

// A string inside levels arrays.
QVariant nested(int levels)
{
    QVariant value = u"bottom"_s;
    while (levels-- > 0)
        value = QVariantList{value};
    return value;
}

} // namespace

// Each test gets its own user folder and two all-users folders.
class PrefsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("XDG_CONFIG_HOME", m_root / "config");
        qputenv("XDG_CONFIG_DIRS", m_root / "all-1" + ':' + m_root / "all-2");
    }

    QByteArray file(const QByteArray& folder, const QString& domain = kDomain) const
    {
        return m_root / folder + '/' + domain.toUtf8() + ".plist";
    }
    static QVariantMap fileValues(const QByteArray& path)
    {
        const ParsedPropertyList parsed = parsePropertyList(ReadFile(path));
        EXPECT_TRUE(parsed.ok) << path.toStdString() << ": " << parsed.error.toStdString();
        return parsed.values;
    }
    // Runs prefs_writer once for each argument list, all at the same time.
    static void runWriters(const QList<QStringList>& runs)
    {
        std::list<QProcess> processes;
        for (const QStringList& args : runs)
            processes.emplace_back().start(QStringLiteral(PREFS_WRITER), args);
        for (QProcess& process : processes) {
            ASSERT_TRUE(process.waitForFinished(180'000)) << "prefs_writer did not finish";
            EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        }
    }

    TempFolder m_root;
};

// Written here, read by a fresh process, written by it to another domain and
// read back here from that file: every kind and odd key survives both trips.
TEST_F(PrefsTest, ValuesKeepTheirKindThroughFilesAndProcesses)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    const QVariantList sizes{QVariantMap{{u"Width"_s, qint64(640)}, {u"Height"_s, qint64(480)}}};
    // clang-format off
    const QList<QPair<QString, QVariant>> cases = {
        {u"QuitWhenDone"_s, true},          {u"false"_s, false},
        {u"min"_s, kMin},                   {u"max"_s, kMax},
        {u"tenth"_s, 0.1},                  {u"negative zero"_s, -0.0},
        {u"infinity"_s, -kInfinity},        {u"nan"_s, std::nan("")},
        {u"unicode"_s, u"Größe ☃ 𝄞 日本"_s},       {u"markup"_s, u"<a href=\"x\">&amp;</a> ]]>"_s},
        {u"line ends"_s, u"one\r\ntwo\rthree\n\tfour  "_s},   {u"empty string"_s, QString()},
        {u"CopyToLocation"_s, everyByte},   {u"empty data"_s, QByteArray()},
        {u"date"_s, QDateTime::fromSecsSinceEpoch(-86401, Qt::UTC)},
        {u"Array Sizes"_s, sizes},          {u"empty array"_s, QVariantList()},
        {u"empty dictionary"_s, QVariantMap()},   {u"deep"_s, nested(kMaxNesting)},
        {QString(), u"the empty key"_s},    {u"<&>\"' ]]> ☃"_s, qint64(1)},   {u"\r\n"_s, qint64(2)}};
    // clang-format on
    QStringList keys{u"copy"_s, kDomain, u"org.example.Copy"_s};
    for (const auto& [key, value] : cases)
        CFPreferencesSetAppValue(key, value, kDomain), keys.append(key);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_TRUE(ReadFile(file("config")).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    runWriters({keys});
    for (const auto& [key, value] : cases)
        EXPECT_TRUE(sameValue(CFPreferencesCopyAppValue(key, u"org.example.Copy"_s), value))
            << key.toStdString();
}

// Python's plistlib, like other readers, refuses a fraction of a second
// and with it the whole file.
TEST_F(PrefsTest, DatesAreWrittenInWholeSecondsThatOtherReadersTake)
{
    const QDateTime leapDay(QDate(2024, 2, 29), QTime(13, 14, 15, 500), Qt::UTC);
    CFPreferencesSetAppValue(u"leap day"_s, leapDay, kDomain);
    CFPreferencesSetAppValue(u"before 1970"_s, QDateTime::fromMSecsSinceEpoch(-86400123, Qt::UTC),
                             kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    const QByteArray written = ReadFile(file("config"));
    EXPECT_TRUE(written.contains("<date>2024-02-29T13:14:15Z</date>")) << written.toStdString();
    EXPECT_TRUE(written.contains("<date>1969-12-30T23:59:59Z</date>")) << written.toStdString();
    // What this process holds is what any other reads.
    EXPECT_EQ(CFPreferencesCopyAppValue(u"leap day"_s, kDomain),
              QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15), Qt::UTC));

    // Fractions that other writers put there are still read.
    const ParsedPropertyList withFraction = parsePropertyList(
        "<plist version=\"1.0\"><dict><key>k</key><date>2024-02-29T13:14:15.999Z</date>"
        "</dict></plist>");
    ASSERT_TRUE(withFraction.ok) << withFraction.error.toStdString();
    EXPECT_EQ(withFraction.values.value(u"k"_s),
              QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15), Qt::UTC));

    // An independent reader of the format: Python's plistlib.
    ASSERT_EQ(testsupport::MissingProgram(u"python3"_s, "python3"), "");
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    QProcess reader;
    reader.start(python,
                 {u"-c"_s,
                  u"import plistlib, sys\n"
                  "values = plistlib.load(open(sys.argv[1], 'rb'))\n"
                  "print(values['leap day'].isoformat(), values['before 1970'].isoformat())"_s,
                  QString::fromUtf8(file("config"))});
    ASSERT_TRUE(reader.waitForFinished(60'000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    EXPECT_EQ(reader.readAllStandardOutput().trimmed(), "2024-02-29T13:14:15 1969-12-30T23:59:59");
}

// A writer killed between creating its temporary file and renaming it over
// the domain's file leaves the temporary file; the next write removes it,
// and only it.
TEST_F(PrefsTest, TheNextWriteRemovesWhatKilledWritersLeft)
{
    const QByteArray folder = m_root / "config";
    const QByteArray stem = kDomain.toUtf8() + ".plist.tmp-";
    QByteArray leftover;
    for (int attempt = 0; attempt < 20 && leftover.isEmpty(); ++attempt) {
        QProcess writer;
        writer.start(QStringLiteral(PREFS_WRITER), {u"fill"_s, kDomain, u"200000"_s});
        ASSERT_TRUE(writer.waitForStarted(60'000));
        const QByteArray own = stem + QByteArray::number(writer.processId()) + '-';
        for (int waited = 0; waited < 10'000 && leftover.isEmpty(); ++waited) {
            for (const QByteArray& name : ListFolder(folder)) {
                if (name.startsWith(own))
                    leftover = name;
            }
            if (leftover.isEmpty())
                ::usleep(1000);
        }
        ::kill(pid_t(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished(60'000));
        // The rename may have come first; then the next run tries again.
        if (!leftover.isEmpty() && !Exists(folder + '/' + leftover))
            leftover.clear();
    }
    ASSERT_FALSE(leftover.isEmpty()) << "no writer was caught before its rename";
    // A writer that still runs (this test's parent stands for one).
    const QByteArray running = stem + QByteArray::number(::getppid()) + "-0badf00d";
    ASSERT_TRUE(WriteFile(folder + '/' + running, "still being written"));

    CFPreferencesSetAppValue(u"after"_s, true, kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_FALSE(Exists(folder + '/' + leftover));
    EXPECT_TRUE(Exists(folder + '/' + running));
    EXPECT_EQ(fileValues(file("config")).value(u"after"_s), true);
}

TEST_F(PrefsTest, UserValueComesBeforeTheFirstAllUsersFile)
{
    const QVariantMap first{{u"a"_s, u"all-1"_s}, {u"b"_s, u"all-1"_s}};
    ASSERT_TRUE(WriteFile(file("all-1"), serializePropertyList(first)));
    ASSERT_TRUE(WriteFile(file("all-2"), serializePropertyList({{u"c"_s, u"all-2"_s}})));
    ASSERT_TRUE(WriteFile(file("config"), serializePropertyList({{u"a"_s, u"user"_s}})));

    EXPECT_EQ(CFPreferencesCopyAppValue(u"a"_s, kDomain), u"user"_s);
    EXPECT_EQ(CFPreferencesCopyAppValue(u"b"_s, kDomain), u"all-1"_s);
    EXPECT_FALSE(CFPreferencesCopyAppValue(u"c"_s, kDomain).isValid())
        << "a later folder's file is shadowed";
    EXPECT_FALSE(CFPreferencesCopyAppValue(u"d"_s, kDomain).isValid());

    // Removing the user's value uncovers the all-users one.
    CFPreferencesSetAppValue(u"a"_s, QVariant(), kDomain);
    EXPECT_EQ(CFPreferencesCopyAppValue(u"a"_s, kDomain), u"all-1"_s);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(CFPreferencesCopyAppValue(u"a"_s, kDomain), u"all-1"_s);
    EXPECT_TRUE(fileValues(file("config")).isEmpty());
    EXPECT_EQ(ReadFile(file("all-1")), serializePropertyList(first));
}

TEST_F(PrefsTest, MalformedFileReadsEmptyAndIsKeptAsideBeforeAWrite)
{
    const QByteArray good = serializePropertyList({{u"k"_s, u"v"_s}});
    const QByteArray cases[] = {"not XML at all",
                                "<plist><array><string>v</string></array></plist>",
                                good.left(good.size() - 20), ""};
    int n = 0;
    for (const QByteArray& bytes : cases) {
        const QString domain = u"org.example.Bad%1"_s.arg(++n);
        ASSERT_TRUE(WriteFile(file("config", domain), bytes));
        EXPECT_FALSE(CFPreferencesCopyAppValue(u"k"_s, domain).isValid()) << bytes.toStdString();
        ASSERT_TRUE(CFPreferencesAppSynchronize(domain)); // nothing to write: the file stays
        EXPECT_EQ(ReadFile(file("config", domain)), bytes);

        // Twice, so the second copy kept aside needs a name of its own.
        for (int round = 1; round <= 2; ++round) {
            ASSERT_TRUE(WriteFile(file("config", domain), bytes));
            CFPreferencesSetAppValue(u"new"_s, round, domain);
            ASSERT_TRUE(CFPreferencesAppSynchronize(domain));
            EXPECT_EQ(fileValues(file("config", domain)), (QVariantMap{{u"new"_s, qint64(round)}}));
            QList<QByteArray> aside;
            for (const QByteArray& name : ListFolder(m_root / "config"))
                if (name.startsWith(domain.toUtf8() + ".plist.corrupt-"))
                    aside.append(ReadFile(m_root / "config/" + name));
            EXPECT_EQ(aside, QList<QByteArray>(round, bytes)) << bytes.toStdString();
        }
    }
}

// Meanwhile this process has a change pending and has read the domain before
// the others wrote: synchronising merges the one and shows the rest.
TEST_F(PrefsTest, TwoProcessesWritingOneDomainLoseNothing)
{
    // Enough for the two to interleave hundreds of times; each write rewrites
    // the whole file, so the time grows with the square of the count.
    constexpr int kWrites = 300;
    CFPreferencesSetAppValue(u"mine"_s, u"pending"_s, kDomain);
    EXPECT_FALSE(CFPreferencesCopyAppValue(u"A-0"_s, kDomain).isValid());
    const QString count = QString::number(kWrites);
    runWriters({{u"write"_s, kDomain, u"A"_s, count}, {u"write"_s, kDomain, u"B"_s, count}});

    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    const QVariantMap written = fileValues(file("config"));
    EXPECT_EQ(written.size(), 2 * (kWrites + 1) + 1);
    EXPECT_EQ(written.value(u"mine"_s), u"pending"_s);
    for (const QString& prefix : {u"A"_s, u"B"_s}) {
        EXPECT_EQ(CFPreferencesCopyAppValue(prefix + u"-last"_s, kDomain), qint64(kWrites - 1));
        for (int i = 0; i < kWrites; ++i)
            ASSERT_EQ(written.value(prefix + u'-' + QString::number(i)), qint64(i)) << i;
    }
}

TEST_F(PrefsTest, TheCurrentApplicationIsTessaly)
{
    CFPreferencesSetAppValue(u"QuitWhenDone"_s, false, kCFPreferencesCurrentApplication);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication));
    EXPECT_EQ(fileValues(file("config", u"com.quorvane.Tessaly"_s)),
              (QVariantMap{{u"QuitWhenDone"_s, false}}));
}

// A value a file cannot carry leaves the stored one as it was; a domain that
// is no file name is refused.
TEST_F(PrefsTest, RefusedValuesAndDomainsChangeNothing)
{
    CFPreferencesSetAppValue(u"k"_s, u"old"_s, kDomain);
    CFPreferencesSetAppValue(u"k"_s, QString(QChar(0xDC00)), kDomain);
    CFPreferencesSetAppValue(QString(QChar(1)), true, kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(fileValues(file("config")), (QVariantMap{{u"k"_s, u"old"_s}}));

    for (const QString& bad : {QString(), u".."_s, u"../escape"_s}) {
        CFPreferencesSetAppValue(u"k"_s, true, bad);
        EXPECT_FALSE(CFPreferencesAppSynchronize(bad));
        EXPECT_FALSE(CFPreferencesCopyAppValue(u"k"_s, bad).isValid());
    }
    EXPECT_FALSE(Exists(m_root / "escape.plist"));
}

TEST_F(PrefsTest, WritesGoThroughASymbolicLink)
{
    const QByteArray target = m_root / "config/dotfiles.plist", link = file("config");
    ASSERT_TRUE(WriteFile(target, serializePropertyList({{u"old"_s, true}})));
    std::filesystem::create_symlink(target.constData(), link.constData());
    CFPreferencesSetAppValue(u"new"_s, true, kDomain);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_TRUE(std::filesystem::is_symlink(link.constData()));
    EXPECT_EQ(fileValues(target).keys(), (QStringList{u"new"_s, u"old"_s}));
}

TEST_F(PrefsTest, AFailedWriteKeepsTheChangePending)
{
    ASSERT_TRUE(WriteFile(m_root / "config", "a file where the configuration folder should be"));
    CFPreferencesSetAppValue(u"k"_s, u"kept"_s, kDomain);
    EXPECT_FALSE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(CFPreferencesCopyAppValue(u"k"_s, kDomain), u"kept"_s);
    ASSERT_TRUE(QFile::remove(QFile::decodeName(m_root / "config")));
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(fileValues(file("config")), (QVariantMap{{u"k"_s, u"kept"_s}}));
}

TEST(PropertyList, ReadsTheFormsOtherWritersUse)
{
    // clang-format off
    const struct { const char* body; QVariant expected; } cases[] = {
        {"\t<key>k</key>\n\t<integer>  42 </integer>\n", qint64(42)},
        {"<key>k</key><integer>-9223372036854775808</integer>", kMin},
        {"<key>k</key><real>+infinity</real>", kInfinity},
        {"<key>k</key><string/>", QString()},
        {"<key>k</key><string>a&#13;b&lt;<![CDATA[<c>]]></string>", u"a\rb<<c>"_s},
        {"<key>k</key>\n\t<data>\n\tAAEC\n\t/w==\n\t</data>", QByteArray("\x00\x01\x02\xff", 4)},
        {"<key>k</key><date>2009-02-13T23:31:30Z</date>", QDateTime::fromSecsSinceEpoch(1234567890, Qt::UTC)},
        {"<!-- a comment --><key>k</key><string>first</string><key>k</key><true/>", true}};
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n";
    // clang-format on
    for (const auto& c : cases) {
        const ParsedPropertyList parsed = parsePropertyList(head + c.body + "</dict>\n</plist>\n");
        ASSERT_TRUE(parsed.ok) << c.body << ": " << parsed.error.toStdString();
        EXPECT_EQ(parsed.values.keys(), QStringList{u"k"_s}) << c.body;
        EXPECT_TRUE(sameValue(parsed.values.value(u"k"_s), c.expected)) << c.body;
    }
}

// Malformed files, including every truncation of a good one as a full disk or
// a crash would leave it, are never taken for complete ones.
TEST(PropertyList, RejectsWhatItDoesNotFullyUnderstand)
{
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">";
    for (char e = 'b'; e <= 'e'; ++e)
        laughs += "<!ENTITY " + QByteArray(1, e) + " \"" +
                  ('&' + QByteArray(1, e - 1) + ';').repeated(10) + "\">";
    laughs += "]><plist><dict><key>k</key><string>&e;&e;&e;&e;</string></dict></plist>";
    const QByteArray deep = QByteArray("<array>").repeated(kMaxNesting + 1) +
                            QByteArray("</array>").repeated(kMaxNesting + 1);
    // clang-format off
    QList<QByteArray> cases = {
        "", "just text", "<plist version=\"1.0\"><array/></plist>", "<plist><dict/><dict/></plist>",
        "<plist><dict/></plist><plist/>", laughs};
    for (const QByteArray body : {"<key>k</key><integer>12abc</integer>", "<key>k</key><integer>9223372036854775808</integer>",
                                  "<key>k</key><real>one</real>", "<key>k</key><data>not base64!</data>",
                                  "<key>k</key><date>yesterday</date>", "<key>k</key><null/>", "<key>k</key>",
                                  "<string>no key</string>", "<key>k</key><string>&undefined;</string>"})
        cases.append("<plist version=\"1.0\"><dict>" + body + "</dict></plist>");
    // clang-format on
    cases.append("<plist version=\"1.0\"><dict><key>k</key>" + deep + "</dict></plist>");
    const QByteArray whole =
        serializePropertyList({{u"list"_s, QVariantList{qint64(1), u"x"_s}}, {u"flag"_s, true}});
    ASSERT_TRUE(parsePropertyList(whole).ok);
    for (qsizetype cut = 0; cut < whole.lastIndexOf("</plist>") + 8; ++cut)
        cases.append(whole.left(cut));
    for (const QByteArray& bytes : cases)
        EXPECT_FALSE(parsePropertyList(bytes).ok) << bytes.left(200).toStdString();
}

TEST(PropertyList, StoresEachValueInTheKindItHasInAFile)
{
    const QDateTime berlin(QDate(2020, 5, 17), QTime(14, 30), Qt::OffsetFromUTC, 7200);
    // clang-format off
    const struct { QVariant given, stored; } kept[] = {
        {int(-7), qint64(-7)},   {uint(7), qint64(7)},   {quint64(kMax), kMax},   {1.5f, 1.5},
        {berlin, QDateTime(QDate(2020, 5, 17), QTime(12, 30), Qt::UTC)},
        {QStringList{u"a"_s, u"b"_s}, QVariantList{u"a"_s, u"b"_s}},
        {QVariantHash{{u"Width"_s, 640}}, QVariantMap{{u"Width"_s, qint64(640)}}},
        {QVariantList{QVariantMap{{u"n"_s, 1u}}}, QVariantList{QVariantMap{{u"n"_s, qint64(1)}}}}};
    const QVariant refused[] = {
        QVariant(), QVariant(QSize(1, 2)), QVariant(quint64(kMax) + 1), QVariant(QString(QChar(1))),
        QVariant(QString(QChar(0xD800))), QVariant(QString(QChar(0xFFFE))), QVariant(QDateTime()),
        QVariant(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC)), QVariant(QVariantList{QVariant()}),
        QVariant(QVariantMap{{u"bad\x01key"_s, true}}), nested(kMaxNesting + 1)};
    // clang-format on
    for (const auto& c : kept) {
        const auto stored = storableValue(c.given);
        ASSERT_TRUE(stored) << c.given.typeName();
        EXPECT_TRUE(sameValue(*stored, c.stored)) << c.given.typeName();
        EXPECT_EQ(stored->toString(), c.stored.toString()); // a date in UTC, ending in "Z"
    }
    for (const QVariant& value : refused)
        EXPECT_FALSE(storableValue(value)) << value.typeName();
}

// An input the property-list fuzz target turned up: a document declared as
// UTF-7, whose key decodes into lone surrogates. Such text cannot be written
// back, so the file counts as malformed rather than as values that a later
// write would fail on; what the reader does take survives a write and a read.
TEST(PropertyList, WhatItReadsItCanWriteAndReadAgain)
{
    const QByteArray xml(
        "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n\n<plist "
        "version=\"1.0\">\n\t<dict>\n\t\t<key>l+++++++++++++++++++++++++"
        "333333333333333333333333333333333333333SSSSSS\rwindo\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r"
        "\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\r\rSSSSSSSSSSSSSSSSSSSSSSSS"
        "etfSSSSSS++++++++Eio>Window</key>\n\t\t<dict>\n\t\t\t<key>x05ce</key>\n\t\t\t<string>20 "
        "10 400 "
        "300</string>\n\t\t\t<key>Open</key>\n\t\t\t<false/>\n\t\t</dict>\n\t</dict>\n</plist>\n");
    const ParsedPropertyList parsed = parsePropertyList(xml);
    EXPECT_FALSE(parsed.ok);
    EXPECT_TRUE(parsed.values.isEmpty());
    EXPECT_FALSE(parsed.error.isEmpty());

    // The same document in UTF-8, carriage returns and all, reads and
    // round-trips.
    QByteArray utf8 = xml;
    utf8.replace("UTF-7", "UTF-8");
    const ParsedPropertyList taken = parsePropertyList(utf8);
    ASSERT_TRUE(taken.ok) << taken.error.toStdString();
    for (auto it = taken.values.cbegin(); it != taken.values.cend(); ++it) {
        EXPECT_TRUE(isStorableText(it.key()));
        EXPECT_TRUE(storableValue(it.value()));
    }
    const QByteArray written = serializePropertyList(taken.values);
    const ParsedPropertyList again = parsePropertyList(written);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(serializePropertyList(again.values), written);
    EXPECT_EQ(again.values, taken.values);
}
