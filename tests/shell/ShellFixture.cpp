// SPDX-License-Identifier: GPL-3.0-or-later
// The widget tests' shared set-up.
#include "ShellFixture.h"

#include "app/shell/PreferencesWindow.h"
#include "app/shell/Startup.h"
#include "platform/events/EventLoop.h"
#include "platform/graphics/testing/TestPictures.h"
#include "platform/nav/FolderChooser.h"
#include "platform/prefs/Preferences.h"
#include "platform/ui/Windows.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>

namespace shelltest
{

namespace
{
// Open-documents events handled so far: the fixture's handler counts them
// and hands them on to the application's.
int gHandledDrops = 0;
OSErr countingHandler(const AppleEvent* event, AppleEvent* reply, SRefCon refcon)
{
    ++gHandledDrops;
    return OpenDocsAppleEventHandler(event, reply, refcon);
}
} // namespace

int HandledDrops()
{
    return gHandledDrops;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void MakePicture(const QByteArray& path, const char* format)
{
    ASSERT_EQ(platform::testing::WriteTestPicture(path, format, 40, 30), noErr) << path.constData();
}

void ShellTest::SetUpTestSuite()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void ShellTest::SetUp()
{
    ::setenv("XDG_CONFIG_HOME", config.path().constData(), 1);
    // Each test starts from an empty domain; quitting after a batch is
    // turned off unless a test is about it.
    WriteSetting(kQuitWhenDoneSetting, false);
    if (!gWindow) {
        ASSERT_EQ(StartApplication(), noErr);
    }
    ASSERT_NE(gWindow, nullptr);
    AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments, countingHandler, 0, false);
    gStopping = false;
    gQuitting = false;
    NavSetFolderChooser([this](const NavFolderQuestion& question) {
        chooserPrompts << question.message;
        return chooserAnswer;
    });
    NavSetItemChooser([this](const NavItemsQuestion& question) {
        itemsPrompts << question.message;
        return itemsAnswer;
    });
    platform::SetExitToShellHandler([this]() { ++exits; });
    SetMessageObserver([this](int line, const QString& text) {
        messages.emplace_back(line, text);
        if (onMessage)
            onMessage(line, text);
    });
}

void ShellTest::TearDown()
{
    SetMessageObserver({});
    onMessage = nullptr;
    QObject::disconnect(m_progressSpy);
    WaitUntil([] { return !BatchPending(); }, 60000);
    NavSetFolderChooser({});
    NavSetItemChooser({});
    platform::SetExitToShellHandler({});
    if (gPreferencesWindow)
        platform::SendCommand(kHICommandOK, GetWindowEventTarget(gPreferencesWindow));
    gQuitting = false;
}

void ShellTest::storeCopyTo(const QByteArray& folderPath, bool on)
{
    const FSRef folder = testsupport::RefFor(folderPath);
    AliasHandle alias = nullptr;
    ASSERT_EQ(FSNewAlias(nullptr, &folder, &alias), noErr);
    WriteSetting(kCopyToLocationSetting, QByteArray(*alias, qsizetype(GetHandleSize(alias))));
    DisposeHandle(alias);
    WriteSetting(kCopyToSetting, on);
}

QByteArray ShellTest::freshCopyTo(const QByteArray& name)
{
    const QByteArray folder = destination / name;
    testsupport::MakeFolder(folder);
    storeCopyTo(folder);
    messages.clear();
    return folder;
}

bool ShellTest::dropAndWait(const QStringList& paths)
{
    const int before = HandledDrops();
    if (SendItemsToSelf(paths) != noErr)
        return false;
    // The event is posted; once handled, its batch is pending until it ran.
    return WaitUntil([before] { return HandledDrops() > before && !BatchPending(); });
}

QStringList ShellTest::shown(int line) const
{
    QStringList texts;
    for (const auto& [l, text] : messages)
        if (l == line)
            texts << text;
    return texts;
}

QStringList ShellTest::fileMessages() const
{
    return shown(1).filter(QRegularExpression(QStringLiteral("^File: ")));
}

void ShellTest::recordProgress()
{
    auto* bar = static_cast<QProgressBar*>(gProgress);
    m_progressSpy = QObject::connect(bar, &QProgressBar::valueChanged, bar,
                                     [this](int value) { progressValues.push_back(value); });
}

bool ShellTest::enter(QMimeData* mime)
{
    QDragEnterEvent event(QPoint(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(gWindow, &event);
    return event.isAccepted();
}

void ShellTest::leave()
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(gWindow, &event);
}

bool ShellTest::drop(QMimeData* mime)
{
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(false);
    QCoreApplication::sendEvent(gWindow, &event);
    return event.isAccepted();
}

} // namespace shelltest
