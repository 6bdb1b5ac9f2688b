// SPDX-License-Identifier: GPL-3.0-or-later
// The Array Sizes preference pane: edits the ordered list of picture sizes
// (width and height pairs) that the companion component reads from the key
// "Array Sizes" of the domain "com.quorvane.TessalyCM". Each showing reads
// the list as the store holds it then, other processes' writes included.
// Every change is saved at once, and the list is saved again whenever the
// pane is hidden; a list left unchanged since it was shown is read again
// first, so a newer one another process stored meanwhile is kept. Rows are
// added, deleted, edited in place and reordered by dragging; the pane never
// sorts the list.
//
// Built as a Qt plug-in module that the preferences host loads; the
// operations keep the names of the platform's selectors, so
// tableView:objectValueForTableColumn:row: is objectValueForTableColumn().
#pragma once

#include "platform/prefpane/PreferencePane.h"
#include "platform/prefpane/TableView.h"

#include <QPointer>
#include <QString>
#include <QVariantList>

class QAbstractButton;
class QTabWidget;

// The pane's preference domain and key, and the entry keys of one size.
extern const QString kTessalyCMDomain;
extern const QString kArraySizesKey;
extern const QString kWidthKey;
extern const QString kHeightKey;
// The pasteboard type of the pane's own row drags.
extern const QString kPrivateTableViewDataType;
// The product's help page.
extern const QString kHelpPageAddress;

class TessalyCMPrefPane : public NSPreferencePane, public NSTableViewDataSource
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TESSALY_PREFERENCE_PANE_IID)
    Q_INTERFACES(NSPreferencePane)

public:
    explicit TessalyCMPrefPane(QObject* parent = nullptr);

    QString label() const override;

    // Host lifecycle.
    void mainViewDidLoad() override;
    void willSelect() override;
    void didUnselect() override;

    // Button actions; the sender is not used.
    void addButtonClicked(QObject* sender);
    void deleteButtonClicked(QObject* sender);
    void openHelp(QObject* sender);

    // The table's data source and delegate.
    int numberOfRowsInTableView(NSTableView* tableView) override;
    QVariant objectValueForTableColumn(NSTableView* tableView, NSTableColumn* tableColumn,
                                       int row) override;
    void setObjectValue(NSTableView* tableView, const QVariant& object, NSTableColumn* tableColumn,
                        int row) override;
    void tableViewSelectionDidChange(const NSNotification& notification) override;

    // Row drag and drop (RowDragAndDrop.cpp).
    bool writeRowsWithIndexes(NSTableView* tableView, const NSIndexSet& rowIndexes,
                              NSPasteboard& pboard) override;
    NSDragOperation validateDrop(NSTableView* tableView, const NSDraggingInfo& info, int row,
                                 NSTableViewDropOperation operation) override;
    bool acceptDrop(NSTableView* tableView, const NSDraggingInfo& info, int row,
                    NSTableViewDropOperation operation) override;

    // The working list as it stands.
    const QVariantList& arraySizes() const { return m_arraySizes; }

protected:
    QWidget* loadMainView() override;

private:
    // A new working list from what the store holds now.
    void loadList();
    void saveList();
    // Saves a list the user changed while the pane was shown.
    void saveChangedList();

    QString m_appID;
    QVariantList m_arraySizes;
    bool m_changedSinceShown = false;
    QPointer<QTabWidget> m_tabView;
    QPointer<NSTableView> m_arraySizesTable;
    QPointer<QAbstractButton> m_deleteButton;
    QPointer<QAbstractButton> m_addButton;
};
