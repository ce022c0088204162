// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>

// A check box without a label of its own (its row's title names it). The desktop style draws a
// check box's focus around its label, so one without a label would show no focus at all: this
// one draws a ring around its box while it has keyboard focus.
class TickBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit TickBox(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;
};
