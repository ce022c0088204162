// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// Tessarine's small decorative mark on the first step of the welcome flow: three squares as
// tall as the mark, a fifth of that apart, in the text colour at rising strength.
class WelcomeMark : public QWidget
{
    Q_OBJECT
public:
    static constexpr int height = 30;

    explicit WelcomeMark(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
