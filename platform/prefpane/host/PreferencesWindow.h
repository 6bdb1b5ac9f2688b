// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences host's window: one page per pane module, a list of the
// pages beside them. It drives each pane's lifecycle:
//
//   - the view is made and mainViewDidLoad called once, when the page is
//     first about to be shown;
//   - willSelect before the page is shown (chosen in the list, or the window
//     shown while it is the current page);
//   - didUnselect after it has been hidden (another page chosen, the window
//     hidden or closed, the window destroyed when the host quits).
//
// A module that cannot be used gets a page with the loader's error text.
// Texts follow the installed translations, and change with them.
#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class NSPreferencePane;
class QListWidget;
class QPluginLoader;
class QStackedWidget;

class PreferencesWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit PreferencesWindow(QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    // The folder the installed pane modules live in: lib/tessaly/panes beside
    // the program's bin folder (so also in the build tree).
    static QString installedPaneFolder();
    // The folder of Tessaly's translations: share/tessaly/translations
    // beside the program's bin folder.
    static QString installedTranslationsFolder();
    // Installs the user's language from there (with Qt's own), and the
    // windows made so far take it up at once. The language's catalogue
    // name, or an empty string for English.
    static QString useUserLanguage();

    // Adds the page of the module at path; its index. A module that already
    // has a page (the same file by another path, a link to it) keeps that
    // one page, whose index is given.
    int addModule(const QString& path);
    // Adds the modules of folder (files ending in .so), by name.
    void addModulesInFolder(const QString& folder);

    int pageCount() const { return int(m_pages.size()); }
    QString pageLabel(int page) const;
    // Empty when the page's pane was loaded.
    QString pageError(int page) const;
    NSPreferencePane* pane(int page) const;
    // The page whose label or module file name (without its suffix) is name;
    // -1 when none is.
    int pageNamed(const QString& name) const;

    int currentPage() const { return m_current; }
    void selectPage(int page);

    void setVisible(bool visible) override;

protected:
    // A new language retitles the window and relabels the pages: the panes
    // name their pages in the language installed at the time of asking.
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    struct Page;
    // Makes the page's view on first use; false when it cannot be shown
    // as a pane.
    bool prepare(Page& page);
    void willShow(int page);
    void didHide(int page);

    QListWidget* m_list;
    QStackedWidget* m_stack;
    std::vector<std::unique_ptr<Page>> m_pages;
    int m_current = -1;
    bool m_shown = false; // the current page has had willSelect and no didUnselect since
};
