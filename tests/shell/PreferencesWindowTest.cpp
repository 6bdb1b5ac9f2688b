// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences window: what it shows from the store and what each of its
// controls stores.
#include "ShellFixture.h"

#include "app/engine/ExporterCatalogue.h"
#include "app/shell/ExtensionPopup.h"
#include "app/shell/PreferencesWindow.h"
#include "app/shell/Startup.h"
#include "platform/graphics/SaverTable.h"
#include "platform/prefs/Preferences.h"
#include "platform/ui/Windows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

using namespace shelltest;

namespace
{

QAbstractButton* button(ControlRef control)
{
    return static_cast<QAbstractButton*>(control);
}
QComboBox* popup()
{
    return static_cast<QComboBox*>(gExtensionPopupButton);
}
template <typename Widget> Widget* preference(const char* name)
{
    return gPreferencesWindow ? gPreferencesWindow->findChild<Widget*>(QLatin1String(name))
                              : nullptr;
}
// Picks an item as its user would.
void pick(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

class PreferencesWindow : public ShellTest
{
protected:
    void open()
    {
        button(gEditButton)->click();
        ASSERT_NE(gPreferencesWindow, nullptr);
        for (ControlRef control : {gQuitWhenDoneCheckbox, gExtensionPopupButton, gCopyToCheckbox,
                                   gChooseCopyToLocationButton, gCopyToLocationStaticText})
            ASSERT_NE(control, nullptr);
    }
    QAbstractButton* windowButton(const char* command)
    {
        for (auto* b : gPreferencesWindow->findChildren<QAbstractButton*>())
            if (b->property("commandID").toString() == QLatin1String(command))
                return b;
        return nullptr;
    }
};

TEST_F(PreferencesWindow, EmptyDomainShowsTheDefaults)
{
    for (const Setting* setting : kAllSettings)
        WriteSetting(*setting, QVariant());
    static_cast<QLabel*>(gMessage)->setText(QStringLiteral("something else"));
    open();
    EXPECT_TRUE(gPreferencesWindow->isVisible());
    EXPECT_TRUE(button(gQuitWhenDoneCheckbox)->isChecked());
    EXPECT_FALSE(button(gCopyToCheckbox)->isChecked());
    EXPECT_FALSE(gChooseCopyToLocationButton->isEnabled());
    EXPECT_FALSE(gCopyToLocationStaticText->isEnabled());
    // Opening resets the main window's message line.
    EXPECT_EQ(static_cast<QLabel*>(gMessage)->text(), QString::fromLatin1(kIdleText));
}

TEST_F(PreferencesWindow, PopupListsTheCatalogueOnceAndSelectsTheStoredExtension)
{
    ASSERT_GT(gNumberExporters, 1);
    const ExporterInfo& second = gTheExporters[1];
    WriteSetting(kLastImageURLExtensionSetting, second.extensionRef.toUpper());
    open();
    open(); // a second opening refills, it does not add
    ASSERT_EQ(popup()->count(), gNumberExporters);
    for (int i = 0; i < gNumberExporters; ++i)
        EXPECT_EQ(popup()->itemText(i), gTheExporters[i].extensionRef + QStringLiteral(" (") +
                                            gTheExporters[i].descriptionRef + QStringLiteral(")"));
    EXPECT_EQ(popup()->currentIndex(), 1);
    EXPECT_EQ(GetControlMinimum(gExtensionPopupButton), 1);
    EXPECT_EQ(GetControlMaximum(gExtensionPopupButton), gNumberExporters);
}

TEST_F(PreferencesWindow, OpeningItAgainReadsTheStoreAgain)
{
    WriteSetting(kQuitWhenDoneSetting, true);
    WriteSetting(kCopyToSetting, false);
    open();
    const WindowRef first = gPreferencesWindow;
    ASSERT_TRUE(button(gQuitWhenDoneCheckbox)->isChecked());
    // Changed behind the window's back, as another program would.
    WriteSetting(kQuitWhenDoneSetting, false);
    WriteSetting(kCopyToSetting, true);
    static_cast<QLabel*>(gMessage)->setText(QStringLiteral("File: something"));
    open();
    EXPECT_EQ(gPreferencesWindow, first);
    EXPECT_FALSE(button(gQuitWhenDoneCheckbox)->isChecked());
    EXPECT_TRUE(button(gCopyToCheckbox)->isChecked());
    EXPECT_TRUE(gChooseCopyToLocationButton->isEnabled());
    EXPECT_EQ(static_cast<QLabel*>(gMessage)->text(), QString::fromLatin1(kIdleText));
}

TEST_F(PreferencesWindow, EachControlStoresItsSettingAtOnce)
{
    WriteSetting(kQuitWhenDoneSetting, QVariant());
    open();
    button(gQuitWhenDoneCheckbox)->click();
    EXPECT_FALSE(QuitWhenDone());
    button(gQuitWhenDoneCheckbox)->click();
    EXPECT_TRUE(QuitWhenDone());

    button(gCopyToCheckbox)->click();
    EXPECT_TRUE(CopyTo());
    EXPECT_TRUE(gChooseCopyToLocationButton->isEnabled());
    EXPECT_TRUE(gCopyToLocationStaticText->isEnabled());

    const int last = gNumberExporters - 1;
    popup()->setCurrentIndex(last);
    Q_EMIT popup()->activated(last);
    EXPECT_EQ(StoredExportExtension(), gTheExporters[last].extensionRef);

    // Cancel closes the window and undoes nothing; its "not!" is not a Stop.
    windowButton("not!")->click();
    EXPECT_EQ(gPreferencesWindow, nullptr);
    EXPECT_EQ(gExtensionPopupButton, nullptr);
    EXPECT_FALSE(gStopping);
    EXPECT_EQ(StoredExportExtension(), gTheExporters[last].extensionRef);
    EXPECT_TRUE(CopyTo());
}

TEST_F(PreferencesWindow, ChoosingTheCopyToFolderStoresItWithoutTurningCopyToOn)
{
    WriteSetting(kCopyToSetting, false);
    open();
    chooserAnswer = destination.path();
    // The button is disabled while copy-to is off; the command still works.
    EXPECT_FALSE(gChooseCopyToLocationButton->isEnabled());
    platform::SendCommand(kCommandChooseCopyTo, GetWindowEventTarget(gPreferencesWindow));
    EXPECT_EQ(chooserPrompts,
              QStringList{QStringLiteral("Choose a folder for the destination of the copy.")});
    EXPECT_EQ(static_cast<QLabel*>(gCopyToLocationStaticText)->text(),
              QString::fromUtf8(destination.path()));
    FSRef stored;
    ASSERT_TRUE(GetCopyToLocation(stored));
    EXPECT_EQ(testsupport::PathFor(stored), destination.path());
    EXPECT_FALSE(CopyTo());

    // A cancelled question changes nothing.
    chooserAnswer.clear();
    button(gCopyToCheckbox)->click();
    button(gChooseCopyToLocationButton)->click();
    EXPECT_EQ(chooserPrompts.size(), 2);
    ASSERT_TRUE(GetCopyToLocation(stored));
    EXPECT_EQ(testsupport::PathFor(stored), destination.path());

    // Turning copy-to off keeps the folder; on again, the window shows it.
    button(gCopyToCheckbox)->click();
    EXPECT_FALSE(CopyTo());
    ASSERT_TRUE(GetCopyToLocation(stored));
    button(gCopyToCheckbox)->click();
    windowButton("ok  ")->click();
    EXPECT_EQ(gPreferencesWindow, nullptr);
    open();
    EXPECT_TRUE(button(gCopyToCheckbox)->isChecked());
    EXPECT_EQ(static_cast<QLabel*>(gCopyToLocationStaticText)->text(),
              QString::fromUtf8(destination.path()));
}

TEST_F(PreferencesWindow, CommandsOfTheWindowAndOfTheApplication)
{
    open();
    const EventTargetRef window = GetWindowEventTarget(gPreferencesWindow);
    // Setting commands are passed on; the application does not know them.
    for (const char* command : {"Qwdo", "Copy", "Eprt", "xyz!"})
        EXPECT_EQ(platform::SendCommand(platform::CommandIDFromText(command), window),
                  eventNotHandledErr)
            << command;
    // An empty popup stores nothing.
    WriteSetting(kLastImageURLExtensionSetting, QStringLiteral("keep"));
    popup()->clear();
    SyncPopupButtonToMenu(gExtensionPopupButton);
    EXPECT_EQ(GetControlMaximum(gExtensionPopupButton), 0);
    EXPECT_EQ(platform::SendCommand(kCommandExportType, window), eventNotHandledErr);
    EXPECT_EQ(StoredExportExtension(), QStringLiteral("keep"));

    EXPECT_EQ(platform::SendCommand(kHICommandOK, window), noErr);
    EXPECT_EQ(gPreferencesWindow, nullptr);

    // The application's own commands.
    EXPECT_EQ(platform::SendCommand(kHICommandCancel, nullptr), noErr);
    EXPECT_TRUE(gStopping);
    EXPECT_EQ(platform::SendCommand(platform::CommandIDFromText("xyz!"), nullptr),
              eventNotHandledErr);
    EXPECT_EQ(platform::SendCommand(kHICommandPreferences, nullptr), noErr);
    EXPECT_NE(gPreferencesWindow, nullptr);
    EXPECT_FALSE(gQuitting);
    EXPECT_EQ(platform::SendCommand(kHICommandQuit, nullptr), eventNotHandledErr);
    EXPECT_TRUE(gQuitting);
}

TEST_F(PreferencesWindow, ClosingTheMainWindowQuitsAsTheQuitCommandDoes)
{
    gWindow->close();
    EXPECT_TRUE(gQuitting);
    // The window and the controls the batch drives stay.
    EXPECT_TRUE(gWindow->isVisible());
}

TEST_F(PreferencesWindow, QualityAndLocationShowTheirDefaultsAndStoreEachChangeAtOnce)
{
    for (const Setting* setting : {&kQualitySetting, &kStripLocationSetting})
        WriteSetting(*setting, QVariant());
    WriteSetting(kLastImageURLExtensionSetting, QStringLiteral("jpg"));
    open();
    auto* quality = preference<QComboBox>("qualityPopup");
    auto* location = preference<QAbstractButton>("stripLocation");
    ASSERT_TRUE(quality && location);
    EXPECT_EQ(quality->currentText(), QStringLiteral("High"));
    EXPECT_TRUE(quality->isEnabled());
    EXPECT_FALSE(location->isChecked());

    const std::pair<const char*, int> levels[] = {
        {"Low", 256}, {"Normal", 512}, {"High", 768}, {"Best", 1023}};
    for (int i = 0; i < int(std::size(levels)); ++i) {
        pick(quality, i);
        EXPECT_EQ(quality->itemText(i), QLatin1String(levels[i].first));
        EXPECT_EQ(ReadSetting(kQualitySetting).toInt(), levels[i].second);
    }
    location->click();
    EXPECT_TRUE(ReadSetting(kStripLocationSetting).toBool());
    location->click();
    EXPECT_FALSE(ReadSetting(kStripLocationSetting).toBool());
}

TEST_F(PreferencesWindow, LosslessIsOfferedOnlyWhereTheChosenFormatHasIt)
{
    WriteSetting(kQualitySetting, int(codecLosslessQuality));
    open();
    auto* quality = preference<QComboBox>("qualityPopup");
    ASSERT_NE(quality, nullptr);
    MenuRef menu = nullptr;
    ASSERT_EQ(GetPopupButtonMenuRef(quality, &menu), noErr);
    for (int i = 0; i < gNumberExporters; ++i) {
        const auto* saver = platform::graphics::FindSaver(gTheExporters[i].exportType);
        ASSERT_NE(saver, nullptr);
        SCOPED_TRACE(saver->extension);
        // Chosen in the format popup, as its user would.
        pick(popup(), i);
        const bool lossless = platform::graphics::HasLosslessMode(*saver);
        EXPECT_EQ(quality->isEnabled(), platform::graphics::QualityApplies(*saver));
        EXPECT_EQ(IsMenuItemEnabled(menu, 5), lossless);
        // Stored Lossless shows as the nearest level the format honours,
        // and stays stored.
        EXPECT_EQ(quality->currentText(), QLatin1String(lossless ? "Lossless" : "Best"));
        EXPECT_EQ(ReadSetting(kQualitySetting).toInt(), int(codecLosslessQuality));
    }
    const int webp = FindExporterForExtension(QStringLiteral("webp"));
    ASSERT_GE(webp, 0);
    pick(popup(), webp);
    pick(quality, 4);
    EXPECT_EQ(ReadSetting(kQualitySetting).toInt(), int(codecLosslessQuality));
}

TEST_F(PreferencesWindow, StoredValuesOfAnotherKindOrOutOfRangeShowTheDefaults)
{
    WriteSetting(kLastImageURLExtensionSetting, QStringLiteral("jpg"));
    const QVariant wrongQualities[] = {QStringLiteral("Best"), true, 1023.0, 1025, -1};
    for (const QVariant& stored : wrongQualities) {
        SCOPED_TRACE(stored.toString().toStdString());
        WriteSetting(kQualitySetting, stored);
        WriteSetting(kStripLocationSetting, QStringLiteral("yes"));
        open();
        EXPECT_EQ(preference<QComboBox>("qualityPopup")->currentText(), QStringLiteral("High"));
        EXPECT_FALSE(preference<QAbstractButton>("stripLocation")->isChecked());
        EXPECT_EQ(ChosenExportOptions(FOUR_CHAR_CODE("JPEG")).quality, codecHighQuality);
        EXPECT_FALSE(ChosenExportOptions(FOUR_CHAR_CODE("JPEG")).stripLocation);
    }
}

} // namespace
