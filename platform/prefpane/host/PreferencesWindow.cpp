// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences host's window.
#include "platform/prefpane/host/PreferencesWindow.h"

#include "platform/l10n/Translations.h"
#include "platform/prefpane/PreferencePane.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPluginLoader>
#include <QPointer>
#include <QStackedWidget>

#include <sys/stat.h>

struct PreferencesWindow::Page {
    QString path;
    QString identity; // the module file's, see moduleIdentity()
    QString label;
    // What is wrong with the module, said in the window's language at each
    // asking; empty when nothing is.
    std::function<QString()> problem;
    QLabel* problemLabel = nullptr;
    std::unique_ptr<QPluginLoader> loader;
    QPointer<NSPreferencePane> pane;
    QWidget* holder = nullptr; // the page in the stack; the pane's view goes inside
    bool viewLoaded = false;
};

namespace
{

QLabel* errorLabel(const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("paneError"));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// What makes two paths one module file: the file they lead to, whether
// through symbolic links, hard links or other spellings of a path. The
// dynamic loader opens such a file once, so the plug-in's object is one as
// well. A path that leads nowhere is known by its cleaned absolute form.
QString moduleIdentity(const QString& absolutePath)
{
    struct stat status;
    if (::stat(QFile::encodeName(absolutePath).constData(), &status) == 0)
        return QStringLiteral("%1:%2").arg(quint64(status.st_dev)).arg(quint64(status.st_ino));
    return QDir::cleanPath(absolutePath);
}

} // namespace

PreferencesWindow::PreferencesWindow(QWidget* parent)
    : QMainWindow(parent), m_list(new QListWidget), m_stack(new QStackedWidget)
{
    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    m_list->setMaximumWidth(200);
    layout->addWidget(m_list);
    layout->addWidget(m_stack, 1);
    setCentralWidget(central);
    connect(m_list, &QListWidget::currentRowChanged, this, &PreferencesWindow::selectPage);
    retranslate();
}

PreferencesWindow::~PreferencesWindow()
{
    // Hidden first, then unselected, as at any other hiding.
    if (isVisible())
        setVisible(false);
    if (m_shown)
        didHide(m_current);
    m_shown = false;
    // The panes' views run code of their modules: they go before the modules.
    while (QWidget* holder = m_stack->widget(0)) {
        m_stack->removeWidget(holder);
        delete holder;
    }
    for (auto& page : m_pages) {
        if (page->loader && page->loader->isLoaded())
            page->loader->unload();
    }
}

QString PreferencesWindow::installedTranslationsFolder()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/tessaly/") +
                          QLatin1String(platform::kTranslationsFolderName));
}

QString PreferencesWindow::useUserLanguage()
{
    const QString language = platform::InstallTranslations(installedTranslationsFolder());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    return language;
}

void PreferencesWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QMainWindow::changeEvent(event);
}

void PreferencesWindow::retranslate()
{
    setWindowTitle(tr("Tessaly Preferences"));
    for (int i = 0; i < pageCount(); ++i) {
        Page& page = *m_pages[i];
        if (page.pane && !page.problem)
            page.label = page.pane->label();
        m_list->item(i)->setText(page.label);
        if (page.problemLabel)
            page.problemLabel->setText(page.problem());
    }
}

QString PreferencesWindow::installedPaneFolder()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../lib/tessaly/panes"));
}

int PreferencesWindow::addModule(const QString& path)
{
    // A module reached again (from the plug-in folder and the command line,
    // say) would be a second page of the same pane object, whose one view
    // can only be on one of them.
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    const QString identity = moduleIdentity(absolutePath);
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i]->identity == identity)
            return int(i);
    }

    auto page = std::make_unique<Page>();
    page->path = absolutePath;
    page->identity = identity;
    page->label = QFileInfo(path).completeBaseName();
    page->loader = std::make_unique<QPluginLoader>(page->path);

    QPluginLoader& loader = *page->loader;
    // The interface id is read from the module's metadata first, so that a
    // plug-in of another kind is never instantiated.
    const QString modulePath = page->path;
    if (!loader.load()) {
        page->problem = [&loader] { return loader.errorString(); };
    } else if (const QString iid = loader.metaData().value(QStringLiteral("IID")).toString();
               iid != QLatin1String(TESSALY_PREFERENCE_PANE_IID)) {
        page->problem = [modulePath, iid] {
            return tr("%1 is a Qt plug-in, but not a preference pane: its interface is "
                      "\"%2\" where \"%3\" was expected.")
                .arg(modulePath, iid, QStringLiteral(TESSALY_PREFERENCE_PANE_IID));
        };
    } else if (QObject* root = loader.instance(); !root) {
        page->problem = [&loader] { return loader.errorString(); };
    } else if (auto* pane = qobject_cast<NSPreferencePane*>(root); !pane) {
        page->problem = [modulePath] {
            return tr("%1 does not provide the preference pane interface.").arg(modulePath);
        };
    } else {
        page->pane = pane;
        page->label = pane->label();
    }

    page->holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(page->holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    if (page->problem) {
        page->problemLabel = errorLabel(page->problem());
        holderLayout->addWidget(page->problemLabel);
    }
    m_stack->addWidget(page->holder);
    m_list->addItem(page->label);
    m_pages.push_back(std::move(page));

    const int index = int(m_pages.size()) - 1;
    if (m_current < 0) {
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentRow(index);
        m_current = index;
        if (m_shown)
            willShow(index);
    }
    return index;
}

void PreferencesWindow::addModulesInFolder(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.so")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names)
        addModule(dir.absoluteFilePath(name));
}

QString PreferencesWindow::pageLabel(int page) const
{
    return page >= 0 && page < pageCount() ? m_pages[page]->label : QString();
}

QString PreferencesWindow::pageError(int page) const
{
    return page >= 0 && page < pageCount() && m_pages[page]->problem ? m_pages[page]->problem()
                                                                     : QString();
}

NSPreferencePane* PreferencesWindow::pane(int page) const
{
    return page >= 0 && page < pageCount() ? m_pages[page]->pane.data() : nullptr;
}

int PreferencesWindow::pageNamed(const QString& name) const
{
    for (int i = 0; i < pageCount(); ++i) {
        if (m_pages[i]->label == name || QFileInfo(m_pages[i]->path).completeBaseName() == name)
            return i;
    }
    return -1;
}

bool PreferencesWindow::prepare(Page& page)
{
    if (!page.pane)
        return false;
    if (!page.viewLoaded) {
        page.viewLoaded = true;
        QWidget* view = page.pane->mainView();
        if (!view) {
            const QPointer<NSPreferencePane> pane = page.pane;
            const QString label = page.label;
            page.problem = [pane, label] {
                return tr("The pane \"%1\" could not make its view.")
                    .arg(pane ? pane->label() : label);
            };
            page.problemLabel = errorLabel(page.problem());
            page.holder->layout()->addWidget(page.problemLabel);
            page.pane = nullptr;
            return false;
        }
        page.holder->layout()->addWidget(view);
        page.pane->mainViewDidLoad();
    }
    return !page.problem;
}

void PreferencesWindow::willShow(int index)
{
    Page& page = *m_pages[index];
    if (prepare(page))
        page.pane->willSelect();
}

void PreferencesWindow::didHide(int index)
{
    if (index < 0 || index >= pageCount())
        return;
    Page& page = *m_pages[index];
    if (page.pane && !page.problem)
        page.pane->didUnselect();
}

void PreferencesWindow::selectPage(int index)
{
    if (index < 0 || index >= pageCount() || index == m_current)
        return;
    const int previous = m_current;
    m_current = index;
    {
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentRow(index);
    }
    if (!m_shown) {
        m_stack->setCurrentIndex(index);
        return;
    }
    willShow(index);
    m_stack->setCurrentIndex(index);
    didHide(previous);
}

void PreferencesWindow::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        if (m_current >= 0) {
            m_stack->setCurrentIndex(m_current);
            willShow(m_current);
        }
        m_shown = true;
        QMainWindow::setVisible(true);
    } else if (!visible && isVisible()) {
        QMainWindow::setVisible(false);
        if (m_shown)
            didHide(m_current);
        m_shown = false;
    } else {
        QMainWindow::setVisible(visible);
    }
}
