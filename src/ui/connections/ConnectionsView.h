// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/common/ConnectionRowState.h"
#include "ui/common/RowAction.h"

#include <QHash>
#include <QUrl>
#include <QWidget>

class ConnectionRowWidget;
class ConnectionsSection;
class ConnectionsState;
class FrameModel;
class QAction;
class QLabel;
class QToolBar;

// The content of the connections window: every source Tessarine reads, one row each, with
// whether it works, why not, and the one control that fixes it (sign in to GitHub, set up Claude
// Code's status line, allow calendar access). Every row is recomputed from the connections
// state, GitHub's sign-in state, the calendar access and the model whenever one of them changes;
// the view keeps nothing else. Each time it is shown it checks the computer again.
class ConnectionsView : public QWidget
{
    Q_OBJECT
public:
    // The rows by name, in the order the window shows them.
    static const QStringList rowNames; // github, claude, codex, grok, gemini, wispr, calendar

    explicit ConnectionsView(FrameModel &model, QWidget *parent = nullptr);
    ~ConnectionsView() override;

    FrameModel &model() const { return m_model; }
    ConnectionsState &state() const { return *m_state; }

    // What "Check Again" does: the Claude set-up and the last refresh's providers are read
    // again, and the tools are looked for unless a search is running.
    void check();

    ConnectionRowWidget *row(const QString &name) const { return m_rows.value(name); }
    QAction *checkAgainAction() const { return m_checkAgain; }
    // The problem line of the last failed Claude set-up or removal; empty while there is none.
    QString problemText() const;
    bool isProblemShown() const;

    // 640 × 700 at a 10 pt font; wider in step with a larger font, and tall enough to show every
    // section without scrolling at that width.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QToolBar *makeToolbar();
    QWidget *makeForm();
    ConnectionsSection *accountsSection();
    ConnectionsSection *thisComputerSection();
    ConnectionsSection *yourDaySection();
    ConnectionsSection *problemSection();
    ConnectionRowWidget *addRow(ConnectionsSection *section, const QString &name, const QString &title,
                                const QString &logo, const QString &symbol = QString());
    void observe();
    void applyBackground();

    void updateRows();
    void updateGitHubRow();
    void updateToolRows();
    void updateCalendarRow();
    void updateProblem();
    void updateChecking();
    void updateCheckButtons();
    void applyRow(ConnectionRowWidget *row, const ConnectionRowState &state, const RowAction::Key &key);

    RowAction::Handlers actionHandlers();

    void signIn();
    void signOut();
    void cancelSignIn();
    void setUpClaude();
    void removeClaude();
    void allowCalendar();
    void openPrivacySettings();

    FrameModel &m_model;
    ConnectionsState *m_state = nullptr;
    QAction *m_checkAgain = nullptr;
    QHash<QString, ConnectionRowWidget *> m_rows;
    QHash<ConnectionRowWidget *, RowAction::Key> m_actionKeys;
    ConnectionsSection *m_problemSection = nullptr;
    QLabel *m_problemIcon = nullptr;
    QLabel *m_problemText = nullptr;
    QToolBar *m_toolbar = nullptr;
    QWidget *m_toolbarLine = nullptr;
    QWidget *m_form = nullptr;
};
