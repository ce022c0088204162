// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageDescription.h"
#include "TestSupport.h"
#include "ToolMachine.h"
#include "model/FrameModel.h"
#include "model/StartPages.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/app/App.h"
#include "ui/common/ConnectionRowWidget.h"
#include "ui/common/GitHubDeviceCode.h"
#include "ui/welcome/GitHubStep.h"
#include "ui/welcome/OnboardingView.h"
#include "ui/welcome/PagesStep.h"
#include "ui/welcome/StartOptionWidget.h"
#include "ui/welcome/StepDots.h"
#include "ui/welcome/ToolRowWidget.h"
#include "ui/welcome/ToolsStep.h"
#include "ui/welcome/WelcomeFooter.h"
#include "ui/welcome/WelcomeIntroStep.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoroTask>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using TestSupport::describe;
using TestSupport::readFile;
using TestSupport::writeFile;
using Start = StartPages::Start;

namespace {

constexpr int waitMs = 20000;
const QString clientIdKey = QStringLiteral("githubClientID");

// The labels of the visible buttons at a row's end, in order.
QStringList buttonTexts(const ConnectionRowWidget *row)
{
    QStringList texts;
    if (!row->action())
        return texts;
    if (const auto *button = qobject_cast<const QPushButton *>(row->action()))
        texts.append(button->text());
    for (const QPushButton *button : row->action()->findChildren<QPushButton *>()) {
        if (!button->isHidden())
            texts.append(button->text());
    }
    return texts;
}

FakeHttpServer::Reply reply(const QByteArray &body)
{
    FakeHttpServer::Reply reply;
    reply.body = body;
    return reply;
}

QSet<QString> ids(const QStringList &list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

} // namespace

// The welcome flow against a computer played by fake tools on the login shell's PATH, a Claude
// Code directory and a Wispr Flow database in the test's own home.
class TestOnboardingView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void configuredStep_data();
    void configuredStep();
    void stepsMoveWithContinueBackAndReturn();
    void preselectsOnceAfterTheFirstSearch();
    void preselectsNothingOnABareComputer();
    void finishStoresTheChoicesAndCloses();
    void aStepBeyondThePagesFinishesAtOnce();
    void blankStartOpensTheEditor();
    void closingWithoutFinishChangesNothing();
    void gitHubRowSignedOut_data();
    void gitHubRowSignedOut();
    void failedSignInReadsAsSignedOut();
    void waitingShowsTheCodeWithoutCancel();
    void toolRowsFollowWhatWasFound();
    void claudeSetUpTicksClaudeWithoutRefresh();
    void failedClaudeSetUpIsIgnored();
    void calendarLine_data();
    void calendarLine();
    void pagesStepDescribesEachSet();
    void showWelcomeKeepsOneFreshWindow();
    void followsADesktopTurningDark();
    void allowCalendarAsksTheUser();

private:
    void findOnTheMachine(const QStringList &things) { m_machine->find(things); }
    void makeView(bool catalogue = false);
    void showAndWaitForSearch();
    QString wisprDatabase() const { return m_machine->wisprDatabase(); }
    QString settingsFile() const { return m_machine->path(QStringLiteral("settings.json")); }
    Configuration configuration(bool catalogue) const;
    GitHubStep *gitHubStep() const { return m_view->findChild<GitHubStep *>(); }
    ToolsStep *toolsStep() const { return m_view->findChild<ToolsStep *>(); }
    PagesStep *pagesStep() const { return m_view->findChild<PagesStep *>(); }

    std::unique_ptr<ToolMachine> m_machine;
    std::optional<int> m_welcomeStep;
    QString m_gitHubWeb; // the test run's own when empty
    std::shared_ptr<InMemoryCredentialStore> m_credentials;
    std::unique_ptr<FrameModel> m_model;
    std::unique_ptr<OnboardingView> m_view;
    int m_closes = 0;
};

void TestOnboardingView::initTestCase()
{
    ToolMachine::requireZsh();
}

void TestOnboardingView::init()
{
    m_machine = std::make_unique<ToolMachine>();
    QVERIFY(m_machine->enter());
    m_welcomeStep.reset();
    m_gitHubWeb.clear();
    Defaults::remove(clientIdKey);
    Defaults::remove(CalendarStore::accessKey);
    Defaults::remove(QStringLiteral("onboarded"));
    m_credentials = std::make_shared<InMemoryCredentialStore>();
    m_closes = 0;
}

void TestOnboardingView::cleanup()
{
    if (m_view)
        QTRY_VERIFY_WITH_TIMEOUT(!m_view->state().isChecking(), waitMs);
    if (m_model)
        QTRY_VERIFY_WITH_TIMEOUT(!m_model->isRefreshing(), waitMs);
    m_view.reset();
    m_model.reset();
    Defaults::remove(clientIdKey);
    Defaults::remove(CalendarStore::accessKey);
    Defaults::remove(QStringLiteral("onboarded"));
}

Configuration TestOnboardingView::configuration(bool catalogue) const
{
    // Without a catalogue a refresh asked for by the end of the flow has nothing to draw.
    Configuration configuration =
        m_machine->configuration(catalogue ? QStringLiteral(TESSARINE_TEST_VIEWS) : QString());
    configuration.welcomeStep = m_welcomeStep;
    if (!m_gitHubWeb.isEmpty())
        configuration.gitHubWeb = m_gitHubWeb;
    return configuration;
}

void TestOnboardingView::makeView(bool catalogue)
{
    m_model = std::make_unique<FrameModel>(configuration(catalogue), m_credentials);
    m_view = std::make_unique<OnboardingView>(*m_model, [this] { ++m_closes; });
}

void TestOnboardingView::showAndWaitForSearch()
{
    if (!m_view)
        makeView();
    m_view->show();
    QTRY_VERIFY_WITH_TIMEOUT(m_view->preselected(), waitMs);
}

void TestOnboardingView::configuredStep_data()
{
    QTest::addColumn<std::optional<int>>("configured");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("shown"); // the step widget's class
    QTest::addColumn<QString>("primary");
    QTest::addColumn<bool>("back");
    QTest::addColumn<QString>("dots");

    using Step = std::optional<int>;
    QTest::newRow("none") << Step() << 0 << "WelcomeIntroStep"
                          << "Continue" << false << "Step 1 of 4";
    QTest::newRow("1") << Step(1) << 1 << "GitHubStep"
                       << "Continue" << true << "Step 2 of 4";
    QTest::newRow("2") << Step(2) << 2 << "ToolsStep"
                       << "Continue" << true << "Step 3 of 4";
    QTest::newRow("3") << Step(3) << 3 << "PagesStep"
                       << "Finish" << true << "Step 4 of 4";
    QTest::newRow("7") << Step(7) << 7 << "PagesStep"
                       << "Continue" << true << "Step 8 of 4";
    QTest::newRow("-1") << Step(-1) << -1 << "PagesStep"
                        << "Continue" << false << "Step 0 of 4";
}

void TestOnboardingView::configuredStep()
{
    QFETCH(std::optional<int>, configured);
    QFETCH(int, step);
    QFETCH(QString, shown);
    QFETCH(QString, primary);
    QFETCH(bool, back);
    QFETCH(QString, dots);

    m_welcomeStep = configured;
    makeView();
    // The step is taken when the window is first shown, not when the view is made.
    QCOMPARE(m_view->step(), 0);
    m_view->show();

    QCOMPARE(m_view->step(), step);
    QCOMPARE(QString::fromLatin1(m_view->currentStep()->metaObject()->className()), shown);
    WelcomeFooter *footer = m_view->footer();
    QCOMPARE(footer->primaryButton()->text(), primary);
    QCOMPARE(footer->backButton()->isVisible(), back);
    QCOMPARE(footer->dots()->accessibleName(), dots);
}

void TestOnboardingView::stepsMoveWithContinueBackAndReturn()
{
    makeView();
    m_view->show();
    QPushButton *primary = m_view->footer()->primaryButton();
    QPushButton *back = m_view->footer()->backButton();

    QStringList seen;
    for (int press = 0; press < 3; ++press) {
        seen.append(primary->text());
        QTest::mouseClick(primary, Qt::LeftButton);
    }
    QCOMPARE(seen, (QStringList{"Continue", "Continue", "Continue"}));
    QCOMPARE(m_view->step(), 3);
    QCOMPARE(primary->text(), QStringLiteral("Finish"));

    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(m_view->step(), 2);
    QVERIFY(qobject_cast<ToolsStep *>(m_view->currentStep()));
    QCOMPARE(primary->text(), QStringLiteral("Continue"));
    QTest::mouseClick(back, Qt::LeftButton);
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(m_view->step(), 0);
    QVERIFY(!back->isVisible());

    // Return presses the primary button, wherever the focus is in the window.
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QTRY_COMPARE(m_view->step(), 1);
    QCOMPARE(m_closes, 0);
}

void TestOnboardingView::preselectsOnceAfterTheFirstSearch()
{
    findOnTheMachine({"gh", "codex", "grok", "gemini", "claude", "wispr"});
    makeView();
    QSignalSpy searched(&m_view->state(), &ConnectionsState::isCheckingChanged);
    m_view->show();
    QVERIFY(m_view->state().isChecking());
    QVERIFY(!m_view->preselected());
    QVERIFY(m_view->chosen().isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(m_view->preselected(), waitMs);
    // Gemini has no usage report, so it is never ticked for the user.
    QCOMPARE(m_view->chosen(), ids({"claude", "codex", "grok", "wispr"}));
    QVERIFY(m_view->githubReady());
    QVERIFY(m_view->useGitHub());
    QCOMPARE(m_view->chosenPlans(), (QStringList{"claude", "codex", "grok"}));

    // The user's own choices survive every later search.
    m_view->setChosen(QStringLiteral("codex"), false);
    m_view->setChosen(QStringLiteral("gemini"), true);
    m_view->setUseGitHub(false);
    searched.clear();
    m_view->state().check(m_model->screensDir());
    QTRY_COMPARE_WITH_TIMEOUT(searched.count(), 2, waitMs);
    QCOMPARE(m_view->chosen(), ids({"claude", "gemini", "grok", "wispr"}));
    QVERIFY(!m_view->useGitHub());
}

void TestOnboardingView::preselectsNothingOnABareComputer()
{
    findOnTheMachine({"gh-signed-out", "gemini"});
    showAndWaitForSearch();
    QVERIFY(m_view->chosen().isEmpty());
    QVERIFY(!m_view->githubReady());
    // Without a way to read GitHub, the pages do not show it.
    QVERIFY(!m_view->useGitHub());
    // The first page and the day page coincide here; the set holds it once, and says so.
    QCOMPARE(describe(m_view->pages(Start::recommended)), QStringList{"halves[today.date,countdown]"});
    QCOMPARE(m_view->option(Start::recommended).count, std::optional<int>(1));
    // "Just one page" would make that same page, so only the recommended set offers it.
    QVERIFY(pagesStep()->option(Start::minimal)->isHidden());
    QVERIFY(!pagesStep()->option(Start::recommended)->isHidden());
}

void TestOnboardingView::finishStoresTheChoicesAndCloses()
{
    findOnTheMachine({"gh", "claude", "codex"});
    showAndWaitForSearch();
    m_view->setChosen(QStringLiteral("wispr"), true);
    m_view->setChosen(QStringLiteral("gemini"), true);
    m_view->setStep(3);
    int editorOpened = 0;
    m_model->setOpenEditor([&editorOpened] { ++editorOpened; });

    QTest::mouseClick(m_view->footer()->primaryButton(), Qt::LeftButton);

    // Providers in their fixed order, whatever order they were ticked in.
    QCOMPARE(m_model->providers(), (QStringList{"claude", "codex", "gemini", "wispr"}));
    const QStringList expected{"wideTwo[github.overview,provider.claude,provider.codex]", "full[github.year]",
                               "halves[github.month,github.activity]", "full[plans.all]",
                               "thirds[today.date,countdown,provider.wispr]"};
    QCOMPARE(describe(m_model->pages()), expected);
    QVERIFY(Defaults::boolValue(QStringLiteral("onboarded")));
    QVERIFY(!m_model->needsWelcome());
    const QJsonObject settings = QJsonDocument::fromJson(readFile(settingsFile())).object();
    QCOMPARE(settings.value(QStringLiteral("providers")).toVariant().toStringList(), m_model->providers());
    QCOMPARE(m_closes, 1);
    QCOMPARE(editorOpened, 0);
    m_model->setOpenEditor({});
}

void TestOnboardingView::aStepBeyondThePagesFinishesAtOnce()
{
    m_welcomeStep = 7;
    makeView();
    m_view->show();
    QCOMPARE(m_view->footer()->primaryButton()->text(), QStringLiteral("Continue"));

    QTest::mouseClick(m_view->footer()->primaryButton(), Qt::LeftButton);

    QCOMPARE(m_closes, 1);
    QVERIFY(Defaults::boolValue(QStringLiteral("onboarded")));
    // Nothing was found: the recommended set is the one date-and-countdown page.
    QCOMPARE(m_model->pages().size(), 1);
}

void TestOnboardingView::blankStartOpensTheEditor()
{
    showAndWaitForSearch();
    int editorOpened = 0;
    m_model->setOpenEditor([&] {
        // The welcome window is closed before the editor opens.
        QCOMPARE(m_closes, 1);
        ++editorOpened;
    });
    m_view->setStep(3);
    QTest::mouseClick(pagesStep()->option(Start::blank), Qt::LeftButton);
    QCOMPARE(m_view->start(), Start::blank);

    m_view->next();

    QCOMPARE(describe(m_model->pages()), QStringList{"halves[-,-]"});
    QCOMPARE(editorOpened, 1);
    m_model->setOpenEditor({});
}

void TestOnboardingView::closingWithoutFinishChangesNothing()
{
    findOnTheMachine({"claude"});
    showAndWaitForSearch();
    const QList<Page> before = m_model->pages();
    m_view->setStep(3);
    m_view->close();
    QCOMPARE(m_model->pages(), before);
    QVERIFY(!Defaults::boolValue(QStringLiteral("onboarded")));
    QVERIFY(!QFile::exists(settingsFile()));
    QVERIFY(m_model->needsWelcome());
}

void TestOnboardingView::gitHubRowSignedOut_data()
{
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<bool>("clientId");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("buttons");

    QTest::newRow("GitHub CLI signed in") << QStringList{"gh"} << true << "Connected"
                                          << "Found the GitHub CLI’s login on this computer (octo-cat). You can "
                                             "sign in to Tessarine later in Connections."
                                          << QStringList();
    QTest::newRow("a client id") << QStringList() << true << "Not connected"
                                 << "Sign in with your GitHub account." << QStringList{"Sign In…"};
    QTest::newRow("GitHub CLI signed out") << QStringList{"gh-signed-out"} << false << "Not connected"
                                           << "Sign in to the GitHub CLI once: run “gh auth login” in a terminal, "
                                              "then check again."
                                           << QStringList{"Copy Command", "Check Again"};
    QTest::newRow("nothing") << QStringList() << false << "Not connected"
                             << "Tessarine reads GitHub through the GitHub CLI. Install it, run “gh auth login” in a "
                                "terminal, then check again."
                             << QStringList{"Get GitHub CLI", "Check Again"};
}

void TestOnboardingView::gitHubRowSignedOut()
{
    QFETCH(QStringList, found);
    QFETCH(bool, clientId);
    QFETCH(QString, status);
    QFETCH(QString, detail);
    QFETCH(QStringList, buttons);

    findOnTheMachine(found);
    if (clientId)
        Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showAndWaitForSearch();

    const ConnectionRowWidget *row = gitHubStep()->row();
    QCOMPARE(row->title(), QStringLiteral("GitHub"));
    QCOMPARE(row->statusText(), status);
    QCOMPARE(row->detail(), detail);
    QCOMPARE(buttonTexts(row), buttons);
    // The switch and the hint follow whether GitHub can be read at all.
    const bool ready = status == QStringLiteral("Connected");
    QCOMPARE(gitHubStep()->showGitHub()->isEnabled(), ready);
    QCOMPARE(gitHubStep()->showGitHub()->isChecked(), ready);
    QCOMPARE(gitHubStep()->hint()->isHidden(), ready);
}

void TestOnboardingView::failedSignInReadsAsSignedOut()
{
    FakeHttpServer github;
    m_gitHubWeb = github.start();
    github.setReply("POST /login/device/code", reply(R"({"device_code": "dc-1"})"));
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showAndWaitForSearch();

    QCoro::waitFor(m_model->github().signIn());

    QCOMPARE(m_model->github().state().kind(), GitHubAuthState::Kind::Failed);
    const ConnectionRowWidget *row = gitHubStep()->row();
    QCOMPARE(row->statusText(), QStringLiteral("Not connected"));
    QCOMPARE(row->detail(), QStringLiteral("Sign in with your GitHub account."));
    QCOMPARE(buttonTexts(row), QStringList{"Sign In…"});
}

void TestOnboardingView::waitingShowsTheCodeWithoutCancel()
{
    FakeHttpServer github;
    m_gitHubWeb = github.start();
    github.setReply("POST /login/device/code", reply(R"({"device_code": "dc-1", "user_code": "WDJB-MJHT", "interval": 5,
                              "verification_uri": "https://github.com/login/device"})"));
    github.setReply("POST /login/oauth/access_token", reply(R"({"error": "authorization_pending"})"));
    Defaults::setValue(clientIdKey, QStringLiteral("Iv1.test"));
    showAndWaitForSearch();
    m_view->setStep(1);
    const ConnectionRowWidget *row = gitHubStep()->row();

    QTest::mouseClick(row->action(), Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(row->statusText(), QStringLiteral("Waiting for GitHub"), waitMs);
    QCOMPARE(row->detail(), QStringLiteral("Enter this code on GitHub to finish signing in."));
    const auto *code = qobject_cast<GitHubDeviceCode *>(row->action());
    QVERIFY(code);
    QCOMPARE(code->code(), QStringLiteral("WDJB-MJHT"));
    QCOMPARE(buttonTexts(row), QStringList{"Copy Code and Open GitHub"});
    // Still waiting: the pages cannot count on GitHub yet.
    QVERIFY(!m_view->githubReady());
    QVERIFY(!gitHubStep()->showGitHub()->isEnabled());
    QCoro::waitFor(m_model->github().cancel());
}

void TestOnboardingView::toolRowsFollowWhatWasFound()
{
    findOnTheMachine({"codex", "gemini", "wispr"});
    showAndWaitForSearch();
    m_view->setStep(2);
    ToolsStep *tools = toolsStep();
    QVERIFY(!tools->isSearching());

    const QHash<QString, QPair<bool, QString>> expected{
        {"claude", {false, "Claude Code isn’t installed."}},
        {"codex", {true, "Found. Reads your ChatGPT plan’s Codex limit."}},
        {"grok", {false, "Not installed."}},
        {"gemini", {true, "Found, but Gemini CLI has no usage report yet."}},
        {"wispr", {true, "Found. Word counts only, never the text."}},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const ToolRowWidget *row = tools->row(it.key());
        QVERIFY2(row, qPrintable(it.key()));
        QCOMPARE(row->checkBox()->isEnabled(), it.value().first);
        QCOMPARE(row->detail(), it.value().second);
        QVERIFY(!row->setUpButton());
    }
    QVERIFY(tools->row(QStringLiteral("codex"))->checkBox()->isChecked());
    QVERIFY(!tools->row(QStringLiteral("gemini"))->checkBox()->isChecked());

    // Ticking and unticking change the choice, and the pages step follows.
    QTest::mouseClick(tools->row(QStringLiteral("gemini"))->checkBox(), Qt::LeftButton);
    QTest::mouseClick(tools->row(QStringLiteral("codex"))->checkBox(), Qt::LeftButton);
    QCOMPARE(m_view->chosen(), ids({"gemini", "wispr"}));
    QCOMPARE(pagesStep()->option(Start::minimal)->countText(), QStringLiteral("1 page"));
    QCOMPARE(describe(m_view->pages(Start::minimal)), QStringList{"twoThirdsLeft[provider.gemini,provider.wispr]"});
}

void TestOnboardingView::claudeSetUpTicksClaudeWithoutRefresh()
{
    findOnTheMachine({"claude"});
    showAndWaitForSearch();
    m_view->setChosen(QStringLiteral("claude"), false);
    ToolRowWidget *row = toolsStep()->row(QStringLiteral("claude"));
    QCOMPARE(row->detail(),
             QStringLiteral("Found Claude Code. Set Up adds a small status line; any you have keeps working."));
    QVERIFY(row->setUpButton());
    QSignalSpy refreshes(m_model.get(), &FrameModel::refreshRequested);

    QTest::mouseClick(row->setUpButton(), Qt::LeftButton);

    QCOMPARE(row->detail(), QStringLiteral("Connected through Claude Code’s status line."));
    QVERIFY(!row->setUpButton());
    QVERIFY(m_view->chosen().contains(QStringLiteral("claude")));
    QVERIFY(row->checkBox()->isChecked());
    QVERIFY(QFile::exists(QDir::homePath() + QStringLiteral("/.claude/settings.json")));
    QCOMPARE(refreshes.count(), 0);
}

void TestOnboardingView::failedClaudeSetUpIsIgnored()
{
    findOnTheMachine({"claude"});
    const QString claudeSettings = QDir::homePath() + QStringLiteral("/.claude/settings.json");
    QVERIFY(writeFile(claudeSettings, "{ not json"));
    showAndWaitForSearch();
    ToolRowWidget *row = toolsStep()->row(QStringLiteral("claude"));
    QSignalSpy refreshes(m_model.get(), &FrameModel::refreshRequested);

    QTest::mouseClick(row->setUpButton(), Qt::LeftButton);

    QCOMPARE(row->detail(),
             QStringLiteral("Found Claude Code. Set Up adds a small status line; any you have keeps working."));
    QVERIFY(row->setUpButton());
    QVERIFY(!m_view->state().problem());
    QCOMPARE(readFile(claudeSettings), QByteArray("{ not json"));
    QCOMPARE(refreshes.count(), 0);
}

void TestOnboardingView::calendarLine_data()
{
    QTest::addColumn<CalendarStore::Authorization>("authorization");
    QTest::addColumn<QString>("text"); // empty: the button shows instead

    QTest::newRow("not asked") << CalendarStore::Authorization::NotDetermined << QString();
    QTest::newRow("allowed") << CalendarStore::Authorization::FullAccess << "Your next events will show";
    QTest::newRow("refused") << CalendarStore::Authorization::Denied
                             << "Off. You can turn it on later in Tessarine’s privacy settings.";
}

void TestOnboardingView::calendarLine()
{
    QFETCH(CalendarStore::Authorization, authorization);
    QFETCH(QString, text);

    if (authorization != CalendarStore::Authorization::NotDetermined)
        CalendarStore().setAuthorization(authorization);
    showAndWaitForSearch();
    m_view->setStep(2);
    ToolsStep *tools = toolsStep();
    QCOMPARE(tools->allowCalendarButton()->isVisible(), text.isEmpty());
    QCOMPARE(tools->calendarText()->isVisible(), !text.isEmpty());
    QCOMPARE(tools->calendarText()->text(), text);
    QCOMPARE(tools->allowCalendarButton()->text(), QStringLiteral("Allow Calendar Access…"));
    QCOMPARE(m_view->calendarAllowed(), authorization == CalendarStore::Authorization::FullAccess);

    // An answer given elsewhere (the privacy dialog) shows at once.
    m_model->eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);
    QCOMPARE(tools->calendarText()->text(), QStringLiteral("Your next events will show"));
    QVERIFY(!tools->allowCalendarButton()->isVisible());
}

void TestOnboardingView::pagesStepDescribesEachSet()
{
    findOnTheMachine({"gh", "claude", "codex"});
    makeView(true);
    showAndWaitForSearch();
    m_view->setStep(3);
    PagesStep *pages = pagesStep();
    const Catalogue catalogue = *m_model->catalogue();

    const StartOptionWidget *recommended = pages->option(Start::recommended);
    QStringList titles;
    for (const Page &page : m_view->pages(Start::recommended))
        titles.append(catalogue.title(page));
    QCOMPARE(titles.size(), 5);
    QVERIFY(!titles.contains(QString()));
    QCOMPARE(recommended->title(), QStringLiteral("Recommended for you"));
    QCOMPARE(recommended->detail(), titles.join(QStringLiteral("  ·  ")));
    QCOMPARE(recommended->countText(), QStringLiteral("5 pages"));
    QVERIFY(recommended->isSelected());

    const StartOptionWidget *minimal = pages->option(Start::minimal);
    QVERIFY(!minimal->isHidden());
    QCOMPARE(minimal->title(), QStringLiteral("Just one page"));
    QCOMPARE(minimal->detail(), titles.first());
    QCOMPARE(minimal->countText(), QStringLiteral("1 page"));

    const StartOptionWidget *blank = pages->option(Start::blank);
    QCOMPARE(blank->title(), QStringLiteral("Start blank"));
    QCOMPARE(blank->detail(), QStringLiteral("One empty page to design yourself. Edit Layout opens next."));
    QVERIFY(blank->countText().isEmpty());

    // Leaving GitHub off on the GitHub step takes it out of the sets.
    m_view->setUseGitHub(false);
    QCOMPARE(recommended->countText(), QStringLiteral("3 pages"));
    QCOMPARE(describe(m_view->pages(Start::minimal)), QStringList{"halves[provider.claude,provider.codex]"});

    QTest::mouseClick(pages->option(Start::minimal), Qt::LeftButton);
    QCOMPARE(m_view->start(), Start::minimal);
    QVERIFY(minimal->isSelected());
    QVERIFY(!recommended->isSelected());
}

void TestOnboardingView::showWelcomeKeepsOneFreshWindow()
{
    App app(configuration(false));
    app.showWelcome();
    QPointer<QWidget> first = app.welcomeWindow();
    auto *view = qobject_cast<OnboardingView *>(first.data());
    QVERIFY(view);
    QCOMPARE(view->windowTitle(), QStringLiteral("Welcome to Tessarine"));
    QCOMPARE(view->size(), QSize(640, 580));
    QTRY_VERIFY_WITH_TIMEOUT(!view->state().isChecking(), waitMs);
    view->next();
    QCOMPARE(view->step(), 1);

    app.showWelcome();
    auto *second = qobject_cast<OnboardingView *>(app.welcomeWindow());
    QVERIFY(second && second != view);
    QCOMPARE(second->step(), 0);
    QTRY_VERIFY(!first);
    int shown = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        shown += qobject_cast<OnboardingView *>(window) && window->isVisible();
    QCOMPARE(shown, 1);

    // "Finish" closes the window through the application.
    second->setStep(3);
    second->next();
    QVERIFY(!second->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!second->state().isChecking(), waitMs);
}

void TestOnboardingView::followsADesktopTurningDark()
{
    makeView();
    m_view->show();
    QLabel *note = nullptr;
    for (QLabel *label : m_view->findChildren<QLabel *>()) {
        if (label->text().startsWith(QStringLiteral("Your AI logins never leave")))
            note = label;
    }
    QVERIFY(note);
    QVERIFY(note->palette().color(QPalette::WindowText).lightness() < 128);

    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(40, 40, 42));
    dark.setColor(QPalette::WindowText, QColor(236, 236, 238));
    QApplication::setPalette(dark);
    // The secondary texts are drawn from the dark palette, not left dark grey on dark grey.
    QTRY_VERIFY(note->palette().color(QPalette::WindowText).lightness() > 128);
    QApplication::setPalette(light);
}

void TestOnboardingView::allowCalendarAsksTheUser()
{
    App app(configuration(false));
    app.showWelcome();
    auto *view = qobject_cast<OnboardingView *>(app.welcomeWindow());
    QVERIFY(view);
    QTRY_VERIFY_WITH_TIMEOUT(view->preselected(), waitMs);
    view->setStep(2);
    ToolsStep *tools = view->findChild<ToolsStep *>();

    QTest::mouseClick(tools->allowCalendarButton(), Qt::LeftButton);

    // The application's question comes up; "Allow" answers it.
    QPushButton *allow = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                for (QPushButton *button : window->findChildren<QPushButton *>()) {
                    if (button->text() == QStringLiteral("Allow") && button->isVisible())
                        allow = button;
                }
            }
            return allow != nullptr;
        }(),
        waitMs);
    QTest::mouseClick(allow, Qt::LeftButton);
    QTRY_COMPARE(tools->calendarText()->text(), QStringLiteral("Your next events will show"));
    QVERIFY(view->calendarAllowed());
    QTRY_VERIFY_WITH_TIMEOUT(!app.model().isRefreshing(), waitMs);
}

QTEST_MAIN(TestOnboardingView)
#include "TestOnboardingView.moc"
