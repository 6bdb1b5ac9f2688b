// SPDX-License-Identifier: GPL-3.0-or-later
// The pane's lifecycle, its buttons and the cells of its table.
#include "pane/TessalyCMPrefPane.h"

#include "platform/launch/LaunchServices.h"
#include "platform/prefpane/InterfaceFile.h"
#include "platform/prefpane/SystemLog.h"
#include "platform/prefs/Preferences.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTabWidget>

#include <algorithm>
#include <limits>

const QString kTessalyCMDomain = QStringLiteral("com.quorvane.TessalyCM");
const QString kArraySizesKey = QStringLiteral("Array Sizes");
const QString kWidthKey = QStringLiteral("Width");
const QString kHeightKey = QStringLiteral("Height");
const QString kPrivateTableViewDataType = QStringLiteral("MyPrivateTableViewDataType");
const QString kHelpPageAddress =
    QStringLiteral("https://tessaly.quorvane.com/Utilities/Tessaly.html");

namespace
{

const QString kInterfaceFile = QStringLiteral(":/TessalyCMPrefPane/TessalyCMPrefPane.ui");
// The interface file's class, under which its texts are translated.
constexpr char kInterfaceContext[] = "TessalyCMPrefPaneView";
constexpr quint16 kNewRowSide = 256;

// The text's leading decimal integer as the platform's intValue reads it:
// spaces and tabs skipped (not line breaks), an optional sign, digits up to
// the first other character; 0 when there is no number, the nearest limit
// beyond 32 bits.
qint32 intValueOfText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() &&
           (text.at(i) == u'\t' || text.at(i).category() == QChar::Separator_Space))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    constexpr qint64 kBeyond = qint64(std::numeric_limits<qint32>::max()) + 2;
    qint64 magnitude = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i)
        magnitude = qMin(kBeyond, magnitude * 10 + (text.at(i).unicode() - u'0'));
    const qint64 value = negative ? -magnitude : magnitude;
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

bool isSizeColumn(const NSTableColumn* column)
{
    return column && (column->identifier == kWidthKey || column->identifier == kHeightKey);
}

} // namespace

TessalyCMPrefPane::TessalyCMPrefPane(QObject* parent) : NSPreferencePane(parent)
{
    setObjectName(QStringLiteral("TessalyCMPrefPane"));
}

QString TessalyCMPrefPane::label() const
{
    return tr("Array Sizes");
}

QWidget* TessalyCMPrefPane::loadMainView()
{
    QString error;
    QWidget* view = LoadInterfaceFile(kInterfaceFile, nullptr, &error);
    if (!view) {
        NSLog(QStringLiteral("The pane's interface file could not be loaded: %1").arg(error));
        return nullptr;
    }
    m_tabView = view->findChild<QTabWidget*>(QStringLiteral("m_tabView"));
    m_arraySizesTable = view->findChild<NSTableView*>(QStringLiteral("m_arraySizesTable"));
    m_deleteButton = view->findChild<QAbstractButton*>(QStringLiteral("m_deleteButton"));
    m_addButton = view->findChild<QAbstractButton*>(QStringLiteral("m_addButton"));
    if (m_arraySizesTable) {
        m_arraySizesTable->setDataSource(this);
        // The loader translates an interface file's texts, not its lists of
        // texts: the column titles are looked up here, as lupdate lists them.
        QStringList titles;
        for (const QString& title : m_arraySizesTable->columnTitles())
            titles << QCoreApplication::translate(kInterfaceContext, title.toUtf8().constData());
        m_arraySizesTable->setColumnTitles(titles);
    }

    // Targets and actions: each button names the selector it sends.
    using Action = void (TessalyCMPrefPane::*)(QObject*);
    const std::pair<const char*, Action> actions[] = {
        {"addButtonClicked:", &TessalyCMPrefPane::addButtonClicked},
        {"deleteButtonClicked:", &TessalyCMPrefPane::deleteButtonClicked},
        {"openHelp:", &TessalyCMPrefPane::openHelp},
    };
    for (QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
        const QString selector = button->property("action").toString();
        for (const auto& [name, action] : actions) {
            if (selector == QLatin1String(name))
                connect(button, &QAbstractButton::clicked, this,
                        [this, action, button] { (this->*action)(button); });
        }
    }
    return view;
}

void TessalyCMPrefPane::mainViewDidLoad()
{
    m_appID = kTessalyCMDomain;
    if (m_arraySizesTable)
        m_arraySizesTable->registerForDraggedTypes({kPrivateTableViewDataType, NSURLPboardType,
                                                    NSStringPboardType, NSFilenamesPboardType});
}

void TessalyCMPrefPane::willSelect()
{
    loadList();
    m_changedSinceShown = false;
}

void TessalyCMPrefPane::didUnselect()
{
    // A list left as it was shown is not written back over one that another
    // process stored meanwhile: that one is newer, and it is the one saved.
    if (!m_changedSinceShown)
        loadList();
    saveList();
}

void TessalyCMPrefPane::loadList()
{
    // The store keeps what it read from disk; what other processes (the
    // companion component, another host) wrote since comes into view first.
    if (!m_appID.isEmpty())
        CFPreferencesAppSynchronize(m_appID);
    m_arraySizes = QVariantList();
    const QVariant stored = CFPreferencesCopyAppValue(kArraySizesKey, m_appID);
    if (stored.typeId() == QMetaType::QVariantList)
        m_arraySizes.append(stored.toList());
    // The table asks for its rows when it is drawn; a view that is already
    // showing rows of an earlier selection asks again now.
    if (m_arraySizesTable)
        m_arraySizesTable->reloadData();
}

void TessalyCMPrefPane::saveList()
{
    // Before the view has loaded there is no domain to write to.
    if (m_appID.isEmpty())
        return;
    CFPreferencesSetAppValue(kArraySizesKey, m_arraySizes, m_appID);
    CFPreferencesAppSynchronize(m_appID);
}

void TessalyCMPrefPane::saveChangedList()
{
    m_changedSinceShown = true;
    saveList();
}

void TessalyCMPrefPane::addButtonClicked(QObject*)
{
    QVariantMap entry;
    entry.insert(kWidthKey, QVariant::fromValue<quint16>(kNewRowSide));
    entry.insert(kHeightKey, QVariant::fromValue<quint16>(kNewRowSide));
    m_arraySizes.insert(0, entry);
    saveChangedList();
    if (m_arraySizesTable)
        m_arraySizesTable->reloadData();
}

void TessalyCMPrefPane::deleteButtonClicked(QObject*)
{
    const NSIndexSet selected =
        m_arraySizesTable ? m_arraySizesTable->selectedRowIndexes() : NSIndexSet();
    if (selected.count() > 0) {
        // From the back, so that the indexes still to go keep their meaning.
        const std::vector<NSUInteger> rows = selected.indexes();
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            if (*it < NSUInteger(m_arraySizes.size()))
                m_arraySizes.removeAt(qsizetype(*it));
        }
    } else {
        m_arraySizes.clear();
    }
    if (m_arraySizesTable)
        m_arraySizesTable->reloadData();
    saveChangedList();
}

void TessalyCMPrefPane::openHelp(QObject*)
{
    NSWorkspace::openURL(QUrl(kHelpPageAddress));
}

int TessalyCMPrefPane::numberOfRowsInTableView(NSTableView*)
{
    return int(qMin<qsizetype>(m_arraySizes.size(), std::numeric_limits<int>::max()));
}

QVariant TessalyCMPrefPane::objectValueForTableColumn(NSTableView*, NSTableColumn* tableColumn,
                                                      int row)
{
    if (row < 0 || row >= m_arraySizes.size() || !isSizeColumn(tableColumn))
        return QVariant();
    // Stored elements that are not dictionaries show empty cells.
    return m_arraySizes.at(row).toMap().value(tableColumn->identifier);
}

void TessalyCMPrefPane::setObjectValue(NSTableView*, const QVariant& object,
                                       NSTableColumn* tableColumn, int row)
{
    if (!isSizeColumn(tableColumn))
        return;
    if (object.typeId() != QMetaType::QString) {
        NSLog(QStringLiteral("The object \"%1\" is not a string!").arg(DescriptionOf(object)));
        return;
    }
    if (row < 0 || row >= m_arraySizes.size())
        return;
    // A stored element that is not a dictionary becomes one with this key.
    QVariantMap entry = m_arraySizes.at(row).toMap();
    entry.insert(tableColumn->identifier,
                 QVariant::fromValue<qint32>(intValueOfText(object.toString())));
    m_arraySizes[row] = entry;
    saveChangedList();
}

void TessalyCMPrefPane::tableViewSelectionDidChange(const NSNotification& notification)
{
    if (!m_arraySizesTable || notification.object != m_arraySizesTable.data())
        return;
    if (m_deleteButton)
        m_deleteButton->setEnabled(m_arraySizesTable->numberOfSelectedRows() > 0);
}
