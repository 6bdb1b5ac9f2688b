// SPDX-License-Identifier: GPL-3.0-or-later
// Reordering the sizes table by dragging rows. The pane is the table's drag
// source and drop target: dragged rows land together, in their order, in the
// gap they are dropped into. File, URL and text drags from elsewhere get drop
// feedback but are never acted on.
#include "pane/TessalyCMPrefPane.h"

#include "platform/launch/URLs.h"

bool TessalyCMPrefPane::writeRowsWithIndexes(NSTableView*, const NSIndexSet& rowIndexes,
                                             NSPasteboard& pboard)
{
    const QByteArray data = NSKeyedArchiver::archivedDataWithRootObject(rowIndexes);
    pboard.declareTypes({kPrivateTableViewDataType}, this);
    pboard.setData(data, kPrivateTableViewDataType);
    return true;
}

NSDragOperation TessalyCMPrefPane::validateDrop(NSTableView*, const NSDraggingInfo& info, int,
                                                NSTableViewDropOperation operation)
{
    if (operation == NSTableViewDropOn)
        return NSDragOperationNone;
    const NSPasteboard pboard = info.draggingPasteboard();

    // Files: anything but a folder may be dropped, and a folder only when its
    // path has a UTF-8 form. A path that names nothing counts as no folder.
    const QStringList paths = pboard.propertyListForType(NSFilenamesPboardType).toStringList();
    if (!paths.isEmpty()) {
        const QString& firstPath = paths.first();
        bool isFolder = false;
        NSFileManager::fileExistsAtPath(firstPath, &isFolder);
        if (!isFolder)
            return NSDragOperationEvery;
        return HasUTF8Form(firstPath) ? NSDragOperationEvery : NSDragOperationNone;
    }

    // Text or a URL: it must read as a URL. The pane's own rows carry neither.
    for (const QString& type : {NSStringPboardType, NSURLPboardType, NSFilenamesPboardType}) {
        if (const auto text = pboard.stringForType(type))
            return URLWithString(*text) ? NSDragOperationEvery : NSDragOperationNone;
    }
    return NSDragOperationEvery;
}

bool TessalyCMPrefPane::acceptDrop(NSTableView* tableView, const NSDraggingInfo& info, int row,
                                   NSTableViewDropOperation)
{
    const auto data = info.draggingPasteboard().dataForType(kPrivateTableViewDataType);
    if (!data)
        return false;
    // The rows come from this table at the start of the drag. Data that is no
    // index set of the current list (another program's, or a list changed
    // since) is refused before anything moves.
    const auto dragged = NSKeyedUnarchiver::unarchiveIndexSet(*data);
    if (!dragged || dragged->count() == 0 ||
        dragged->lastIndex() >= NSUInteger(m_arraySizes.size()))
        return false;

    // The dragged rows leave their places and come back as one block, in
    // their list order, into the gap above the drop row: after the rows that
    // stay and stood above it. A block dropped into one of its own gaps, or
    // inside itself, so lands where it was.
    QVariantList block;
    QVariantList staying;
    block.reserve(qsizetype(dragged->count()));
    staying.reserve(m_arraySizes.size() - qsizetype(dragged->count()));
    qsizetype landing = 0;
    for (qsizetype index = 0; index < m_arraySizes.size(); ++index) {
        if (dragged->containsIndex(NSUInteger(index))) {
            block.append(m_arraySizes.at(index));
        } else {
            if (index < row)
                ++landing;
            staying.append(m_arraySizes.at(index));
        }
    }
    m_arraySizes = staying.mid(0, landing) + block + staying.mid(landing);

    // The moved rows are selected where they landed, whatever other rows
    // hold the same sizes.
    NSIndexSet newSelection;
    for (qsizetype i = 0; i < block.size(); ++i)
        newSelection.addIndex(NSUInteger(landing + i));

    if (tableView) {
        tableView->reloadData();
        tableView->selectRowIndexes(newSelection, false);
    }
    saveChangedList();
    return true;
}
