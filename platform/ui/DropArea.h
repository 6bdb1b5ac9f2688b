// SPDX-License-Identifier: GPL-3.0-or-later
// The widget class "DropArea" of interface files: a rounded, dashed frame
// with the application's icon drawn large above the controls the interface
// file lays out inside it, so that a window shows at a glance where files
// go. It is the drag highlight of its window: while an acceptable drag is
// over the window (ShowDragHilite), the highlight colour fills the frame.
// Every colour comes from the palette, so the area follows the desktop's
// light or dark scheme.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace platform
{

class DropArea : public QWidget
{
    Q_OBJECT

public:
    // The icon's size in logical pixels; it is rendered at the device pixel
    // ratio of the screen the window is on.
    static constexpr int kIconSize = 80;

    explicit DropArea(QWidget* parent = nullptr);

    bool isHilited() const { return m_hilited; }
    void setHilited(bool hilited);

    // The application's icon as drawn now: kIconSize logical pixels at the
    // widget's device pixel ratio; null when the application has no icon.
    QPixmap iconPixmap() const;
    // Where the icon is drawn, in the widget's coordinates; empty without one.
    QRect iconRect() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF frameRect() const;

    const QString m_iconFile;
    mutable QPixmap m_icon;
    mutable qreal m_iconRatio = 0;
    bool m_hilited = false;
};

} // namespace platform
