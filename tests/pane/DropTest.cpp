// SPDX-License-Identifier: GPL-3.0-or-later
// Row drag and drop: the table of drops of rows a to g, validation of drags
// from elsewhere, and drops that must change nothing.
#include "PaneFixture.h"

#include "pane/ItemHelpers.h"
#include "platform/prefpane/KeyedArchive.h"
#include "platform/text/TextEncoding.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

using namespace panetest;

namespace
{

class Drops : public PaneFixture
{
protected:
    // Starts a drag of rows as the table does, and drops it above row.
    bool DragAndDrop(const NSIndexSet& rows, int row)
    {
        QMimeData data;
        NSPasteboard pasteboard(&data);
        EXPECT_TRUE(pane->writeRowsWithIndexes(table, rows, pasteboard));
        EXPECT_EQ(data.formats(), QStringList({kPrivateTableViewDataType}));
        const NSDraggingInfo info(&data);
        EXPECT_EQ(pane->validateDrop(table, info, row, NSTableViewDropAbove), NSDragOperationEvery);
        EXPECT_EQ(pane->validateDrop(table, info, row, NSTableViewDropOn), NSDragOperationNone);
        return pane->acceptDrop(table, info, row, NSTableViewDropAbove);
    }
    static QString Letters(const QVariantList& list) { return NamesOf(list).remove(u' '); }
};

TEST_F(Drops, RowsOfAToGLandTogetherInTheGapTheDropNames)
{
    // Dragged rows leave their places and land as one block, in their list
    // order, in the gap above the row the drop names; they end selected.
    struct Case {
        NSIndexSet dragged;
        int above;
        const char* order;
        std::vector<NSUInteger> selected;
    };
    const Case cases[] = {
        // One block dropped outside itself.
        {{1}, 4, "acdbefg", {3}},
        {{4}, 1, "aebcdfg", {1}},
        {{1, 2}, 5, "adebcfg", {3, 4}},
        {{4, 5}, 1, "aefbcdg", {1, 2}},
        {{0}, 7, "bcdefga", {6}},
        {{6}, 0, "gabcdef", {0}},
        // A block dropped into its own gaps or inside itself stays.
        {{2}, 3, "abcdefg", {2}},
        {{2}, 2, "abcdefg", {2}},
        {{5, 6}, 7, "abcdefg", {5, 6}},
        {{2, 3, 4}, 3, "abcdefg", {2, 3, 4}},
        {{2, 3, 4}, 4, "abcdefg", {2, 3, 4}},
        {{2, 3, 4}, 2, "abcdefg", {2, 3, 4}},
        {{2, 3, 4}, 5, "abcdefg", {2, 3, 4}},
        // Rows apart from each other close up into one block.
        {{0, 2}, 5, "bdeacfg", {3, 4}},
        {{3, 5}, 0, "dfabceg", {0, 1}},
        {{0, 6}, 3, "bcagdef", {2, 3}},
        {{1, 3}, 2, "abdcefg", {1, 2}},
        {{1, 3}, 4, "acbdefg", {2, 3}},
        {{0, 2, 4, 6}, 7, "bdfaceg", {3, 4, 5, 6}},
        {{0, 2, 4, 6}, 0, "acegbdf", {0, 1, 2, 3}},
        {{1, 5}, 6, "acdebfg", {4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "drop above " << c.above << ", expecting " << c.order);
        SetUp();
        Store(NamedEntries(7));
        LoadAndSelect();
        table->selectRowIndexes({0, 1, 2, 3, 4, 5, 6}, false);
        ASSERT_TRUE(DragAndDrop(c.dragged, c.above));
        EXPECT_EQ(Letters(pane->arraySizes()), c.order);
        EXPECT_EQ(Letters(Stored().toList()), c.order);
        EXPECT_EQ(SelectedRows(), c.selected);
        EXPECT_TRUE(deleteButton->isEnabled());
        TearDown();
    }
}

TEST_F(Drops, MovedRowsAreSelectedWhereTheyLandEvenWhenEqualToOthers)
{
    // An equal entry standing earlier is not the one selected: the moved row is.
    Store(QVariantList{Entry(256, 256), Entry(640, 480), Entry(256, 256)});
    LoadAndSelect();
    ASSERT_TRUE(DragAndDrop({0}, 3));
    EXPECT_EQ(pane->arraySizes(),
              (QVariantList{Entry(640, 480), Entry(256, 256), Entry(256, 256)}));
    EXPECT_EQ(SelectedRows(), std::vector<NSUInteger>{2});

    // Two dragged entries equal to each other, and to the row just added
    // (whose numbers are 16-bit ones), stay two selected rows.
    addButton->click();
    ASSERT_TRUE(DragAndDrop({2, 3}, 1));
    EXPECT_EQ(pane->arraySizes(),
              (QVariantList{Entry(256, 256), Entry(256, 256), Entry(256, 256), Entry(640, 480)}));
    EXPECT_EQ(pane->arraySizes().at(0).toMap().value(kWidthKey).typeId(), QMetaType::UShort);
    EXPECT_EQ(SelectedRows(), (std::vector<NSUInteger>{1, 2}));
    EXPECT_EQ(Stored().toList().size(), 4);
}

TEST_F(Drops, DragsFromElsewhereAreValidatedAsTheirContentSays)
{
    testsupport::TempFolder items;
    ASSERT_TRUE(testsupport::WriteFile(items / "photo.jpg", "x"));
    ASSERT_TRUE(testsupport::MakeFolder(items / "Folder"));
    ASSERT_TRUE(testsupport::MakeFolder(items / "caf\xe9"));     // Latin-1 bytes: not UTF-8
    ASSERT_TRUE(testsupport::MakeFolder(items / "caf\xc3\xa9")); // UTF-8
    const auto fileURI = [&](const QByteArray& name) {
        return QByteArray("file://") + (items / name).toPercentEncoding("/");
    };

    struct Case {
        const char* name;
        std::vector<std::pair<QString, QByteArray>> formats;
        NSTableViewDropOperation kind;
        NSDragOperation expected;
    };
    const Case cases[] = {
        {"a file that is not a folder",
         {{"text/uri-list", fileURI("photo.jpg")}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"a file, onto a row",
         {{"text/uri-list", fileURI("photo.jpg")}},
         NSTableViewDropOn,
         NSDragOperationNone},
        {"files, the first a folder",
         {{"text/uri-list", fileURI("Folder") + "\r\n" + fileURI("photo.jpg")}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"a folder named in UTF-8",
         {{"text/uri-list", fileURI("caf\xc3\xa9")}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"a folder whose name is not UTF-8",
         {{"text/uri-list", fileURI("caf\xe9")}},
         NSTableViewDropAbove,
         NSDragOperationNone},
        {"a path that names nothing",
         {{"text/uri-list", fileURI("gone")}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"text that is a URL",
         {{"text/plain", "https://example.org/sizes?x=1#top"}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"a web link",
         {{"text/uri-list", "# comment\r\nhttps://example.org/a"}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
        {"text with a space",
         {{"text/plain", "not a url"}},
         NSTableViewDropAbove,
         NSDragOperationNone},
        {"text with a stray percent",
         {{"text/plain", "50%"}},
         NSTableViewDropAbove,
         NSDragOperationNone},
        {"text that is not a URL, before a good URI",
         {{"text/plain", "a<b"}, {"text/uri-list", "https://example.org/"}},
         NSTableViewDropAbove,
         NSDragOperationNone},
        {"text that is a URL, onto a row",
         {{"text/plain", "https://example.org/"}},
         NSTableViewDropOn,
         NSDragOperationNone},
        {"nothing the table reads as text",
         {{"image/png", "\x89PNG"}},
         NSTableViewDropAbove,
         NSDragOperationEvery},
    };
    Store(NamedEntries(3));
    LoadAndSelect();
    const QByteArray before = UserFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData data;
        for (const auto& [format, bytes] : c.formats)
            data.setData(format, bytes);
        const NSDraggingInfo info(&data);
        EXPECT_EQ(pane->validateDrop(table, info, 1, c.kind), c.expected);
        // Whatever validation said, only the pane's own rows are acted on.
        EXPECT_FALSE(pane->acceptDrop(table, info, 1, NSTableViewDropAbove));
        EXPECT_EQ(Letters(pane->arraySizes()), "abc");
    }
    EXPECT_EQ(UserFile(), before);
}

TEST_F(Drops, RowDataThatIsNotAnIndexSetOfThisListIsRefused)
{
    const QByteArray valid = NSKeyedArchiver::archivedDataWithRootObject({1});
    QByteArray wrongVersion = valid;
    wrongVersion[3] = 2;
    const std::pair<const char*, QByteArray> cases[] = {
        {"garbage", QByteArray("\x00\xff garbage \x01", 12)},
        {"empty", QByteArray()},
        {"a truncated archive", valid.left(valid.size() - 1)},
        {"another version", wrongVersion},
        {"an empty index set", NSKeyedArchiver::archivedDataWithRootObject({})},
        {"a row beyond the list", NSKeyedArchiver::archivedDataWithRootObject({1, 3})},
    };
    Store(NamedEntries(3));
    LoadAndSelect();
    table->selectRowIndexes({2}, false);
    const QByteArray before = UserFile();
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        QMimeData data;
        data.setData(kPrivateTableViewDataType, bytes);
        EXPECT_FALSE(pane->acceptDrop(table, NSDraggingInfo(&data), 0, NSTableViewDropAbove));
        EXPECT_EQ(Letters(pane->arraySizes()), "abc");
        EXPECT_EQ(SelectedRows(), std::vector<NSUInteger>{2});
    }
    EXPECT_EQ(UserFile(), before);
}

TEST_F(Drops, TheTableAsksThePaneForDropsItsViewProposes)
{
    Store(NamedEntries(4));
    LoadAndSelect();
    QAbstractItemModel* model = table->model();
    EXPECT_EQ(model->mimeTypes(),
              QStringList({kPrivateTableViewDataType, "text/uri-list", "text/plain"}));

    QMimeData rows;
    rows.setData(kPrivateTableViewDataType, NSKeyedArchiver::archivedDataWithRootObject({0}));
    // Between rows (above row 3), onto row 1, and on the empty space below
    // the last row (after it).
    EXPECT_TRUE(model->canDropMimeData(&rows, Qt::MoveAction, 3, 0, QModelIndex()));
    EXPECT_FALSE(model->canDropMimeData(&rows, Qt::MoveAction, -1, -1, model->index(1, 0)));
    QMimeData foreign;
    foreign.setData("application/x-other", "x");
    EXPECT_FALSE(model->canDropMimeData(&foreign, Qt::MoveAction, 1, 0, QModelIndex()));

    ASSERT_TRUE(model->dropMimeData(&rows, Qt::MoveAction, -1, -1, QModelIndex()));
    EXPECT_EQ(Letters(pane->arraySizes()), "bcda");
    EXPECT_EQ(SelectedRows(), std::vector<NSUInteger>{3});
}

TEST_F(Drops, ADropOnTheViewLandsBetweenTheRowsUnderThePointer)
{
    Store(NamedEntries(5));
    LoadAndSelect();
    QMimeData data;
    NSPasteboard pasteboard(&data);
    ASSERT_TRUE(pane->writeRowsWithIndexes(table, {0, 1}, pasteboard));

    // The pointer on the upper edge of row 4: between rows 3 and 4.
    QApplication::processEvents();
    const QRect row4 = table->visualRect(table->model()->index(4, 0));
    ASSERT_FALSE(row4.isEmpty());
    const QPoint at(row4.center().x(), row4.top() + 1);
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());

    EXPECT_EQ(Letters(pane->arraySizes()), "cdabe");
    EXPECT_EQ(Letters(Stored().toList()), "cdabe");
    EXPECT_EQ(SelectedRows(), (std::vector<NSUInteger>{2, 3}));
}

TEST_F(Drops, ArchivedIndexSetsRoundTripAndForeignBytesDoNotDecode)
{
    const NSIndexSet sets[] = {{}, {0}, {1, 2, 3, 7}, {5, 6, 100, 101, 102}, {NSNotFound - 1}};
    for (const NSIndexSet& set : sets)
        EXPECT_EQ(
            NSKeyedUnarchiver::unarchiveIndexSet(NSKeyedArchiver::archivedDataWithRootObject(set)),
            set);

    // Header "TKA", version 1, "NSIndexSet", then ranges of (location, length).
    const auto archive = [](std::vector<std::pair<quint64, quint64>> ranges) {
        QByteArray data = QByteArray("TKA\x01\x0aNSIndexSet", 15);
        const auto be = [&data](quint64 value, int bytes) {
            for (int i = bytes - 1; i >= 0; --i)
                data.append(char(value >> (8 * i)));
        };
        be(ranges.size(), 4);
        for (const auto& [location, length] : ranges) {
            be(location, 8);
            be(length, 8);
        }
        return data;
    };
    EXPECT_EQ(NSKeyedUnarchiver::unarchiveIndexSet(archive({{2, 3}})), (NSIndexSet{2, 3, 4}));
    const std::pair<const char*, QByteArray> refused[] = {
        {"an empty range", archive({{2, 0}})},
        {"ranges out of order", archive({{5, 1}, {2, 1}})},
        {"touching ranges", archive({{2, 1}, {3, 1}})},
        {"a range past the largest index", archive({{NSNotFound - 1, 2}})},
        {"more indexes than a drag can carry", archive({{0, kMaxArchivedIndexes + 1}})},
        {"a count larger than the data", archive({{1, 1}}).replace(18, 1, "\x02")},
        {"another class", QByteArray(archive({{1, 1}})).replace("NSIndexSet", "NSIndexSeT")},
    };
    for (const auto& [name, bytes] : refused) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(NSKeyedUnarchiver::unarchiveIndexSet(bytes));
    }
}

TEST(MoveArrayItem, MovesWithinBoundsAndIgnoresTheRest)
{
    struct Case {
        int index;
        int offset;
        const char* result;
    };
    const Case cases[] = {
        {1, 2, "acdbe"}, {3, -3, "dabce"}, {0, 4, "bcdea"},  {2, 0, "abcde"},
        {4, 1, "abcde"}, {0, -1, "abcde"}, {-1, 1, "abcde"}, {5, -1, "abcde"},
    };
    for (const Case& c : cases) {
        QVariantList list{"a", "b", "c", "d", "e"};
        MoveArrayItem(list, c.index, c.offset);
        QString letters;
        for (const QVariant& v : list)
            letters += v.toString();
        EXPECT_EQ(letters, c.result) << c.index << " by " << c.offset;
    }
}

} // namespace
