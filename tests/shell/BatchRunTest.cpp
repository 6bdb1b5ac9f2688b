// SPDX-License-Identifier: GPL-3.0-or-later
// Batches as the user sees them: the messages, the progress over a folder,
// Stop and Quit between files, drops that wait, and the goodbye.
#include "ShellFixture.h"

#include "app/shell/DragHandlers.h"
#include "app/shell/Startup.h"
#include "platform/events/CommandEvents.h"
#include "platform/files/Files.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/nav/FolderChooser.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>

using namespace shelltest;
using testsupport::ListFolder;

namespace
{

class BatchRun : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        storeCopyTo(destination.path());
        recordProgress();
    }
    // Three files in a folder: two pictures and a text file.
    QByteArray folderOfThree()
    {
        const QByteArray folder = source / "three";
        testsupport::MakeFolder(folder);
        MakePicture(folder + "/a.png");
        MakePicture(folder + "/b.jpg", "jpg");
        testsupport::WriteFile(folder + "/c.txt", "not a picture");
        return folder;
    }
    void expectIdle()
    {
        EXPECT_FALSE(gSpin->isVisible());
        EXPECT_TRUE(gEditButton->isVisible());
        EXPECT_FALSE(gStopButton->isVisible());
        EXPECT_FALSE(gStopButton->isEnabled());
        EXPECT_FALSE(gProgress->isVisible());
        EXPECT_FALSE(gSmallMessage->isVisible());
        EXPECT_EQ(static_cast<QLabel*>(gMessage)->text(), QString::fromLatin1(kIdleText));
    }
};

TEST_F(BatchRun, OnePictureFile)
{
    MakePicture(source / "photo.png");
    bool busy = false, smallShown = false;
    onMessage = [&](int line, const QString&) {
        if (line != 1 || !gSpin->isVisible())
            return;
        busy = !gEditButton->isVisible() && gStopButton->isVisible() && gStopButton->isEnabled();
        smallShown = gSmallMessage->isVisible() || gProgress->isVisible();
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    EXPECT_EQ(shown(1), (QStringList{"File: photo.png", kIdleText}));
    EXPECT_TRUE(shown(2).isEmpty());
    EXPECT_TRUE(busy);
    EXPECT_FALSE(smallShown);
    EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{"photo.jpg"});
    expectIdle();
    EXPECT_EQ(exits, 0);
}

TEST_F(BatchRun, FolderCountsItsFilesAndAdvancesTheBar)
{
    const QByteArray folder = folderOfThree();
    bool shownWhileConverting = true;
    onMessage = [&](int line, const QString& text) {
        if (line == 1 && text.startsWith(QStringLiteral("File: ")))
            shownWhileConverting &= gProgress->isVisible() && gSmallMessage->isVisible();
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    // The folder's files come in name order, as a file manager lists them.
    EXPECT_EQ(fileMessages(), (QStringList{"File: a.png", "File: b.jpg", "File: c.txt"}));
    EXPECT_EQ(shown(2), (QStringList{"(1 of 3)", "(2 of 3)", "(3 of 3)"}));
    EXPECT_EQ(progressValues, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(static_cast<QProgressBar*>(gProgress)->maximum(), 2);
    EXPECT_TRUE(shownWhileConverting);
    EXPECT_EQ(ListFolder(destination.path()), (std::vector<QByteArray>{"a.jpg", "b.jpg"}));
    expectIdle();
}

TEST_F(BatchRun, FolderOfOneFileAndFolderOfEmptyFolders)
{
    const QByteArray one = source / "one";
    testsupport::MakeFolder(one);
    MakePicture(one + "/only.png");
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(source / "empty/inner/deeper")));
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "empty"), QString::fromUtf8(one)}));
    EXPECT_EQ(shown(1), (QStringList{"File: only.png", kIdleText}));
    EXPECT_EQ(shown(2), QStringList{"(1 of 1)"});
    EXPECT_EQ(static_cast<QProgressBar*>(gProgress)->maximum(), 0);
    EXPECT_EQ(static_cast<QProgressBar*>(gProgress)->value(), 0);
}

TEST_F(BatchRun, FolderOfNoPicturesShowsEveryFileAndCreatesNothing)
{
    const QByteArray folder = source / "notes";
    testsupport::MakeFolder(folder);
    testsupport::WriteFile(folder + "/one.txt", "not a picture");
    testsupport::WriteFile(folder + "/two.png", "not a picture either");
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    EXPECT_EQ(shown(1), (QStringList{"File: one.txt", "File: two.png", kIdleText}));
    EXPECT_EQ(shown(2), (QStringList{"(1 of 2)", "(2 of 2)"}));
    ASSERT_FALSE(progressValues.empty());
    EXPECT_EQ(progressValues.back(), 1);
    EXPECT_EQ(static_cast<QProgressBar*>(gProgress)->maximum(), 1);
    EXPECT_TRUE(ListFolder(destination.path()).empty());
    expectIdle();
}

TEST_F(BatchRun, StopLetsTheCurrentFileFinishAndHandlesNoMoreItems)
{
    const QByteArray folder = folderOfThree();
    MakePicture(source / "later.png");
    onMessage = [&](int line, const QString& text) {
        if (line == 1 && text.startsWith(QStringLiteral("File: ")) && fileMessages().size() == 1)
            static_cast<QAbstractButton*>(gStopButton)->click();
    };
    WriteSetting(kQuitWhenDoneSetting, QVariant()); // the default: quit
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder), QString::fromUtf8(source / "later.png")}));
    EXPECT_EQ(fileMessages().size(), 1);
    EXPECT_EQ(shown(2), QStringList{"(1 of 3)"});
    EXPECT_EQ(ListFolder(destination.path()).size(), fileMessages()[0].endsWith(".txt") ? 0u : 1u);
    expectIdle();
    // The goodbye is still armed after a stopped batch.
    EXPECT_TRUE(WaitUntil([&] { return exits == 1; }, 10000));
    EXPECT_EQ(shown(1).last(), QStringLiteral("Bye."));

    // The next batch clears the stop and runs to its end.
    messages.clear();
    gWindow->show();
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "later.png")}));
    EXPECT_EQ(fileMessages(), QStringList{"File: later.png"});
}

TEST_F(BatchRun, QuitEndsTheBatchBeforeTheNextFileAndLaterBatchesConvertNothing)
{
    const QByteArray folder = folderOfThree();
    QAction* quit = nullptr;
    for (QAction* action : gWindow->findChildren<QAction*>())
        if (action->property("commandID").toString() == QLatin1String("quit"))
            quit = action;
    ASSERT_NE(quit, nullptr);
    onMessage = [&](int line, const QString& text) {
        if (line == 1 && text.startsWith(QStringLiteral("File: ")))
            quit->trigger();
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    EXPECT_TRUE(gQuitting);
    EXPECT_EQ(fileMessages().size(), 1);
    expectIdle();
    messages.clear();
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    EXPECT_TRUE(fileMessages().isEmpty());
}

TEST_F(BatchRun, GoodbyeOneSecondAfterTheBatchWhenTheSettingIsOn)
{
    MakePicture(source / "photo.png");
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    QElapsedTimer clock;
    qint64 idleAt = -1, byeAt = -1;
    onMessage = [&](int, const QString& text) {
        if (text == QLatin1String(kIdleText))
            idleAt = clock.elapsed();
        if (text == QLatin1String("Bye."))
            byeAt = clock.elapsed();
    };
    clock.start();
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    ASSERT_TRUE(WaitUntil([&] { return exits == 1; }, 10000));
    EXPECT_GE(byeAt - idleAt, 900);
    EXPECT_FALSE(gWindow->isVisible()); // faded out
    gWindow->show();

    // Turned off, the program stays.
    WriteSetting(kQuitWhenDoneSetting, false);
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    WaitUntil([] { return false; }, 1500);
    EXPECT_EQ(exits, 1);
}

// The offscreen platform, like Wayland, cannot fade a window: the goodbye
// then hides it without a word on the terminal.
QStringList gWarnings;

TEST_F(BatchRun, TheGoodbyeWhereWindowsCannotFadeHidesTheWindowSilently)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    MakePicture(source / "photo.png");
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    // From the batch's end to the process's: the goodbye.
    gWarnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            // The fade would warn at each of its steps that opacity cannot be set.
            if (type != QtDebugMsg && type != QtInfoMsg && text.contains(u"opacity"))
                gWarnings.append(text);
        });
    const bool ended = WaitUntil([&] { return exits == 1; }, 10000);
    qInstallMessageHandler(previous);
    ASSERT_TRUE(ended);
    EXPECT_EQ(shown(1).last(), QStringLiteral("Bye."));
    EXPECT_FALSE(gWindow->isVisible());
    EXPECT_TRUE(gWarnings.isEmpty()) << qPrintable(gWarnings.join(u'\n'));
    gWindow->show();
}

TEST_F(BatchRun, CancelledDestinationChangesNothing)
{
    WriteSetting(kCopyToSetting, false);
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    MakePicture(source / "photo.png");
    static_cast<QLabel*>(gMessage)->setText(QStringLiteral("untouched"));
    bool spun = false;
    onMessage = [&](int, const QString&) { spun = true; };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    EXPECT_EQ(chooserPrompts.size(), 1);
    EXPECT_FALSE(spun);
    EXPECT_EQ(static_cast<QLabel*>(gMessage)->text(), QStringLiteral("untouched"));
    WaitUntil([] { return false; }, 1500);
    EXPECT_EQ(exits, 0); // no goodbye either
}

TEST_F(BatchRun, AnItemThatVanishedIsSkippedAndTheBatchGoesOn)
{
    MakePicture(source / "first.png");
    MakePicture(source / "second.png");
    testsupport::MakeFolder(source / "gone");
    MakePicture(source / "gone/inner.png");
    MakePicture(source / "third.png");
    // The items go as aliases; two are gone by the time the batch fetches
    // them: they go while the user is asked for the destination.
    WriteSetting(kCopyToSetting, false);
    NavSetFolderChooser([this](const NavFolderQuestion&) {
        QFile::remove(QString::fromUtf8(source / "first.png"));
        QDir(QString::fromUtf8(source / "gone")).removeRecursively();
        return destination.path();
    });
    ASSERT_TRUE(dropAndWait(
        {QString::fromUtf8(source / "first.png"), QString::fromUtf8(source / "second.png"),
         QString::fromUtf8(source / "gone"), QString::fromUtf8(source / "third.png")}));
    EXPECT_EQ(fileMessages(), (QStringList{"File: second.png", "File: third.png"}));
    EXPECT_EQ(ListFolder(destination.path()), (std::vector<QByteArray>{"second.jpg", "third.jpg"}));
    expectIdle();
}

// A folder that changes between the walk that counts its files and the walk
// that collects them converts what the collecting walk found, counted from
// that list; one that cannot be walked any more is passed over; either way
// the batch goes on with the next item.
TEST_F(BatchRun, AFolderThatChangedBetweenItsWalksConvertsWhatTheCollectingWalkFound)
{
    struct Case {
        const char* what;
        std::vector<QByteArray> before; // in the folder when dropped
        std::function<void(const QByteArray&)> change;
        QStringList counts;              // the small line
        std::vector<QByteArray> outputs; // with later.jpg
    } cases[] = {
        {"files added",
         {"a.png", "b.png"},
         [](const QByteArray& folder) {
             MakePicture(folder + "/c.png");
             testsupport::MakeFolder(folder + "/inner");
             MakePicture(folder + "/inner/d.png");
         },
         {"(1 of 4)", "(2 of 4)", "(3 of 4)", "(4 of 4)"},
         {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "later.jpg"}},
        {"files removed",
         {"a.png", "b.png", "c.png"},
         [](const QByteArray& folder) { QFile::remove(QString::fromUtf8(folder + "/b.png")); },
         {"(1 of 2)", "(2 of 2)"},
         {"a.jpg", "c.jpg", "later.jpg"}},
        {"folder removed",
         {"a.png"},
         [](const QByteArray& folder) { QDir(QString::fromUtf8(folder)).removeRecursively(); },
         {},
         {"later.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray folder = source / c.what;
        testsupport::MakeFolder(folder);
        for (const QByteArray& name : c.before)
            MakePicture(folder + "/" + name);
        MakePicture(source / "later.png");
        const QByteArray into = freshCopyTo(c.what);
        SetBetweenWalksHook([&] { c.change(folder); });
        const bool ran =
            dropAndWait({QString::fromUtf8(folder), QString::fromUtf8(source / "later.png")});
        SetBetweenWalksHook({});
        ASSERT_TRUE(ran);
        EXPECT_EQ(shown(2), c.counts);
        EXPECT_EQ(fileMessages().size(), c.counts.size() + 1);
        EXPECT_EQ(ListFolder(into), c.outputs);
        expectIdle();
    }
}

TEST_F(BatchRun, LongNamesAreCutOnTheMessageLine)
{
    const QByteArray name = QByteArray(249, 'n') + ".png";
    MakePicture(source / name);
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / name)}));
    ASSERT_EQ(fileMessages().size(), 1);
    EXPECT_EQ(fileMessages()[0], QStringLiteral("File: ") + QString(249, u'n'));
}

TEST_F(BatchRun, DropDuringABatchWaitsAndRunsAfterItInArrivalOrder)
{
    const QByteArray folder = folderOfThree();
    MakePicture(source / "second.png");
    MakePicture(source / "third.png");
    long listSizeDuring = -1;
    int waiting = 0;
    onMessage = [&](int line, const QString& text) {
        if (line != 1 || !text.startsWith(QStringLiteral("File: ")))
            return;
        if (fileMessages().size() == 1) {
            SendItemsToSelf({QString::fromUtf8(source / "second.png")});
            SendItemsToSelf({QString::fromUtf8(source / "third.png")});
        } else if (fileMessages().size() == 3) {
            waiting = WaitingDropCount();
            AECountItems(&gDescList, &listSizeDuring);
        }
    };
    const int before = HandledDrops();
    ASSERT_TRUE(SendItemsToSelf({QString::fromUtf8(folder)}) == noErr);
    ASSERT_TRUE(WaitUntil([&] { return HandledDrops() == before + 3 && !BatchPending(); }));
    EXPECT_EQ(waiting, 2);
    EXPECT_EQ(listSizeDuring, 1); // the running batch kept its own list
    const QStringList files = fileMessages();
    ASSERT_EQ(files.size(), 5);
    EXPECT_EQ(files.mid(3), (QStringList{"File: second.png", "File: third.png"}));
    EXPECT_EQ(shown(1).count(QString::fromLatin1(kIdleText)), 3);
    EXPECT_EQ(ListFolder(destination.path()),
              (std::vector<QByteArray>{"a.jpg", "b.jpg", "second.jpg", "third.jpg"}));
}

TEST_F(BatchRun, TheWindowAnswersWhileAFileIsConverted)
{
    // A large picture keeps the codec busy; the loop keeps turning meanwhile.
    ASSERT_EQ(platform::testing::WriteTestPicture(source / "large.png", "png", 3000, 2000), noErr);
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    int turnsBefore = -1;
    onMessage = [&](int line, const QString& text) {
        if (line == 1 && text.startsWith(QStringLiteral("File: ")))
            turnsBefore = turns;
        if (text == QLatin1String(kIdleText) && turnsBefore >= 0)
            turnsBefore = turns - turnsBefore;
    };
    ticker.start(5);
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "large.png")}));
    EXPECT_GT(turnsBefore, 2);
    EXPECT_EQ(ListFolder(destination.path()), std::vector<QByteArray>{"large.jpg"});
}

} // namespace

namespace
{

TEST_F(BatchRun, ADropDuringTheGoodbyeSecondIsConvertedBeforeQuitting)
{
    MakePicture(source / "one.png");
    MakePicture(source / "two.png");
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "one.png")}));
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "two.png")}));
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(fileMessages(), (QStringList{"File: one.png", "File: two.png"}));
    ASSERT_TRUE(WaitUntil([&] { return exits == 1; }, 10000));
    EXPECT_EQ(shown(1).count(QStringLiteral("Bye.")), 1);
}

// Items handed over just before the goodbye stopped taking work (they wait
// in the queue when it begins) are converted, and the goodbye comes after
// them; once "Bye." shows, a drag on the window is refused.
TEST_F(BatchRun, WorkTakenAsTheGoodbyeBeginsPutsItOff)
{
    MakePicture(source / "one.png");
    MakePicture(source / "late.png");
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    int stops = 0, takenAgain = 0;
    SetGoodbyeHooks(
        [&] {
            if (++stops == 1)
                SendItemsToSelf({QString::fromUtf8(source / "late.png")});
        },
        [&] { ++takenAgain; });
    bool dragRefusedDuringBye = false;
    onMessage = [&](int, const QString& text) {
        if (text != QLatin1String("Bye."))
            return;
        QMimeData mime;
        mime.setData(QStringLiteral("text/uri-list"),
                     "file://" + (source / "one.png").toPercentEncoding("/") + "\r\n");
        DragRef drag = platform::NewDragFor(&mime, gWindow);
        dragRefusedDuringBye = !DragItemsAreAcceptable(drag);
        platform::DisposeDrag(drag);
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "one.png")}));
    const bool exited = WaitUntil([&] { return exits == 1; }, 10000);
    SetGoodbyeHooks({}, {});
    ASSERT_TRUE(exited);
    EXPECT_EQ(fileMessages(), (QStringList{"File: one.png", "File: late.png"}));
    EXPECT_EQ(ListFolder(destination.path()), (std::vector<QByteArray>{"late.jpg", "one.jpg"}));
    EXPECT_EQ(stops, 2);
    EXPECT_GE(takenAgain, 1);
    EXPECT_EQ(shown(1).count(QStringLiteral("Bye.")), 1);
    EXPECT_TRUE(dragRefusedDuringBye);
    gWindow->show();
}

} // namespace
