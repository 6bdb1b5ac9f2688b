// SPDX-License-Identifier: GPL-3.0-or-later
// The controls as screen readers use them: through the actions of their
// accessibility interfaces ("Toggle" for a checkbox, "Press" for a button,
// "ShowMenu" for a popup), which must do what a click does. Every change is
// checked in the preference file itself.
#include "ShellFixture.h"

#include "app/engine/ConversionPool.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/shell/ExtensionPopup.h"
#include "app/shell/PreferencesWindow.h"
#include "platform/prefs/PropertyList.h"
#include "platform/ui/Windows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTest>

using namespace shelltest;

namespace
{

QAbstractButton* button(ControlRef control)
{
    return static_cast<QAbstractButton*>(control);
}

// The action as an assistive tool would call it; false when the control
// does not offer it.
bool DoAccessibleAction(QWidget* control, const QString& action)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    if (!accessible || !accessible->actionInterface())
        return false;
    if (!accessible->actionInterface()->actionNames().contains(action))
        return false;
    accessible->actionInterface()->doAction(action);
    return true;
}

class AccessibleActions : public ShellTest
{
protected:
    void open()
    {
        ASSERT_TRUE(DoAccessibleAction(gEditButton, QAccessibleActionInterface::pressAction()));
        ASSERT_TRUE(
            WaitUntil([] { return gPreferencesWindow && gPreferencesWindow->isVisible(); }, 10000));
        for (ControlRef control : {gQuitWhenDoneCheckbox, gExtensionPopupButton, gCopyToCheckbox,
                                   gChooseCopyToLocationButton, gCopyToLocationStaticText})
            ASSERT_NE(control, nullptr);
    }
    QAbstractButton* windowButton(const char* command) const
    {
        for (auto* b : gPreferencesWindow->findChildren<QAbstractButton*>())
            if (b->property("commandID").toString() == QLatin1String(command))
                return b;
        return nullptr;
    }
    // What the preference file on disk holds (not this process's view).
    QVariantMap stored() const
    {
        QFile file(QString::fromUtf8(config.path()) +
                   QStringLiteral("/com.quorvane.Tessaly.plist"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const auto parsed = tessaly::prefs::parsePropertyList(file.readAll());
        EXPECT_TRUE(parsed.ok) << parsed.error.toStdString();
        return parsed.values;
    }
};

TEST_F(AccessibleActions, CheckboxesStoreTheirStateAsAClickDoes)
{
    WriteSetting(kQuitWhenDoneSetting, true);
    WriteSetting(kCopyToSetting, false);
    open();
    const QString toggle = QAccessibleActionInterface::toggleAction();
    const QString press = QAccessibleActionInterface::pressAction();
    struct Case {
        const char* what;
        ControlRef* control;
        QString action;
        const char* key;
        bool after;
    };
    const Case cases[] = {
        {"quit when done off by Toggle", &gQuitWhenDoneCheckbox, toggle, "QuitWhenDone", false},
        {"quit when done on by Toggle", &gQuitWhenDoneCheckbox, toggle, "QuitWhenDone", true},
        {"quit when done off by Press", &gQuitWhenDoneCheckbox, press, "QuitWhenDone", false},
        {"quit when done on by Press", &gQuitWhenDoneCheckbox, press, "QuitWhenDone", true},
        {"copy to on by Toggle", &gCopyToCheckbox, toggle, "CopyTo", true},
        {"copy to off by Toggle", &gCopyToCheckbox, toggle, "CopyTo", false},
        {"copy to on by Press", &gCopyToCheckbox, press, "CopyTo", true},
        {"copy to off by Press", &gCopyToCheckbox, press, "CopyTo", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget* control = *c.control;
        // A press is a click drawn out over a moment, as a pressed button shows it.
        if (c.action == toggle)
            ASSERT_TRUE(DoAccessibleAction(control, c.action));
        else
            QAccessible::queryAccessibleInterface(control)->actionInterface()->doAction(c.action);
        EXPECT_TRUE(WaitUntil([&] { return button(control)->isChecked() == c.after; }, 5000));
        EXPECT_TRUE(WaitUntil(
            [&] { return stored().value(QString::fromLatin1(c.key)) == QVariant(c.after); }, 5000));
        if (*c.control == gCopyToCheckbox) {
            // The folder's button and path follow the setting.
            EXPECT_EQ(gChooseCopyToLocationButton->isEnabled(), c.after);
            EXPECT_EQ(gCopyToLocationStaticText->isEnabled(), c.after);
        }
    }
    EXPECT_TRUE(QuitWhenDone());
    EXPECT_FALSE(CopyTo());

    // Filling the window from the store issues no command: absent keys stay
    // absent.
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    WriteSetting(kLastImageURLExtensionSetting, QVariant());
    platform::SendCommand(kHICommandOK, GetWindowEventTarget(gPreferencesWindow));
    open();
    EXPECT_TRUE(button(gQuitWhenDoneCheckbox)->isChecked());
    EXPECT_FALSE(stored().contains(QStringLiteral("QuitWhenDone")));
    EXPECT_FALSE(stored().contains(QStringLiteral("Last ImageURL Extension")));
}

TEST_F(AccessibleActions, QuitWhenDoneTurnedOffByAScreenReaderKeepsTheProgram)
{
    WriteSetting(kQuitWhenDoneSetting, true);
    storeCopyTo(destination.path());
    open();
    ASSERT_TRUE(
        DoAccessibleAction(gQuitWhenDoneCheckbox, QAccessibleActionInterface::toggleAction()));
    EXPECT_FALSE(button(gQuitWhenDoneCheckbox)->isChecked());
    EXPECT_EQ(stored().value(QStringLiteral("QuitWhenDone")), QVariant(false));

    MakePicture(source / "photo.png");
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(source / "photo.png")}));
    EXPECT_EQ(testsupport::ListFolder(destination.path()), std::vector<QByteArray>{"photo.jpg"});
    // The goodbye would come a second after the batch.
    WaitUntil([] { return false; }, 1500);
    EXPECT_EQ(exits, 0);
    EXPECT_FALSE(shown(1).contains(QStringLiteral("Bye.")));
}

TEST_F(AccessibleActions, ThePopupIsOpenedAndItsChoiceStored)
{
    ASSERT_GT(gNumberExporters, 2);
    WriteSetting(kLastImageURLExtensionSetting, gTheExporters[0].extensionRef);
    open();
    auto* popup = static_cast<QComboBox*>(gExtensionPopupButton);
    ASSERT_EQ(popup->currentIndex(), 0);
    ASSERT_TRUE(DoAccessibleAction(popup, QAccessibleActionInterface::showMenuAction()));
    ASSERT_TRUE(WaitUntil([popup] { return popup->view()->isVisible(); }, 5000));
    // Opening the list chooses nothing.
    EXPECT_EQ(stored().value(QStringLiteral("Last ImageURL Extension")),
              QVariant(gTheExporters[0].extensionRef));

    // In the open list a screen reader's user moves with the keys and picks.
    QTest::keyClick(popup->view(), Qt::Key_Down);
    QTest::keyClick(popup->view(), Qt::Key_Down);
    QTest::keyClick(popup->view(), Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([popup] { return !popup->view()->isVisible(); }, 5000));
    EXPECT_EQ(popup->currentIndex(), 2);
    EXPECT_EQ(stored().value(QStringLiteral("Last ImageURL Extension")),
              QVariant(gTheExporters[2].extensionRef));

    // Closed, the popup changes with the arrow keys as well.
    QTest::keyClick(popup, Qt::Key_Up);
    EXPECT_EQ(popup->currentIndex(), 1);
    EXPECT_EQ(stored().value(QStringLiteral("Last ImageURL Extension")),
              QVariant(gTheExporters[1].extensionRef));
}

TEST_F(AccessibleActions, ButtonsOfBothWindowsIssueTheirCommands)
{
    WriteSetting(kCopyToSetting, true);
    open();
    const QString press = QAccessibleActionInterface::pressAction();

    // Choose...: the folder chooser asks, and the folder is stored.
    chooserAnswer = destination.path();
    ASSERT_TRUE(DoAccessibleAction(gChooseCopyToLocationButton, press));
    ASSERT_TRUE(WaitUntil([this] { return chooserPrompts.size() == 1; }, 5000));
    EXPECT_EQ(chooserPrompts.front(),
              QStringLiteral("Choose a folder for the destination of the copy."));
    EXPECT_EQ(static_cast<QLabel*>(gCopyToLocationStaticText)->text(),
              QString::fromUtf8(destination.path()));
    EXPECT_FALSE(stored().value(QStringLiteral("CopyToLocation")).toByteArray().isEmpty());
    FSRef folder;
    ASSERT_TRUE(GetCopyToLocation(folder));
    EXPECT_EQ(testsupport::PathFor(folder), destination.path());

    // OK and Cancel close the window and keep what was stored.
    const QVariantMap before = stored();
    for (const char* command : {"ok  ", "not!"}) {
        SCOPED_TRACE(command);
        if (!gPreferencesWindow)
            open();
        QAbstractButton* close = windowButton(command);
        ASSERT_NE(close, nullptr);
        ASSERT_TRUE(DoAccessibleAction(close, press));
        EXPECT_TRUE(WaitUntil([] { return gPreferencesWindow == nullptr; }, 5000));
        EXPECT_EQ(stored(), before);
        EXPECT_FALSE(gStopping); // the window's Cancel is not the Stop button
    }
}

TEST_F(AccessibleActions, StopPressedDuringABatchEndsIt)
{
    const QByteArray folder = source / "many";
    ASSERT_TRUE(testsupport::MakeFolder(folder));
    for (int i = 0; i < 6; ++i)
        MakePicture(folder + "/" + QByteArray::number(i) + ".png");
    storeCopyTo(destination.path());
    SetBatchWorkers(1);
    const QVariantMap before = stored();
    // Pressed while the first file's line shows; the press lands a moment
    // later, and the batch is still on its first file when it does.
    bool pressed = false;
    onMessage = [&](int line, const QString& text) {
        if (pressed || line != 1 || !text.startsWith(QStringLiteral("File: ")))
            return;
        pressed = true;
        EXPECT_TRUE(gStopButton->isEnabled());
        EXPECT_TRUE(DoAccessibleAction(gStopButton, QAccessibleActionInterface::pressAction()));
        EXPECT_TRUE(WaitUntil([] { return bool(gStopping); }, 5000));
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    SetBatchWorkers(0);
    EXPECT_TRUE(pressed);
    EXPECT_LE(fileMessages().size(), 2);
    EXPECT_EQ(testsupport::ListFolder(destination.path()).size(), size_t(fileMessages().size()));
    EXPECT_EQ(stored(), before);
}

} // namespace
