// SPDX-License-Identifier: GPL-3.0-or-later
// The table view over its data source.
#include "platform/prefpane/TableView.h"

#include <QAbstractTableModel>
#include <QDrag>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QScopedValueRollback>

class NSTableView::Model : public QAbstractTableModel
{
public:
    explicit Model(NSTableView* table) : m_table(table) {}

    void reset()
    {
        beginResetModel();
        endResetModel();
    }
    void columnsChanged() { reset(); }

    int rowCount(const QModelIndex& parent) const override
    {
        if (parent.isValid() || !m_table->m_dataSource)
            return 0;
        return qMax(0, m_table->m_dataSource->numberOfRowsInTableView(m_table));
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int(m_table->m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || !m_table->m_dataSource ||
            (role != Qt::DisplayRole && role != Qt::EditRole))
            return QVariant();
        const QVariant value = m_table->m_dataSource->objectValueForTableColumn(
            m_table, m_table->tableColumnAtIndex(index.column()), index.row());
        // Plain text cells: the editor is a line edit whatever the value's kind.
        return value.isValid() ? QVariant(value.toString()) : QVariant();
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole || !m_table->m_dataSource)
            return false;
        m_table->m_dataSource->setObjectValue(
            m_table, value, m_table->tableColumnAtIndex(index.column()), index.row());
        Q_EMIT dataChanged(index, index);
        return true;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= m_table->m_columns.size())
            return QAbstractTableModel::headerData(section, orientation, role);
        const NSTableColumn& column = m_table->m_columns.at(section);
        return column.title.isEmpty() ? column.identifier : column.title;
    }

    // Rows take drops between them only; the view then proposes "above".
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::ItemIsDropEnabled;
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable |
               Qt::ItemIsDragEnabled;
    }

    Qt::DropActions supportedDropActions() const override
    {
        return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    }

    QStringList mimeTypes() const override
    {
        QStringList formats;
        for (const QString& type : m_table->m_draggedTypes) {
            const QString format = NSPasteboard::formatForType(type);
            if (!formats.contains(format))
                formats << format;
        }
        return formats;
    }

    bool canDropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                         const QModelIndex& parent) const override
    {
        if (!acceptsAnyType(data))
            return false;
        const auto [dropRow, operation] = dropPosition(row, parent);
        return m_table->m_dataSource->validateDrop(m_table, NSDraggingInfo(data), dropRow,
                                                   operation) != NSDragOperationNone;
    }

    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override
    {
        if (!canDropMimeData(data, action, row, column, parent))
            return false;
        const auto [dropRow, operation] = dropPosition(row, parent);
        return m_table->m_dataSource->acceptDrop(m_table, NSDraggingInfo(data), dropRow, operation);
    }

private:
    bool acceptsAnyType(const QMimeData* data) const
    {
        if (!data || !m_table->m_dataSource)
            return false;
        for (const QString& format : mimeTypes()) {
            if (data->hasFormat(format))
                return true;
        }
        return false;
    }

    // Qt's drop place as the table proposes it: onto an item, between rows,
    // or on the empty space below the last row (after the last row).
    std::pair<int, NSTableViewDropOperation> dropPosition(int row, const QModelIndex& parent) const
    {
        if (parent.isValid())
            return {parent.row(), NSTableViewDropOn};
        if (row >= 0)
            return {row, NSTableViewDropAbove};
        return {rowCount(QModelIndex()), NSTableViewDropAbove};
    }

    NSTableView* m_table;
};

NSTableView::NSTableView(QWidget* parent) : QTableView(parent), m_model(new Model(this))
{
    setModel(m_model.get());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    connectSelection();
}

NSTableView::~NSTableView()
{
    // The view's own teardown still reads the model.
    m_dataSource = nullptr;
    setModel(nullptr);
}

void NSTableView::connectSelection()
{
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        m_selection = currentSelection();
        if (m_dataSource)
            m_dataSource->tableViewSelectionDidChange(NSNotification{this});
    });
}

void NSTableView::setDataSource(NSTableViewDataSource* dataSource)
{
    m_dataSource = dataSource;
    m_model->reset();
    m_selection = currentSelection();
}

QStringList NSTableView::columnIdentifiers() const
{
    QStringList identifiers;
    for (const NSTableColumn& column : m_columns)
        identifiers << column.identifier;
    return identifiers;
}

void NSTableView::setColumnIdentifiers(const QStringList& identifiers)
{
    const QStringList titles = columnTitles();
    m_columns.clear();
    for (qsizetype i = 0; i < identifiers.size(); ++i)
        m_columns.append({identifiers.at(i), i < titles.size() ? titles.at(i) : QString()});
    m_model->columnsChanged();
}

QStringList NSTableView::columnTitles() const
{
    QStringList titles;
    for (const NSTableColumn& column : m_columns)
        titles << column.title;
    return titles;
}

void NSTableView::setColumnTitles(const QStringList& titles)
{
    for (qsizetype i = 0; i < m_columns.size() && i < titles.size(); ++i)
        m_columns[i].title = titles.at(i);
    m_model->columnsChanged();
}

NSTableColumn* NSTableView::tableColumnAtIndex(int column)
{
    return column >= 0 && column < m_columns.size() ? &m_columns[column] : nullptr;
}

void NSTableView::registerForDraggedTypes(const QStringList& types)
{
    for (const QString& type : types) {
        if (!m_draggedTypes.contains(type))
            m_draggedTypes << type;
    }
}

void NSTableView::reloadData()
{
    // The data source has changed its rows already, so the selection is
    // taken from what the table remembers, not from the model.
    const NSIndexSet kept = m_selection;
    {
        const QSignalBlocker quiet(selectionModel());
        m_model->reset();
        selectRowIndexes(kept, false);
    }
    m_selection = currentSelection();
    // Rows that no longer exist left the selection: the delegate hears of it.
    if (m_selection != kept && m_dataSource)
        m_dataSource->tableViewSelectionDidChange(NSNotification{this});
}

NSIndexSet NSTableView::selectedRowIndexes() const
{
    return m_selection;
}

NSIndexSet NSTableView::currentSelection() const
{
    NSIndexSet rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.addIndex(NSUInteger(index.row()));
    return rows;
}

int NSTableView::numberOfSelectedRows() const
{
    return int(m_selection.count());
}

void NSTableView::selectRowIndexes(const NSIndexSet& indexes, bool extendSelection)
{
    QItemSelection selection;
    const int rows = m_model->rowCount(QModelIndex());
    const int lastColumn = m_model->columnCount(QModelIndex()) - 1;
    for (NSUInteger row : indexes.indexes()) {
        if (row < NSUInteger(rows) && lastColumn >= 0)
            selection.select(m_model->index(int(row), 0), m_model->index(int(row), lastColumn));
    }
    selectionModel()->select(selection, extendSelection ? QItemSelectionModel::Select
                                                        : QItemSelectionModel::ClearAndSelect);
}

void NSTableView::startDrag(Qt::DropActions)
{
    const NSIndexSet rows = selectedRowIndexes();
    if (!m_dataSource || rows.count() == 0)
        return;
    auto* data = new QMimeData;
    NSPasteboard pasteboard(data);
    if (!m_dataSource->writeRowsWithIndexes(this, rows, pasteboard)) {
        delete data;
        return;
    }
    // The data source moves the rows itself when they are dropped; unlike
    // QAbstractItemView's own drag, nothing is removed once the drag ends.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

// Qt takes the table's own rows held over one of its selected rows for rows
// dropped onto themselves, and refuses the drop there: the pointer on the
// upper half of a dragged row would show "no drop" for the gap above it,
// which the lower half of the row above takes. Rows here take drops only
// between them, and the data source judges each gap, so Qt is shown no
// selection (it asks selectedIndexes()) while it judges a drag or a drop.
void NSTableView::dragMoveEvent(QDragMoveEvent* event)
{
    const QScopedValueRollback judging(m_judgingDrop, true);
    QTableView::dragMoveEvent(event);
}

void NSTableView::dropEvent(QDropEvent* event)
{
    const QScopedValueRollback judging(m_judgingDrop, true);
    QTableView::dropEvent(event);
}

QModelIndexList NSTableView::selectedIndexes() const
{
    return m_judgingDrop ? QModelIndexList() : QTableView::selectedIndexes();
}
