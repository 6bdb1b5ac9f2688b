// SPDX-License-Identifier: GPL-3.0-or-later
// Batches on several workers as the user sees them: the same lines and bar
// as one file at a time, Stop and Quit that leave only whole outputs, and
// the memory budget that holds large pictures back.
#include "ShellFixture.h"

#include "app/engine/ConversionPool.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/memory/MemoryPolicy.h"

#include <QAbstractButton>
#include <QAction>

#include <atomic>
#include <mutex>

using namespace shelltest;
using testsupport::ListFolder;

namespace
{

class ParallelBatch : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        recordProgress();
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        SetBatchWorkers(0);
        platform::SetPictureMemoryBudget(0);
        ConversionPool::SetStartObserver({});
    }
    void picture(const QByteArray& path, int width, int height, const char* format = "png")
    {
        platform::testing::TestPictureOptions options;
        options.seed = ++seed;
        ASSERT_EQ(platform::testing::WriteTestPicture(path, format, width, height, options), noErr)
            << path.constData();
    }
    // Every output decodes to its last pixel, and nothing else is there: no
    // temporary file and no empty claimed name.
    void expectOnlyWholeOutputs(const QByteArray& folder)
    {
        for (const QByteArray& name : ListFolder(folder)) {
            EXPECT_FALSE(name.startsWith(".")) << name.constData();
            platform::testing::PictureFacts facts;
            EXPECT_EQ(platform::testing::ReadPictureFacts(folder + "/" + name, &facts), noErr)
                << name.constData();
        }
    }
    QAction* quitAction() const
    {
        for (QAction* action : gWindow->findChildren<QAction*>())
            if (action->property("commandID").toString() == QLatin1String("quit"))
                return action;
        return nullptr;
    }

    int seed = 0;
};

TEST_F(ParallelBatch, ManyWorkersShowTheLinesAndTheBarOfOneWorker)
{
    // Two folders (one with a large picture among small ones, a file that
    // is no picture and a truncated one), then a lone file.
    const QByteArray first = source / "first";
    const QByteArray second = source / "second";
    testsupport::MakeFolder(first);
    testsupport::MakeFolder(second);
    for (int i = 0; i < 8; ++i)
        picture(first + "/" + QByteArray::number(i) + ".png", 200, 150);
    picture(first + "/3-large.png", 1600, 1200);
    testsupport::WriteFile(first + "/notes.txt", "not a picture");
    picture(second + "/whole.jpg", 800, 600, "jpg");
    const QByteArray whole = testsupport::ReadFile(second + "/whole.jpg");
    testsupport::WriteFile(second + "/cut.jpg", whole.left(whole.size() / 2));
    picture(source / "alone.png", 300, 200);
    const QStringList drop = {QString::fromUtf8(first), QString::fromUtf8(second),
                              QString::fromUtf8(source / "alone.png")};

    struct Run {
        std::vector<std::pair<int, QString>> messages;
        std::vector<int> progress;
        std::vector<QByteArray> outputs;
    } runs[2];
    const int workers[2] = {1, 4};
    for (int r = 0; r < 2; ++r) {
        const QByteArray into = freshCopyTo(QByteArray::number(workers[r]));
        SetBatchWorkers(workers[r]);
        progressValues.clear();
        ASSERT_TRUE(dropAndWait(drop));
        runs[r] = {messages, progressValues, ListFolder(into)};
        expectOnlyWholeOutputs(into);
    }
    EXPECT_EQ(runs[0].messages, runs[1].messages);
    EXPECT_EQ(runs[0].progress, runs[1].progress);
    EXPECT_EQ(runs[0].outputs, runs[1].outputs);
    EXPECT_EQ(runs[1].outputs.size(), 11u); // 9 + whole + alone; cut left nothing
    ASSERT_FALSE(runs[1].messages.empty());
    EXPECT_EQ(runs[1].messages.back().second, QString::fromLatin1(kIdleText));
}

TEST_F(ParallelBatch, StopAndQuitLetStartedFilesFinishWhole)
{
    const QByteArray folder = source / "many";
    testsupport::MakeFolder(folder);
    for (int i = 0; i < 16; ++i)
        picture(folder + "/" + QByteArray::number(i).rightJustified(2, '0') + ".png", 1000, 750);
    SetBatchWorkers(4);
    QAction* quit = quitAction();
    ASSERT_NE(quit, nullptr);
    struct Case {
        const char* what;
        std::function<void()> press;
    } cases[] = {
        {"stop", [] { static_cast<QAbstractButton*>(gStopButton)->click(); }},
        {"quit", [quit] { quit->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray into = freshCopyTo(c.what);
        // Pressed while the second file's line shows: other files are
        // converting then. How many have started by then depends on how
        // the workers' ends fell, so the pool is asked.
        std::atomic<int> starts = 0;
        int startedAtPress = -1;
        ConversionPool::SetStartObserver([&](int, UInt64) { ++starts; });
        onMessage = [&](int line, const QString& text) {
            if (line == 1 && text.startsWith(QStringLiteral("File: ")) &&
                fileMessages().size() == 2) {
                startedAtPress = starts;
                c.press();
            }
        };
        ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
        onMessage = nullptr;
        ConversionPool::SetStartObserver(nullptr);
        const std::vector<QByteArray> outputs = ListFolder(into);
        // Every file started before the press finished and showed its
        // lines; none started after it.
        EXPECT_GE(startedAtPress, 2);
        EXPECT_LT(startedAtPress, 16) << "the press came too late to stop anything";
        EXPECT_EQ(fileMessages().size(), startedAtPress);
        EXPECT_EQ(starts, startedAtPress);
        EXPECT_EQ(shown(2).size(), fileMessages().size());
        EXPECT_EQ(outputs.size(), size_t(fileMessages().size()));
        expectOnlyWholeOutputs(into);
        // Nothing converts on behind the finished batch.
        WaitUntil([] { return false; }, 300);
        EXPECT_EQ(ListFolder(into), outputs);
        gQuitting = false;
    }
}

TEST_F(ParallelBatch, NoMoreFilesRunThanWorkersWhenTheBudgetFitsThemAll)
{
    // With memory for all of them, the workers alone hold the files back.
    const QByteArray folder = source / "twelve";
    testsupport::MakeFolder(folder);
    for (int i = 0; i < 12; ++i)
        picture(folder + "/" + QByteArray::number(i).rightJustified(2, '0') + ".png", 600, 450);
    SetBatchWorkers(2);
    platform::SetPictureMemoryBudget(UInt64(4) << 30);
    storeCopyTo(destination.path());

    std::mutex lock;
    int mostRunning = 0;
    int starts = 0;
    ConversionPool::SetStartObserver([&](int running, UInt64) {
        std::lock_guard guard(lock);
        mostRunning = std::max(mostRunning, running);
        ++starts;
    });
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    EXPECT_EQ(starts, 12);
    EXPECT_GE(mostRunning, 1);
    EXPECT_LE(mostRunning, 2);
    EXPECT_EQ(ListFolder(destination.path()).size(), 12u);
    expectOnlyWholeOutputs(destination.path());
}

TEST_F(ParallelBatch, TheMemoryBudgetHoldsLargePicturesBack)
{
    const QByteArray folder = source / "large";
    testsupport::MakeFolder(folder);
    for (int i = 0; i < 4; ++i)
        picture(folder + "/" + QByteArray::number(i) + ".png", 1000, 800);
    const UInt64 onePicture = 1000ULL * 800 * 3; // decoded, 8-bit RGB
    SetBatchWorkers(4);

    std::mutex lock;
    int mostRunning = 0;
    UInt64 mostBytes = 0;
    int starts = 0;
    ConversionPool::SetStartObserver([&](int running, UInt64 bytes) {
        std::lock_guard guard(lock);
        mostRunning = std::max(mostRunning, running);
        mostBytes = std::max(mostBytes, bytes);
        ++starts;
    });
    struct Case {
        const char* what;
        UInt64 budget;
        int mostAtOnce;
    } cases[] = {
        {"room for one and a half", onePicture * 3 / 2, 1},
        {"smaller than one: each runs alone", onePicture / 2, 1},
        {"room for two", onePicture * 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray into = destination / QByteArray::number(c.budget);
        testsupport::MakeFolder(into);
        storeCopyTo(into);
        platform::SetPictureMemoryBudget(c.budget);
        mostRunning = 0;
        mostBytes = 0;
        starts = 0;
        ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
        EXPECT_EQ(starts, 4);
        EXPECT_GE(mostRunning, 1);
        EXPECT_LE(mostRunning, c.mostAtOnce);
        EXPECT_EQ(mostBytes % onePicture, 0u);
        if (c.mostAtOnce > 1) {
            EXPECT_LE(mostBytes, c.budget);
        }
        EXPECT_EQ(ListFolder(into).size(), 4u);
    }
}

} // namespace
