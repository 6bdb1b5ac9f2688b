// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the interface file gives it, and the message lines.
#include "ShellFixture.h"

#include "app/shell/Startup.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QTimer>

using namespace shelltest;

namespace
{

QString textOf(ControlRef control)
{
    return static_cast<QLabel*>(control)->text();
}

class StatusDisplay : public ShellTest
{
};

TEST_F(StatusDisplay, WindowStartsIdleAsItsInterfaceFileDescribesIt)
{
    for (ControlRef control : {gMessage, gSpin, gEditButton, gProgress, gSmallMessage, gStopButton})
        ASSERT_NE(control, nullptr);
    EXPECT_TRUE(gWindow->isVisible());
    EXPECT_EQ(textOf(gMessage), QString::fromLatin1(kIdleText));
    EXPECT_FALSE(gSpin->isVisible());
    EXPECT_FALSE(gProgress->isVisible());
    EXPECT_FALSE(gSmallMessage->isVisible());
    EXPECT_FALSE(gStopButton->isVisible());
    EXPECT_FALSE(gStopButton->isEnabled());
    EXPECT_TRUE(gEditButton->isVisible());
    // The spinner is a busy indicator, not a bar that fills.
    auto* spinner = static_cast<QProgressBar*>(gSpin);
    EXPECT_EQ(spinner->minimum(), 0);
    EXPECT_EQ(spinner->maximum(), 0);
}

TEST_F(StatusDisplay, MenuBarCarriesPreferencesAndQuitCommands)
{
    QStringList commands;
    for (QAction* action : gWindow->findChildren<QAction*>())
        if (action->property("commandID").isValid())
            commands << action->property("commandID").toString();
    EXPECT_TRUE(commands.contains(QStringLiteral("pref")));
    EXPECT_TRUE(commands.contains(QStringLiteral("quit")));
}

TEST_F(StatusDisplay, MessagesGoToTheirLineCutTo255Characters)
{
    const std::string longText(300, 'x');
    struct Case {
        int line;
        std::string text;
        QString expectedMessage;
        QString expectedSmall;
    } cases[] = {
        {1, "File: a.png", "File: a.png", "before"},
        {2, "(1 of 3)", "before", "(1 of 3)"},
        {3, "nowhere", "before", "before"},
        {1, longText, QString(255, u'x'), "before"},
        {1, "", "", "before"},
    };
    for (const Case& c : cases) {
        static_cast<QLabel*>(gMessage)->setText("before");
        static_cast<QLabel*>(gSmallMessage)->setText("before");
        print_message(c.text.c_str(), c.line);
        EXPECT_EQ(textOf(gMessage), c.expectedMessage) << c.text;
        EXPECT_EQ(textOf(gSmallMessage), c.expectedSmall) << c.text;
    }
}

TEST_F(StatusDisplay, EveryMessageGivesTheLoopOneTurnEvenWithoutControls)
{
    for (int line : {1, 2, 3}) {
        bool served = false;
        QTimer::singleShot(0, [&served] { served = true; });
        print_message("turn", line);
        EXPECT_TRUE(served) << line;
    }
    // Before start-up filled the globals (or for a window without them).
    const ControlRef saved = gMessage;
    gMessage = nullptr;
    bool served = false;
    QTimer::singleShot(0, [&served] { served = true; });
    print_message("no control", 1);
    EXPECT_TRUE(served);
    gMessage = saved;
}

TEST_F(StatusDisplay, StaticTextOperationsRefuseANullControl)
{
    const unsigned char text[] = {3, 'a', 'b', 'c'};
    EXPECT_EQ(SetStaticTextText(nullptr, text, true), paramErr);
    EXPECT_EQ(SetStaticTextAsCFString(nullptr, QStringLiteral("x"), true), paramErr);
    EXPECT_EQ(SetStaticTextText(gSmallMessage, text, true), noErr);
    EXPECT_EQ(textOf(gSmallMessage), QStringLiteral("abc"));
    EXPECT_EQ(SetStaticTextAsCFString(gSmallMessage, QStringLiteral("/tmp/é"), true), noErr);
    EXPECT_EQ(textOf(gSmallMessage), QStringLiteral("/tmp/é"));
    // Text bytes are Mac Roman: 0x8E is e acute.
    const unsigned char roman[] = {1, 0x8E};
    EXPECT_EQ(SetStaticTextText(gSmallMessage, roman, false), noErr);
    EXPECT_EQ(textOf(gSmallMessage), QStringLiteral("é"));
}

} // namespace
