// SPDX-License-Identifier: GPL-3.0-or-later
// Row drags carried out with the mouse: a press on a selected row, moves that
// start the table's own drag, the pointer held over each half of each row,
// and a release that drops. The table's own handling of the pointer decides
// which places take the drop, as it does for the user.
//
// These run on Qt's "minimal" platform. Its drag is Qt's own loop, which
// follows the mouse events the test sends and knows the table as the drag's
// source; on the offscreen platform a drag ends at once, before any move.
#include "pane/PaneFixture.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace panetest;

namespace
{

// The pointer over a row: its upper or lower half, or the empty space below
// the last row.
enum class Half { upper, lower };
struct Place {
    int row;
    Half half;
};

struct DragOutcome {
    bool started = false;
    // For each place the pointer was held over, whether a drop was offered.
    std::vector<bool> offered;
};

// Runs a script once the table's drag has started, inside the drag's loop.
// The drag object is made before its loop runs, so the table hears of a new
// child first; the script then runs at the loop's first turn.
class DragWatcher : public QObject
{
public:
    DragWatcher(NSTableView* table, std::function<void(QDrag*)> script)
        : m_table(table), m_script(std::move(script))
    {
        table->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded && !m_ran) {
            QTimer::singleShot(0, this, [this] {
                QDrag* drag = m_table->findChild<QDrag*>();
                if (!drag || m_ran)
                    return;
                m_ran = true;
                m_script(drag);
            });
        }
        return false;
    }

    bool ran() const { return m_ran; }

private:
    NSTableView* m_table;
    std::function<void(QDrag*)> m_script;
    bool m_ran = false;
};

class MouseDrags : public PaneFixture
{
protected:
    void SetUp() override
    {
        PaneFixture::SetUp();
        Store(NamedEntries(7));
        LoadAndSelect();
        view->resize(480, 520);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        window = view->windowHandle();
        ASSERT_NE(window, nullptr);
    }

    // A point of the pane's window over the place.
    QPoint At(Place place) const
    {
        const int rows = table->model()->rowCount();
        if (place.row >= rows) {
            const QRect last = table->visualRect(table->model()->index(rows - 1, 0));
            return table->viewport()->mapTo(
                view.get(), QPoint(last.center().x(), last.bottom() + last.height()));
        }
        const QRect rect = table->visualRect(table->model()->index(place.row, 0));
        const int y = place.half == Half::upper ? rect.top() + rect.height() / 4
                                                : rect.bottom() - rect.height() / 4;
        return table->viewport()->mapTo(view.get(), QPoint(rect.center().x(), y));
    }

    // Presses on the lower half of row from, moves far enough to start the
    // table's drag, holds the pointer over each place of hover, then moves
    // to drop and releases there.
    DragOutcome Drag(int from, const std::vector<Place>& hover, Place drop)
    {
        DragOutcome outcome;
        // The drag's loop says what the place under the pointer offers when
        // it changes; a place where nothing takes drops (the Add button)
        // makes it known first.
        Qt::DropAction offered = Qt::IgnoreAction;
        const QPoint nowhere = addButton->mapTo(view.get(), addButton->rect().center());
        DragWatcher watcher(table, [&](QDrag* drag) {
            outcome.started = true;
            // The context ends the connection with the watcher, before
            // offered goes out of scope.
            QObject::connect(drag, &QDrag::actionChanged, &watcher,
                             [&offered](Qt::DropAction action) { offered = action; });
            QTest::mouseMove(window, nowhere);
            EXPECT_EQ(offered, Qt::IgnoreAction) << "over the Add button";
            for (const Place& place : hover) {
                QTest::mouseMove(window, At(place));
                outcome.offered.push_back(offered != Qt::IgnoreAction);
            }
            QTest::mouseMove(window, At(drop));
            QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, At(drop));
        });
        const QPoint start = At({from, Half::lower});
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, start);
        // The table gets ready to drag on the first move and starts on the
        // next one beyond the drag distance, returning once the script has
        // released the button.
        QTest::mouseMove(window, start + QPoint(1, 0));
        QTest::mouseMove(window, start + QPoint(QApplication::startDragDistance() + 4, 0));
        if (!watcher.ran())
            QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, start);
        return outcome;
    }

    static QString Letters(const QVariantList& list) { return NamesOf(list).remove(u' '); }

    QWindow* window = nullptr;
};

TEST_F(MouseDrags, EveryGapTakesTheDraggedRowsFromEitherSide)
{
    // Rows b and d dragged, each gap next to them reached from the row above
    // it (its lower half) and from the row below it (its upper half), and the
    // gaps at both ends.
    struct Case {
        const char* where;
        Place drop;
        const char* order;
        std::vector<NSUInteger> selected;
    };
    const Case cases[] = {
        {"above a", {0, Half::upper}, "bdacefg", {0, 1}},
        {"between a and b, from a", {0, Half::lower}, "abdcefg", {1, 2}},
        {"between a and b, from b", {1, Half::upper}, "abdcefg", {1, 2}},
        {"between b and c, from b", {1, Half::lower}, "abdcefg", {1, 2}},
        {"between b and c, from c", {2, Half::upper}, "abdcefg", {1, 2}},
        {"between c and d, from c", {2, Half::lower}, "acbdefg", {2, 3}},
        {"between c and d, from d", {3, Half::upper}, "acbdefg", {2, 3}},
        {"between d and e, from d", {3, Half::lower}, "acbdefg", {2, 3}},
        {"between d and e, from e", {4, Half::upper}, "acbdefg", {2, 3}},
        {"below g", {7, Half::upper}, "acefgbd", {5, 6}},
    };
    // Over every half of every row, the dragged ones too, a drop is offered.
    std::vector<Place> everyHalf;
    for (int row = 0; row < 7; ++row)
        everyHalf.insert(everyHalf.end(), {{row, Half::upper}, {row, Half::lower}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        TearDown();
        SetUp();
        table->selectRowIndexes({1, 3}, false);
        const DragOutcome outcome = Drag(1, everyHalf, c.drop);
        ASSERT_TRUE(outcome.started);
        ASSERT_EQ(outcome.offered.size(), everyHalf.size());
        for (size_t i = 0; i < everyHalf.size(); ++i) {
            EXPECT_TRUE(outcome.offered[i])
                << "row " << everyHalf[i].row
                << (everyHalf[i].half == Half::upper ? ", upper half" : ", lower half");
        }
        EXPECT_EQ(Letters(pane->arraySizes()), c.order);
        EXPECT_EQ(Letters(Stored().toList()), c.order);
        EXPECT_EQ(SelectedRows(), c.selected);
    }
}

TEST_F(MouseDrags, AOneRowDragHeldOverItselfDropsWhereItWas)
{
    // The user picks a row up and lets it go where it lay: nothing moves, and
    // the row stays selected.
    table->selectRowIndexes({2}, false);
    const QByteArray before = UserFile();
    const DragOutcome outcome = Drag(2, {{2, Half::upper}, {2, Half::lower}}, {2, Half::upper});
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.offered, (std::vector<bool>{true, true}));
    EXPECT_EQ(Letters(pane->arraySizes()), "abcdefg");
    EXPECT_EQ(SelectedRows(), std::vector<NSUInteger>{2});
    EXPECT_EQ(Letters(Stored().toList()), "abcdefg");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "minimal");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
