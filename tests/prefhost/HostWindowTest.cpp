// SPDX-License-Identifier: GPL-3.0-or-later
// The host's window in this process: the order of the panes' lifecycle
// calls as pages are switched and the window hidden, shown and closed, and
// the pages of modules that cannot be used.
#include "platform/prefpane/PreferencePane.h"
#include "platform/prefpane/host/PreferencesWindow.h"
#include "platform/prefs/PropertyList.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPluginLoader>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

using namespace testsupport;

// Readable strings in failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

class HostWindow : public ::testing::Test
{
protected:
    TempFolder dir;
    void SetUp() override
    {
        qputenv("TESSALY_TEST_PANE_RECORD", dir / "record");
        qputenv("XDG_CONFIG_HOME", dir.path());
    }
    // The lines recorded since the last call.
    QStringList Taken()
    {
        const QString text = QString::fromUtf8(ReadFile(dir / "record"));
        ::unlink((dir / "record").constData());
        return text.split(u'\n', Qt::SkipEmptyParts);
    }
    // The lifecycle calls among lines, checking that each willSelect came
    // before its pane's view was shown and each didUnselect after it was
    // hidden.
    static QStringList Calls(const QStringList& lines)
    {
        QStringList calls;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString pane = lines[i].section(u' ', 0, 1);
            if (lines[i].endsWith(" willSelect")) {
                EXPECT_GT(lines.indexOf(pane + " shown", i), i)
                    << "shown after " << lines[i].toStdString();
            }
            if (lines[i].endsWith(" didUnselect")) {
                const qsizetype hidden = lines.lastIndexOf(pane + " hidden", i);
                EXPECT_TRUE(hidden >= 0 && hidden < i)
                    << "hidden before " << lines[i].toStdString();
            }
            if (!lines[i].endsWith(" shown") && !lines[i].endsWith(" hidden"))
                calls << lines[i];
        }
        return calls;
    }
};

TEST_F(HostWindow, CallsEachPaneAroundEachShowingAndHiding)
{
    PreferencesWindow window;
    const int a = window.addModule(RECORDER_A);
    const int b = window.addModule(RECORDER_B);
    ASSERT_EQ(window.pageLabel(a), "Recorder A");
    ASSERT_EQ(window.pageLabel(b), "Recorder B");
    EXPECT_TRUE(Taken().isEmpty()); // nothing before the window is shown

    struct Step {
        const char* what;
        std::function<void()> act;
        QStringList expected;
    };
    const Step steps[] = {
        {"show", [&] { window.show(); }, {"Recorder A mainViewDidLoad", "Recorder A willSelect"}},
        {"choose B",
         [&] { window.selectPage(b); },
         {"Recorder B mainViewDidLoad", "Recorder B willSelect", "Recorder A didUnselect"}},
        {"choose B again", [&] { window.selectPage(b); }, {}},
        {"hide", [&] { window.hide(); }, {"Recorder B didUnselect"}},
        {"choose A while hidden", [&] { window.selectPage(a); }, {}},
        {"show again", [&] { window.show(); }, {"Recorder A willSelect"}},
        {"choose B, loaded before",
         [&] { window.selectPage(b); },
         {"Recorder B willSelect", "Recorder A didUnselect"}},
        {"close", [&] { window.close(); }, {"Recorder B didUnselect"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Calls(Taken()), step.expected);
    }
}

TEST_F(HostWindow, DestroyingTheShownWindowUnselectsItsPage)
{
    {
        PreferencesWindow window;
        window.addModule(RECORDER_A);
        window.show();
        Taken();
    }
    EXPECT_EQ(Calls(Taken()), QStringList({"Recorder A didUnselect"}));
}

TEST_F(HostWindow, ModulesThatCannotBeUsedShowWhy)
{
    ASSERT_TRUE(WriteFile(dir / "text.so", "this is not a library"));
    const auto loaderError = [](const QString& path) {
        QPluginLoader loader(path);
        EXPECT_FALSE(loader.load());
        return loader.errorString();
    };
    struct Case {
        QString path;
        QString error; // the whole text, or a part of it
    };
    const Case cases[] = {
        {QString::fromUtf8(dir / "text.so"), loaderError(QString::fromUtf8(dir / "text.so"))},
        {QString::fromUtf8(dir / "missing.so"), loaderError(QString::fromUtf8(dir / "missing.so"))},
        {PLAIN_LIBRARY, loaderError(PLAIN_LIBRARY)},
        {OTHER_PLUGIN, "org.example.ImageFilter/1"},
        {PANE_WITHOUT_INTERFACE, "does not provide the preference pane interface"},
    };

    PreferencesWindow window;
    window.addModule(RECORDER_A);
    window.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        ASSERT_FALSE(c.error.isEmpty());
        const int page = window.addModule(c.path);
        EXPECT_EQ(window.pane(page), nullptr);
        EXPECT_TRUE(window.pageError(page).contains(c.error))
            << window.pageError(page).toStdString();
        // The page shows the same text, and choosing it unselects the pane
        // that was shown without calling anything else.
        window.selectPage(page);
        auto* label = window.findChild<QLabel*>(QStringLiteral("paneError"));
        ASSERT_NE(label, nullptr);
        bool shown = false;
        for (QLabel* l : window.findChildren<QLabel*>(QStringLiteral("paneError")))
            shown = shown || (l->isVisible() && l->text() == window.pageError(page));
        EXPECT_TRUE(shown);
        window.selectPage(0);
        window.selectPage(page);
    }
    window.close();
    // Recorder A was shown at first and each time its page came back, and
    // each showing ended when an error page was chosen.
    const QStringList record = Calls(Taken());
    EXPECT_EQ(record.count("Recorder A mainViewDidLoad"), 1);
    EXPECT_EQ(record.count("Recorder A willSelect"), 1 + 5);
    EXPECT_EQ(record.count("Recorder A didUnselect"), 1 + 5);
}

TEST_F(HostWindow, AModuleReachedSeveralWaysIsOnePage)
{
    // The same file by its path, a symbolic link, another spelling of its
    // path and a hard link: one module, one pane object, so one page, made
    // once and shown whole each time it is chosen.
    const QString module = QString::fromUtf8(RECORDER_A);
    const QByteArray link = dir / "Recorder.so";
    ASSERT_EQ(::symlink(RECORDER_A, link.constData()), 0);
    const QFileInfo info(module);
    const QString respelled =
        info.absolutePath() + "/../" + info.dir().dirName() + "//./" + info.fileName();
    const QByteArray hardLink = QFileInfo(module).absolutePath().toUtf8() + "/RecorderAgain.so";
    ::unlink(hardLink.constData());
    ASSERT_EQ(::link(RECORDER_A, hardLink.constData()), 0);

    PreferencesWindow window;
    const int a = window.addModule(module);
    EXPECT_EQ(window.addModule(QString::fromUtf8(link)), a);
    EXPECT_EQ(window.addModule(respelled), a);
    EXPECT_EQ(window.addModule(QString::fromUtf8(hardLink)), a);
    ::unlink(hardLink.constData());
    const int b = window.addModule(RECORDER_B);
    EXPECT_EQ(window.pageCount(), 2);
    EXPECT_EQ(window.pageLabel(a), "Recorder A");

    window.show();
    window.selectPage(b);
    window.selectPage(a);
    bool shown = false;
    for (QLabel* label : window.findChildren<QLabel*>())
        shown = shown || (label->text() == "Recorder A" && label->isVisible());
    EXPECT_TRUE(shown);
    window.close();
    const QStringList calls = Calls(Taken());
    EXPECT_EQ(calls.count("Recorder A mainViewDidLoad"), 1);
    EXPECT_EQ(calls.count("Recorder A willSelect"), 2);
    EXPECT_EQ(calls.count("Recorder A didUnselect"), 2);
}

TEST_F(HostWindow, TheSizesPaneGivenTwiceKeepsItsTableOnItsPage)
{
    // Every page visited in turn, then the sizes page again: its table is
    // there, not taken away by a second page of the same pane.
    PreferencesWindow window;
    const int sizes = window.addModule(SIZES_PANE);
    const QFileInfo info(SIZES_PANE);
    window.addModule(info.absolutePath() + "/./" + info.fileName());
    window.addModule(RECORDER_A);
    EXPECT_EQ(window.pageCount(), 2);
    window.show();
    for (int page = 0; page < window.pageCount(); ++page)
        window.selectPage(page);
    window.selectPage(sizes);
    auto* table = window.findChild<QWidget*>(QStringLiteral("m_arraySizesTable"));
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isVisible());
    window.close();
}

TEST_F(HostWindow, TheSizesPageShowsTheListStoredWhileItWasHidden)
{
    // The list on disk replaced while the sizes page is hidden, as another
    // process would replace it: the next showing shows it, and the next
    // hiding does not write the list shown before over it.
    const QByteArray file = dir / "com.quorvane.TessalyCM.plist";
    const auto storeSizes = [&file](qint64 count) {
        QVariantList list;
        for (qint64 i = 0; i < count; ++i)
            list << QVariantMap{{"Width", 100 + i}, {"Height", 200 + i}};
        EXPECT_TRUE(
            WriteFile(file, tessaly::prefs::serializePropertyList({{"Array Sizes", list}})));
        return list;
    };
    const auto storedSizes = [&file] {
        return tessaly::prefs::parsePropertyList(ReadFile(file)).values.value("Array Sizes");
    };
    storeSizes(2);

    PreferencesWindow window;
    const int sizes = window.addModule(SIZES_PANE);
    const int recorder = window.addModule(RECORDER_A);
    window.show();
    auto* table = window.findChild<QAbstractItemView*>(QStringLiteral("m_arraySizesTable"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->rowCount(), 2);

    window.selectPage(recorder);
    const QVariantList longer = storeSizes(5);
    window.selectPage(sizes);
    EXPECT_EQ(table->model()->rowCount(), 5);
    EXPECT_EQ(table->model()->index(4, 0).data().toString(), "104");
    window.selectPage(recorder);
    EXPECT_EQ(storedSizes(), QVariant(longer));
    window.close();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
