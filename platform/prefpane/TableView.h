// SPDX-License-Identifier: GPL-3.0-or-later
// The table view a pane shows its rows in: a QTableView whose rows come from
// a data source, asked by row and by column identifier, as the platform's
// table asks its data source. The data source is also the table's delegate
// (selection changes) and the judge of row drags and drops.
//
// Columns are named in the interface file through the table's properties
// "columnIdentifiers" and "columnTitles". Cells are plain text: a value shows
// as its text and an edit reaches the data source as text.
#pragma once

#include "platform/MacTypes.h"
#include "platform/prefpane/KeyedArchive.h"
#include "platform/prefpane/Pasteboard.h"

#include <QList>
#include <QStringList>
#include <QTableView>
#include <QVariant>

#include <memory>

class NSTableView;

struct NSTableColumn {
    QString identifier;
    QString title;
};

struct NSNotification {
    QObject* object = nullptr;
};

using NSDragOperation = UInt32;
inline constexpr NSDragOperation NSDragOperationNone = 0;
inline constexpr NSDragOperation NSDragOperationEvery = 0xFFFFFFFF;

// Where a drop would land: between rows (above row r; r = count is after the
// last row) or onto row r.
enum NSTableViewDropOperation : int { NSTableViewDropOn = 0, NSTableViewDropAbove = 1 };

class NSTableViewDataSource
{
public:
    virtual ~NSTableViewDataSource() = default;
    virtual int numberOfRowsInTableView(NSTableView* tableView) = 0;
    // An invalid QVariant shows an empty cell.
    virtual QVariant objectValueForTableColumn(NSTableView* tableView, NSTableColumn* tableColumn,
                                               int row) = 0;
    virtual void setObjectValue(NSTableView* tableView, const QVariant& object,
                                NSTableColumn* tableColumn, int row) = 0;
    virtual void tableViewSelectionDidChange(const NSNotification& notification) = 0;
    virtual bool writeRowsWithIndexes(NSTableView* tableView, const NSIndexSet& rowIndexes,
                                      NSPasteboard& pboard) = 0;
    virtual NSDragOperation validateDrop(NSTableView* tableView, const NSDraggingInfo& info,
                                         int row, NSTableViewDropOperation operation) = 0;
    virtual bool acceptDrop(NSTableView* tableView, const NSDraggingInfo& info, int row,
                            NSTableViewDropOperation operation) = 0;
};

class NSTableView : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QStringList columnIdentifiers READ columnIdentifiers WRITE setColumnIdentifiers)
    Q_PROPERTY(QStringList columnTitles READ columnTitles WRITE setColumnTitles)

public:
    explicit NSTableView(QWidget* parent = nullptr);
    ~NSTableView() override;

    // Data source and delegate at once; null detaches.
    void setDataSource(NSTableViewDataSource* dataSource);

    QStringList columnIdentifiers() const;
    void setColumnIdentifiers(const QStringList& identifiers);
    QStringList columnTitles() const;
    void setColumnTitles(const QStringList& titles);
    NSTableColumn* tableColumnAtIndex(int column);

    // The pasteboard types the table accepts in drops, in order of preference.
    void registerForDraggedTypes(const QStringList& types);
    QStringList registeredDraggedTypes() const { return m_draggedTypes; }

    // Asks the data source again for every row. The selection keeps the rows
    // it had, less those that no longer exist.
    void reloadData();
    NSIndexSet selectedRowIndexes() const;
    int numberOfSelectedRows() const;
    void selectRowIndexes(const NSIndexSet& indexes, bool extendSelection);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QModelIndexList selectedIndexes() const override;

private:
    class Model;
    friend class Model;
    void connectSelection();
    NSIndexSet currentSelection() const;

    std::unique_ptr<Model> m_model;
    NSTableViewDataSource* m_dataSource = nullptr;
    QList<NSTableColumn> m_columns;
    QStringList m_draggedTypes;
    // The selected rows as the table last saw them. Data sources change their
    // rows before they ask for a reload, when the model can no longer say.
    NSIndexSet m_selection;
    // Qt is judging a drag over the rows (see dragMoveEvent).
    bool m_judgingDrop = false;
};
