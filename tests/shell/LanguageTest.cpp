// SPDX-License-Identifier: GPL-3.0-or-later
// The windows in the user's language. The language is read once, at
// start-up, so each case runs in a child of this test program started with
// that language in its environment: the child makes the windows the way the
// program does (the bundle's catalogues from the build tree, then the main
// window, then the preferences window) and lists what they say; the parent
// judges the lists.
#include "app/shell/ExtensionPopup.h"
#include "app/shell/PreferencesWindow.h"
#include "app/shell/Startup.h"
#include "app/shell/StatusDisplay.h"
#include "platform/l10n/Translations.h"
#include "platform/nav/FolderChooser.h"
#include "platform/ui/Windows.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTranslator>

#include <cstdio>
#include <map>

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

// One text a window showed: the translation context it comes from, the
// control, and the text.
struct Shown {
    QString context;
    QString text;
};
using Texts = std::map<QString, Shown>; // by "context/control"

QString currentTest()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return QString::fromUtf8(info->test_suite_name()) + u'.' + QString::fromUtf8(info->name());
}

void list(const char* context, const QString& control, const QString& text)
{
    std::printf("%s\t%s\t%s\n", context, control.toUtf8().constData(), text.toUtf8().constData());
}

void listControls(const char* context, QWidget* window)
{
    for (auto* label : window->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            list(context, label->objectName(), label->text());
    for (auto* button : window->findChildren<QAbstractButton*>())
        if (!button->text().isEmpty())
            list(context, button->objectName(), button->text());
}

// The child's part: the program's start-up, then every text of the two
// windows and the menu, the prompt of the copy-to folder's question, a few
// batch messages as the window shows them and as the observer (and so the
// command line) gets them, and one of Qt's own dialog texts.
void listWindowsTexts()
{
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    std::printf("language\t\t%s\n", UseUserLanguage().toUtf8().constData());
    ASSERT_EQ(StartApplication(), noErr);
    listControls("MainWindow", gWindow);
    // The menu's commands; its title is the program's name.
    for (QAction* action : platform::MenuBarActions())
        if (action->property("commandID").isValid())
            list("MenuBar", action->objectName(), action->text());

    QStringList observed;
    SetMessageObserver([&](int, const QString& text) { observed << text; });
    for (const char* message : {"File: photo.png", "(3 of 10)", "Bye."}) {
        print_message(message, 1);
        list("StatusDisplay", QString::fromLatin1(message), static_cast<QLabel*>(gMessage)->text());
    }
    list("observer", {}, observed.join(u'|'));
    print_message(kIdleText, 1);

    HandlePreferencesCommand();
    ASSERT_NE(gPreferencesWindow, nullptr);
    list("PreferencesWindow", QStringLiteral("windowTitle"), gPreferencesWindow->windowTitle());
    listControls("PreferencesWindow", gPreferencesWindow);
    auto* popup = static_cast<QComboBox*>(gExtensionPopupButton);
    for (int i = 0; i < popup->count(); ++i)
        list("ExtensionPopup", QString::number(i), popup->itemText(i));
    NavSetFolderChooser([](const NavFolderQuestion& question) {
        list("NavDialog", QStringLiteral("copy-to"), question.message);
        return QByteArray();
    });
    HandleChooseCopyToLocation();
    list("QFileDialog", QStringLiteral("Look in:"),
         QCoreApplication::translate("QFileDialog", "Look in:"));
}

// The texts a child listed under the environment given.
Texts run(const std::vector<std::pair<QString, QString>>& environment)
{
    testsupport::TempFolder config;
    std::vector<std::pair<QString, QString>> all = {
        {QStringLiteral("LANGUAGE"), {}},
        {QStringLiteral("LC_ALL"), {}},
        {QStringLiteral("LC_MESSAGES"), {}},
        {QStringLiteral("LANG"), QStringLiteral("C.UTF-8")},
        {QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config.path())},
    };
    all.insert(all.end(), environment.begin(), environment.end());
    const std::optional<QByteArray> output = testsupport::RunTestInChild(currentTest(), all);
    EXPECT_TRUE(output) << "the child failed";
    Texts texts;
    for (const QString& line : QString::fromUtf8(output.value_or(QByteArray())).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 3)
            texts[fields[0] + u'/' + fields[1]] = {fields[0], fields[2]};
    }
    return texts;
}

// The bundle's catalogue of a language, as the program finds it.
std::unique_ptr<QTranslator> catalogue(const QString& language)
{
    auto translator = std::make_unique<QTranslator>();
    EXPECT_TRUE(translator->load(QStringLiteral("tessaly_") + language,
                                 platform::BundleResourcesPath() + u'/' +
                                     QLatin1String(platform::kTranslationsFolderName)))
        << language.toStdString();
    return translator;
}

TEST(Language, TheWindowsFollowTheLanguageAndTheCommandLineStaysEnglish)
{
    if (testsupport::InTestChild())
        return listWindowsTexts();
    // The parent finds the catalogues as the program does, beside itself.
    static int argc = 1;
    static char name[] = "shell_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);

    const Texts english = run({{QStringLiteral("LANGUAGE"), QStringLiteral("xx")}});
    ASSERT_GT(english.size(), 10u);
    EXPECT_EQ(english.at("language/").text, "");
    EXPECT_EQ(english.at("MainWindow/message").text, QString::fromUtf8(kIdleText));
    EXPECT_EQ(english.at("MainWindow/editButton").text, "&Edit…");
    EXPECT_EQ(english.at("MainWindow/stopButton").text, "&Stop");
    EXPECT_EQ(english.at("StatusDisplay/(3 of 10)").text, "(3 of 10)");
    EXPECT_EQ(english.at("NavDialog/copy-to").text,
              "Choose a folder for the destination of the copy.");
    EXPECT_EQ(english.at("QFileDialog/Look in:").text, "Look in:");

    const Texts german = run({{QStringLiteral("LANGUAGE"), QStringLiteral("de")}});
    EXPECT_EQ(german.at("language/").text, "de");
    // What scripts read stays as it was written.
    EXPECT_EQ(german.at("observer/").text, "File: photo.png|(3 of 10)|Bye.");
    EXPECT_EQ(german.at("MainWindow/message").text,
              "Ziehen Sie Dateien oder Ordner auf das Programm oder auf dieses Fenster, um die "
              "Dateien bzw. den Inhalt der Ordner umzuwandeln.");
    EXPECT_EQ(german.at("MainWindow/editButton").text, "&Bearbeiten…");
    EXPECT_EQ(german.at("MainWindow/stopButton").text, "&Stopp");
    EXPECT_EQ(german.at("StatusDisplay/File: photo.png").text, "Datei: photo.png");
    EXPECT_EQ(german.at("StatusDisplay/(3 of 10)").text, "(3 von 10)");
    EXPECT_EQ(german.at("QFileDialog/Look in:").text, "Suchen in:");
    // Every text of the windows, the menu and the question, in German as
    // the catalogue has it: a text the catalogue lacks, or one looked up
    // under another context than lupdate listed it, fails here.
    const auto de = catalogue(QStringLiteral("de"));
    int checked = 0;
    const QRegularExpression popupItem(QStringLiteral(R"(^(\S+) \((.+)\)$)"));
    for (const auto& [key, shown] : english) {
        // A format's extension stays as the setting stores it; its
        // description is translated.
        if (shown.context == "ExtensionPopup") {
            const QRegularExpressionMatch item = popupItem.match(shown.text);
            ASSERT_TRUE(item.hasMatch()) << key.toStdString();
            const QString description =
                de->translate("ExtensionPopup", item.captured(2).toUtf8().constData());
            EXPECT_FALSE(description.isEmpty()) << "no German for " << shown.text.toStdString();
            ASSERT_TRUE(german.count(key)) << key.toStdString();
            EXPECT_EQ(german.at(key).text,
                      item.captured(1) + QStringLiteral(" (") + description + u')');
            continue;
        }
        if (!QStringList{"MainWindow", "MenuBar", "PreferencesWindow", "NavDialog"}.contains(
                shown.context))
            continue;
        const QString expected =
            de->translate(shown.context.toUtf8().constData(), shown.text.toUtf8().constData());
        EXPECT_FALSE(expected.isEmpty())
            << "no German for " << key.toStdString() << ": " << shown.text.toStdString();
        ASSERT_TRUE(german.count(key)) << key.toStdString();
        EXPECT_EQ(german.at(key).text, expected) << key.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 12);

    // The variables in the order the desktop reads them, and a list of
    // languages whose first is not translated, or English.
    const struct {
        const char* variable;
        const char* value;
        const char* language; // empty: English
    } cases[] = {
        {"LC_ALL", "fr_FR.UTF-8", "fr"},  {"LC_MESSAGES", "es_ES.UTF-8", "es"},
        {"LANG", "zh_CN.UTF-8", "zh_CN"}, {"LANGUAGE", "xx:ja", "ja"},
        {"LANGUAGE", "en:de", ""},        {"LANGUAGE", "zh_TW", ""},
    };
    for (const auto& c : cases) {
        const Texts texts = run({{QString::fromLatin1(c.variable), QString::fromLatin1(c.value)}});
        ASSERT_TRUE(texts.count("language/")) << c.variable << '=' << c.value;
        EXPECT_EQ(texts.at("language/").text, c.language) << c.variable << '=' << c.value;
        const QString expected =
            *c.language
                ? catalogue(QString::fromLatin1(c.language))->translate("MainWindow", "&Edit…")
                : QStringLiteral("&Edit…");
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(texts.at("MainWindow/editButton").text, expected) << c.variable << '=' << c.value;
    }
}

} // namespace
