// The preference store through its three calls, with real files in a
// temporary configuration folder and a second process where one is needed.
#include "PrefsFixture.h"

#include "platform/prefs/Preferences.h"
#include "platform/prefs/PropertyList.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSize>

#include <limits>
#include <thread>

using namespace tessaly::prefs;

namespace
{

const QString kDomain = u"org.example.Prefs"_s;

QVariant copy(const QString& key, const QString& domain = kDomain)
{
    return CFPreferencesCopyAppValue(key, domain);
}

void set(const QString& key, const QVariant& value, const QString& domain = kDomain)
{
    CFPreferencesSetAppValue(key, value, domain);
}

QVariantMap fileValues(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const ParsedPropertyList parsed = parsePropertyList(file.readAll());
    EXPECT_TRUE(parsed.ok) << parsed.error.toStdString();
    return parsed.values;
}

} // namespace

// Written here, read by a fresh process, written by it to another domain and
// read back here from that file: every kind and odd key survives both trips.
TEST_F(PrefsTest, ValuesKeepTheirKindThroughFilesAndProcesses)
{
    QByteArray big(8 << 20, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    const QVariantList sizes{QVariantMap{{u"Width"_s, qint64(640)}, {u"Height"_s, qint64(480)}}};
    const QList<QPair<QString, QVariant>> cases = {
        {u"QuitWhenDone"_s, true},
        {u"false"_s, false},
        {u"min"_s, std::numeric_limits<qint64>::min()},
        {u"max"_s, std::numeric_limits<qint64>::max()},
        {u"tenth"_s, 0.1},
        {u"negative zero"_s, -0.0},
        {u"infinity"_s, -std::numeric_limits<double>::infinity()},
        {u"nan"_s, std::numeric_limits<double>::quiet_NaN()},
        {u"Last ImageURL Extension"_s, u"jpg"_s},
        {u"unicode"_s, u"Größe ☃ 𝄞 日本"_s},
        {u"markup"_s, u"<a href=\"x\">&amp;</a> ]]>"_s},
        {u"line ends"_s, u"one\r\ntwo\rthree\n\tfour  "_s},
        {u"empty string"_s, QString()},
        {u"CopyToLocation"_s, everyByte},
        {u"big data"_s, big},
        {u"empty data"_s, QByteArray()},
        {u"date"_s, QDateTime::fromSecsSinceEpoch(1234567890, Qt::UTC)},
        {u"date with ms"_s, QDateTime::fromMSecsSinceEpoch(-86400123, Qt::UTC)},
        {u"Array Sizes"_s, sizes},
        {u"empty array"_s, QVariantList()},
        {u"empty dictionary"_s, QVariantMap()},
        {u"deep"_s, nested(kMaxNesting)},
        {QString(), u"the empty key"_s},
        {u"ключ ☃"_s, qint64(1)},
        {u"<&>\"' ]]>"_s, qint64(2)},
        {u"\r\n"_s, qint64(3)},
        {u" "_s, qint64(4)},
    };
    QStringList keys;
    for (const auto& [key, value] : cases) {
        set(key, value);
        keys.append(key);
    }
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_TRUE(
        readFile(userFile(kDomain)).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    const QString copyDomain = u"org.example.Copy"_s;
    runWriter(QStringList{u"copy"_s, kDomain, copyDomain} + keys);
    for (const auto& [key, value] : cases)
        EXPECT_TRUE(sameValue(copy(key, copyDomain), value)) << key.toStdString();
}

TEST_F(PrefsTest, UserValueComesBeforeTheFirstAllUsersFile)
{
    const QString name = u"/"_s + kDomain + u".plist"_s;
    const QVariantMap first{{u"a"_s, u"all-1"_s}, {u"b"_s, u"all-1"_s}};
    const QVariantMap second{{u"c"_s, u"all-2"_s}};
    writeFile(sharedFolder(1) + name, serializePropertyList(first));
    writeFile(sharedFolder(2) + name, serializePropertyList(second));
    writeFile(userFile(kDomain), serializePropertyList({{u"a"_s, u"user"_s}}));

    EXPECT_EQ(copy(u"a"_s), u"user"_s);
    EXPECT_EQ(copy(u"b"_s), u"all-1"_s);
    EXPECT_FALSE(copy(u"c"_s).isValid()) << "a later folder's file is shadowed";
    EXPECT_FALSE(copy(u"d"_s).isValid());

    set(u"a"_s, QVariant()); // removing the user's value uncovers the all-users one
    EXPECT_EQ(copy(u"a"_s), u"all-1"_s);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(copy(u"a"_s), u"all-1"_s);
    EXPECT_TRUE(fileValues(userFile(kDomain)).isEmpty());
    EXPECT_EQ(readFile(sharedFolder(1) + name), serializePropertyList(first));
}

// The store returns what the file holds; deciding that a string where a
// Boolean belongs counts as absent is the reader's business.
TEST_F(PrefsTest, KindMismatchesAreLeftToTheReader)
{
    writeFile(userFile(kDomain), "<plist><dict><key>QuitWhenDone</key><string>yes</string>"
                                 "<key>CopyTo</key><integer>1</integer>"
                                 "<key>Array Sizes</key><dict/></dict></plist>");
    EXPECT_EQ(copy(u"QuitWhenDone"_s).metaType().id(), QMetaType::QString);
    EXPECT_EQ(copy(u"CopyTo"_s).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(copy(u"Array Sizes"_s).metaType().id(), QMetaType::QVariantMap);
}

TEST_F(PrefsTest, MalformedFileReadsEmptyAndIsKeptAsideBeforeAWrite)
{
    const QByteArray good = serializePropertyList({{u"k"_s, u"v"_s}});
    const QByteArray cases[] = {
        "not XML at all",
        "<plist version=\"1.0\"><array><string>v</string></array></plist>",
        "<plist><dict><key>k</key><string>v</string><key>n</key><integer>x</integer></dict></"
        "plist>",
        good.left(good.size() - 20),
        "",
    };
    int n = 0;
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toStdString());
        const QString domain = u"org.example.Bad%1"_s.arg(++n);
        writeFile(userFile(domain), bytes);
        EXPECT_FALSE(copy(u"k"_s, domain).isValid());
        ASSERT_TRUE(CFPreferencesAppSynchronize(domain)); // nothing to write: the file stays
        EXPECT_EQ(readFile(userFile(domain)), bytes);

        // Twice, so the second copy kept aside needs a name of its own.
        for (int round = 1; round <= 2; ++round) {
            writeFile(userFile(domain), bytes);
            set(u"new"_s, round, domain);
            ASSERT_TRUE(CFPreferencesAppSynchronize(domain));
            EXPECT_EQ(fileValues(userFile(domain)), (QVariantMap{{u"new"_s, qint64(round)}}));
            const QStringList aside =
                QDir(configHome())
                    .entryList({domain + u".plist.corrupt-*"_s}, QDir::Files | QDir::Hidden);
            ASSERT_EQ(aside.size(), round);
            for (const QString& kept : aside)
                EXPECT_EQ(readFile(configHome() + u'/' + kept), bytes);
        }
    }
}

TEST_F(PrefsTest, SynchroniseMergesWithWhatAnotherProcessWrote)
{
    set(u"mine"_s, u"pending"_s);
    EXPECT_FALSE(copy(u"theirs-0"_s).isValid());
    runWriter({u"write"_s, kDomain, u"theirs"_s, u"2"_s});
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(copy(u"theirs-1"_s), qint64(1));
    EXPECT_EQ(fileValues(userFile(kDomain)).value(u"mine"_s), u"pending"_s);

    runWriter({u"write"_s, kDomain, u"theirs"_s, u"5"_s});
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain)); // nothing pending: a plain re-read
    EXPECT_EQ(copy(u"theirs-last"_s), qint64(4));
    EXPECT_EQ(copy(u"mine"_s), u"pending"_s);
}

TEST_F(PrefsTest, TwoProcessesWritingOneDomainLoseNothing)
{
    constexpr int kWrites = 1000;
    const auto count = QString::number(kWrites);
    auto first = startWriter({u"write"_s, kDomain, u"A"_s, count});
    auto second = startWriter({u"write"_s, kDomain, u"B"_s, count});
    expectFinishedCleanly(*first);
    expectFinishedCleanly(*second);

    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    for (const QString& prefix : {u"A"_s, u"B"_s}) {
        EXPECT_EQ(copy(prefix + u"-last"_s), qint64(kWrites - 1));
        for (int i = 0; i < kWrites; ++i)
            ASSERT_EQ(copy(prefix + u'-' + QString::number(i)), qint64(i))
                << prefix.toStdString() << i;
    }
    EXPECT_EQ(fileValues(userFile(kDomain)).size(), 2 * (kWrites + 1));
}

TEST_F(PrefsTest, ThreadsShareOneStore)
{
    constexpr int kWrites = 100;
    auto writer = [](QString prefix) {
        for (int i = 0; i < kWrites; ++i) {
            set(prefix + QString::number(i), i);
            CFPreferencesAppSynchronize(kDomain);
            copy(prefix + QString::number(i / 2));
        }
    };
    std::thread one(writer, u"one-"_s), two(writer, u"two-"_s);
    one.join();
    two.join();
    EXPECT_EQ(fileValues(userFile(kDomain)).size(), 2 * kWrites);
}

TEST_F(PrefsTest, CurrentApplicationNamesTheApplicationsDomain)
{
    EXPECT_EQ(CFPreferencesCurrentApplicationID(), u"com.quorvane.Tessaly"_s);
    set(u"QuitWhenDone"_s, false, kCFPreferencesCurrentApplication);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication));
    EXPECT_EQ(fileValues(userFile(u"com.quorvane.Tessaly"_s)).value(u"QuitWhenDone"_s), false);

    CFPreferencesSetCurrentApplicationID(kDomain);
    set(u"QuitWhenDone"_s, true, kCFPreferencesCurrentApplication);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication));
    CFPreferencesSetCurrentApplicationID(QString());
    EXPECT_EQ(CFPreferencesCurrentApplicationID(), u"com.quorvane.Tessaly"_s);
    EXPECT_EQ(copy(u"QuitWhenDone"_s), true);
}

TEST_F(PrefsTest, RefusedValuesAndDomainsChangeNothing)
{
    set(u"k"_s, u"old"_s);
    set(u"k"_s, QSize(1, 2));
    set(u"k"_s, QString(QChar(0xDC00)));
    set(QString(QChar(1)), true);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(fileValues(userFile(kDomain)), (QVariantMap{{u"k"_s, u"old"_s}}));

    for (const QString& bad : {QString(), u".."_s, u"../escape"_s}) {
        set(u"k"_s, true, bad);
        EXPECT_FALSE(CFPreferencesAppSynchronize(bad));
        EXPECT_FALSE(copy(u"k"_s, bad).isValid());
    }
    EXPECT_FALSE(QFileInfo::exists(m_root.filePath(u"escape.plist"_s)));
}

TEST_F(PrefsTest, LocationsFollowTheEnvironmentAtEachCall)
{
    const QString nestedHome = m_root.filePath(u"new/deeper/config"_s);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(nestedHome));
    set(u"where"_s, u"nested"_s);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain)); // creates the missing folders
    EXPECT_TRUE(QFileInfo::exists(nestedHome + u'/' + kDomain + u".plist"_s));

    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(m_root.filePath(u"home"_s)));
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    EXPECT_FALSE(copy(u"where"_s).isValid());
    set(u"where"_s, u"home"_s);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    qputenv("HOME", savedHome);
    EXPECT_TRUE(QFileInfo::exists(m_root.filePath(u"home/.config/"_s) + kDomain + ".plist"));

    qputenv("XDG_CONFIG_HOME", QFile::encodeName(nestedHome));
    EXPECT_EQ(copy(u"where"_s), u"nested"_s);
}

TEST_F(PrefsTest, WritesGoThroughASymbolicLink)
{
    const QString target = m_root.filePath(u"dotfiles/prefs.plist"_s);
    writeFile(target, serializePropertyList({{u"old"_s, true}}));
    QDir().mkpath(configHome());
    ASSERT_TRUE(QFile::link(target, userFile(kDomain)));
    set(u"new"_s, true);
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_TRUE(QFileInfo(userFile(kDomain)).isSymLink());
    EXPECT_EQ(fileValues(target).keys(), (QStringList{u"new"_s, u"old"_s}));
}

TEST_F(PrefsTest, AFailedWriteKeepsTheChangePending)
{
    const QString blocked = m_root.filePath(u"blocked"_s);
    writeFile(blocked, "a file where the configuration folder should be");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocked));
    set(u"k"_s, u"kept"_s);
    EXPECT_FALSE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(copy(u"k"_s), u"kept"_s);

    ASSERT_TRUE(QFile::remove(blocked));
    ASSERT_TRUE(CFPreferencesAppSynchronize(kDomain));
    EXPECT_EQ(fileValues(blocked + u'/' + kDomain + u".plist"_s).value(u"k"_s), u"kept"_s);
}
