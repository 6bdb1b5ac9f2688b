// SPDX-License-Identifier: GPL-3.0-or-later
// Descriptor lists, events and the handler table. A list's data is a run of
// items, each its type, its size and its bytes; an event's data is its class
// and ID followed by a run of keyed parameters in the same form.
#include "platform/events/AppleEvents.h"

#include "platform/memory/Memory.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMetaObject>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace
{

struct Item {
    AEKeyword keyword = 0; // parameters only
    DescType type = typeNull;
    QByteArray data;
};

QByteArray bytesOf(const AEDesc* desc)
{
    if (!desc || !desc->dataHandle || !*desc->dataHandle)
        return {};
    return QByteArray(*desc->dataHandle, qsizetype(GetHandleSize(desc->dataHandle)));
}

template <typename T> bool take(const QByteArray& bytes, qsizetype& at, T* value)
{
    if (at + qsizetype(sizeof(T)) > bytes.size())
        return false;
    std::memcpy(value, bytes.constData() + at, sizeof(T));
    at += qsizetype(sizeof(T));
    return true;
}

template <typename T> void put(QByteArray& bytes, T value)
{
    bytes.append(reinterpret_cast<const char*>(&value), qsizetype(sizeof(T)));
}

// Items from `at` on; false when the bytes are not a run of items.
bool readItems(const QByteArray& bytes, qsizetype at, bool keyed, std::vector<Item>* items)
{
    while (at < bytes.size()) {
        Item item;
        UInt32 size = 0;
        if ((keyed && !take(bytes, at, &item.keyword)) || !take(bytes, at, &item.type) ||
            !take(bytes, at, &size) || at + qsizetype(size) > bytes.size())
            return false;
        item.data = bytes.mid(at, qsizetype(size));
        at += qsizetype(size);
        items->push_back(std::move(item));
    }
    return true;
}

QByteArray writeItems(const std::vector<Item>& items, bool keyed)
{
    QByteArray bytes;
    for (const Item& item : items) {
        if (keyed)
            put(bytes, item.keyword);
        put(bytes, item.type);
        put(bytes, UInt32(item.data.size()));
        bytes.append(item.data);
    }
    return bytes;
}

OSErr store(AEDesc* desc, DescType type, const QByteArray& bytes)
{
    Handle h = NewHandle(Size(bytes.size()));
    if (!h)
        return memFullErr;
    if (!bytes.isEmpty())
        std::memcpy(*h, bytes.constData(), size_t(bytes.size()));
    DisposeHandle(desc->dataHandle);
    desc->descriptorType = type;
    desc->dataHandle = h;
    return noErr;
}

OSErr listItems(const AEDescList* list, std::vector<Item>* items)
{
    if (!list || list->descriptorType != typeAEList)
        return errAEWrongDataType;
    return readItems(bytesOf(list), 0, false, items) ? noErr : errAECoercionFail;
}

constexpr qsizetype kEventHeader = 8; // class and ID

OSErr eventParts(const AppleEvent* event, AEEventClass* eventClass, AEEventID* eventID,
                 std::vector<Item>* params)
{
    if (!event || event->descriptorType != typeAppleEvent)
        return errAEWrongDataType;
    const QByteArray bytes = bytesOf(event);
    qsizetype at = 0;
    AEEventClass c = 0;
    AEEventID i = 0;
    if (!take(bytes, at, &c) || !take(bytes, at, &i))
        return errAECoercionFail;
    if (eventClass)
        *eventClass = c;
    if (eventID)
        *eventID = i;
    if (params && !readItems(bytes, kEventHeader, true, params))
        return errAECoercionFail;
    return noErr;
}

// The item in the desired form, as a new descriptor.
OSErr coerced(const Item& item, DescType desiredType, AEDesc* result)
{
    AEDesc stored;
    AEInitializeDesc(&stored);
    if (OSErr err = AECreateDesc(item.type, item.data.constData(), Size(item.data.size()), &stored);
        err != noErr)
        return err;
    if (desiredType == typeWildCard || desiredType == item.type) {
        *result = stored;
        return noErr;
    }
    const OSErr err = AECoerceDesc(&stored, desiredType, result);
    AEDisposeDesc(&stored);
    return err;
}

struct Handler {
    AEEventHandlerUPP proc;
    SRefCon refcon;
};
std::mutex gHandlersLock;
std::map<std::pair<AEEventClass, AEEventID>, Handler>& handlers()
{
    static auto* table = new std::map<std::pair<AEEventClass, AEEventID>, Handler>;
    return *table;
}

} // namespace

OSErr AECreateList(const void* factoringPtr, Size factoredSize, Boolean isRecord,
                   AEDescList* resultList)
{
    if (!resultList || factoringPtr || factoredSize != 0 || isRecord)
        return paramErr;
    AEInitializeDesc(resultList);
    return store(resultList, typeAEList, {});
}

OSErr AECountItems(const AEDescList* list, long* count)
{
    if (!count)
        return paramErr;
    std::vector<Item> items;
    if (OSErr err = listItems(list, &items); err != noErr)
        return err;
    *count = long(items.size());
    return noErr;
}

OSErr AEPutPtr(AEDescList* list, long index, DescType typeCode, const void* dataPtr, Size dataSize)
{
    if (dataSize < 0 || (dataSize > 0 && !dataPtr))
        return paramErr;
    std::vector<Item> items;
    if (OSErr err = listItems(list, &items); err != noErr)
        return err;
    Item item{0, typeCode, QByteArray(static_cast<const char*>(dataPtr), qsizetype(dataSize))};
    if (index == 0 || index == long(items.size()) + 1)
        items.push_back(std::move(item));
    else if (index >= 1 && index <= long(items.size()))
        items[size_t(index - 1)] = std::move(item);
    else
        return errAEIllegalIndex;
    return store(list, typeAEList, writeItems(items, false));
}

OSErr AEPutDesc(AEDescList* list, long index, const AEDesc* desc)
{
    if (!desc)
        return paramErr;
    const QByteArray data = bytesOf(desc);
    return AEPutPtr(list, index, desc->descriptorType, data.constData(), Size(data.size()));
}

OSErr AEGetNthDesc(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                   AEDesc* result)
{
    if (!result)
        return paramErr;
    AEInitializeDesc(result);
    std::vector<Item> items;
    if (OSErr err = listItems(list, &items); err != noErr)
        return err;
    if (index < 1 || index > long(items.size()))
        return errAEIllegalIndex;
    if (keyword)
        *keyword = 0;
    return coerced(items[size_t(index - 1)], desiredType, result);
}

OSErr AEGetNthPtr(const AEDescList* list, long index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, Size maximumSize, Size* actualSize)
{
    AEDesc item;
    if (OSErr err = AEGetNthDesc(list, index, desiredType, keyword, &item); err != noErr)
        return err;
    if (typeCode)
        *typeCode = item.descriptorType;
    if (actualSize)
        *actualSize = AEGetDescDataSize(&item);
    const OSErr err = AEGetDescData(&item, dataPtr, maximumSize);
    AEDisposeDesc(&item);
    return err;
}

OSErr AECreateAppleEvent(AEEventClass eventClass, AEEventID eventID, const AEAddressDesc* target,
                         AEReturnID, AETransactionID, AppleEvent* result)
{
    if (!result)
        return paramErr;
    AEInitializeDesc(result);
    if (!target || target->descriptorType != typeProcessSerialNumber)
        return paramErr;
    QByteArray bytes;
    put(bytes, eventClass);
    put(bytes, eventID);
    // The target travels as the first parameter, under its own keyword.
    bytes.append(
        writeItems({{FOUR_CHAR_CODE("addr"), target->descriptorType, bytesOf(target)}}, true));
    return store(result, typeAppleEvent, bytes);
}

OSErr AEPutParamDesc(AppleEvent* event, AEKeyword keyword, const AEDesc* desc)
{
    if (!desc)
        return paramErr;
    AEEventClass eventClass = 0;
    AEEventID eventID = 0;
    std::vector<Item> params;
    if (OSErr err = eventParts(event, &eventClass, &eventID, &params); err != noErr)
        return err;
    Item param{keyword, desc->descriptorType, bytesOf(desc)};
    bool replaced = false;
    for (Item& existing : params) {
        if (existing.keyword == keyword) {
            existing = param;
            replaced = true;
        }
    }
    if (!replaced)
        params.push_back(std::move(param));
    QByteArray bytes;
    put(bytes, eventClass);
    put(bytes, eventID);
    bytes.append(writeItems(params, true));
    return store(event, typeAppleEvent, bytes);
}

OSErr AEGetParamDesc(const AppleEvent* event, AEKeyword keyword, DescType desiredType,
                     AEDesc* result)
{
    if (!result)
        return paramErr;
    AEInitializeDesc(result);
    std::vector<Item> params;
    if (OSErr err = eventParts(event, nullptr, nullptr, &params); err != noErr)
        return err;
    for (const Item& param : params) {
        if (param.keyword != keyword)
            continue;
        // Lists do not convert to other kinds of data, nor other kinds to lists.
        if ((desiredType == typeAEList) != (param.type == typeAEList) &&
            desiredType != typeWildCard)
            return errAECoercionFail;
        return coerced(param, desiredType, result);
    }
    return errAEDescNotFound;
}

OSErr AEGetEventClassAndID(const AppleEvent* event, AEEventClass* eventClass, AEEventID* eventID)
{
    return eventParts(event, eventClass, eventID, nullptr);
}

OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                            SRefCon handlerRefcon, Boolean isSysHandler)
{
    if (!handler || isSysHandler)
        return paramErr;
    std::lock_guard lock(gHandlersLock);
    handlers()[{eventClass, eventID}] = Handler{handler, handlerRefcon};
    return noErr;
}

OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                           Boolean)
{
    std::lock_guard lock(gHandlersLock);
    auto found = handlers().find({eventClass, eventID});
    if (found == handlers().end() || found->second.proc != handler)
        return errAEEventNotHandled;
    handlers().erase(found);
    return noErr;
}

OSErr AEProcessAppleEvent(const AppleEvent* event)
{
    AEEventClass eventClass = 0;
    AEEventID eventID = 0;
    if (OSErr err = AEGetEventClassAndID(event, &eventClass, &eventID); err != noErr)
        return err;
    Handler handler{};
    {
        std::lock_guard lock(gHandlersLock);
        auto found = handlers().find({eventClass, eventID});
        if (found == handlers().end())
            return errAEEventNotHandled;
        handler = found->second;
    }
    AppleEvent reply;
    AEInitializeDesc(&reply);
    const OSErr err = handler.proc(event, &reply, handler.refcon);
    AEDisposeDesc(&reply);
    return err;
}

void platform::ProcessPostedAppleEvents()
{
    // AESend posts to the application object; nothing else posted there
    // minds being run early.
    if (QCoreApplication* app = QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(app, QEvent::MetaCall);
}

OSErr AESend(const AppleEvent* event, AppleEvent* reply, AESendMode, AESendPriority, long,
             AEIdleUPP, void*)
{
    if (reply)
        AEInitializeDesc(reply);
    std::vector<Item> params;
    if (OSErr err = eventParts(event, nullptr, nullptr, &params); err != noErr)
        return err;
    ProcessSerialNumber psn{};
    bool toSelf = false;
    for (const Item& param : params) {
        if (param.keyword == FOUR_CHAR_CODE("addr") && param.data.size() == sizeof psn) {
            std::memcpy(&psn, param.data.constData(), sizeof psn);
            toSelf = psn.highLongOfPSN == 0 && psn.lowLongOfPSN == kCurrentProcess;
        }
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!toSelf || !app)
        return procNotFound;
    QByteArray copy = bytesOf(event);
    QMetaObject::invokeMethod(
        app,
        [copy]() {
            AppleEvent posted;
            AEInitializeDesc(&posted);
            if (store(&posted, typeAppleEvent, copy) == noErr)
                AEProcessAppleEvent(&posted);
            AEDisposeDesc(&posted);
        },
        Qt::QueuedConnection);
    return noErr;
}
