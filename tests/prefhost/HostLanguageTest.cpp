// SPDX-License-Identifier: GPL-3.0-or-later
// The host's window and the sizes pane in the user's language. The language
// is read once, at start-up, so each case runs in a child of this test
// program: it makes the window with the sizes pane as the program does and
// lists what they say, and the parent judges the lists against the bundle's
// catalogue.
#include "platform/prefpane/host/PreferencesWindow.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace
{

void list(const char* context, const QString& control, const QString& text)
{
    std::printf("%s\t%s\t%s\n", context, control.toUtf8().constData(), text.toUtf8().constData());
}

// The child's part: the window's title, the page's label and every text of
// the pane's view (its tab, labels, buttons, tips and column titles).
void listWindowTexts()
{
    PreferencesWindow window;
    window.addModule(QStringLiteral(SIZES_PANE));
    std::printf("language\t\t%s\n", PreferencesWindow::useUserLanguage().toUtf8().constData());
    window.show();
    list("PreferencesWindow", QStringLiteral("windowTitle"), window.windowTitle());
    list("TessalyCMPrefPane", QStringLiteral("page"),
         window.findChild<QListWidget*>()->item(0)->text());
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("m_tabView"));
    ASSERT_NE(tabs, nullptr);
    list("TessalyCMPrefPaneView", QStringLiteral("tab"), tabs->tabText(0));
    for (auto* label : tabs->findChildren<QLabel*>())
        list("TessalyCMPrefPaneView", label->objectName(), label->text());
    for (auto* button : tabs->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty())
            continue;
        list("TessalyCMPrefPaneView", button->objectName(), button->text());
        if (!button->toolTip().isEmpty())
            list("TessalyCMPrefPaneView", button->objectName() + QStringLiteral(":tip"),
                 button->toolTip());
    }
    auto* table = tabs->findChild<QTableView*>(QStringLiteral("m_arraySizesTable"));
    ASSERT_NE(table, nullptr);
    for (int column = 0; column < table->model()->columnCount(); ++column)
        list("TessalyCMPrefPaneView", QStringLiteral("column%1").arg(column),
             table->model()->headerData(column, Qt::Horizontal).toString());
    window.close();
}

struct Shown {
    QString context;
    QString text;
};

std::map<QString, Shown> run(const char* language)
{
    testsupport::TempFolder config;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::optional<QByteArray> output = testsupport::RunTestInChild(
        QString::fromUtf8(info->test_suite_name()) + u'.' + QString::fromUtf8(info->name()),
        {{QStringLiteral("LANGUAGE"), QString::fromLatin1(language)},
         {QStringLiteral("LC_ALL"), {}},
         {QStringLiteral("LC_MESSAGES"), {}},
         {QStringLiteral("LANG"), QStringLiteral("C.UTF-8")},
         {QStringLiteral("XDG_CONFIG_HOME"), QString::fromUtf8(config.path())}});
    EXPECT_TRUE(output) << "the child failed";
    std::map<QString, Shown> texts;
    for (const QString& line : QString::fromUtf8(output.value_or(QByteArray())).split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 3)
            texts[fields[0] + u'/' + fields[1]] = {fields[0], fields[2]};
    }
    return texts;
}

TEST(HostLanguage, TheWindowAndTheSizesPaneFollowTheLanguage)
{
    if (testsupport::InTestChild())
        return listWindowTexts();
    const auto english = run("xx");
    EXPECT_EQ(english.at("language/").text, "");
    EXPECT_EQ(english.at("TessalyCMPrefPane/page").text, "Array Sizes");
    EXPECT_EQ(english.at("TessalyCMPrefPaneView/column0").text, "Width");

    const auto german = run("de");
    EXPECT_EQ(german.at("language/").text, "de");
    EXPECT_EQ(german.at("TessalyCMPrefPaneView/column1").text, "Höhe");
    QTranslator de;
    ASSERT_TRUE(
        de.load(QStringLiteral("tessaly_de"), PreferencesWindow::installedTranslationsFolder()));
    int checked = 0;
    for (const auto& [key, shown] : english) {
        if (shown.context == "language")
            continue;
        const QString expected =
            de.translate(shown.context.toUtf8().constData(), shown.text.toUtf8().constData());
        EXPECT_FALSE(expected.isEmpty()) << "no German for " << key.toStdString();
        ASSERT_TRUE(german.count(key)) << key.toStdString();
        EXPECT_EQ(german.at(key).text.toStdString(), expected.toStdString()) << key.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 9);
}

} // namespace
