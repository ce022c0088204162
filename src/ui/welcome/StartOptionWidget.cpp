// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartOptionWidget.h"

#include "StepWidgets.h"
#include "ui/common/AccessibleRole.h"
#include "ui/common/UiStyle.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

using UiStyle::Text;

namespace {

constexpr int padding = 14;
constexpr int markSize = 18;
constexpr qreal cornerRadius = 9;

} // namespace

// The radio mark: a ring, filled in the accent colour with a white centre when selected.
class StartOptionWidget::RadioMark : public QWidget
{
public:
    explicit RadioMark(StartOptionWidget *option)
        : QWidget(option)
        , m_option(option)
    {
        setFixedSize(markSize, markSize);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF ring = QRectF(rect()).adjusted(1, 1, -1, -1);
        if (m_option->isSelected()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(UiStyle::tint(palette()));
            painter.drawEllipse(ring);
            painter.setBrush(Qt::white);
            const qreal inner = ring.width() * 0.36;
            painter.drawEllipse(ring.center(), inner / 2, inner / 2);
            return;
        }
        painter.setPen(QPen(UiStyle::secondary(palette()), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(ring.adjusted(0.5, 0.5, -0.5, -0.5));
    }

private:
    StartOptionWidget *m_option;
};

StartOptionWidget::StartOptionWidget(StartPages::Start start, QWidget *parent)
    : QWidget(parent)
    , m_start(start)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    AccessibleRole::set(this, QAccessible::RadioButton);
    AccessibleRole::setChecked(this, false);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(padding, padding - 2, padding, padding - 2);
    layout->setSpacing(12);
    m_mark = new RadioMark(this);
    layout->addWidget(m_mark, 0, Qt::AlignTop);

    auto *text = new QVBoxLayout();
    text->setSpacing(3);
    m_title = StepWidgets::label(QString(), Text::Headline, this, false, false);
    m_detail = StepWidgets::label(QString(), Text::Callout, this, true);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    layout->addLayout(text, 1);

    m_count = StepWidgets::label(QString(), Text::Caption, this, true, false);
    layout->addWidget(m_count, 0, Qt::AlignTop);
    for (QWidget *child :
         {static_cast<QWidget *>(m_title), static_cast<QWidget *>(m_detail), static_cast<QWidget *>(m_count)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StartOptionWidget::setOption(const StartPages::StartOption &option)
{
    m_title->setText(option.title);
    m_detail->setText(option.detail);
    m_count->setText(option.count ? StartPages::countText(*option.count) : QString());
    m_count->setVisible(option.count.has_value());
    setAccessibleName(option.title);
    setAccessibleDescription(option.detail);
}

void StartOptionWidget::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    AccessibleRole::setChecked(this, selected);
    update();
    m_mark->update();
}

QString StartOptionWidget::title() const
{
    return m_title->text();
}

QString StartOptionWidget::detail() const
{
    return m_detail->text();
}

QString StartOptionWidget::countText() const
{
    return m_count->text();
}

void StartOptionWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    QColor border = UiStyle::separator(palette());
    QColor fill = UiStyle::formPanel(palette());
    if (m_selected) {
        border = UiStyle::tint(palette());
        fill = UiStyle::isDark(palette()) ? QColor(30, 46, 70) : QColor(236, 244, 255);
    }
    painter.setPen(QPen(border, m_selected ? 1.5 : 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, cornerRadius, cornerRadius);
    // The focus ring shows on the chosen option too: focus and choice are not the same thing.
    if (hasFocus()) {
        painter.setPen(QPen(UiStyle::focusRing(palette()), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(3, 3, -3, -3), cornerRadius - 3, cornerRadius - 3);
    }
}

void StartOptionWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT chosen(m_start);
    QWidget::mouseReleaseEvent(event);
}

void StartOptionWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        Q_EMIT chosen(m_start);
        return;
    case Qt::Key_Up:
        Q_EMIT neighbourRequested(m_start, -1);
        return;
    case Qt::Key_Down:
        Q_EMIT neighbourRequested(m_start, +1);
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
