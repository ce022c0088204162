// SPDX-License-Identifier: GPL-3.0-or-later
#include "FailureMark.h"

#include "CardStyle.h"
#include "FrameView.h"
#include "model/FrameModel.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace {

// Amber rather than red: the card still shows good pictures, only older ones.
const QColor markColour(0xd9, 0x8e, 0x04);

} // namespace

FailureMark::FailureMark(FrameModel &model, FrameView &card)
    : QWidget(&card)
    , m_model(model)
    , m_card(card)
{
    setAttribute(Qt::WA_TranslucentBackground);
    card.installEventFilter(this);
    for (auto changed : {&FrameModel::failureNoteChanged, &FrameModel::sizeChanged, &FrameModel::lookChanged})
        connect(&m_model, changed, this, &FailureMark::follow);
    follow();
}

QRectF FailureMark::placeFor(const QRectF &page, double inset)
{
    // Centred in the border below the page's right end, never smaller than can be seen.
    const double size = std::max(6.0, inset * 0.32);
    const QPointF centre(page.right() - inset * 0.25, page.bottom() + inset / 2);
    return QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size);
}

void FailureMark::follow()
{
    const QString note = m_model.failureNote();
    setToolTip(note);
    setAccessibleName(note);
    const QRectF page = m_card.pageRect();
    // A little room around the dot, so the pointer finds its tooltip.
    const QRectF dot = placeFor(page, CardStyle::inset(page.width()));
    setGeometry(dot.adjusted(-4, -4, 4, 4).toAlignedRect());
    setVisible(!note.isEmpty() && m_model.size() != FrameSize::FullScreen);
    update();
}

bool FailureMark::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_card && event->type() == QEvent::Resize)
        follow();
    return QWidget::eventFilter(watched, event);
}

void FailureMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(markColour);
    painter.drawEllipse(QRectF(rect()).adjusted(4, 4, -4, -4));
}
