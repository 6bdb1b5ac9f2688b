// SPDX-License-Identifier: GPL-3.0-or-later
// The status display's globals and its text operations.
#include "app/shell/StatusDisplay.h"

#include "platform/events/EventLoop.h"
#include "platform/text/TextEncoding.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <vector>

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

// The messages the batch writes, in the English it writes them in: the
// window shows them in the user's language, while the observer (and so the
// command line's output, which scripts read) keeps the English.
constexpr const char* kMessageContext = "StatusDisplay";
const char* const kMessageForms[] = {
    kIdleText,
    QT_TRANSLATE_NOOP("StatusDisplay", "File: %1"),
    QT_TRANSLATE_NOOP("StatusDisplay", "(%1 of %2)"),
    QT_TRANSLATE_NOOP("StatusDisplay", "Bye."),
};

struct MessageForm {
    const char* english;
    QRegularExpression matcher; // the English with its pieces captured
};

const std::vector<MessageForm>& messageForms()
{
    static const std::vector<MessageForm> forms = [] {
        std::vector<MessageForm> made;
        for (const char* form : kMessageForms) {
            QString pattern = QRegularExpression::escape(QString::fromUtf8(form));
            pattern.replace(QRegularExpression(QStringLiteral(R"(\\%\d)")), QStringLiteral("(.*)"));
            made.push_back(
                {form, QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                                          QRegularExpression::DotMatchesEverythingOption)});
        }
        return made;
    }();
    return forms;
}

// The message in the user's language: the form it was written from,
// translated, with the same pieces filled in. A message of no known form
// shows as written.
QString shownText(const QString& written)
{
    for (const MessageForm& form : messageForms()) {
        const QRegularExpressionMatch match = form.matcher.match(written);
        if (!match.hasMatch())
            continue;
        const QString translated = QCoreApplication::translate(kMessageContext, form.english);
        const QStringList pieces = match.capturedTexts().mid(1);
        if (pieces.size() == 2)
            return translated.arg(pieces[0], pieces[1]);
        return pieces.size() == 1 ? translated.arg(pieces[0]) : translated;
    }
    return written;
}

} // namespace

void SetMessageObserver(MessageObserver observer)
{
    gObserver = std::move(observer);
}

void print_message(const char* text, int line)
{
    unsigned char pascal[256];
    CopyCStringToPascal(text ? text : "", pascal);
    const QString written = MacRomanToUnicode(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
    const QString shown = shownText(written);
    ControlRef control = line == 1 ? gMessage : line == 2 ? gSmallMessage : nullptr;
    // In English the text goes to the control as written; a translation
    // may hold characters Mac Roman has not.
    if (control && shown == written)
        SetStaticTextText(control, pascal, true);
    else if (control)
        SetStaticTextAsCFString(control, shown, true);
    if (gObserver && (line == 1 || line == 2))
        gObserver(line, written);
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
