// SPDX-License-Identifier: GPL-3.0-or-later
// The drop area's drawing: frame, fill and icon.
#include "platform/ui/DropArea.h"

#include "platform/ui/Bundle.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <QtMath>

namespace platform
{

namespace
{

constexpr qreal kBorderWidth = 2;
constexpr qreal kCornerRadius = 12;
constexpr int kIconGap = 10;
// Dash and gap, in border widths.
const QList<qreal> kDashes{3, 2};

// A border that shows on any background the palette gives the frame: part
// of the way from the background to the text.
QColor borderColour(const QPalette& colours)
{
    const QColor from = colours.color(QPalette::Base);
    const QColor to = colours.color(QPalette::WindowText);
    constexpr float kTowardsText = 0.4F;
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * kTowardsText,
                            from.greenF() + (to.greenF() - from.greenF()) * kTowardsText,
                            from.blueF() + (to.blueF() - from.blueF()) * kTowardsText);
}

// The icon is scalable: drawn from its SVG at the screen's pixel density it
// stays sharp at any scaling, where a scaled-up bitmap would blur.
QPixmap renderIcon(const QString& file, qreal ratio)
{
    QSvgRenderer svg(file);
    if (!svg.isValid())
        return {};
    const int side = qRound(DropArea::kIconSize * ratio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.setAspectRatioMode(Qt::KeepAspectRatio);
    svg.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    QPixmap icon = QPixmap::fromImage(std::move(image));
    icon.setDevicePixelRatio(ratio);
    return icon;
}

} // namespace

DropArea::DropArea(QWidget* parent) : QWidget(parent), m_iconFile(ApplicationIconFile())
{
    // The icon's room above the controls; the interface file's layout adds
    // its own margins inside the frame.
    const int border = qCeil(kBorderWidth);
    const int iconRoom = m_iconFile.isEmpty() ? 0 : kIconSize + kIconGap;
    setContentsMargins(border, border + iconRoom, border, border);
}

void DropArea::setHilited(bool hilited)
{
    if (hilited == m_hilited)
        return;
    m_hilited = hilited;
    // The texts inside stay readable on the highlight.
    QPalette textOnHighlight;
    if (hilited)
        textOnHighlight.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
    setPalette(textOnHighlight);
    update();
}

QPixmap DropArea::iconPixmap() const
{
    // Rendered again only when the window moves to a screen of another
    // pixel density.
    if (const qreal ratio = devicePixelRatioF(); ratio != m_iconRatio && !m_iconFile.isEmpty()) {
        m_icon = renderIcon(m_iconFile, ratio);
        m_iconRatio = ratio;
    }
    return m_icon;
}

QRect DropArea::iconRect() const
{
    if (m_iconFile.isEmpty())
        return {};
    // Right above the topmost control shown, so that the icon and the
    // texts stay one group wherever the layout puts them.
    int top = contentsRect().top();
    bool found = false;
    for (const QObject* child : children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (widget && !widget->isHidden() && (!found || widget->y() < top)) {
            top = widget->y();
            found = true;
        }
    }
    return QRect((width() - kIconSize) / 2, top - kIconGap - kIconSize, kIconSize, kIconSize);
}

QRectF DropArea::frameRect() const
{
    const qreal half = kBorderWidth / 2;
    return QRectF(rect()).adjusted(half, half, -half, -half);
}

bool DropArea::event(QEvent* event)
{
    // The layout has just moved the controls: the icon follows them.
    if (event->type() == QEvent::LayoutRequest)
        update();
    return QWidget::event(event);
}

void DropArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const QColor fill = colours.color(m_hilited ? QPalette::Highlight : QPalette::Base);
    QPen border(m_hilited ? fill : borderColour(colours), kBorderWidth);
    if (!m_hilited)
        border.setDashPattern(kDashes);
    painter.setPen(border);
    painter.setBrush(fill);
    painter.drawRoundedRect(frameRect(), kCornerRadius, kCornerRadius);
    if (const QPixmap icon = iconPixmap(); !icon.isNull())
        painter.drawPixmap(iconRect().topLeft(), icon);
}

} // namespace platform
