// SPDX-License-Identifier: GPL-3.0-or-later
// Interface files through QUiLoader, and window operations over QWidget.
#include "platform/ui/Windows.h"

#include "platform/ui/DropArea.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QThread>
#include <QUiLoader>
#include <QWidget>

#include <utility>

struct OpaqueIBNibRef {
    QString folder;
};

namespace
{

QPointer<QMenuBar> gMenuBar;

UInt32 commandOf(const QObject* object, const char* property = "commandID")
{
    return platform::CommandIDFromText(object->property(property).toString().toLatin1());
}

// Turns a close of the window into its close command.
class CloseToCommand : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        const UInt32 command = commandOf(watched, "closeCommandID");
        if (command == 0)
            return false;
        event->ignore();
        platform::SendCommand(command, platform::EventTargetFor(watched));
        return true;
    }
};

// Keys beside a button's mnemonic (Escape for Stop, Return for OK) click it
// when the control with the focus leaves them unused, as a dialog's default
// and cancel buttons take them: so they send what a click sends, only while
// the button is shown and enabled, and never the keys of an open popup
// list, which is a window of its own.
class KeysToButton : public QObject
{
public:
    KeysToButton(QAbstractButton* button, QList<QKeySequence> keys)
        : QObject(button), m_button(button), m_keys(std::move(keys))
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // The keypad's Enter comes with the keypad modifier.
        const QKeySequence pressed(
            QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
        if (!m_keys.contains(pressed) || !m_button->isVisible() || !m_button->isEnabled())
            return false;
        m_button->click();
        return true;
    }

private:
    QAbstractButton* const m_button;
    const QList<QKeySequence> m_keys;
};

// A popup issues its command when its user picks an item, the shown one
// included (activated), and when its item changes in any other way that is
// not the program's own (the keys, the wheel, an assistive tool). A pick
// that changes the item gives both signals, the change first, and issues
// the command once.
class PopupCommand : public QObject
{
public:
    PopupCommand(QComboBox* popup, UInt32 command, EventTargetRef target)
        : QObject(popup), m_command(command), m_target(target)
    {
        connect(popup, &QComboBox::currentIndexChanged, this, [this]() {
            if (platform::ControlChangedByProgram())
                return;
            m_justChanged = true;
            // A pick's activated comes in this same turn of the loop.
            QMetaObject::invokeMethod(
                this, [this]() { m_justChanged = false; }, Qt::QueuedConnection);
            issue();
        });
        connect(popup, &QComboBox::activated, this, [this]() {
            if (std::exchange(m_justChanged, false))
                return;
            issue();
        });
    }

private:
    void issue() { platform::SendCommand(m_command, m_target); }

    const UInt32 m_command;
    const EventTargetRef m_target;
    bool m_justChanged = false;
};

void connectCommands(QWidget* window, QWidget* root)
{
    const EventTargetRef target = platform::EventTargetFor(window);
    QObject::connect(window, &QObject::destroyed,
                     [window]() { platform::ForgetEventTarget(window); });
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        const UInt32 command = commandOf(button);
        if (!command)
            continue;
        // A checkbox's command follows its state, however it changed: a
        // click, the keyboard, or an assistive tool's "Toggle", which
        // changes the state without a click.
        if (button->isCheckable())
            QObject::connect(button, &QAbstractButton::toggled, button, [command, target]() {
                if (!platform::ControlChangedByProgram())
                    platform::SendCommand(command, target);
            });
        else
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [command, target]() { platform::SendCommand(command, target); });
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        const QList<QKeySequence> keys =
            QKeySequence::listFromString(button->property("shortcutKeys").toString());
        if (!keys.isEmpty())
            window->installEventFilter(new KeysToButton(button, keys));
    }
    for (QComboBox* popup : root->findChildren<QComboBox*>()) {
        if (const UInt32 command = commandOf(popup))
            new PopupCommand(popup, command, target);
    }
    for (QAction* action : root->findChildren<QAction*>()) {
        if (const UInt32 command = commandOf(action))
            QObject::connect(action, &QAction::triggered, action,
                             [command, target]() { platform::SendCommand(command, target); });
    }
    if (commandOf(window, "closeCommandID"))
        window->installEventFilter(new CloseToCommand(window));
}

// Interface files name the platform's own widget classes beside Qt's.
class Loader : public QUiLoader
{
public:
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (className == u"DropArea") {
            auto* area = new platform::DropArea(parent);
            area->setObjectName(name);
            return area;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

QWidget* load(IBNibRef nib, const QString& name, OSStatus* status)
{
    *status = noErr;
    QFile file(nib->folder + u'/' + name + QStringLiteral(".ui"));
    if (!file.open(QIODevice::ReadOnly)) {
        *status = kIBCarbonRuntimeCantFindObject;
        return nullptr;
    }
    Loader loader;
    QWidget* widget = loader.load(&file, nullptr);
    if (!widget)
        *status = kIBCarbonRuntimeCantFindObject;
    return widget;
}

} // namespace

QString platform::BundleResourcesPath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/tessaly"));
}

QList<QAction*> platform::MenuBarActions()
{
    return gMenuBar ? gMenuBar->findChildren<QAction*>() : QList<QAction*>{};
}

OSStatus CreateNibReference(const CFStringRef& nibName, IBNibRef* outNibRef)
{
    if (!outNibRef)
        return paramErr;
    *outNibRef = nullptr;
    const QString folder = platform::BundleResourcesPath() + u'/' + nibName;
    if (nibName.isEmpty() || nibName.contains(u'/') || !QFileInfo(folder).isDir())
        return kIBCarbonRuntimeCantFindNibFile;
    *outNibRef = new OpaqueIBNibRef{folder};
    return noErr;
}

void DisposeNibReference(IBNibRef nibRef)
{
    delete nibRef;
}

OSStatus SetMenuBarFromNib(IBNibRef nibRef, const CFStringRef& name)
{
    if (!nibRef)
        return paramErr;
    OSStatus status = noErr;
    QWidget* widget = load(nibRef, name, &status);
    if (!widget)
        return status;
    auto* bar = qobject_cast<QMenuBar*>(widget);
    if (!bar) {
        delete widget;
        return kIBCarbonRuntimeObjectNotOfRequestedType;
    }
    delete gMenuBar;
    gMenuBar = bar;
    return noErr;
}

OSStatus CreateWindowFromNib(IBNibRef nibRef, const CFStringRef& name, WindowRef* outWindow)
{
    if (!outWindow)
        return paramErr;
    *outWindow = nullptr;
    if (!nibRef)
        return paramErr;
    OSStatus status = noErr;
    QWidget* window = load(nibRef, name, &status);
    if (!window)
        return status;
    window->setWindowFlag(Qt::Window, true);
    // The menu bar has nowhere else to go on this desktop: the first main
    // window carries it, and menu commands are issued in that window.
    auto* main = qobject_cast<QMainWindow*>(window);
    if (main && gMenuBar && !gMenuBar->parent())
        main->setMenuBar(gMenuBar);
    connectCommands(window, window);
    window->hide();
    *outWindow = window;
    return noErr;
}

void ShowWindow(WindowRef window)
{
    if (window)
        window->show();
}

void HideWindow(WindowRef window)
{
    if (window)
        window->hide();
}

void BringToFront(WindowRef window)
{
    if (!window)
        return;
    window->raise();
    window->activateWindow();
}

void DisposeWindow(WindowRef window)
{
    if (!window)
        return;
    platform::ForgetEventTarget(window);
    window->hide();
    window->deleteLater();
}

OSStatus SetWindowTitleWithCFString(WindowRef window, const CFStringRef& title)
{
    if (!window)
        return errInvalidWindowRef;
    window->setWindowTitle(title);
    return noErr;
}

OSStatus SetWindowProxyFSSpec(WindowRef window, const FSSpec* spec)
{
    if (!window || !spec)
        return paramErr;
    FSRef ref;
    if (OSErr err = FSpMakeFSRef(spec, &ref); err != noErr)
        return err;
    QByteArray path;
    if (OSErr err = platform::PathOfRef(ref, &path); err != noErr)
        return err;
    window->setWindowFilePath(QFile::decodeName(path));
    return noErr;
}

OSStatus SetWindowModified(WindowRef window, Boolean modified)
{
    if (!window)
        return errInvalidWindowRef;
    window->setWindowModified(modified);
    return noErr;
}

EventTargetRef GetWindowEventTarget(WindowRef window)
{
    return window ? platform::EventTargetFor(window) : nullptr;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode, Rect* globalBounds)
{
    if (!window || !globalBounds)
        return paramErr;
    const QPoint topLeft = window->mapToGlobal(QPoint(0, 0));
    globalBounds->top = SInt16(topLeft.y());
    globalBounds->left = SInt16(topLeft.x());
    globalBounds->bottom = SInt16(topLeft.y() + window->height());
    globalBounds->right = SInt16(topLeft.x() + window->width());
    return noErr;
}

void GlobalToLocal(WindowRef window, Point* point)
{
    if (!window || !point)
        return;
    const QPoint local = window->mapFromGlobal(QPoint(point->h, point->v));
    point->h = SInt16(local.x());
    point->v = SInt16(local.y());
}

void InsetRect(Rect* rect, SInt16 dh, SInt16 dv)
{
    rect->left = SInt16(rect->left + dh);
    rect->right = SInt16(rect->right - dh);
    rect->top = SInt16(rect->top + dv);
    rect->bottom = SInt16(rect->bottom - dv);
}

OSStatus TransitionWindow(WindowRef window, WindowTransitionEffect effect,
                          WindowTransitionAction action, const Rect*)
{
    if (!window)
        return errInvalidWindowRef;
    if (effect != kWindowFadeTransitionEffect || action != kWindowHideTransitionAction)
        return paramErr;
    // A quarter of a second, drawn from the loop so the fade is seen. Only
    // X11 lets a program fade its window: Wayland leaves opacity to the
    // compositor and the offscreen platform has nothing to fade, and both
    // would warn at every step. There the window shows its last words for
    // as long, and goes.
    constexpr int kFadeMilliseconds = 250;
    const bool fades = QGuiApplication::platformName() == QLatin1String("xcb");
    QElapsedTimer clock;
    clock.start();
    while (window->isVisible() && clock.elapsed() < kFadeMilliseconds) {
        if (fades)
            window->setWindowOpacity(1.0 - double(clock.elapsed()) / kFadeMilliseconds);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    window->hide();
    if (fades)
        window->setWindowOpacity(1.0);
    return noErr;
}

OSErr SetFrontProcess(const ProcessSerialNumber* psn)
{
    if (!psn || psn->highLongOfPSN != 0 || psn->lowLongOfPSN != kCurrentProcess)
        return procNotFound;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return procNotFound;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->raise();
            window->activateWindow();
        }
    }
    return noErr;
}

void SysBeep(short)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}
