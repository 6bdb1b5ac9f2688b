// SPDX-License-Identifier: GPL-3.0-or-later
// Showing, adding, deleting and editing sizes, with what the store holds
// after each, and stored values of the wrong kind or shape.
#include "PaneFixture.h"

#include "platform/prefs/Preferences.h"
#include "platform/prefs/PropertyList.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QProcess>

using namespace panetest;

namespace
{

QVariantList List(std::initializer_list<QVariant> items)
{
    return QVariantList(items);
}

class PaneList : public PaneFixture
{
protected:
    QString Cell(int row, int column) const
    {
        return table->model()->data(table->model()->index(row, column)).toString();
    }
    // Types text into a cell the way the cell's line edit hands it over.
    void Edit(int row, int column, const QString& text)
    {
        ASSERT_TRUE(
            table->model()->setData(table->model()->index(row, column), text, Qt::EditRole));
    }
};

TEST_F(PaneList, NoStoredKeyShowsNothingAndAddStoresOne256Square)
{
    LoadAndSelect();
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_FALSE(Stored().isValid());

    addButton->click();
    ASSERT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "256");
    EXPECT_EQ(Cell(0, 1), "256");
    EXPECT_EQ(Stored(), QVariant(List({Entry(256, 256)})));
}

TEST_F(PaneList, AddPutsTheNewRowFirst)
{
    Store(NamedEntries(3));
    LoadAndSelect();
    addButton->click();
    EXPECT_EQ(NamesOf(pane->arraySizes()), "? a b c");
    const QVariantList stored = Stored().toList();
    ASSERT_EQ(stored.size(), 4);
    EXPECT_EQ(stored.at(0), QVariant(Entry(256, 256)));
    EXPECT_EQ(NamesOf(stored), "? a b c");
}

TEST_F(PaneList, DeleteRemovesTheSelectedRowsOrEveryRowWhenNoneIsSelected)
{
    struct Case {
        const char* name;
        NSIndexSet selected;
        const char* left;
    };
    const Case cases[] = {
        {"rows 1 and 3 of five", {1, 3}, "a c e"},
        {"the first row", {0}, "b c d e"},
        {"every row", {0, 1, 2, 3, 4}, ""},
        {"no row (the button as the interface file made it)", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Store(NamedEntries(5));
        LoadAndSelect();
        table->selectRowIndexes(c.selected, false);
        // The button follows the selection; with none it is clicked as the
        // user could while it still had its initial state.
        deleteButton->setEnabled(true);
        deleteButton->click();
        EXPECT_EQ(NamesOf(pane->arraySizes()), c.left);
        EXPECT_EQ(NamesOf(Stored().toList()), c.left);
        EXPECT_EQ(Stored().typeId(), QMetaType::QVariantList);
        EXPECT_EQ(table->model()->rowCount(), pane->arraySizes().size());
        TearDown();
    }
}

TEST_F(PaneList, EditedTextIsStoredAsItsLeadingInteger)
{
    const std::pair<QString, qint64> cases[] = {
        {"640", 640},
        {"abc", 0},
        {"-5", -5},
        {"70000", 70000},
        {"12px", 12},
        {"   42", 42},
        {"\t\u00a0 7", 7},
        {"\n7", 0},
        {"+9", 9},
        {"", 0},
        {"- 3", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483648LL},
        {"2147483648", 2147483647},
        {"-2147483648", -2147483648LL},
        {"123456789012345678901234567890", 2147483647},
    };
    Store(List({Entry(1, 2, "a")}));
    LoadAndSelect();
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        Edit(0, 0, text);
        EXPECT_EQ(Cell(0, 0), QString::number(expected));
        EXPECT_EQ(Stored(), QVariant(List({Entry(expected, 2, "a")})));
    }
}

TEST_F(PaneList, EditingAHeightKeepsTheWidthAndEveryOtherKey)
{
    QVariantMap entry = Entry(640, 480, "a");
    entry.insert(QStringLiteral("Comment"), QStringLiteral("for the web"));
    Store(List({entry, Entry(1, 1, "b")}));
    LoadAndSelect();
    Edit(0, 1, QStringLiteral("360"));
    entry.insert(kHeightKey, 360);
    EXPECT_EQ(Stored(), QVariant(List({entry, Entry(1, 1, "b")})));
}

TEST_F(PaneList, AValueThatIsNotAStringIsLoggedAndChangesNothing)
{
    Store(List({Entry(640, 480)}));
    LoadAndSelect();
    const QByteArray before = UserFile();

    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { messages << text; });
    pane->setObjectValue(table, QVariant(qint64(5)), Column(kWidthKey), 0);
    pane->setObjectValue(table, QVariant(QVariantList{1, QStringLiteral("x")}), Column(kHeightKey),
                         0);
    qInstallMessageHandler(previous);

    EXPECT_EQ(messages, QStringList({QStringLiteral("The object \"5\" is not a string!"),
                                     QStringLiteral("The object \"(1, x)\" is not a string!")}));
    EXPECT_EQ(pane->arraySizes(), List({Entry(640, 480)}));
    EXPECT_EQ(UserFile(), before);
}

TEST_F(PaneList, ColumnsOtherThanWidthAndHeightShowAndTakeNothing)
{
    Store(List({Entry(640, 480)}));
    LoadAndSelect();
    const QByteArray before = UserFile();
    NSTableColumn other{QStringLiteral("Depth"), QString()};
    EXPECT_FALSE(pane->objectValueForTableColumn(table, &other, 0).isValid());
    pane->setObjectValue(table, QStringLiteral("12"), &other, 0);
    pane->setObjectValue(table, QStringLiteral("12"), nullptr, 0);
    EXPECT_EQ(pane->arraySizes(), List({Entry(640, 480)}));
    EXPECT_EQ(UserFile(), before);
}

TEST_F(PaneList, StoredValuesOfTheWrongKindGiveAnEmptyListThatHidingStores)
{
    const QVariant cases[] = {
        QStringLiteral("640x480"),
        QVariantMap{{kWidthKey, 1}},
        qint64(12),
        QByteArray("\x01\x02"),
    };
    for (const QVariant& value : cases) {
        SCOPED_TRACE(value.typeName());
        SetUp();
        Store(value);
        LoadAndSelect();
        EXPECT_EQ(table->model()->rowCount(), 0);
        EXPECT_EQ(Stored(), value); // left alone until the next save
        pane->didUnselect();
        EXPECT_EQ(Stored(), QVariant(QVariantList()));
        TearDown();
    }
}

TEST_F(PaneList, RowsOfTheWrongShapeShowEmptyCellsAndEditingGivesThemTheKey)
{
    Store(List({QStringLiteral("junk"), QVariantMap{{kWidthKey, 5}}, qint64(7)}));
    LoadAndSelect();
    ASSERT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "");
    EXPECT_EQ(Cell(1, 0), "5");
    EXPECT_EQ(Cell(1, 1), "");
    Edit(1, 1, QStringLiteral("9"));
    Edit(0, 0, QStringLiteral("3"));
    EXPECT_EQ(Stored(), QVariant(List({QVariantMap{{kWidthKey, 3}},
                                       QVariantMap{{kWidthKey, 5}, {kHeightKey, 9}}, qint64(7)})));
}

TEST_F(PaneList, AMalformedPreferenceFileIsKeptAsideAndTheListStartsEmpty)
{
    const QByteArray garbage = "<plist><dict><key>Array Sizes</key><array><dict>";
    ASSERT_TRUE(testsupport::WriteFile(UserFilePath(), garbage));
    LoadAndSelect();
    EXPECT_EQ(table->model()->rowCount(), 0);
    addButton->click();
    EXPECT_EQ(Stored(), QVariant(List({Entry(256, 256)})));
    const QStringList aside = QDir(QString::fromUtf8(config.path()))
                                  .entryList({QStringLiteral("*.corrupt-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(testsupport::ReadFile(config / aside.first().toUtf8()), garbage);
}

TEST_F(PaneList, AListForAllUsersIsShownAndTheFirstSaveCopiesItToTheUser)
{
    const QByteArray xml = tessaly::prefs::serializePropertyList(
        {{kArraySizesKey, NamedEntries(2)}, {QStringLiteral("Other"), true}});
    ASSERT_TRUE(testsupport::WriteFile(allUsers / "com.quorvane.TessalyCM.plist", xml));
    LoadAndSelect();
    EXPECT_EQ(NamesOf(pane->arraySizes()), "a b");
    EXPECT_FALSE(testsupport::Exists(UserFilePath()));
    pane->didUnselect();
    EXPECT_EQ(Stored(), QVariant(NamedEntries(2)));
    // The pane writes no other key of the domain.
    EXPECT_FALSE(tessaly::prefs::parsePropertyList(UserFile()).values.contains("Other"));
}

TEST_F(PaneList, EachShowingReadsTheStoreAgainAndEachHidingWritesTheList)
{
    Store(NamedEntries(2));
    LoadAndSelect();
    pane->didUnselect();
    EXPECT_EQ(Stored(), QVariant(NamedEntries(2)));

    // Another process changed the list while the pane was hidden.
    Store(NamedEntries(4));
    pane->willSelect();
    EXPECT_EQ(table->model()->rowCount(), 4);
    EXPECT_EQ(NamesOf(pane->arraySizes()), "a b c d");
}

TEST_F(PaneList, ListsAnotherProcessStoredAreShownAndNeverWrittenOver)
{
    // Another process (the companion component, say) replaces the list: the
    // prefs_writer copies it from a domain of its own into the pane's. The
    // pane must show what that process stored at its next showing, and must
    // not write the list it showed before over it when it is hidden.
    const auto anotherProcessStores = [this](const QVariantList& list) {
        const QString staging = QStringLiteral("com.quorvane.TessalyCM.staging");
        ASSERT_TRUE(testsupport::WriteFile(
            config / (staging + ".plist").toUtf8(),
            tessaly::prefs::serializePropertyList({{kArraySizesKey, list}})));
        QProcess writer;
        writer.start(PREFS_WRITER, {"copy", staging, kTessalyCMDomain, kArraySizesKey});
        ASSERT_TRUE(writer.waitForFinished(60000));
        ASSERT_EQ(writer.exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
        ASSERT_EQ(Stored(), QVariant(list));
    };
    QVariantList longer = NamedEntries(5);
    QVariantList longest = NamedEntries(6);
    longest.removeFirst();

    Store(NamedEntries(2));
    LoadAndSelect();
    pane->didUnselect();

    // Stored while the pane was hidden: the next showing shows it.
    anotherProcessStores(longer);
    pane->willSelect();
    EXPECT_EQ(table->model()->rowCount(), 5);
    EXPECT_EQ(NamesOf(pane->arraySizes()), "a b c d e");
    pane->didUnselect();
    EXPECT_EQ(Stored(), QVariant(longer));

    // Stored while the pane was shown, and nothing changed in the pane: the
    // hiding keeps it, and the next showing shows it.
    pane->willSelect();
    anotherProcessStores(longest);
    pane->didUnselect();
    EXPECT_EQ(Stored(), QVariant(longest));
    pane->willSelect();
    EXPECT_EQ(NamesOf(pane->arraySizes()), "b c d e f");

    // A change made in the pane is the newest list: it is what is stored.
    anotherProcessStores(longer);
    table->selectRowIndexes({0}, false);
    deleteButton->click();
    EXPECT_EQ(NamesOf(Stored().toList()), "c d e f");
    pane->didUnselect();
    EXPECT_EQ(NamesOf(Stored().toList()), "c d e f");
}

TEST_F(PaneList, DeleteFollowsTheSelectionOfThisTableOnly)
{
    Store(NamedEntries(3));
    LoadAndSelect();
    EXPECT_FALSE(deleteButton->isEnabled()); // as the interface file makes it
    table->selectRowIndexes({1}, false);
    EXPECT_TRUE(deleteButton->isEnabled());
    table->selectRowIndexes({}, false);
    EXPECT_FALSE(deleteButton->isEnabled());

    NSTableView otherTable;
    table->selectRowIndexes({2}, false);
    pane->tableViewSelectionDidChange(NSNotification{&otherTable});
    EXPECT_TRUE(deleteButton->isEnabled());
    table->clearSelection();
    EXPECT_FALSE(deleteButton->isEnabled());

    // Deleting the selected last row leaves nothing selected: the button
    // must not stay on, or a second press would empty the list.
    table->selectRowIndexes({2}, false);
    deleteButton->click();
    EXPECT_EQ(NamesOf(pane->arraySizes()), "a b");
    EXPECT_FALSE(deleteButton->isEnabled());
}

} // namespace
