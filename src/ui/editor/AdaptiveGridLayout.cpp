// SPDX-License-Identifier: GPL-3.0-or-later
#include "AdaptiveGridLayout.h"

#include <algorithm>

AdaptiveGridLayout::AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget *parent)
    : QLayout(parent)
    , m_minimumColumnWidth(minimumColumnWidth)
    , m_gap(spacing)
{}

AdaptiveGridLayout::~AdaptiveGridLayout()
{
    qDeleteAll(m_items);
}

int AdaptiveGridLayout::columnCount(int width) const
{
    return std::max(1, (width + m_gap) / (m_minimumColumnWidth + m_gap));
}

void AdaptiveGridLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int AdaptiveGridLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *AdaptiveGridLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *AdaptiveGridLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

QSize AdaptiveGridLayout::sizeHint() const
{
    const int width = 2 * m_minimumColumnWidth + m_gap;
    return QSize(width, heightForWidth(width));
}

QSize AdaptiveGridLayout::minimumSize() const
{
    const QMargins margins = contentsMargins();
    return QSize(m_minimumColumnWidth + margins.left() + margins.right(), 0);
}

bool AdaptiveGridLayout::hasHeightForWidth() const
{
    return true;
}

int AdaptiveGridLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

void AdaptiveGridLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int AdaptiveGridLayout::rowHeight(int firstItem, int columns) const
{
    int height = 0;
    for (int i = firstItem; i < std::min(firstItem + columns, count()); ++i)
        height = std::max(height, m_items.at(i)->sizeHint().height());
    return height;
}

int AdaptiveGridLayout::arrange(const QRect &rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int columns = columnCount(area.width());
    const double columnWidth = (area.width() - m_gap * (columns - 1)) / double(columns);
    int y = area.top();
    for (int first = 0; first < count(); first += columns) {
        const int height = rowHeight(first, columns);
        for (int i = first; apply && i < std::min(first + columns, count()); ++i) {
            const int column = i - first;
            const int x = area.left() + qRound(column * (columnWidth + m_gap));
            m_items.at(i)->setGeometry(QRect(x, y, qRound(columnWidth), height));
        }
        y += height + m_gap;
    }
    if (count() > 0)
        y -= m_gap;
    const QMargins margins = contentsMargins();
    return y - area.top() + margins.top() + margins.bottom();
}
