// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConsentRecorder.h"
#include "TestSupport.h"
#include "ToolGate.h"
#include "ToolMachine.h"
#include "UrlRecorder.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "services/ClaudeSetup.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/common/CalendarPrivacyDialog.h"
#include "ui/common/ConnectionMark.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/common/GitHubDeviceCode.h"
#include "ui/connections/ConnectionsSection.h"
#include "ui/connections/ConnectionsView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

constexpr int waitMs = 15000;
const QString clientIdKey = QStringLiteral("githubClientID");

// The labels of the buttons at a row's end, in order.
QStringList buttonTexts(const ConnectionRowWidget *row)
{
    QStringList texts;
    if (!row->action())
        return texts;
    for (const QPushButton *button : row->action()->findChildren<QPushButton *>())
        texts.append(button->text());
    if (const auto *button = qobject_cast<const QPushButton *>(row->action()))
        texts.append(button->text());
    return texts;
}

QPushButton *findButton(const QWidget *root, const QString &text)
{
    for (QPushButton *button : root->findChildren<QPushButton *>()) {
        if (button->text() == text && button->isVisible())
            return button;
    }
    return nullptr;
}

FakeHttpServer::Reply reply(const QByteArray &body)
{
    FakeHttpServer::Reply reply;
    reply.body = body;
    return reply;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

} // namespace

class TestConnectionsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void signedOutGitHubRow_data();
    void signedOutGitHubRow();
    void waitingForCodeCopiesAndCancels();
    void signedInThenSignOutRefreshes();
    void failedSignIn();
    void calendarRow_data();
    void calendarRow();
    void allowAsksAndRedraws();
    void openPrivacySettingsShowsTheDialog();
    void checkAgainDisabledWhileChecking();
    void claudeSetUpAndRemove();
    void failedSetUpShowsProblemUntilSuccess();
    void quickPressesKeepTheUsersStatusLine();
    void sectionsAndToolbar();
    void toolRowsAsFound();
    void logoLookup_data();
    void logoLookup();
    void greyLogoStaysLegibleOnDark();

private:
    QString tool(const QString &name, const QByteArray &body = "#!/bin/sh\n") { return m_machine->tool(name, body); }
    // A GitHub CLI that logs each run and answers "gh api user" with `login` (nothing when empty).
    void fakeGh(const QByteArray &login);
    int ghRuns() const { return readFile(m_machine->path(QStringLiteral("gh.log"))).count('\n'); }
    void makeModel();
    void showView();
    void waitForCheck();
    ConnectionRowWidget *row(const QString &name) const { return m_view->row(name); }

    std::unique_ptr<ToolMachine> m_machine;
    // GitHub's web host for signing in; the test run's own when empty.
    QString m_gitHubWeb;
    std::shared_ptr<InMemoryCredentialStore> m_credentials;
    std::unique_ptr<FrameModel> m_model;
    std::unique_ptr<ConnectionsView> m_view;
    std::unique_ptr<UrlRecorder> m_browser;
};

void TestConnectionsView::initTestCase()
{
    ToolMachine::requireZsh();
}

void TestConnectionsView::init()
{
    m_machine = std::make_unique<ToolMachine>();
    QVERIFY(m_machine->enter());
    m_gitHubWeb.clear();
    Defaults::remove(clientIdKey);
    Defaults::remove(CalendarStore::accessKey);
    m_browser = std::make_unique<UrlRecorder>();
    m_credentials = std::make_shared<InMemoryCredentialStore>();
}

void TestConnectionsView::cleanup()
{
    if (m_model)
        QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);
    if (m_view)
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->state().isChecking(), waitMs);
    m_view.reset();
    m_model.reset();
    m_browser.reset();
    Defaults::remove(clientIdKey);
    Defaults::remove(CalendarStore::accessKey);
}

void TestConnectionsView::fakeGh(const QByteArray &login)
{
    const QByteArray log = QFile::encodeName(m_machine->path(QStringLiteral("gh.log")));
    tool(QStringLiteral("gh"),
         "#!/bin/sh\necho \"$*\" >> '" + log + "'\nif [ \"$1 $2\" = 'api user' ]; then printf '" + login + "'; fi\n");
}

void TestConnectionsView::makeModel()
{
    // No catalogue and so no pages: a refresh asked for by the window draws nothing.
    Configuration configuration = m_machine->configuration();
    if (!m_gitHubWeb.isEmpty())
        configuration.gitHubWeb = m_gitHubWeb;
    m_model = std::make_unique<FrameModel>(configuration, m_credentials);
    m_view = std::make_unique<ConnectionsView>(*m_model);
}

void TestConnectionsView::showView()
{
    if (!m_view)
        makeModel();
    m_view->show();
    waitForCheck();
}

void TestConnectionsView::waitForCheck()
{
    QTRY_VERIFY_WITH_TIMEOUT(!m_view->state().isChecking(), waitMs);
}

void TestConnectionsView::signedOutGitHubRow_data()
{
    QTest::addColumn<QByteArray>("gh"); // "none": no GitHub CLI; else the login it reports
    QTest::addColumn<bool>("clientId");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("buttons");

    const QString cliLogin = QStringLiteral("Using the GitHub CLI’s login on this computer (octocat).");
    QTest::newRow("CLI login, no client id")
        << QByteArray("octocat") << false << "Connected" << cliLogin << QStringList();
    QTest::newRow("CLI login and a client id")
        << QByteArray("octocat") << true << "Connected" << cliLogin << QStringList{"Sign In…"};
    QTest::newRow("client id only") << QByteArray("none") << true << "Not connected"
                                    << "Sign in to show your contributions, pull requests and releases."
                                    << QStringList{"Sign In…"};
    QTest::newRow("CLI without login") << QByteArray("") << false << "Not connected"
                                       << "Sign in to the GitHub CLI once: run “gh auth login” in a terminal, then "
                                          "check again."
                                       << QStringList{"Copy Command", "Check Again"};
    QTest::newRow("nothing") << QByteArray("none") << false << "Not connected"
                             << "Tessarine reads GitHub through the GitHub CLI. Install it, run “gh auth login” in a "
                                "terminal, then check again."
                             << QStringList{"Get GitHub CLI", "Check Again"};
}

void TestConnectionsView::signedOutGitHubRow()
{
    QFETCH(QByteArray, gh);
    QFETCH(bool, clientId);
    QFETCH(QString, status);
    QFETCH(QString, detail);
    QFETCH(QStringList, buttons);

    if (gh != "none")
        fakeGh(gh);
    if (clientId)
        Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showView();

    QCOMPARE(row(QStringLiteral("github"))->statusText(), status);
    QCOMPARE(row(QStringLiteral("github"))->detail(), detail);
    QCOMPARE(buttonTexts(row(QStringLiteral("github"))), buttons);
    // Without a GitHub App to sign in to, no sign-in is offered anywhere in the window.
    if (!clientId)
        QVERIFY(!findButton(m_view.get(), QStringLiteral("Sign In…")));

    const QHash<QString, QString> help{
        {QStringLiteral("Sign In…"), QStringLiteral("Sign in with your GitHub account")},
        {QStringLiteral("Copy Command"), QStringLiteral("Copies “gh auth login” to paste into a terminal")},
        {QStringLiteral("Get GitHub CLI"), QStringLiteral("Opens cli.github.com. With apt: sudo apt install gh")}};
    for (const QString &button : buttons) {
        if (help.contains(button))
            QCOMPARE(findButton(row(QStringLiteral("github")), button)->toolTip(), help.value(button));
    }

    if (buttons.contains(QStringLiteral("Copy Command"))) {
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Copy Command")), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("gh auth login"));
    }
    if (buttons.contains(QStringLiteral("Get GitHub CLI"))) {
        QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Get GitHub CLI")), Qt::LeftButton);
        QCOMPARE(m_browser->opened, QList<QUrl>{QUrl(QStringLiteral("https://cli.github.com/"))});
        // Installing the CLI and checking again moves the row on by itself.
        fakeGh("");
        QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Check Again")), Qt::LeftButton);
        waitForCheck();
        QCOMPARE(buttonTexts(row(QStringLiteral("github"))), (QStringList{"Copy Command", "Check Again"}));
    }
}

void TestConnectionsView::waitingForCodeCopiesAndCancels()
{
    FakeHttpServer github;
    m_gitHubWeb = github.start();
    github.setReply("POST /login/device/code", reply(R"({"device_code": "dc-1", "user_code": "WDJB-MJHT", "interval": 5,
                              "verification_uri": "https://github.com/login/device"})"));
    github.setReply("POST /login/oauth/access_token", reply(R"({"error": "authorization_pending"})"));
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showView();
    ConnectionRowWidget *gitHub = row(QStringLiteral("github"));

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Sign In…")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(gitHub->statusText(), QStringLiteral("Waiting for GitHub"), waitMs);
    QCOMPARE(gitHub->detail(), QStringLiteral("Enter this code at github.com/login/device to finish signing in."));
    const auto *code = qobject_cast<GitHubDeviceCode *>(gitHub->action());
    QVERIFY(code);
    const auto *codeLabel = code->findChild<QLabel *>(QStringLiteral("deviceCode"));
    QCOMPARE(codeLabel->text(), QStringLiteral("WDJB-MJHT"));
    QVERIFY(codeLabel->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(buttonTexts(gitHub), (QStringList{"Copy Code and Open GitHub", "Cancel"}));

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Copy Code and Open GitHub")), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("WDJB-MJHT"));
    QCOMPARE(m_browser->opened, QList<QUrl>{QUrl(QStringLiteral("https://github.com/login/device"))});

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Cancel")), Qt::LeftButton);
    QTRY_COMPARE(gitHub->statusText(), QStringLiteral("Not connected"));
    QCOMPARE(buttonTexts(gitHub), QStringList{"Sign In…"});
}

void TestConnectionsView::signedInThenSignOutRefreshes()
{
    fakeGh("octocat");
    GitHubAuthToken token{QStringLiteral("gho_secret"), std::nullopt, std::nullopt, QStringLiteral("mona")};
    QCoro::waitFor(m_credentials->add(GitHubAuth::storeService, GitHubAuth::storeAccount, token.toJson()));
    showView();
    ConnectionRowWidget *gitHub = row(QStringLiteral("github"));
    QTRY_COMPARE(gitHub->detail(), QStringLiteral("Signed in as mona."));
    QCOMPARE(gitHub->statusText(), QStringLiteral("Connected"));
    QCOMPARE(buttonTexts(gitHub), QStringList{"Sign Out"});
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);
    QSignalSpy refreshes(m_model.get(), &FrameModel::refreshRequested);

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Sign Out")), Qt::LeftButton);

    // The row falls back to the signed-out conditions: here the GitHub CLI's login.
    QTRY_COMPARE(gitHub->detail(), QStringLiteral("Using the GitHub CLI’s login on this computer (octocat)."));
    QCOMPARE(gitHub->statusText(), QStringLiteral("Connected"));
    QTRY_COMPARE(refreshes.count(), 1);
    QVERIFY(!m_credentials->contains(GitHubAuth::storeService, GitHubAuth::storeAccount));
}

// Each failure's texts are TestConnectionRows' and TestGitHubAuth's; here the window follows one.
void TestConnectionsView::failedSignIn()
{
    FakeHttpServer github;
    m_gitHubWeb = github.start();
    github.setReply("POST /login/device/code", reply(R"({"device_code": "dc-1"})"));
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showView();

    m_model->github().signIn();

    ConnectionRowWidget *gitHub = row(QStringLiteral("github"));
    QTRY_COMPARE_WITH_TIMEOUT(gitHub->detail(), QStringLiteral("GitHub didn’t return a sign-in code."), waitMs);
    QCOMPARE(gitHub->statusText(), QStringLiteral("Needs set-up"));
    QCOMPARE(buttonTexts(gitHub), QStringList{"Sign In…"});
}

void TestConnectionsView::calendarRow_data()
{
    QTest::addColumn<CalendarStore::Authorization>("authorization");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("buttons");

    QTest::newRow("not asked") << CalendarStore::Authorization::NotDetermined << "Needs set-up"
                               << "Allow access to show your next events." << QStringList{"Allow…"};
    QTest::newRow("allowed") << CalendarStore::Authorization::FullAccess << "Connected"
                             << "Your next 7 days from all calendars. Titles and times only." << QStringList();
    QTest::newRow("refused") << CalendarStore::Authorization::Denied << "Not connected"
                             << "Calendar access is off." << QStringList{"Open Privacy Settings"};
}

void TestConnectionsView::calendarRow()
{
    QFETCH(CalendarStore::Authorization, authorization);
    QFETCH(QString, status);
    QFETCH(QString, detail);
    QFETCH(QStringList, buttons);

    showView();
    // The row follows a change made elsewhere (the privacy dialog) while the window is open.
    m_model->eventStore().setAuthorization(authorization);

    ConnectionRowWidget *calendar = row(QStringLiteral("calendar"));
    QCOMPARE(calendar->statusText(), status);
    QCOMPARE(calendar->detail(), detail);
    QCOMPARE(buttonTexts(calendar), buttons);
}

void TestConnectionsView::allowAsksAndRedraws()
{
    ConsentRecorder allow(true);
    makeModel();
    m_model->eventStore().setConsentPresenter(&allow);
    showView();
    QSignalSpy refreshes(m_model.get(), &FrameModel::refreshRequested);

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Allow…")), Qt::LeftButton);

    QTRY_COMPARE(row(QStringLiteral("calendar"))->statusText(), QStringLiteral("Connected"));
    QVERIFY(buttonTexts(row(QStringLiteral("calendar"))).isEmpty());
    QTRY_COMPARE(refreshes.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);
    m_model->eventStore().setConsentPresenter(nullptr);
}

void TestConnectionsView::openPrivacySettingsShowsTheDialog()
{
    makeModel();
    m_model->eventStore().setAuthorization(CalendarStore::Authorization::Denied);
    showView();

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Open Privacy Settings")), Qt::LeftButton);

    CalendarPrivacyDialog *dialog = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<CalendarPrivacyDialog *>(window); found && found->isVisible())
            dialog = found;
    }
    QVERIFY(dialog);
    dialog->close();
}

void TestConnectionsView::checkAgainDisabledWhileChecking()
{
    // The GitHub CLI's login is looked up last and holds the probe until the test lets it go.
    const QByteArray log = QFile::encodeName(m_machine->path(QStringLiteral("gh.log")));
    ToolGate gate(m_machine->path(QStringLiteral("release")));
    QVERIFY(gate.isValid());
    tool(QStringLiteral("gh"), "#!/bin/sh\necho \"$*\" >> '" + log + "'\n" + gate.waitLine() + "\nprintf mona\n");
    makeModel();
    m_view->show();
    QVERIFY(m_view->state().isChecking());
    QVERIFY(!m_view->checkAgainAction()->isEnabled());

    // Neither the toolbar button nor another request starts a second probe meanwhile.
    QToolButton *toolbarButton = nullptr;
    for (QToolButton *button : m_view->findChildren<QToolButton *>()) {
        if (button->defaultAction() == m_view->checkAgainAction())
            toolbarButton = button;
    }
    QVERIFY(toolbarButton && !toolbarButton->isEnabled());
    QTest::mouseClick(toolbarButton, Qt::LeftButton);
    m_view->check();
    QTRY_COMPARE_WITH_TIMEOUT(ghRuns(), 1, waitMs);

    gate.open();
    waitForCheck();
    QVERIFY(m_view->checkAgainAction()->isEnabled());
    QCOMPARE(ghRuns(), 1);
    QCOMPARE(row(QStringLiteral("github"))->detail(),
             QStringLiteral("Using the GitHub CLI’s login on this computer (mona)."));

    m_view->checkAgainAction()->trigger();
    QVERIFY(m_view->state().isChecking());
    waitForCheck();
    QCOMPARE(ghRuns(), 2);
}

void TestConnectionsView::claudeSetUpAndRemove()
{
    const QString settings = m_machine->home() + QStringLiteral("/.claude/settings.json");
    const QJsonObject own{{"statusLine", QJsonObject{{"type", "command"}, {"command", "my-line"}}}};
    QVERIFY(writeFile(settings, json(own)));
    showView();
    ConnectionRowWidget *claude = row(QStringLiteral("claude"));
    QCOMPARE(claude->statusText(), QStringLiteral("Needs set-up"));
    QCOMPARE(buttonTexts(claude), QStringList{"Set Up"});
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);
    QSignalSpy refreshes(m_model.get(), &FrameModel::refreshRequested);

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Set Up")), Qt::LeftButton);

    QCOMPARE(claude->statusText(), QStringLiteral("Connected"));
    QCOMPARE(claude->detail(), QStringLiteral("Set up. Your numbers appear after your next Claude Code session."));
    QCOMPARE(buttonTexts(claude), QStringList{"Remove"});
    QVERIFY(readFile(settings).contains(ClaudeSetup::marker().toUtf8()));
    QCOMPARE(refreshes.count(), 1);
    QVERIFY(!m_view->isProblemShown());
    QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Remove")), Qt::LeftButton);

    QCOMPARE(claude->statusText(), QStringLiteral("Needs set-up"));
    QCOMPARE(QJsonDocument::fromJson(readFile(settings)).object(), own);
    QCOMPARE(refreshes.count(), 2);
}

void TestConnectionsView::failedSetUpShowsProblemUntilSuccess()
{
    const QString settings = m_machine->home() + QStringLiteral("/.claude/settings.json");
    const QByteArray array = "[\"not\", \"an object\"]";
    QVERIFY(writeFile(settings, array));
    showView();

    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Set Up")), Qt::LeftButton);

    QVERIFY(m_view->isProblemShown());
    QCOMPARE(m_view->problemText(),
             QStringLiteral("Claude Code’s settings file isn’t valid JSON, so Tessarine left it alone."));
    QCOMPARE(readFile(settings), array);
    QCOMPARE(row(QStringLiteral("claude"))->statusText(), QStringLiteral("Needs set-up"));

    // Checking again keeps the problem in view.
    m_view->check();
    waitForCheck();
    QVERIFY(m_view->isProblemShown());

    QVERIFY(writeFile(settings, "{}"));
    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Set Up")), Qt::LeftButton);
    QVERIFY(!m_view->isProblemShown());
    QCOMPARE(row(QStringLiteral("claude"))->statusText(), QStringLiteral("Connected"));

    // A removal that fails shows its own message the same way.
    QVERIFY(writeFile(settings, "{\"statusLine\": "));
    QTest::mouseClick(findButton(m_view.get(), QStringLiteral("Remove")), Qt::LeftButton);
    QVERIFY(m_view->isProblemShown());
    QVERIFY(!m_view->problemText().isEmpty());
    QCOMPARE(readFile(settings), QByteArray("{\"statusLine\": "));
}

// Set Up, Remove and Check Again pressed as fast as they appear, in a mixed order: the probes
// never overlap, and the user's own status line is there again at the end.
void TestConnectionsView::quickPressesKeepTheUsersStatusLine()
{
    // The probe's "gh api user" logs when it starts and ends; the refreshes the buttons ask for
    // run "gh auth token", which is no probe. (The PATH holds the fake tools alone.)
    const QByteArray log = QFile::encodeName(m_machine->path(QStringLiteral("gh.log")));
    tool(QStringLiteral("gh"), "#!/bin/sh\n[ \"$1 $2\" = 'api user' ] || exit 1\necho start >> '" + log +
                                   "'\n/bin/sleep 0.2\necho end >> '" + log + "'\nprintf mona\n");
    const QString settings = m_machine->home() + QStringLiteral("/.claude/settings.json");
    const QJsonObject own{{"statusLine", QJsonObject{{"type", "command"}, {"command", "~/bin/my line.sh"}}},
                          {"theme", "dark"}};
    QVERIFY(writeFile(settings, json(own)));
    makeModel();
    m_view->show();

    const QStringList presses{"Set Up", "Check Again", "Remove", "Set Up",      "Set Up", "Check Again",
                              "Remove", "Remove",      "Set Up", "Check Again", "Remove", "Check Again"};
    for (const QString &press : presses) {
        if (press == QStringLiteral("Check Again")) {
            m_view->checkAgainAction()->trigger();
            QTest::qWait(50);
            continue;
        }
        // A press on a button that has just turned into the other one does nothing.
        if (QPushButton *button = findButton(row(QStringLiteral("claude")), press))
            QTest::mouseClick(button, Qt::LeftButton);
    }
    waitForCheck();

    const QList<QByteArray> runs = readFile(QFile::decodeName(log)).split('\n');
    QVERIFY(runs.size() >= 3);
    for (qsizetype line = 0; line + 1 < runs.size(); ++line)
        QCOMPARE(runs.at(line), QByteArray(line % 2 == 0 ? "start" : "end"));
    QCOMPARE(QJsonDocument::fromJson(readFile(settings)).object(), own);
    QVERIFY(!QFileInfo::exists(ClaudeSetup::previousPath()));
    QCOMPARE(row(QStringLiteral("claude"))->statusText(), QStringLiteral("Needs set-up"));
    QVERIFY(!m_view->isProblemShown());
}

void TestConnectionsView::sectionsAndToolbar()
{
    showView();

    QStringList headers;
    QStringList footers;
    for (const ConnectionsSection *section : m_view->findChildren<ConnectionsSection *>()) {
        if (section->isHidden())
            continue;
        headers.append(section->header());
        footers.append(section->footer());
    }
    QCOMPARE(headers, (QStringList{"Accounts", "On this computer", "Your day"}));
    QCOMPARE(footers, (QStringList{"Tessarine signs in to GitHub with read-only access. The token is kept in your "
                                   "keyring.",
                                   "AI plans and dictation are read from the apps on this computer. Tessarine only "
                                   "reads usage numbers, and never your logins, chats or dictated text.",
                                   QString()}));
    QCOMPARE(m_view->checkAgainAction()->text(), QStringLiteral("Check Again"));
    QCOMPARE(m_view->checkAgainAction()->toolTip(), QStringLiteral("Look for apps and logins again"));
    QVERIFY(!m_view->isProblemShown());
}

void TestConnectionsView::toolRowsAsFound()
{
    tool(QStringLiteral("codex"));
    tool(QStringLiteral("gemini"));
    QVERIFY(writeFile(m_machine->path(QStringLiteral("screens/data.json")),
                      R"({"ai": {"providers": [{"id": "codex", "status": "ok", "plan": "prolite"}]}})"));
    QVERIFY(writeFile(m_machine->path(QStringLiteral("data/Wispr Flow/flow.sqlite")), "SQLite format 3"));
    showView();

    QStringList titles;
    for (const QString &name : ConnectionsView::rowNames)
        titles.append(row(name)->title());
    QCOMPARE(titles, (QStringList{"GitHub", "Claude", "Codex (ChatGPT)", "Grok", "Gemini", "Wispr Flow", "Calendar"}));

    QCOMPARE(row(QStringLiteral("claude"))->statusText(), QStringLiteral("Not installed"));
    QVERIFY(buttonTexts(row(QStringLiteral("claude"))).isEmpty());
    QCOMPARE(row(QStringLiteral("codex"))->statusText(), QStringLiteral("Connected"));
    QCOMPARE(row(QStringLiteral("codex"))->detail(),
             QStringLiteral("Signed in to ChatGPT (Pro Lite). Read through Codex on this computer."));
    QCOMPARE(row(QStringLiteral("grok"))->statusText(), QStringLiteral("Not installed"));
    QCOMPARE(row(QStringLiteral("gemini"))->statusText(), QStringLiteral("No usage data"));
    QCOMPARE(row(QStringLiteral("wispr"))->statusText(), QStringLiteral("Connected"));
    for (const QString &name : ConnectionsView::rowNames)
        QVERIFY2(!row(name)->mark()->isFallback(), qPrintable(name));
}

void TestConnectionsView::logoLookup_data()
{
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("found"); // empty: none
    QTest::addColumn<bool>("isTemplate");

    QTest::newRow("colour first") << "grok" << QStringList{"grok-color.svg", "grok.png", "grok.svg"} << "grok-color.svg"
                                  << false;
    QTest::newRow("png before svg") << "grok" << QStringList{"grok.png", "grok.svg"} << "grok.png" << true;
    QTest::newRow("svg template") << "grok" << QStringList{"grok.svg"} << "grok.svg" << true;
    QTest::newRow("gemini skips colour") << "gemini" << QStringList{"gemini-color.svg", "gemini.svg"} << "gemini.svg"
                                         << true;
    QTest::newRow("missing") << "wispr" << QStringList{"grok.svg"} << QString() << false;
}

void TestConnectionsView::logoLookup()
{
    QFETCH(QString, logo);
    QFETCH(QStringList, files);
    QFETCH(QString, found);
    QFETCH(bool, isTemplate);

    const QString dir = m_machine->path(QStringLiteral("logos"));
    for (const QString &file : files)
        QVERIFY(writeFile(dir + QLatin1Char('/') + file, "<svg/>"));
    const auto result = ConnectionMark::findLogo(logo, dir);
    QCOMPARE(result.has_value(), !found.isEmpty());
    if (result)
        QCOMPARE(*result, (ConnectionMark::LogoFile{dir + QLatin1Char('/') + found, isTemplate}));
}

// GitHub's shipped "colour" logo is grey: on a dark panel it takes the light text colour, while
// Claude's orange keeps its own colour.
void TestConnectionsView::greyLogoStaysLegibleOnDark()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(40, 40, 42));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 240));
    // The pixel of a mark, as drawn on its window's background, that stands out most from it.
    auto drawn = [](const QString &logo, const std::optional<QPalette> &palette) {
        std::unique_ptr<ConnectionMark> mark(ConnectionMark::logo(logo));
        if (palette)
            mark->setPalette(*palette);
        const QImage image = mark->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int background = mark->palette().color(QPalette::Window).lightness();
        QColor strongest = mark->palette().color(QPalette::Window);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel(image.pixel(x, y));
                if (qAbs(pixel.lightness() - background) > qAbs(strongest.lightness() - background))
                    strongest = pixel;
            }
        }
        return strongest;
    };

    QVERIFY(drawn(QStringLiteral("github"), std::nullopt).lightness() < 128);
    QVERIFY(drawn(QStringLiteral("github"), dark).lightness() > 180);
    const QColor claude = drawn(QStringLiteral("claude"), dark);
    QVERIFY(claude.hsvSaturation() > 100);
}

QTEST_MAIN(TestConnectionsView)
#include "TestConnectionsView.moc"
