// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/ConnectionStatus.h"

#include <QWidget>

// A row's status as a small filled dot in the status colour followed by its label in caption
// size, such as "● Connected".
class ConnectionStatusBadge : public QWidget
{
    Q_OBJECT
public:
    explicit ConnectionStatusBadge(QWidget *parent = nullptr);

    void setStatus(ConnectionStatus status);
    ConnectionStatus status() const { return m_status; }
    // The label as shown.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QFont labelFont() const;

    ConnectionStatus m_status = ConnectionStatus::notFound;
};
