// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// Where the welcome flow stands: one small dot a step, the current one in the accent colour.
// Screen readers hear "Step N of M".
class StepDots : public QWidget
{
    Q_OBJECT
public:
    static constexpr int dotSize = 7;

    explicit StepDots(QWidget *parent = nullptr);

    // `step` counts from 0; a step outside 0…count−1 lights no dot.
    void setStep(int step, int count);
    int step() const { return m_step; }
    int count() const { return m_count; }
    // "Step 2 of 4".
    static QString label(int step, int count);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_step = 0;
    int m_count = 0;
};
