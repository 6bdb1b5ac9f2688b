// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptor lists, events sent to this process, command routing and the
// event loop's timers and off-loop work.
#include "platform/events/AppleEvents.h"
#include "platform/events/CommandEvents.h"
#include "platform/events/EventLoop.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstring>

using namespace testsupport;

namespace
{

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "events_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

bool turnUntil(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(DescriptorLists, ItemsKeepTheirOrderAndComeBackInTheFormAskedFor)
{
    TempFolder dir;
    const QByteArray a = dir / "a.txt", b = dir / "b.txt";
    ASSERT_TRUE(WriteFile(a, "a"));
    ASSERT_TRUE(WriteFile(b, "b"));
    const FSRef refA = RefFor(a), refB = RefFor(b);
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &refB, &alias), noErr);

    AEDescList list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    ASSERT_EQ(AEPutPtr(&list, 0, typeFSRef, &refA, sizeof refA), noErr);
    ASSERT_EQ(AEPutPtr(&list, 2, typeAlias, *alias, GetHandleSize(alias)), noErr);
    DisposeHandle(alias);
    long count = 0;
    ASSERT_EQ(AECountItems(&list, &count), noErr);
    EXPECT_EQ(count, 2);

    for (long index : {1L, 2L}) {
        FSRef ref;
        DescType type = 0;
        Size size = 0;
        ASSERT_EQ(AEGetNthPtr(&list, index, typeFSRef, nullptr, &type, &ref, sizeof ref, &size),
                  noErr);
        EXPECT_EQ(type, typeFSRef);
        EXPECT_EQ(size, Size(sizeof ref));
        EXPECT_EQ(PathFor(ref), index == 1 ? a : b);
    }
    FSRef ref;
    EXPECT_EQ(AEGetNthPtr(&list, 3, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr),
              errAEIllegalIndex);
    EXPECT_EQ(AEGetNthPtr(&list, 0, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr),
              errAEIllegalIndex);

    // An item that no longer exists cannot be had as a reference.
    ASSERT_TRUE(QFile::remove(QString::fromUtf8(b)));
    EXPECT_NE(AEGetNthPtr(&list, 2, typeFSRef, nullptr, nullptr, &ref, sizeof ref, nullptr), noErr);
    AEDisposeDesc(&list);

    AEDesc notAList;
    ASSERT_EQ(AECreateDesc(typeFSRef, &refA, sizeof refA, &notAList), noErr);
    EXPECT_EQ(AECountItems(&notAList, &count), errAEWrongDataType);
    AEDisposeDesc(&notAList);
}

TEST(AppleEvents, TheDirectObjectIsOnlyHadAsTheListItIs)
{
    const ProcessSerialNumber self{0, kCurrentProcess};
    AEAddressDesc target;
    ASSERT_EQ(AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target), noErr);
    AppleEvent event;
    ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target, kAutoGenerateReturnID,
                                 kAnyTransactionID, &event),
              noErr);
    AEDescList result;
    EXPECT_EQ(AEGetParamDesc(&event, keyDirectObject, typeAEList, &result), errAEDescNotFound);

    AEDesc text;
    ASSERT_EQ(AECreateDesc(FOUR_CHAR_CODE("TEXT"), "hi", 2, &text), noErr);
    ASSERT_EQ(AEPutParamDesc(&event, keyDirectObject, &text), noErr);
    EXPECT_EQ(AEGetParamDesc(&event, keyDirectObject, typeAEList, &result), errAECoercionFail);

    AEDescList list;
    ASSERT_EQ(AECreateList(nullptr, 0, false, &list), noErr);
    ASSERT_EQ(AEPutPtr(&list, 0, FOUR_CHAR_CODE("TEXT"), "x", 1), noErr);
    ASSERT_EQ(AEPutParamDesc(&event, keyDirectObject, &list), noErr); // replaces the text
    ASSERT_EQ(AEGetParamDesc(&event, keyDirectObject, typeAEList, &result), noErr);
    long count = 0;
    ASSERT_EQ(AECountItems(&result, &count), noErr);
    EXPECT_EQ(count, 1);
    AEEventClass eventClass = 0;
    AEEventID eventID = 0;
    ASSERT_EQ(AEGetEventClassAndID(&event, &eventClass, &eventID), noErr);
    EXPECT_EQ(eventClass, kCoreEventClass);
    EXPECT_EQ(eventID, kAEOpenDocuments);
    for (AEDesc* d : {&target, &event, &result, &text, &list})
        AEDisposeDesc(d);
}

int gReceived = 0;
long gReceivedItems = 0;
OSErr receiver(const AppleEvent* event, AppleEvent*, SRefCon refcon)
{
    ++gReceived;
    AEDescList list;
    if (AEGetParamDesc(event, keyDirectObject, typeAEList, &list) == noErr) {
        AECountItems(&list, &gReceivedItems);
        AEDisposeDesc(&list);
    }
    return OSErr(refcon);
}

TEST(AppleEvents, SendingToSelfIsHandledLaterByTheInstalledHandler)
{
    AppleEvent event;
    AEAddressDesc target;
    const ProcessSerialNumber other{0, 77};
    ASSERT_EQ(AECreateDesc(typeProcessSerialNumber, &other, sizeof other, &target), noErr);
    ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target, -1, 0, &event), noErr);
    // Without an event loop nothing can be reached.
    EXPECT_EQ(AESend(&event, nullptr, kAENoReply, 0, -1, nullptr, nullptr), procNotFound);
    ensureApplication();
    EXPECT_EQ(AESend(&event, nullptr, kAENoReply, 0, -1, nullptr, nullptr), procNotFound);
    AEDisposeDesc(&event);
    AEDisposeDesc(&target);

    const ProcessSerialNumber self{0, kCurrentProcess};
    ASSERT_EQ(AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &target), noErr);
    ASSERT_EQ(AECreateAppleEvent(kCoreEventClass, kAEOpenDocuments, &target, -1, 0, &event), noErr);
    AEDescList list;
    AECreateList(nullptr, 0, false, &list);
    AEPutPtr(&list, 0, FOUR_CHAR_CODE("TEXT"), "a", 1);
    AEPutPtr(&list, 0, FOUR_CHAR_CODE("TEXT"), "b", 1);
    AEPutParamDesc(&event, keyDirectObject, &list);
    ASSERT_EQ(AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, receiver, 0, false), noErr);
    ASSERT_EQ(AESend(&event, nullptr, kAENoReply, 0, -1, nullptr, nullptr), noErr);
    AEDisposeDesc(&event); // the posted copy is independent
    EXPECT_EQ(gReceived, 0);
    ASSERT_TRUE(turnUntil([] { return gReceived == 1; }));
    EXPECT_EQ(gReceivedItems, 2);
    EXPECT_EQ(AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, receiver, 0, true),
              paramErr);
    AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments, receiver, false);
    AEDisposeDesc(&list);
    AEDisposeDesc(&target);
}

struct Routed {
    std::vector<char> order;
};
OSStatus windowHandler(EventHandlerCallRef, EventRef event, void* data)
{
    HICommand command;
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                      nullptr, &command);
    static_cast<Routed*>(data)->order.push_back('w');
    return command.commandID == FOUR_CHAR_CODE("wind") ? noErr : eventNotHandledErr;
}
OSStatus applicationHandler(EventHandlerCallRef, EventRef event, void* data)
{
    HICommand command;
    GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command,
                      nullptr, &command);
    static_cast<Routed*>(data)->order.push_back('a');
    return command.commandID == FOUR_CHAR_CODE("appl") ? noErr : eventNotHandledErr;
}

TEST(CommandEvents, WindowFirstThenApplicationUntilOneHandlesIt)
{
    ensureApplication();
    Routed routed;
    int owner = 0;
    const EventTypeSpec commands{kEventClassCommand, kEventCommandProcess};
    EventHandlerRef app = nullptr, win = nullptr;
    ASSERT_EQ(InstallEventHandler(GetApplicationEventTarget(), applicationHandler, 1, &commands,
                                  &routed, &app),
              noErr);
    ASSERT_EQ(InstallEventHandler(platform::EventTargetFor(&owner), windowHandler, 1, &commands,
                                  &routed, &win),
              noErr);
    struct Case {
        const char* command;
        bool fromWindow;
        OSStatus result;
        std::vector<char> order;
    } cases[] = {
        {"wind", true, noErr, {'w'}},
        {"appl", true, noErr, {'w', 'a'}},
        {"none", true, eventNotHandledErr, {'w', 'a'}},
        {"appl", false, noErr, {'a'}},
        {"wind", false, eventNotHandledErr, {'a'}},
    };
    for (const Case& c : cases) {
        routed.order.clear();
        EXPECT_EQ(platform::SendCommand(platform::CommandIDFromText(c.command),
                                        c.fromWindow ? platform::EventTargetFor(&owner) : nullptr),
                  c.result)
            << c.command;
        EXPECT_EQ(routed.order, c.order) << c.command;
    }
    // A forgotten window's handlers are gone with it.
    platform::ForgetEventTarget(&owner);
    routed.order.clear();
    EXPECT_EQ(platform::SendCommand(FOUR_CHAR_CODE("wind"), nullptr), eventNotHandledErr);
    EXPECT_EQ(routed.order, std::vector<char>{'a'});
    EXPECT_EQ(RemoveEventHandler(app), noErr);
    EXPECT_EQ(RemoveEventHandler(app), paramErr);
    EXPECT_EQ(platform::CommandIDFromText("quit"), UInt32(kHICommandQuit));
    EXPECT_EQ(platform::CommandIDFromText("qui"), 0u);
}

TEST(CommandEvents, AnUnhandledQuitEndsTheEventLoop)
{
    ensureApplication();
    bool loopEnded = false;
    QTimer::singleShot(0, [] { platform::SendCommand(kHICommandQuit, nullptr); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // bounded
    loopEnded = QCoreApplication::exec() == 0;
    EXPECT_TRUE(loopEnded);
}

int gFired = 0;
void countFire(EventLoopTimerRef, void* data)
{
    ++gFired;
    if (data)
        ++*static_cast<int*>(data);
}

TEST(EventLoopTimers, OneShotFiresOnceAndRepeatingUntilRemoved)
{
    EXPECT_EQ(InstallEventLoopTimer(nullptr, 0.001, 0, countFire, nullptr, nullptr), paramErr);
    ensureApplication();
    EventLoopTimerRef once = nullptr, repeating = nullptr;
    int repeats = 0;
    ASSERT_EQ(InstallEventLoopTimer(GetCurrentEventLoop(), 0.001, 0, countFire, nullptr, &once),
              noErr);
    ASSERT_EQ(
        InstallEventLoopTimer(GetCurrentEventLoop(), 0.001, 0.005, countFire, &repeats, &repeating),
        noErr);
    ASSERT_TRUE(turnUntil([&] { return repeats >= 3; }));
    ASSERT_EQ(RemoveEventLoopTimer(repeating), noErr);
    const int afterRemoval = repeats;
    turnUntil([] { return false; }, 50);
    EXPECT_EQ(repeats, afterRemoval);
    EXPECT_EQ(gFired - repeats, 1); // the one-shot timer
    EXPECT_EQ(RemoveEventLoopTimer(once), paramErr);

    // Removed before it fires, a timer never fires.
    int never = 0;
    ASSERT_EQ(InstallEventLoopTimer(GetCurrentEventLoop(), 0.02, 0, countFire, &never, &once),
              noErr);
    EXPECT_EQ(RemoveEventLoopTimer(once), noErr);
    turnUntil([] { return false; }, 60);
    EXPECT_EQ(never, 0);
}

TEST(EventLoop, WorkOffTheLoopLetsTheLoopTurnUntilItIsDone)
{
    ensureApplication();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    std::atomic<bool> onOtherThread{false};
    const QThread* loopThread = QThread::currentThread();
    platform::RunOffLoop([&] {
        onOtherThread = QThread::currentThread() != loopThread;
        QThread::msleep(200);
    });
    EXPECT_TRUE(onOtherThread);
    EXPECT_GE(ticks, 5);

    // Quitting the application meanwhile does not cut the wait short.
    bool finished = false;
    QTimer::singleShot(10, [] { QCoreApplication::quit(); });
    platform::RunOffLoop([&] {
        QThread::msleep(100);
        finished = true;
    });
    EXPECT_TRUE(finished);
}

TEST(EventLoop, ExitToShellCanBeReplaced)
{
    int exits = 0;
    platform::SetExitToShellHandler([&] { ++exits; });
    ExitToShell();
    EXPECT_EQ(exits, 1);
    platform::SetExitToShellHandler({});
}

} // namespace
