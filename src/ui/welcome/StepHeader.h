// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// The top of a step of the welcome flow: a title over a line of detail.
class StepHeader : public QWidget
{
    Q_OBJECT
public:
    StepHeader(const QString &title, const QString &detail, QWidget *parent = nullptr);

    QString title() const;
    QString detail() const;

private:
    QLabel *m_title = nullptr;
    QLabel *m_detail = nullptr;
};
