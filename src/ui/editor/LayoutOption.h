// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Layout.h"

#include <QAbstractButton>

// One layout in the page inspector's grid: a small preview of its columns and its title under
// it, tinted when it is the page's layout. Pressing it chooses the layout; whether it is the
// current one is set from outside, never by the press itself.
class LayoutOption : public QAbstractButton
{
    Q_OBJECT

public:
    explicit LayoutOption(const Layout &layout, QWidget *parent = nullptr);

    const Layout &layout() const { return m_layout; }
    bool isCurrent() const { return isChecked(); }
    void setCurrent(bool current) { setChecked(current); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;

private:
    QRectF previewRect() const;

    const Layout m_layout;
};
