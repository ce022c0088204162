// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPushButton;

// Stands in for content that cannot be shown: a large symbol, a title, a line saying why, and
// optionally one button that helps.
class UnavailableView : public QWidget
{
    Q_OBJECT

public:
    UnavailableView(const QString &symbol, const QString &title, const QString &description = {},
                    QWidget *parent = nullptr);

    QString title() const { return m_title; }
    // Adds the one button under the description.
    QPushButton *addAction(const QString &text);

private:
    QString m_title;
};
