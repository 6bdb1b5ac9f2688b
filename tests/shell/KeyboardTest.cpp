// SPDX-License-Identifier: GPL-3.0-or-later
// Every command without a mouse: the keys of both windows, pressed on the
// real windows, must do what the clicks do. What they store is checked in
// the preference file itself, what they convert in the destination folder.
#include "ShellFixture.h"

#include "app/engine/ConversionPool.h"
#include "app/engine/ExporterCatalogue.h"
#include "app/shell/ExtensionPopup.h"
#include "app/shell/PreferencesWindow.h"
#include "app/shell/Startup.h"
#include "platform/prefs/PropertyList.h"
#include "platform/ui/Windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QTest>

using namespace shelltest;
using testsupport::ListFolder;

namespace
{

class Keyboard : public ShellTest
{
protected:
    void TearDown() override
    {
        SetBatchWorkers(0);
        ShellTest::TearDown();
    }
    // The keys as the user types them into the window, which is active.
    static void press(QWidget* window, const char* keys)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QWidget* focus = QApplication::focusWidget();
        QTest::keySequence(focus && focus->window() == window ? focus : window,
                           QKeySequence(QString::fromLatin1(keys)));
    }
    void openByKeys()
    {
        press(gWindow, "Ctrl+,");
        ASSERT_TRUE(
            WaitUntil([] { return gPreferencesWindow && gPreferencesWindow->isVisible(); }, 5000));
    }
    QVariantMap stored() const
    {
        QFile file(QString::fromUtf8(config.path()) +
                   QStringLiteral("/com.quorvane.Tessaly.plist"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return tessaly::prefs::parsePropertyList(file.readAll()).values;
    }
    QVariant stored(const char* key) const { return stored().value(QString::fromLatin1(key)); }
    // Six pictures in a folder, converted one at a time, so a batch is long
    // enough to be stopped on its way.
    QByteArray folderOfSix()
    {
        const QByteArray folder = source / "six";
        testsupport::MakeFolder(folder);
        for (int i = 0; i < 6; ++i)
            MakePicture(folder + "/" + QByteArray::number(i) + ".png");
        SetBatchWorkers(1);
        return folder;
    }
};

TEST_F(Keyboard, EscapeStopsARunningBatchAsStopDoesAndNothingWhileIdle)
{
    press(gWindow, "Escape");
    EXPECT_FALSE(gStopping) << "Stop is not on offer while idle";

    const QByteArray folder = folderOfSix();
    storeCopyTo(destination.path());
    const QVariantMap before = stored();
    onMessage = [&](int line, const QString& text) {
        if (line == 1 && text.startsWith(QStringLiteral("File: ")) && fileMessages().size() == 1)
            press(gWindow, "Escape");
    };
    ASSERT_TRUE(dropAndWait({QString::fromUtf8(folder)}));
    EXPECT_EQ(fileMessages().size(), 1);
    EXPECT_EQ(shown(2), QStringList{"(1 of 6)"});
    EXPECT_EQ(ListFolder(destination.path()).size(), 1u);
    EXPECT_FALSE(gStopButton->isVisible());
    EXPECT_EQ(stored(), before);
}

TEST_F(Keyboard, MenuShortcutsServeBothWindows)
{
    struct Case {
        const char* keys;
        bool fromPreferences; // pressed in the preferences window, else the main one
    };
    for (const Case& c : {Case{"Ctrl+Q", false}, Case{"Ctrl+Q", true}}) {
        SCOPED_TRACE(std::string(c.keys) + (c.fromPreferences ? " in preferences" : " in main"));
        gQuitting = false;
        if (c.fromPreferences)
            openByKeys();
        press(c.fromPreferences ? gPreferencesWindow : gWindow, c.keys);
        EXPECT_TRUE(WaitUntil([] { return bool(gQuitting); }, 5000));
    }
    // Preferences… from the preferences window brings it forward, read anew.
    gQuitting = false;
    WriteSetting(kQuitWhenDoneSetting, true);
    press(gPreferencesWindow, "Ctrl+,");
    EXPECT_TRUE(static_cast<QAbstractButton*>(gQuitWhenDoneCheckbox)->isChecked());
}

TEST_F(Keyboard, ConvertAsksForItemsAndRunsThemAsOneDrop)
{
    MakePicture(source / "loose.png");
    testsupport::MakeFolder(source / "inner");
    MakePicture(source / "inner/deep.png");
    const QList<QByteArray> items{source / "loose.png", source / "inner"};
    struct Case {
        const char* what;
        const char* keys;
        QList<QByteArray> answer;
        std::vector<QByteArray> outputs;
    } cases[] = {
        {"menu's shortcut", "Ctrl+O", items, {"deep.jpg", "loose.jpg"}},
        {"window's button", "Alt+C", items, {"deep.jpg", "loose.jpg"}},
        {"cancelled", "Ctrl+O", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray into = freshCopyTo(c.what);
        itemsPrompts.clear();
        itemsAnswer = c.answer;
        const int drops = HandledDrops();
        press(gWindow, c.keys);
        // A mnemonic clicks as the eye sees it: the click comes a moment later.
        ASSERT_TRUE(WaitUntil([this] { return itemsPrompts.size() == 1; }, 5000));
        EXPECT_TRUE(WaitUntil(
            [&] { return HandledDrops() == drops + (c.answer.isEmpty() ? 0 : 1); }, 5000));
        EXPECT_TRUE(WaitUntil([] { return !BatchPending(); }));
        EXPECT_EQ(ListFolder(into), c.outputs);
    }

    // Asked for during a batch, the items wait for it as a drop does.
    const QByteArray folder = folderOfSix();
    const QByteArray into = freshCopyTo("during");
    itemsAnswer = {source / "loose.png"};
    int waiting = -1;
    onMessage = [&](int line, const QString& text) {
        if (line != 1 || !text.startsWith(QStringLiteral("File: ")))
            return;
        if (fileMessages().size() == 1)
            press(gWindow, "Ctrl+O");
        else if (fileMessages().size() == 2)
            waiting = WaitingDropCount();
    };
    const int drops = HandledDrops();
    ASSERT_EQ(SendItemsToSelf({QString::fromUtf8(folder)}), noErr);
    ASSERT_TRUE(WaitUntil([&] { return HandledDrops() == drops + 2 && !BatchPending(); }));
    EXPECT_EQ(waiting, 1);
    ASSERT_EQ(fileMessages().size(), 7);
    EXPECT_EQ(fileMessages().last(), QStringLiteral("File: loose.png"));
    EXPECT_EQ(ListFolder(into).size(), 7u);
}

TEST_F(Keyboard, EveryPreferenceHasItsMnemonicAndTheWindowClosesByKeys)
{
    ASSERT_GT(gNumberExporters, 1);
    WriteSetting(kQuitWhenDoneSetting, true);
    WriteSetting(kCopyToSetting, false);
    WriteSetting(kLastImageURLExtensionSetting, gTheExporters[0].extensionRef);
    openByKeys();
    chooserAnswer = destination.path();
    auto* popup = static_cast<QComboBox*>(gExtensionPopupButton);
    struct Case {
        const char* keys;
        const char* key;
        QVariant after;
    } cases[] = {
        {"Alt+Q", "QuitWhenDone", false},
        {"Alt+C", "CopyTo", true},
        {"Alt+U, Up", "Quality", int(codecNormalQuality)},
        {"Alt+L", "StripLocation", true},
        {"Alt+V, Down", "Last ImageURL Extension", gTheExporters[1].extensionRef},
        {"Alt+Q", "QuitWhenDone", true},
        {"Alt+C", "CopyTo", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        for (const QString& keys : QString::fromLatin1(c.keys).split(QStringLiteral(", ")))
            press(gPreferencesWindow, keys.toLatin1().constData());
        EXPECT_TRUE(WaitUntil([&] { return stored(c.key) == c.after; }, 5000));
    }
    EXPECT_EQ(popup->currentIndex(), 1);

    // Choose… by its mnemonic, once the copy-to folder is on.
    press(gPreferencesWindow, "Alt+H");
    WaitUntil([] { return false; }, 300);
    EXPECT_TRUE(chooserPrompts.isEmpty()) << "the button is off with its setting";
    press(gPreferencesWindow, "Alt+C");
    ASSERT_TRUE(WaitUntil([] { return gChooseCopyToLocationButton->isEnabled(); }, 5000));
    press(gPreferencesWindow, "Alt+H");
    ASSERT_TRUE(WaitUntil([this] { return chooserPrompts.size() == 1; }, 5000));
    FSRef folder;
    ASSERT_TRUE(GetCopyToLocation(folder));
    EXPECT_EQ(testsupport::PathFor(folder), destination.path());

    // Tab goes down the window, then to Cancel and OK, and round again; the
    // quality popup is passed over while the format takes no quality.
    popup->setFocus();
    QStringList visited;
    for (int i = 0; i < 8; ++i) {
        visited << QApplication::focusWidget()->objectName();
        press(gPreferencesWindow, "Tab");
    }
    EXPECT_EQ(visited,
              (QStringList{"extensionPopup", "stripLocation", "quitWhenDone", "copyTo",
                           "chooseCopyToLocation", "cancelButton", "okButton", "extensionPopup"}));

    // Return is OK and Escape Cancel; neither is the main window's Stop.
    const QVariantMap before = stored();
    for (const char* keys : {"Return", "Enter", "Escape", "Alt+O", "Alt+A"}) {
        SCOPED_TRACE(keys);
        if (!gPreferencesWindow)
            openByKeys();
        gQuitWhenDoneCheckbox->setFocus();
        press(gPreferencesWindow, keys);
        EXPECT_TRUE(WaitUntil([] { return gPreferencesWindow == nullptr; }, 5000));
        EXPECT_FALSE(gStopping);
        EXPECT_EQ(stored(), before);
    }
}

} // namespace
