#include "ConnectionsPanel.h"

#include "UiStyle.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 6;
constexpr int rowSpacing = 8;
constexpr qreal cornerRadius = 9;

} // namespace

ConnectionsPanel::ConnectionsPanel(QWidget *parent)
    : QWidget(parent)
    , m_separatorIndent(horizontalPadding)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding, verticalPadding);
    m_layout->setSpacing(rowSpacing);
}

void ConnectionsPanel::addRow(QWidget *row)
{
    m_layout->addWidget(row);
    m_rows.append(row);
    update();
}

void ConnectionsPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(UiStyle::separator(palette()), 1));
    painter.setBrush(UiStyle::formPanel(palette()));
    painter.drawRoundedRect(frame, cornerRadius, cornerRadius);

    // A line halfway between each visible row and the visible row before it.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QWidget *previous = nullptr;
    for (const QWidget *row : m_rows) {
        if (row->isHidden())
            continue;
        if (previous) {
            const int y = (previous->geometry().bottom() + row->geometry().top() + 1) / 2;
            painter.drawLine(m_separatorIndent, y, width() - horizontalPadding, y);
        }
        previous = row;
    }
}
