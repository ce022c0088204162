// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubStep.h"

#include "OnboardingView.h"
#include "StepHeader.h"
#include "StepWidgets.h"
#include "WelcomeRows.h"
#include "model/FrameModel.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/common/ConnectionMark.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/common/ConnectionsPanel.h"
#include "ui/common/GitHubCLIHelp.h"
#include "ui/common/GitHubDeviceCode.h"
#include "ui/common/RowAction.h"
#include "ui/common/UiStyle.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using Action = ConnectionRowState::Action;

GitHubStep::GitHubStep(OnboardingView &view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    auto *layout = StepWidgets::stepLayout(this);
    layout->addWidget(new StepHeader(QStringLiteral("Connect GitHub"),
                                     QStringLiteral("Your contribution calendar, streaks, pull requests and releases. "
                                                    "Tessarine asks for read-only access."),
                                     this));

    auto *panel = new ConnectionsPanel(this);
    m_row = new ConnectionRowWidget(ConnectionMark::logo(QStringLiteral("github")), QStringLiteral("GitHub"), panel);
    panel->addRow(m_row);
    layout->addWidget(panel);

    m_showGitHub = new QCheckBox(QStringLiteral("Show GitHub on my pages"), this);
    connect(m_showGitHub, &QCheckBox::toggled, &m_view, &OnboardingView::setUseGitHub);
    layout->addWidget(m_showGitHub);

    m_hint = StepWidgets::label(
        QStringLiteral("Not using GitHub? Continue, and Tessarine will build your pages from your other tools."),
        UiStyle::Text::Callout, this, true);
    layout->addWidget(m_hint);
    layout->addStretch(1);

    connect(&m_view, &OnboardingView::gitHubChanged, this, &GitHubStep::applyState);
    connect(&m_view, &OnboardingView::useGitHubChanged, this, &GitHubStep::applyState);
    connect(&m_view.state(), &ConnectionsState::toolsChanged, this, &GitHubStep::applyState);
    connect(&m_view.state(), &ConnectionsState::isCheckingChanged, this, &GitHubStep::applyState);
    applyState();
}

void GitHubStep::applyState()
{
    updateRow();
    const bool ready = m_view.githubReady();
    m_showGitHub->setChecked(m_view.useGitHub());
    m_showGitHub->setEnabled(ready);
    m_hint->setVisible(!ready);
    if (auto *help = qobject_cast<GitHubCLIHelp *>(m_row->action()))
        help->setCheckEnabled(!m_view.state().isChecking());
}

void GitHubStep::updateRow()
{
    const GitHubAuthState signIn = m_view.model().github().state();
    const ConnectionsState &state = m_view.state();
    const ConnectionRowState row =
        WelcomeRows::gitHub(ConnectionRows::GitHubSignIn::from(signIn), state.ghLogin(),
                            GitHubAuth::clientID().has_value(), state.hasTool(QStringLiteral("gh")));
    m_row->setStatus(row.status);
    m_row->setDetail(row.detail);

    RowAction::Key key{row.action, QString(), QUrl()};
    if (row.action == Action::deviceCode) {
        key.code = signIn.code();
        key.url = signIn.url();
    }
    if (key == m_actionKey && (m_row->action() || key.action == Action::none))
        return;
    m_actionKey = key;
    m_row->setAction(makeAction(key));
}

QWidget *GitHubStep::makeAction(const RowAction::Key &key)
{
    RowAction::Handlers handlers;
    FrameModel *model = &m_view.model();
    // The state tells how the sign-in goes; nobody needs to wait for the task itself.
    handlers.signIn = [model] { model->github().signIn(); };
    OnboardingView *view = &m_view;
    handlers.checkAgain = [view] { view->state().check(view->model().screensDir()); };
    handlers.dressCode = [this](GitHubDeviceCode &code) {
        QFont codeFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        codeFont.setPointSizeF(UiStyle::font(font(), UiStyle::Text::Title2).pointSizeF());
        codeFont.setWeight(QFont::DemiBold);
        code.setCodeFont(codeFont);
    };
    return RowAction::make(key, handlers);
}
