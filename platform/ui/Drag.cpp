// SPDX-License-Identifier: GPL-3.0-or-later
// Drags and drops on windows with installed handlers, through an event filter.
#include "platform/ui/Drag.h"

#include "platform/ui/DropArea.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstring>

struct OpaqueRgnHandle {
    Rect rect{};
};

struct OpaqueDragRef {
    const QMimeData* data;
    QPointer<QWidget> window;
};

namespace
{

constexpr char kHiliteName[] = "dragHilite";

class DragFilter : public QObject
{
public:
    explicit DragFilter(QWidget* window) : QObject(window) {}
    DragTrackingHandlerUPP tracker = nullptr;
    void* trackerRefCon = nullptr;
    DragReceiveHandlerUPP receiver = nullptr;
    void* receiverRefCon = nullptr;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            OpaqueDragRef drag{enter->mimeData(), window};
            m_accepted = !tracker ||
                         tracker(kDragTrackingEnterHandler, window, trackerRefCon, &drag) == noErr;
            if (tracker && m_accepted)
                tracker(kDragTrackingEnterWindow, window, trackerRefCon, &drag);
            if (m_accepted)
                enter->acceptProposedAction();
            else
                enter->ignore();
            return true;
        }
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (m_accepted) {
                OpaqueDragRef drag{move->mimeData(), window};
                if (tracker)
                    tracker(kDragTrackingInWindow, window, trackerRefCon, &drag);
                move->acceptProposedAction();
            } else {
                move->ignore();
            }
            return true;
        }
        case QEvent::DragLeave: {
            OpaqueDragRef drag{nullptr, window};
            leave(window, &drag);
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            OpaqueDragRef drag{drop->mimeData(), window};
            leave(window, &drag);
            const bool taken = receiver && receiver(window, receiverRefCon, &drag) == noErr;
            if (taken)
                drop->acceptProposedAction();
            else
                drop->ignore();
            return true;
        }
        default:
            return false;
        }
    }

private:
    void leave(QWidget* window, OpaqueDragRef* drag)
    {
        if (tracker) {
            tracker(kDragTrackingLeaveWindow, window, trackerRefCon, drag);
            tracker(kDragTrackingLeaveHandler, window, trackerRefCon, drag);
        }
    }
    bool m_accepted = false;
};

DragFilter* filterOf(QWidget* window, bool make)
{
    DragFilter* filter = nullptr;
    for (QObject* child : window->children())
        if (auto* found = dynamic_cast<DragFilter*>(child))
            filter = found;
    if (!filter && make) {
        filter = new DragFilter(window);
        window->installEventFilter(filter);
        window->setAcceptDrops(true);
    }
    return filter;
}

constexpr char kURIListFormat[] = "text/uri-list";

// The items of a drag: the URIs of its list, as the bytes they came as (an
// escape in a file URI may stand for a byte of a name that is not UTF-8,
// which a decoding into text would lose), or its data as one item.
QList<QByteArray> itemsOf(DragRef drag)
{
    if (!drag || !drag->data)
        return {};
    QList<QByteArray> items;
    if (drag->data->hasFormat(QLatin1String(kURIListFormat)))
        for (const QByteArray& line : drag->data->data(QLatin1String(kURIListFormat)).split('\n'))
            if (const QByteArray uri = line.trimmed(); !uri.isEmpty() && !uri.startsWith('#'))
                items.append(uri);
    if (items.isEmpty() && !drag->data->formats().isEmpty())
        items.append(QByteArray());
    return items;
}

// The HFS flavor record of an item; false when it has none.
bool flavorOf(const QByteArray& uri, HFSFlavor* flavor)
{
    const QByteArray path = platform::PathOfFileURI(uri);
    FSRef ref;
    if (path.isEmpty() || platform::RefFromPath(path, &ref) != noErr)
        return false;
    std::memset(flavor, 0, sizeof *flavor);
    return FSGetCatalogInfo(&ref, kFSCatInfoNone, nullptr, nullptr, &flavor->fileSpec, nullptr) ==
           noErr;
}

} // namespace

RgnHandle NewRgn()
{
    return new OpaqueRgnHandle;
}
void RectRgn(RgnHandle region, const Rect* rect)
{
    if (region && rect)
        region->rect = *rect;
}
void DisposeRgn(RgnHandle region)
{
    delete region;
}

OSErr InstallTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window, void* refCon)
{
    if (!handler || !window)
        return paramErr;
    DragFilter* filter = filterOf(window, true);
    filter->tracker = handler;
    filter->trackerRefCon = refCon;
    return noErr;
}

OSErr InstallReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window, void* refCon)
{
    if (!handler || !window)
        return paramErr;
    DragFilter* filter = filterOf(window, true);
    filter->receiver = handler;
    filter->receiverRefCon = refCon;
    return noErr;
}

OSErr RemoveTrackingHandler(DragTrackingHandlerUPP handler, WindowRef window)
{
    DragFilter* filter = window ? filterOf(window, false) : nullptr;
    if (!filter || filter->tracker != handler)
        return paramErr;
    filter->tracker = nullptr;
    return noErr;
}

OSErr RemoveReceiveHandler(DragReceiveHandlerUPP handler, WindowRef window)
{
    DragFilter* filter = window ? filterOf(window, false) : nullptr;
    if (!filter || filter->receiver != handler)
        return paramErr;
    filter->receiver = nullptr;
    return noErr;
}

OSErr CountDragItems(DragRef drag, UInt16* numItems)
{
    if (!drag || !numItems)
        return badDragRefErr;
    *numItems = UInt16(std::min<qsizetype>(itemsOf(drag).size(), 0xFFFF));
    return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item)
{
    if (!drag || !item)
        return badDragRefErr;
    if (index < 1 || index > itemsOf(drag).size())
        return badDragItemErr;
    *item = index; // items are numbered from 1
    return noErr;
}

OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* flags)
{
    const QList<QByteArray> items = itemsOf(drag);
    if (item < 1 || item > DragItemRef(items.size()))
        return badDragItemErr;
    HFSFlavor flavor;
    if (type != flavorTypeHFS || !flavorOf(items[item - 1], &flavor))
        return badDragFlavorErr;
    if (flags)
        *flags = 0;
    return noErr;
}

OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* dataPtr, Size* dataSize,
                    UInt32 dataOffset)
{
    if (!dataPtr || !dataSize || *dataSize < 0)
        return paramErr;
    const QList<QByteArray> items = itemsOf(drag);
    if (item < 1 || item > DragItemRef(items.size()))
        return badDragItemErr;
    HFSFlavor flavor;
    if (type != flavorTypeHFS)
        return badDragFlavorErr;
    if (!flavorOf(items[item - 1], &flavor))
        return cantGetFlavorErr;
    if (dataOffset > sizeof flavor)
        return paramErr;
    const Size count = std::min<Size>(*dataSize, Size(sizeof flavor - dataOffset));
    std::memcpy(dataPtr, reinterpret_cast<const char*>(&flavor) + dataOffset, size_t(count));
    *dataSize = count;
    return noErr;
}

OSErr ShowDragHilite(DragRef drag, RgnHandle region, Boolean)
{
    if (!drag || !drag->window || !region)
        return badDragRefErr;
    if (auto* area = drag->window->findChild<platform::DropArea*>()) {
        area->setHilited(true);
        return noErr;
    }
    auto* hilite = drag->window->findChild<QFrame*>(kHiliteName, Qt::FindDirectChildrenOnly);
    if (!hilite) {
        hilite = new QFrame(drag->window);
        hilite->setObjectName(kHiliteName);
        hilite->setFrameShape(QFrame::Box);
        hilite->setLineWidth(2);
        hilite->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const Rect& r = region->rect;
    hilite->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    hilite->raise();
    hilite->show();
    return noErr;
}

OSErr HideDragHilite(DragRef drag)
{
    if (!drag || !drag->window)
        return badDragRefErr;
    if (auto* area = drag->window->findChild<platform::DropArea*>())
        area->setHilited(false);
    if (auto* hilite = drag->window->findChild<QFrame*>(kHiliteName, Qt::FindDirectChildrenOnly))
        hilite->hide();
    return noErr;
}

DragRef platform::NewDragFor(const QMimeData* data, WindowRef window)
{
    return new OpaqueDragRef{data, window};
}

void platform::DisposeDrag(DragRef drag)
{
    delete drag;
}
