// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

class QVBoxLayout;

// The rounded panel that holds the rows of one section of the connections window, with a thin
// line between rows that starts where the rows' text starts.
class ConnectionsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ConnectionsPanel(QWidget *parent = nullptr);

    void addRow(QWidget *row);
    // Where the separator lines start, measured from the panel's left edge.
    void setSeparatorIndent(int indent) { m_separatorIndent = indent; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_layout = nullptr;
    QList<QWidget *> m_rows;
    int m_separatorIndent = 0;
};
