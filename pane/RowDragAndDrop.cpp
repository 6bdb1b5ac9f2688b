// Reordering the sizes table by dragging rows. The pane is the table's drag
// source and drop target; file, URL and text drags from elsewhere get drop
// feedback but are never acted on.
#include "pane/ItemHelpers.h"
#include "pane/TessalyCMPrefPane.h"

#include "platform/launch/URLs.h"

#include <set>

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

    std::set<qint64> pending;
    for (NSUInteger index : dragged->indexes())
        pending.insert(qint64(index));
    const qint64 first = *pending.begin();
    const qint64 target = first < row ? qint64(row) - 1 : qint64(row);
    const qint64 offset = target - first;

    NSIndexSet newSelection;
    QVariantList moved;
    moved.reserve(qsizetype(pending.size()));
    while (!pending.empty()) {
        const qint64 index = *pending.begin();
        if (index >= 0 && index < m_arraySizes.size())
            moved.append(m_arraySizes.at(index));
        MoveArrayItem(m_arraySizes, SInt32(index), SInt32(offset));
        pending.erase(pending.begin());
        std::set<qint64> shifted;
        for (qint64 j : pending)
            shifted.insert(j > target ? j : j - 1);
        pending = std::move(shifted);
    }
    // Equal by content: an equal entry standing earlier is the one selected.
    for (const QVariant& entry : moved) {
        const qsizetype at = m_arraySizes.indexOf(entry);
        if (at >= 0)
            newSelection.addIndex(NSUInteger(at));
    }

    if (tableView) {
        tableView->reloadData();
        tableView->selectRowIndexes(newSelection, false);
    }
    saveList();
    return true;
}
