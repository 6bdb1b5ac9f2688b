// SPDX-License-Identifier: GPL-3.0-or-later
// The command event targets and the routing of a command through them.
#include "platform/events/CommandEvents.h"

#include "platform/events/EventLoop.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

struct OpaqueEventRef {
    UInt32 eventClass;
    UInt32 kind;
    HICommand command;
};

struct OpaqueEventHandlerRef {
    EventTargetRef target;
    EventHandlerUPP proc;
    std::vector<EventTypeSpec> types;
    void* userData;
};

struct OpaqueEventTargetRef {
    std::vector<std::shared_ptr<OpaqueEventHandlerRef>> handlers; // in installation order
};

namespace
{

// Targets by owner; the application's owner is null. Used on the loop's thread.
std::map<const void*, OpaqueEventTargetRef*>& targets()
{
    static auto* table = new std::map<const void*, OpaqueEventTargetRef*>;
    return *table;
}

bool wants(const OpaqueEventHandlerRef& handler, const OpaqueEventRef& event)
{
    return std::any_of(handler.types.begin(), handler.types.end(), [&](const EventTypeSpec& t) {
        return t.eventClass == event.eventClass && t.eventKind == event.kind;
    });
}

bool isLive(EventTargetRef target)
{
    for (const auto& [owner, live] : targets())
        if (live == target)
            return true;
    return false;
}

OSStatus offer(EventTargetRef target, OpaqueEventRef& event)
{
    if (!target || !isLive(target))
        return eventNotHandledErr;
    // A handler may remove handlers or the whole target (a window closing
    // itself); the copy keeps this walk on what was installed when it began.
    const auto handlers = target->handlers;
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (!wants(**it, event))
            continue;
        const OSStatus status = (*it)->proc(nullptr, &event, (*it)->userData);
        if (status != eventNotHandledErr)
            return status;
    }
    return eventNotHandledErr;
}

} // namespace

UInt32 GetEventClass(EventRef event)
{
    return event ? event->eventClass : 0;
}
UInt32 GetEventKind(EventRef event)
{
    return event ? event->kind : 0;
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* actualType, ByteCount bufferSize, ByteCount* actualSize,
                           void* outData)
{
    if (!event || !outData)
        return paramErr;
    if (event->eventClass != kEventClassCommand || name != kEventParamDirectObject)
        return eventParameterNotFoundErr;
    if (desiredType != typeHICommand || bufferSize < sizeof(HICommand))
        return errAEWrongDataType;
    std::memcpy(outData, &event->command, sizeof(HICommand));
    if (actualType)
        *actualType = typeHICommand;
    if (actualSize)
        *actualSize = sizeof(HICommand);
    return noErr;
}

EventTargetRef GetApplicationEventTarget()
{
    return platform::EventTargetFor(nullptr);
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef)
{
    if (outRef)
        *outRef = nullptr;
    if (!target || !handler || numTypes == 0 || !list || !isLive(target))
        return paramErr;
    auto entry = std::make_shared<OpaqueEventHandlerRef>(
        OpaqueEventHandlerRef{target, handler, {list, list + numTypes}, userData});
    target->handlers.push_back(entry);
    if (outRef)
        *outRef = entry.get();
    return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler)
{
    for (const auto& [owner, target] : targets()) {
        auto& list = target->handlers;
        auto found = std::find_if(list.begin(), list.end(),
                                  [&](const auto& entry) { return entry.get() == handler; });
        if (found != list.end()) {
            list.erase(found);
            return noErr;
        }
    }
    return paramErr;
}

OSStatus ProcessHICommand(const HICommand* command)
{
    if (!command)
        return paramErr;
    return platform::SendCommand(command->commandID, nullptr);
}

EventTargetRef platform::EventTargetFor(const void* owner)
{
    auto& table = targets();
    auto found = table.find(owner);
    if (found != table.end())
        return found->second;
    auto* target = new OpaqueEventTargetRef;
    table[owner] = target;
    return target;
}

void platform::ForgetEventTarget(const void* owner)
{
    if (!owner)
        return;
    auto& table = targets();
    auto found = table.find(owner);
    if (found == table.end())
        return;
    delete found->second;
    table.erase(found);
}

OSStatus platform::SendCommand(UInt32 commandID, EventTargetRef window)
{
    OpaqueEventRef event{kEventClassCommand, kEventCommandProcess, HICommand{0, commandID, {}}};
    OSStatus status = eventNotHandledErr;
    if (window && window != GetApplicationEventTarget())
        status = offer(window, event);
    if (status == eventNotHandledErr)
        status = offer(GetApplicationEventTarget(), event);
    // The standard handling of an unhandled quit: the event loop ends.
    if (status == eventNotHandledErr && commandID == kHICommandQuit)
        QuitApplicationEventLoop();
    return status;
}

UInt32 platform::CommandIDFromText(const QByteArray& text)
{
    if (text.size() != 4)
        return 0;
    return (UInt32(UInt8(text[0])) << 24) | (UInt32(UInt8(text[1])) << 16) |
           (UInt32(UInt8(text[2])) << 8) | UInt32(UInt8(text[3]));
}
