// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WelcomeRows.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

// One AI tool on the welcome flow's tools step: a tick box (only for a tool that was found), the
// tool's logo, its title over a line of detail, and "Set Up" when Claude Code needs its status line.
class ToolRowWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int logoSize = 22;

    ToolRowWidget(const WelcomeRows::Tool &tool, QWidget *parent = nullptr);

    // Shows the tool as found now; the tick box follows `ticked`.
    void setTool(const WelcomeRows::Tool &tool, bool ticked);

    QString id() const { return m_id; }
    QCheckBox *checkBox() const { return m_check; }
    QString detail() const;
    // "Set Up", or null while the row offers none.
    QPushButton *setUpButton() const;

Q_SIGNALS:
    void tickChanged(const QString &id, bool ticked);
    void setUpRequested();

private:
    QString m_id;
    QCheckBox *m_check = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_detail = nullptr;
    QPushButton *m_setUp = nullptr;
};
