#include "StepDots.h"

#include "ui/common/UiStyle.h"

#include <QPainter>

namespace {

constexpr int dotGap = 7;

} // namespace

StepDots::StepDots(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StepDots::setStep(int step, int count)
{
    m_step = step;
    m_count = count;
    setAccessibleName(label(step, count));
    setToolTip(accessibleName());
    updateGeometry();
    update();
}

QString StepDots::label(int step, int count)
{
    return QStringLiteral("Step ") + QString::number(step + 1) + QStringLiteral(" of ") + QString::number(count);
}

QSize StepDots::sizeHint() const
{
    return {m_count > 0 ? m_count * dotSize + (m_count - 1) * dotGap : 0, dotSize};
}

void StepDots::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double top = (height() - dotSize) / 2.0;
    for (int index = 0; index < m_count; ++index) {
        painter.setBrush(index == m_step ? UiStyle::tint(palette()) : UiStyle::quaternary(palette()));
        painter.drawEllipse(QRectF(index * (dotSize + dotGap), top, dotSize, dotSize));
    }
}
