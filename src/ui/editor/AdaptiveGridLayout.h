// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLayout>
#include <QList>

// Lays its items out in as many equal columns as fit at a minimum column width, row after row,
// every row as tall as its tallest item: the grid the inspector shows the layouts in.
class AdaptiveGridLayout : public QLayout
{
    Q_OBJECT

public:
    AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget *parent = nullptr);
    ~AdaptiveGridLayout() override;

    // How many columns fit in `width`; at least one.
    int columnCount(int width) const;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items in `rect` when `apply` is true; returns the height used.
    int arrange(const QRect &rect, bool apply) const;
    int rowHeight(int firstItem, int columns) const;

    QList<QLayoutItem *> m_items;
    int m_minimumColumnWidth;
    int m_gap;
};
