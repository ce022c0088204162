// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionsView.h"

#include "ConnectionsSection.h"
#include "kit/Provider.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/common/AccessibleRole.h"
#include "ui/common/CalendarPrivacyDialog.h"
#include "ui/common/ConnectionMark.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/common/ConnectionRows.h"
#include "ui/common/ConnectionSymbols.h"
#include "ui/common/GitHubCLIHelp.h"
#include "ui/common/GitHubDeviceCode.h"
#include "ui/common/RowAction.h"
#include "ui/common/UiStyle.h"

#include <QAction>
#include <QCoroTask>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

using Action = ConnectionRowState::Action;

constexpr int formMargin = 20;
constexpr int sectionSpacing = 22;
constexpr int problemIconSize = 16;
constexpr int toolbarIconSize = 16;
// Panel padding, mark and the gap after it: where a row's text starts.
constexpr int rowTextIndent = 14 + ConnectionMark::side + 12;

const QString githubRow = QStringLiteral("github");
const QString claudeRow = QStringLiteral("claude");
const QString calendarRow = QStringLiteral("calendar");
// One row a provider, named by its id, in the providers' order.
const QStringList toolRows = Provider::ids();

} // namespace

const QStringList ConnectionsView::rowNames = QStringList{githubRow} + toolRows + QStringList{calendarRow};

ConnectionsView::ConnectionsView(FrameModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_state(new ConnectionsState(this))
{
    setMinimumSize(560, 560);
    AccessibleRole::set(this, QAccessible::Window);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = makeToolbar();
    layout->addWidget(m_toolbar);
    m_toolbarLine = new QWidget(this);
    m_toolbarLine->setFixedHeight(1);
    m_toolbarLine->setAutoFillBackground(true);
    layout->addWidget(m_toolbarLine);

    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // It takes the keyboard for scrolling, so a screen reader names it.
    scroll->setAccessibleName(QStringLiteral("What Tessarine reads"));
    m_form = makeForm();
    scroll->setWidget(m_form);
    layout->addWidget(scroll, 1);

    applyBackground();
    observe();
    updateRows();
}

ConnectionsView::~ConnectionsView() = default;

QSize ConnectionsView::sizeHint() const
{
    constexpr QSize designed(640, 700);
    const int width = UiStyle::grownWithFont(designed.width(), font());
    const int form = m_form->hasHeightForWidth() ? m_form->heightForWidth(width) : m_form->sizeHint().height();
    const int toolbar = m_toolbar->sizeHint().height() + m_toolbarLine->height();
    return {width, std::max(designed.height(), toolbar + form)};
}

void ConnectionsView::check()
{
    m_state->check(m_model.screensDir());
}

QString ConnectionsView::problemText() const
{
    return m_problemText->text();
}

bool ConnectionsView::isProblemShown() const
{
    return !m_problemSection->isHidden();
}

void ConnectionsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window brought back from being minimised shows the same content; a window opened again
    // looks at the computer afresh.
    if (event->spontaneous())
        return;
    check();
    updateRows();
}

void ConnectionsView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyBackground();
    QWidget::changeEvent(event);
}

QToolBar *ConnectionsView::makeToolbar()
{
    auto *toolbar = new QToolBar(this);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    auto *spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    m_checkAgain = toolbar->addAction(
        ConnectionSymbols::icon(QStringLiteral("arrow.clockwise"), palette().color(QPalette::ButtonText)),
        QStringLiteral("Check Again"));
    m_checkAgain->setToolTip(QStringLiteral("Look for apps and logins again"));
    connect(m_checkAgain, &QAction::triggered, this, &ConnectionsView::check);
    return toolbar;
}

QWidget *ConnectionsView::makeForm()
{
    auto *form = new QWidget(this);
    form->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    layout->setSpacing(sectionSpacing);
    layout->addWidget(accountsSection());
    layout->addWidget(thisComputerSection());
    layout->addWidget(yourDaySection());
    layout->addWidget(problemSection());
    layout->addStretch(1);
    return form;
}

ConnectionsSection *ConnectionsView::accountsSection()
{
    auto *section = new ConnectionsSection(
        QStringLiteral("Accounts"),
        QStringLiteral("Tessarine signs in to GitHub with read-only access. The token is kept in your keyring."), this);
    addRow(section, githubRow, QStringLiteral("GitHub"), QStringLiteral("github"));
    return section;
}

ConnectionsSection *ConnectionsView::thisComputerSection()
{
    auto *section = new ConnectionsSection(
        QStringLiteral("On this computer"),
        QStringLiteral("AI plans and dictation are read from the apps on this computer. Tessarine only reads usage "
                       "numbers, and never your logins, chats or dictated text."),
        this);
    for (const Provider &provider : Provider::all())
        addRow(section, provider.id, provider.title, provider.logo);
    return section;
}

ConnectionsSection *ConnectionsView::yourDaySection()
{
    auto *section = new ConnectionsSection(QStringLiteral("Your day"), QString(), this);
    addRow(section, calendarRow, QStringLiteral("Calendar"), QString(), QStringLiteral("calendar"));
    return section;
}

ConnectionsSection *ConnectionsView::problemSection()
{
    m_problemSection = new ConnectionsSection(QString(), QString(), this);
    auto *line = new QWidget(m_problemSection);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(8);
    m_problemIcon = new QLabel(line);
    m_problemText = new QLabel(line);
    m_problemText->setTextFormat(Qt::PlainText);
    m_problemText->setWordWrap(true);
    m_problemText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_problemIcon, 0, Qt::AlignTop);
    layout->addWidget(m_problemText, 1);
    m_problemSection->addRow(line);
    m_problemSection->hide();
    return m_problemSection;
}

ConnectionRowWidget *ConnectionsView::addRow(ConnectionsSection *section, const QString &name, const QString &title,
                                             const QString &logo, const QString &symbol)
{
    ConnectionMark *mark = symbol.isEmpty() ? ConnectionMark::logo(logo) : ConnectionMark::symbol(symbol);
    auto *row = new ConnectionRowWidget(mark, title, section);
    row->setObjectName(name);
    section->addRow(row);
    section->setSeparatorIndent(rowTextIndent);
    m_rows.insert(name, row);
    m_actionKeys.insert(row, RowAction::Key{});
    return row;
}

void ConnectionsView::observe()
{
    connect(m_state, &ConnectionsState::toolsChanged, this, &ConnectionsView::updateRows);
    connect(m_state, &ConnectionsState::ghLoginChanged, this, &ConnectionsView::updateGitHubRow);
    connect(m_state, &ConnectionsState::providersChanged, this, &ConnectionsView::updateToolRows);
    connect(m_state, &ConnectionsState::claudeChanged, this, &ConnectionsView::updateToolRows);
    connect(m_state, &ConnectionsState::problemChanged, this, &ConnectionsView::updateProblem);
    connect(m_state, &ConnectionsState::isCheckingChanged, this, &ConnectionsView::updateChecking);
    connect(&m_model.github(), &GitHubAuth::stateChanged, this, &ConnectionsView::updateGitHubRow);
    connect(&m_model.eventStore(), &CalendarStore::authorizationChanged, this, &ConnectionsView::updateCalendarRow);
    connect(&m_model, &FrameModel::calendarAccessChanged, this, &ConnectionsView::updateCalendarRow);
}

void ConnectionsView::applyBackground()
{
    QPalette formPalette = m_form->palette();
    formPalette.setColor(QPalette::Window, UiStyle::formBackground(palette()));
    m_form->setPalette(formPalette);
    QPalette linePalette = m_toolbarLine->palette();
    linePalette.setColor(QPalette::Window, UiStyle::separator(palette()));
    m_toolbarLine->setPalette(linePalette);
}

void ConnectionsView::updateRows()
{
    updateGitHubRow();
    updateToolRows();
    updateCalendarRow();
    updateProblem();
    updateCheckButtons();
}

void ConnectionsView::updateGitHubRow()
{
    const GitHubAuthState signIn = m_model.github().state();
    const ConnectionRowState state = ConnectionRows::gitHub(ConnectionRows::GitHubSignIn::from(signIn), *m_state,
                                                            GitHubAuth::clientID().has_value());
    RowAction::Key key{state.action, QString(), QUrl()};
    if (state.action == Action::deviceCode) {
        key.code = signIn.code();
        key.url = signIn.url();
    }
    applyRow(m_rows.value(githubRow), state, key);
    updateCheckButtons();
}

void ConnectionsView::updateToolRows()
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const Provider &provider : Provider::all()) {
        const ConnectionRowState state = ConnectionRows::provider(provider, *m_state, now);
        applyRow(m_rows.value(provider.id), state, RowAction::Key{state.action, QString(), QUrl()});
    }
}

void ConnectionsView::updateCalendarRow()
{
    const ConnectionRowState state = ConnectionRows::calendar(m_model.eventStore().authorization());
    applyRow(m_rows.value(calendarRow), state, RowAction::Key{state.action, QString(), QUrl()});
}

void ConnectionsView::updateProblem()
{
    const std::optional<QString> problem = m_state->problem();
    m_problemText->setText(problem.value_or(QString()));
    const QColor orange = UiStyle::orange(palette());
    QPalette textPalette = m_problemText->palette();
    textPalette.setColor(QPalette::WindowText, orange);
    m_problemText->setPalette(textPalette);
    m_problemIcon->setPixmap(ConnectionSymbols::pixmap(QStringLiteral("exclamationmark.triangle"), problemIconSize,
                                                       orange, devicePixelRatioF()));
    m_problemSection->setVisible(problem.has_value());
}

void ConnectionsView::updateChecking()
{
    updateCheckButtons();
    // Wispr Flow is looked for on disk rather than by the probe: its row is read again when a
    // check ends.
    if (!m_state->isChecking())
        updateToolRows();
}

void ConnectionsView::updateCheckButtons()
{
    const bool checking = m_state->isChecking();
    m_checkAgain->setEnabled(!checking);
    if (auto *help = qobject_cast<GitHubCLIHelp *>(m_rows.value(githubRow)->action()))
        help->setCheckEnabled(!checking);
}

void ConnectionsView::applyRow(ConnectionRowWidget *row, const ConnectionRowState &state, const RowAction::Key &key)
{
    row->setStatus(state.status);
    row->setDetail(state.detail);
    if (m_actionKeys.value(row) == key && (row->action() || key.action == Action::none))
        return;
    m_actionKeys.insert(row, key);
    QWidget *action = RowAction::make(key, actionHandlers());
    row->setAction(action);
}

RowAction::Handlers ConnectionsView::actionHandlers()
{
    RowAction::Handlers handlers;
    handlers.signIn = [this] { signIn(); };
    handlers.signOut = [this] { signOut(); };
    handlers.cancelSignIn = [this] { cancelSignIn(); };
    handlers.setUpClaude = [this] { setUpClaude(); };
    handlers.removeClaude = [this] { removeClaude(); };
    handlers.allowCalendar = [this] { allowCalendar(); };
    handlers.openPrivacySettings = [this] { openPrivacySettings(); };
    handlers.checkAgain = [this] { check(); };
    return handlers;
}

void ConnectionsView::signIn()
{
    // The state tells how the sign-in goes; the task itself needs no one to wait for it.
    m_model.github().signIn();
}

void ConnectionsView::signOut()
{
    // The refresh starts once the token is gone, so the pages are drawn without it.
    FrameModel *model = &m_model;
    QCoro::connect(m_model.github().signOut(), model, [model] { model->refresh(); });
}

void ConnectionsView::cancelSignIn()
{
    m_model.github().cancel();
}

void ConnectionsView::setUpClaude()
{
    m_state->setUpClaude();
    m_model.refresh();
}

void ConnectionsView::removeClaude()
{
    m_state->removeClaude();
    m_model.refresh();
}

void ConnectionsView::allowCalendar()
{
    window()->raise();
    window()->activateWindow();
    m_model.requestCalendarAccess();
}

void ConnectionsView::openPrivacySettings()
{
    CalendarPrivacyDialog::present(m_model.eventStore(), window());
}
