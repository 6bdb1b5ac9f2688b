// SPDX-License-Identifier: GPL-3.0-or-later
// Controls over widgets, found by the properties the interface files give them.
#include "platform/ui/Controls.h"

#include "platform/text/TextEncoding.h"
#include "platform/ui/Windows.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstring>

namespace
{

constexpr char kMinimumProperty[] = "tessalyControlMinimum";
constexpr char kMaximumProperty[] = "tessalyControlMaximum";

QComboBox* popupOf(MenuRef menu)
{
    // A popup's MenuRef is the popup itself (GetControlData, "mhan").
    return qobject_cast<QComboBox*>(reinterpret_cast<QObject*>(menu));
}

// Controls live on the UI thread only, so one count serves them all.
int gProgramChanges = 0;

class ProgramChange
{
public:
    ProgramChange() { ++gProgramChanges; }
    ~ProgramChange() { --gProgramChanges; }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;
};

SInt16 storedLimit(const QWidget* control, const char* name, SInt16 fallback)
{
    const QVariant value = control->property(name);
    return value.isValid() ? SInt16(value.toInt()) : fallback;
}

} // namespace

bool platform::ControlIDOf(const QWidget* widget, ControlID* id)
{
    const QVariant signature = widget->property("controlSignature");
    const QVariant number = widget->property("controlID");
    if (!signature.isValid() || !number.isValid())
        return false;
    id->signature = CommandIDFromText(signature.toString().toLatin1());
    id->id = SInt32(number.toInt());
    return true;
}

bool platform::ControlChangedByProgram()
{
    return gProgramChanges > 0;
}

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl)
{
    if (outControl)
        *outControl = nullptr;
    if (!window || !id || !outControl)
        return paramErr;
    const auto widgets = window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        ControlID found{};
        if (platform::ControlIDOf(widget, &found) && found.signature == id->signature &&
            found.id == id->id) {
            *outControl = widget;
            return noErr;
        }
    }
    return errUnknownControl;
}

void ShowControl(ControlRef control)
{
    if (control)
        control->setVisible(true);
}

void HideControl(ControlRef control)
{
    if (control)
        control->setVisible(false);
}

OSErr EnableControl(ControlRef control)
{
    if (!control)
        return paramErr;
    control->setEnabled(true);
    return noErr;
}

OSErr DisableControl(ControlRef control)
{
    if (!control)
        return paramErr;
    control->setEnabled(false);
    return noErr;
}

void SetControlValue(ControlRef control, SInt16 value)
{
    const ProgramChange change;
    if (auto* bar = qobject_cast<QProgressBar*>(control)) {
        bar->setValue(value);
    } else if (auto* popup = qobject_cast<QComboBox*>(control)) {
        const int lowest = std::max<int>(storedLimit(popup, kMinimumProperty, 0), 0);
        const int highest = std::min<int>(storedLimit(popup, kMaximumProperty, 0), popup->count());
        const int clamped = std::clamp<int>(value, lowest, std::max(lowest, highest));
        popup->setCurrentIndex(clamped - 1);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setChecked(value != 0);
    }
}

SInt16 GetControlValue(ControlRef control)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        return SInt16(bar->value());
    if (auto* popup = qobject_cast<QComboBox*>(control))
        return SInt16(popup->currentIndex() + 1);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->isChecked() ? 1 : 0;
    return 0;
}

void SetControlMinimum(ControlRef control, SInt16 value)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        bar->setMinimum(value);
    else if (control)
        control->setProperty(kMinimumProperty, int(value));
}

void SetControlMaximum(ControlRef control, SInt16 value)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        bar->setMaximum(value);
    else if (control)
        control->setProperty(kMaximumProperty, int(value));
}

SInt16 GetControlMinimum(ControlRef control)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        return SInt16(bar->minimum());
    return control ? storedLimit(control, kMinimumProperty, 0) : 0;
}

SInt16 GetControlMaximum(ControlRef control)
{
    if (auto* bar = qobject_cast<QProgressBar*>(control))
        return SInt16(bar->maximum());
    return control ? storedLimit(control, kMaximumProperty, 0) : 0;
}

OSErr SetControlData(ControlRef control, ControlPartCode, ResType tag, Size size, const void* data)
{
    if (!control)
        return paramErr;
    auto* label = qobject_cast<QLabel*>(control);
    if (!label || size < 0 || (size > 0 && !data))
        return errDataNotSupported;
    switch (tag) {
    case kControlStaticTextTextTag:
        label->setText(MacRomanToUnicode(static_cast<const char*>(data), qsizetype(size)));
        return noErr;
    case kControlStaticTextCFStringTag:
        if (size != Size(sizeof(const CFStringRef*)))
            return paramErr;
        label->setText(**static_cast<const CFStringRef* const*>(data));
        return noErr;
    default:
        return errDataNotSupported;
    }
}

OSErr GetControlData(ControlRef control, ControlPartCode, ResType tag, Size bufferSize,
                     void* buffer, Size* actualSize)
{
    if (!control || !buffer)
        return paramErr;
    auto* popup = qobject_cast<QComboBox*>(control);
    if (tag != kControlPopupButtonMenuRefTag || !popup)
        return errDataNotSupported;
    if (bufferSize < Size(sizeof(MenuRef)))
        return paramErr;
    const MenuRef menu = reinterpret_cast<MenuRef>(static_cast<QObject*>(popup));
    std::memcpy(buffer, &menu, sizeof menu);
    if (actualSize)
        *actualSize = sizeof menu;
    return noErr;
}

void Draw1Control(ControlRef control)
{
    if (control && control->isVisible())
        control->repaint();
}

UInt16 CountMenuItems(MenuRef menu)
{
    QComboBox* popup = popupOf(menu);
    return popup ? UInt16(popup->count()) : 0;
}

OSStatus DeleteMenuItems(MenuRef menu, MenuItemIndex firstItem, ItemCount numItems)
{
    QComboBox* popup = popupOf(menu);
    if (!popup || firstItem < 1)
        return paramErr;
    const ProgramChange change;
    for (ItemCount n = 0; n < numItems && firstItem - 1 < popup->count(); ++n)
        popup->removeItem(firstItem - 1);
    return noErr;
}

OSStatus InsertMenuItemTextWithCFString(MenuRef menu, const CFStringRef& text,
                                        MenuItemIndex afterItem, MenuItemAttributes,
                                        MenuCommand commandID)
{
    QComboBox* popup = popupOf(menu);
    if (!popup || afterItem > popup->count())
        return paramErr;
    const ProgramChange change;
    popup->insertItem(afterItem, text, QVariant::fromValue(quint32(commandID)));
    return noErr;
}

QString MenuItemText(MenuRef menu, MenuItemIndex item)
{
    QComboBox* popup = popupOf(menu);
    if (!popup || item < 1 || item > popup->count())
        return {};
    return popup->itemText(item - 1);
}

void EnableMenuCommand(MenuRef menu, MenuCommand commandID)
{
    if (menu)
        return; // popup items are offered one by one (EnableMenuItem)
    for (QAction* action : platform::MenuBarActions()) {
        if (platform::CommandIDFromText(action->property("commandID").toString().toLatin1()) ==
            commandID)
            action->setEnabled(true);
    }
}

namespace
{

QStandardItem* menuItem(MenuRef menu, MenuItemIndex item)
{
    QComboBox* popup = popupOf(menu);
    auto* model = popup ? qobject_cast<QStandardItemModel*>(popup->model()) : nullptr;
    return model && item >= 1 ? model->item(item - 1) : nullptr;
}

} // namespace

void EnableMenuItem(MenuRef menu, MenuItemIndex item)
{
    if (QStandardItem* entry = menuItem(menu, item))
        entry->setEnabled(true);
}

void DisableMenuItem(MenuRef menu, MenuItemIndex item)
{
    if (QStandardItem* entry = menuItem(menu, item))
        entry->setEnabled(false);
}

bool IsMenuItemEnabled(MenuRef menu, MenuItemIndex item)
{
    const QStandardItem* entry = menuItem(menu, item);
    return entry && entry->isEnabled();
}
