// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/ConnectionStatus.h"

#include <QPointer>
#include <QWidget>

class ConnectionMark;
class ConnectionStatusBadge;
class QHBoxLayout;
class QLabel;

// One row of the connections window: the mark, the title with the status dot and label beside
// it, the detail line under them, and the row's own controls at the trailing end.
class ConnectionRowWidget : public QWidget
{
    Q_OBJECT
public:
    // Takes ownership of `mark`.
    ConnectionRowWidget(ConnectionMark *mark, const QString &title, QWidget *parent = nullptr);

    void setStatus(ConnectionStatus status);
    void setDetail(const QString &detail);
    // Puts `action` at the row's end in place of the one there, which is deleted; null leaves
    // the end empty.
    void setAction(QWidget *action);

    // What a screen reader calls a button of the row titled `rowTitle`: "Check Again, Codex".
    static QString buttonName(const QString &buttonText, const QString &rowTitle);

    QString title() const;
    ConnectionStatus status() const;
    // The status label as shown beside the title.
    QString statusText() const;
    QString detail() const;
    QWidget *action() const { return m_action; }
    ConnectionMark *mark() const { return m_mark; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *textColumn(const QString &title);
    void nameButtonsAfterRow(QWidget &action) const;
    void applyFonts();

    ConnectionMark *m_mark = nullptr;
    QLabel *m_title = nullptr;
    ConnectionStatusBadge *m_badge = nullptr;
    QLabel *m_detail = nullptr;
    QString m_detailText; // as given; the label shows it with quoted commands kept whole
    QHBoxLayout *m_actionSlot = nullptr;
    QPointer<QWidget> m_action;
};
