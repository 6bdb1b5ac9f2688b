// The status display's globals and its text operations.
#include "app/shell/StatusDisplay.h"

#include "platform/events/EventLoop.h"
#include "platform/text/TextEncoding.h"

WindowRef gWindow = nullptr;
ControlRef gMessage = nullptr;
ControlRef gSpin = nullptr;
ControlRef gEditButton = nullptr;
ControlRef gProgress = nullptr;
ControlRef gSmallMessage = nullptr;
ControlRef gStopButton = nullptr;

namespace
{
MessageObserver gObserver;
} // namespace

void SetMessageObserver(MessageObserver observer)
{
    gObserver = std::move(observer);
}

void print_message(const char* text, int line)
{
    unsigned char pascal[256];
    CopyCStringToPascal(text ? text : "", pascal);
    if (line == 1)
        SetStaticTextText(gMessage, pascal, true);
    else if (line == 2)
        SetStaticTextText(gSmallMessage, pascal, true);
    if (gObserver && (line == 1 || line == 2))
        gObserver(line, MacRomanToUnicode(reinterpret_cast<const char*>(pascal + 1), pascal[0]));
    EventRecord event;
    WaitNextEvent(0, &event, 0, nullptr);
}

OSErr SetStaticTextText(ControlRef control, const unsigned char* text, Boolean redraw)
{
    if (!control)
        return paramErr;
    if (OSErr err = SetControlData(control, kControlEntireControl, kControlStaticTextTextTag,
                                   text[0], text + 1);
        err != noErr)
        return err;
    if (redraw)
        Draw1Control(control);
    return noErr;
}

OSErr SetStaticTextAsCFString(ControlRef control, const CFStringRef& text, Boolean redraw)
{
    if (!control)
        return paramErr;
    const CFStringRef* reference = &text;
    if (OSErr err = SetControlData(control, kControlEntireControl, kControlStaticTextCFStringTag,
                                   sizeof reference, &reference);
        err != noErr)
        return err;
    if (redraw)
        Draw1Control(control);
    return noErr;
}
