// SPDX-License-Identifier: GPL-3.0-or-later
#include "TickBox.h"

#include "ui/common/UiStyle.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace {

// Room around the box for the ring.
constexpr int ringRoom = 3;
constexpr qreal ringWidth = 2;

} // namespace

TickBox::TickBox(QWidget *parent)
    : QCheckBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

QSize TickBox::sizeHint() const
{
    const QSize box = QCheckBox::sizeHint();
    return box + QSize(2 * ringRoom, 2 * ringRoom);
}

void TickBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The box in the middle, with room for the ring around it.
    option.rect = rect().adjusted(ringRoom, ringRoom, -ringRoom, -ringRoom);
    option.state &= ~QStyle::State_HasFocus;
    style()->drawControl(QStyle::CE_CheckBox, &option, &painter, this);
    if (!hasFocus())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    painter.setPen(QPen(UiStyle::focusRing(palette()), ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal out = ringRoom - ringWidth / 2;
    painter.drawRoundedRect(QRectF(box).adjusted(-out, -out, out, out), 4, 4);
}

bool TickBox::hitButton(const QPoint &position) const
{
    return rect().contains(position);
}
