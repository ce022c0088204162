// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/ConnectionRows.h"

#include <QTest>

using Action = ConnectionRowState::Action;

namespace {

std::optional<ProviderEntry> entry(const QString &status, std::optional<QString> reason = std::nullopt,
                                   std::optional<QString> plan = std::nullopt)
{
    return ProviderEntry{status, std::move(reason), std::move(plan)};
}

// Monday 8 December 2025, noon, local time.
const QDateTime monday(QDate(2025, 12, 8), QTime(12, 0));

} // namespace

class TestConnectionRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void claude_data();
    void claude();
    void codex_data();
    void codex();
    void grok_data();
    void grok();
    void geminiAndWispr();
    void gitHub_data();
    void gitHub();
    void calendar_data();
    void calendar();
    void planName_data();
    void planName();
    void reportTime_data();
    void reportTime();
};

void TestConnectionRows::claude_data()
{
    QTest::addColumn<ClaudeSetup::Status>("status");
    QTest::addColumn<ConnectionRowState>("row");

    QTest::newRow("missing") << ClaudeSetup::Status::claudeCodeMissing()
                             << ConnectionRowState{ConnectionStatus::notFound,
                                                   "Install Claude Code to show your Claude plan.", Action::none};
    QTest::newRow("not set up") << ClaudeSetup::Status::notSetUp()
                                << ConnectionRowState{ConnectionStatus::attention,
                                                      "Adds a small status line to Claude Code so it can share your "
                                                      "plan usage. Any status line you already have keeps working.",
                                                      Action::setUpClaude};
    QTest::newRow("connected, no report")
        << ClaudeSetup::Status::connected()
        << ConnectionRowState{ConnectionStatus::connected,
                              "Set up. Your numbers appear after your next Claude Code session.", Action::removeClaude};
    QTest::newRow("connected, API key") << ClaudeSetup::Status::connected()
                                        << ConnectionRowState{
                                               ConnectionStatus::noData,
                                               "Claude Code reports plan usage only for Claude subscription sign-ins.",
                                               Action::removeClaude};
    QTest::newRow("reported today, API key since")
        << ClaudeSetup::Status::connected(QDateTime(monday.date(), QTime(9, 5)))
        << ConnectionRowState{ConnectionStatus::connected, "Claude Code last reported your plan usage at 09:05.",
                              Action::removeClaude};
    QTest::newRow("reported today") << ClaudeSetup::Status::connected(QDateTime(monday.date(), QTime(9, 5)))
                                    << ConnectionRowState{ConnectionStatus::connected,
                                                          "Claude Code last reported your plan usage at 09:05.",
                                                          Action::removeClaude};
    QTest::newRow("reported on Friday") << ClaudeSetup::Status::connected(QDateTime(QDate(2025, 12, 5), QTime(9, 5)))
                                        << ConnectionRowState{
                                               ConnectionStatus::connected,
                                               "Claude Code last reported your plan usage at Fri 5 Dec, 09:05.",
                                               Action::removeClaude};
}

void TestConnectionRows::claude()
{
    QFETCH(ClaudeSetup::Status, status);
    QFETCH(ConnectionRowState, row);
    const bool apiKey = QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("API key"));
    const std::optional<ProviderEntry> last =
        apiKey ? entry("unavailable", "Claude Code reports plan usage only for Claude subscription sign-ins")
               : std::nullopt;

    const ConnectionRowState actual = ConnectionRows::claude(status, monday, last);
    QCOMPARE(actual.detail, row.detail);
    QVERIFY(actual == row);
}

void TestConnectionRows::codex_data()
{
    QTest::addColumn<std::optional<ProviderEntry>>("provider");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("detail");

    const QString foundHint = QStringLiteral("Found Codex. Add a Codex widget to a page to show your plan.");
    const QString installHint = QStringLiteral("Install Codex and sign in with ChatGPT.");
    using S = ConnectionStatus;

    QTest::newRow("ok, plan plus") << entry("ok", "ignored", "plus") << true << int(S::connected)
                                   << "Signed in to ChatGPT (Plus). Read through Codex on this computer.";
    QTest::newRow("ok, plan prolite, not on the path")
        << entry("ok", std::nullopt, "prolite") << false << int(S::connected)
        << "Signed in to ChatGPT (Pro Lite). Read through Codex on this computer.";
    QTest::newRow("ok, no plan") << entry("ok") << true << int(S::connected)
                                 << "Signed in to ChatGPT. Read through Codex on this computer.";
    QTest::newRow("ok, empty plan") << entry("ok", std::nullopt, "") << true << int(S::connected)
                                    << "Signed in to ChatGPT. Read through Codex on this computer.";
    QTest::newRow("status OK is not ok") << entry("OK") << true << int(S::attention) << foundHint;
    QTest::newRow("error with reason, found") << entry("unavailable", "Sign in to Codex with ChatGPT") << true
                                              << int(S::attention) << "Sign in to Codex with ChatGPT";
    // "Not installed" never stands beside a request to sign in.
    QTest::newRow("error with reason, missing")
        << entry("unavailable", "Sign in to Codex on this computer") << false << int(S::notFound) << installHint;
    QTest::newRow("error, no reason, found") << entry("error") << true << int(S::attention) << foundHint;
    QTest::newRow("error, empty reason, found") << entry("error", "") << true << int(S::attention) << foundHint;
    QTest::newRow("error, no reason, missing") << entry("error") << false << int(S::notFound) << installHint;
    QTest::newRow("no entry, found") << std::optional<ProviderEntry>() << true << int(S::found) << foundHint;
    QTest::newRow("no entry, missing") << std::optional<ProviderEntry>() << false << int(S::notFound) << installHint;
}

void TestConnectionRows::codex()
{
    QFETCH(std::optional<ProviderEntry>, provider);
    QFETCH(bool, found);
    QFETCH(int, status);
    QFETCH(QString, detail);

    const ConnectionRowState row = ConnectionRows::codex(provider, found);
    QCOMPARE(row.detail, detail);
    QCOMPARE(int(row.status), status);
    QCOMPARE(row.action, Action::none);
}

void TestConnectionRows::grok_data()
{
    QTest::addColumn<std::optional<ProviderEntry>>("provider");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("detail");

    const QString foundHint = QStringLiteral("Found Grok. Add a Grok widget to a page to show your plan.");
    const QString installHint = QStringLiteral("Install Grok to show your plan.");
    using S = ConnectionStatus;

    QTest::newRow("ok, plan and reason not shown") << entry("ok", "ignored", "supergrok") << true << int(S::connected)
                                                   << "Reading your plan usage through Grok on this computer.";
    QTest::newRow("error, no reason, found") << entry("error") << true << int(S::noData) << foundHint;
    QTest::newRow("error with reason, found")
        << entry("unavailable", "Grok has no usage yet") << true << int(S::noData) << "Grok has no usage yet";
    QTest::newRow("error with reason, missing")
        << entry("unavailable", "Grok is not signed in or not installed") << false << int(S::notFound) << installHint;
    QTest::newRow("error, no reason, missing") << entry("error") << false << int(S::notFound) << installHint;
    QTest::newRow("no entry, found") << std::optional<ProviderEntry>() << true << int(S::found) << foundHint;
    QTest::newRow("no entry, missing") << std::optional<ProviderEntry>() << false << int(S::notFound) << installHint;
}

void TestConnectionRows::grok()
{
    QFETCH(std::optional<ProviderEntry>, provider);
    QFETCH(bool, found);
    QFETCH(int, status);
    QFETCH(QString, detail);

    const ConnectionRowState row = ConnectionRows::grok(provider, found);
    QCOMPARE(row.detail, detail);
    QCOMPARE(int(row.status), status);
}

void TestConnectionRows::geminiAndWispr()
{
    const Provider &gemini = *Provider::find(QStringLiteral("gemini"));
    QVERIFY(ConnectionRows::noReport(gemini, true) ==
            (ConnectionRowState{ConnectionStatus::noData, "Found Gemini CLI, but it has no usage report yet."}));
    QVERIFY(ConnectionRows::noReport(gemini, false) ==
            (ConnectionRowState{ConnectionStatus::notFound, "Install Gemini CLI. It has no usage report yet."}));
    QVERIFY(ConnectionRows::wispr(true) ==
            (ConnectionRowState{ConnectionStatus::connected,
                                "Reading word counts from Wispr Flow on this computer, never the dictated text."}));
    QVERIFY(ConnectionRows::wispr(false) ==
            (ConnectionRowState{ConnectionStatus::notFound, "Install Wispr Flow to show your dictation."}));
}

void TestConnectionRows::gitHub_data()
{
    QTest::addColumn<ConnectionRows::GitHubSignIn>("signIn");
    QTest::addColumn<QString>("cliLogin"); // empty: none
    QTest::addColumn<bool>("hasClientId");
    QTest::addColumn<bool>("cliFound");
    QTest::addColumn<ConnectionRowState>("row");

    using S = ConnectionStatus;
    using SignIn = ConnectionRows::GitHubSignIn;
    const SignIn signedOut = SignIn::from(GitHubAuthState::signedOut());
    const QString cliHint =
        QStringLiteral("Sign in to the GitHub CLI once: run “gh auth login” in a terminal, then check again.");
    const QString installHint = QStringLiteral("Tessarine reads GitHub through the GitHub CLI. Install it, run “gh "
                                               "auth login” in a terminal, then check again.");

    QTest::newRow("waiting") << SignIn::from(
                                    GitHubAuthState::waiting("WDJB-MJHT", QUrl("https://github.com/login/device")))
                             << QString() << true << true
                             << ConnectionRowState{S::waiting,
                                                   "Enter this code at github.com/login/device to finish signing in.",
                                                   Action::deviceCode};
    QTest::newRow("waiting, path with a space")
        << SignIn::waiting("C0DE", QUrl("https://github.example/login/my device")) << QString() << true << true
        << ConnectionRowState{S::waiting, "Enter this code at github.example/login/my%20device to finish signing in.",
                              Action::deviceCode};
    QTest::newRow("waiting, no host") << SignIn::waiting("C0DE", QUrl("/login/device")) << QString() << true << true
                                      << ConnectionRowState{S::waiting,
                                                            "Enter this code at github.com/login/device to finish "
                                                            "signing in.",
                                                            Action::deviceCode};
    QTest::newRow("signed in") << SignIn::from(GitHubAuthState::signedIn("octocat")) << "cli-user" << true << true
                               << ConnectionRowState{S::connected, "Signed in as octocat.", Action::signOut};
    QTest::newRow("failed") << SignIn::from(GitHubAuthState::failed("Your GitHub sign-in expired. Sign in again."))
                            << "cli-user" << true << true
                            << ConnectionRowState{S::attention, "Your GitHub sign-in expired. Sign in again.",
                                                  Action::signIn};
    QTest::newRow("failed, no client id")
        << SignIn::failed("Tessarine’s GitHub App isn’t set up in this build yet.") << QString() << false << true
        << ConnectionRowState{S::attention, "Tessarine’s GitHub App isn’t set up in this build yet.", Action::none};
    QTest::newRow("signed out, CLI login") << signedOut << "mona" << true << false
                                           << ConnectionRowState{S::connected,
                                                                 "Using the GitHub CLI’s login on this computer "
                                                                 "(mona).",
                                                                 Action::signIn};
    QTest::newRow("signed out, CLI login, no client id")
        << signedOut << "mona" << false << true
        << ConnectionRowState{S::connected, "Using the GitHub CLI’s login on this computer (mona).", Action::none};
    QTest::newRow("signed out, client id")
        << signedOut << QString() << true << true
        << ConnectionRowState{S::notConnected, "Sign in to show your contributions, pull requests and releases.",
                              Action::signIn};
    QTest::newRow("signed out, no client id, CLI found")
        << signedOut << QString() << false << true
        << ConnectionRowState{S::notConnected, cliHint, Action::gitHubCliCopyCommand};
    QTest::newRow("signed out, no client id, no CLI")
        << signedOut << QString() << false << false
        << ConnectionRowState{S::notConnected, installHint, Action::gitHubCliInstall};
}

void TestConnectionRows::gitHub()
{
    QFETCH(ConnectionRows::GitHubSignIn, signIn);
    QFETCH(QString, cliLogin);
    QFETCH(bool, hasClientId);
    QFETCH(bool, cliFound);
    QFETCH(ConnectionRowState, row);

    const auto login = cliLogin.isEmpty() ? std::nullopt : std::optional<QString>(cliLogin);
    const ConnectionRowState actual = ConnectionRows::gitHub(signIn, login, hasClientId, cliFound);
    QCOMPARE(actual.detail, row.detail);
    QCOMPARE(actual.status, row.status);
    QCOMPARE(actual.action, row.action);
}

void TestConnectionRows::calendar_data()
{
    QTest::addColumn<CalendarStore::Authorization>("authorization");
    QTest::addColumn<ConnectionRowState>("row");

    using Access = CalendarStore::Authorization;
    QTest::newRow("not determined") << Access::NotDetermined
                                    << ConnectionRowState{ConnectionStatus::attention,
                                                          "Allow access to show your next events.",
                                                          Action::allowCalendar};
    QTest::newRow("full access") << Access::FullAccess
                                 << ConnectionRowState{ConnectionStatus::connected,
                                                       "Your next 7 days from all calendars. Titles and times only."};
    QTest::newRow("denied") << Access::Denied
                            << ConnectionRowState{ConnectionStatus::notConnected, "Calendar access is off.",
                                                  Action::openPrivacySettings};
}

void TestConnectionRows::calendar()
{
    QFETCH(CalendarStore::Authorization, authorization);
    QFETCH(ConnectionRowState, row);

    QVERIFY(ConnectionRows::calendar(authorization) == row);
}

void TestConnectionRows::planName_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("name");

    QTest::newRow("plus") << "plus"
                          << "Plus";
    QTest::newRow("prolite") << "prolite"
                             << "Pro Lite";
    QTest::newRow("lite alone") << "lite"
                                << "Lite";
    QTest::newRow("upper case") << "PRO"
                                << "Pro";
    QTest::newRow("spaces") << "  team   plan "
                            << "Team Plan";
    QTest::newRow("empty") << ""
                           << "";
}

void TestConnectionRows::planName()
{
    QFETCH(QString, plan);
    QFETCH(QString, name);

    QCOMPARE(ConnectionRows::planName(plan), name);
}

void TestConnectionRows::reportTime_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");

    QTest::newRow("today") << QDateTime(monday.date(), QTime(9, 5)) << "09:05";
    QTest::newRow("just after midnight") << QDateTime(monday.date(), QTime(0, 1)) << "00:01";
    QTest::newRow("yesterday") << QDateTime(QDate(2025, 12, 7), QTime(23, 59)) << "Sun 7 Dec, 23:59";
    QTest::newRow("last Friday") << QDateTime(QDate(2025, 12, 5), QTime(9, 5)) << "Fri 5 Dec, 09:05";
    QTest::newRow("a year ago") << QDateTime(QDate(2024, 12, 8), QTime(21, 30)) << "Sun 8 Dec, 21:30";
}

void TestConnectionRows::reportTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, text);

    QCOMPARE(ConnectionRows::reportTime(time, monday), text);
    QCOMPARE(ConnectionRows::reportTime(time.toUTC(), monday.toUTC()), text);
}

QTEST_GUILESS_MAIN(TestConnectionRows)
#include "TestConnectionRows.moc"
