// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class ConnectionsPanel;
class QLabel;

// One section of the connections window: a header above a panel of rows and an optional footer
// under it, like a group of a grouped settings form.
class ConnectionsSection : public QWidget
{
    Q_OBJECT
public:
    // An empty header or footer is left out.
    ConnectionsSection(const QString &header, const QString &footer, QWidget *parent = nullptr);

    void addRow(QWidget *row);
    void setSeparatorIndent(int indent);

    QString header() const;
    QString footer() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyStyle();

    QLabel *m_header = nullptr;
    ConnectionsPanel *m_panel = nullptr;
    QLabel *m_footer = nullptr;
};
