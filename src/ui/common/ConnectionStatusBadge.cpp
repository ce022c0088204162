#include "ConnectionStatusBadge.h"

#include "UiStyle.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int dotSize = 7;
constexpr int dotGap = 5;

} // namespace

ConnectionStatusBadge::ConnectionStatusBadge(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text());
}

void ConnectionStatusBadge::setStatus(ConnectionStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString ConnectionStatusBadge::text() const
{
    return UiStyle::statusLabel(m_status);
}

QSize ConnectionStatusBadge::sizeHint() const
{
    const QFontMetrics metrics(labelFont());
    return {dotSize + dotGap + metrics.horizontalAdvance(text()) + 1, std::max(metrics.height(), dotSize)};
}

void ConnectionStatusBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot(0, (height() - dotSize) / 2.0, dotSize, dotSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(UiStyle::statusColour(m_status, palette()));
    painter.drawEllipse(dot);

    painter.setFont(labelFont());
    painter.setPen(UiStyle::secondary(palette()));
    const QRect label = rect().adjusted(dotSize + dotGap, 0, 0, 0);
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text());
}

void ConnectionStatusBadge::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

QFont ConnectionStatusBadge::labelFont() const
{
    return UiStyle::font(font(), UiStyle::Text::Caption);
}
