// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/common/ConnectionRowState.h"
#include "ui/common/RowAction.h"

#include <QUrl>
#include <QWidget>

class ConnectionRowWidget;
class OnboardingView;
class QCheckBox;
class QLabel;

// The second step of the welcome flow: GitHub's row with the one control that connects it, and
// whether the starting pages show GitHub (only once GitHub can be read).
class GitHubStep : public QWidget
{
    Q_OBJECT
public:
    explicit GitHubStep(OnboardingView &view, QWidget *parent = nullptr);

    ConnectionRowWidget *row() const { return m_row; }
    QCheckBox *showGitHub() const { return m_showGitHub; }
    // "Not using GitHub? …", shown while GitHub cannot be read.
    QLabel *hint() const { return m_hint; }

private:
    void applyState();
    void updateRow();
    QWidget *makeAction(const RowAction::Key &key);

    OnboardingView &m_view;
    ConnectionRowWidget *m_row = nullptr;
    RowAction::Key m_actionKey;
    QCheckBox *m_showGitHub = nullptr;
    QLabel *m_hint = nullptr;
};
