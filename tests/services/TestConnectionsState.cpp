// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "ToolMachine.h"
#include "kit/Provider.h"
#include "services/ConnectionsState.h"
#include "ui/common/ConnectionRows.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::fixture;
using TestSupport::readFile;
using TestSupport::writeFile;
using ToolPaths = ConnectionsState::ToolPaths;
using Providers = ConnectionsState::Providers;

namespace {

constexpr int probeWaitMs = 15000;

// The connections window's row of a provider, worded from the state.
ConnectionRowState row(const ConnectionsState &state, const char *id)
{
    return ConnectionRows::provider(*Provider::find(QLatin1String(id)), state);
}

ConnectionRowState gitHubRow(const ConnectionsState &state)
{
    return ConnectionRows::gitHub(ConnectionRows::GitHubSignIn::signedOut(), state, false);
}

// A fake GitHub CLI: every run is logged, and "gh api user" prints the login (or nothing).
QByteArray fakeGh(const QString &log, const QByteArray &login)
{
    return "#!/bin/sh\necho \"$*\" >> '" + QFile::encodeName(log) + "'\nif [ \"$1 $2\" = 'api user' ]; then printf '" +
           login + "'; fi\n";
}

bool writeRawScript(const QByteArray &path, const QByteArray &body)
{
    std::FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(body.constData(), 1, size_t(body.size()), file) == size_t(body.size());
    return std::fclose(file) == 0 && written && ::chmod(path.constData(), 0755) == 0;
}

} // namespace

class TestConnectionsState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void parseProbe_data();
    void parseProbe();
    void readProviders_data();
    void readProviders();

    void checkFindsToolsThroughTheLoginShell();
    void twoQuickChecksStartOneProbe();
    void unchangedResultsNotifyNobody();
    void gitHubCliWithoutLogin();
    void outputThatIsNotUtf8CountsAsEmpty();
    void probeThatHangsIsStopped();
    void probeThatPrintsGarbage();
    void badDataDocumentKeepsProviders();
    void claudeActionsSetAndClearTheProblem();
    void wisprInstalled();
    void everyProviderIsFoundItsOwnWay();
    void stateGoneBeforeTheProbeEnds();

private:
    QString tool(const QString &name, const QByteArray &body = "#!/bin/sh\n") { return m_machine->tool(name, body); }
    QString ghLog() const { return m_machine->path(QStringLiteral("gh-runs.log")); }
    int probeRuns() const { return readFile(ghLog()).count('\n'); }
    void waitForProbe(ConnectionsState &state);

    std::unique_ptr<ToolMachine> m_machine;
    QString m_screens;
};

void TestConnectionsState::initTestCase()
{
    // zsh keeps the PATH it is given, where a login sh would take it from /etc/profile, so the
    // fake tools are what the probe finds.
    ToolMachine::requireZsh();
}

void TestConnectionsState::init()
{
    m_machine = std::make_unique<ToolMachine>(QStringLiteral("tools=bin")); // an "=" in the path the probe prints
    QVERIFY(m_machine->enter());
    m_screens = m_machine->screens();
}
void TestConnectionsState::waitForProbe(ConnectionsState &state)
{
    QTRY_VERIFY_WITH_TIMEOUT(!state.isChecking(), probeWaitMs);
}

void TestConnectionsState::parseProbe_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<ToolPaths>("tools");
    QTest::addColumn<QString>("ghLogin"); // empty: none

    QTest::newRow("typical") << QString::fromUtf8(fixture("connections/probe-typical.txt"))
                             << ToolPaths{{"gh", "/usr/bin/gh"},
                                          {"codex", "/home/alex/.npm-global/bin/codex"},
                                          {"claude", "/home/alex/.local/bin/claude"}}
                             << "octocat";
    QTest::newRow("three lines") << QString::fromUtf8(fixture("connections/probe-three-lines.txt"))
                                 << ToolPaths{{"gh", "/opt/tools=1/bin/gh"}} << "mona";
    QTest::newRow("empty login") << QString::fromUtf8(fixture("connections/probe-gh-signed-out.txt"))
                                 << ToolPaths{{"gh", "/usr/bin/gh"}} << QString();
    QTest::newRow("empty output") << QString() << ToolPaths{} << QString();
    QTest::newRow("later line wins") << "gh=/a/gh\ngh=/b/gh\ngh=\n" << ToolPaths{{"gh", "/b/gh"}} << QString();
    QTest::newRow("value of equals signs") << "grok===\n" << ToolPaths{{"grok", "=="}} << QString();
    QTest::newRow("leading equals signs") << "==codex=/c\n=\n==\n" << ToolPaths{{"codex", "/c"}} << QString();
    QTest::newRow("no equals sign, blank lines") << "\n\nclaude\n\n" << ToolPaths{} << QString();
    QTest::newRow("no final newline") << "gemini=/g/gemini" << ToolPaths{{"gemini", "/g/gemini"}} << QString();
    QTest::newRow("login cleaned to one line")
        << QStringLiteral("gh=/usr/bin/gh\nghlogin=mo\u202ena\a\t\n") << ToolPaths{{"gh", "/usr/bin/gh"}} << "mona";
    QTest::newRow("login of control characters only")
        << QStringLiteral("ghlogin=\a\u202e\n") << ToolPaths{} << QString();
    QTest::newRow("spaces kept") << "codex=/Applications dir/codex \n"
                                 << ToolPaths{{"codex", "/Applications dir/codex "}} << QString();
}

void TestConnectionsState::parseProbe()
{
    QFETCH(QString, output);
    QFETCH(ToolPaths, tools);
    QFETCH(QString, ghLogin);

    const ConnectionsState::ProbeResult result = ConnectionsState::parseProbe(output);
    QCOMPARE(result.tools, tools);
    QCOMPARE(result.ghLogin.has_value(), !ghLogin.isEmpty());
    if (result.ghLogin)
        QCOMPARE(*result.ghLogin, ghLogin);
}

void TestConnectionsState::readProviders_data()
{
    QTest::addColumn<QByteArray>("document"); // null: no file
    QTest::addColumn<std::optional<Providers>>("providers");

    const std::optional<Providers> kept;
    QTest::newRow("data document")
        << fixture("connections/data-providers.json")
        << std::optional<Providers>(Providers{
               {"claude", {"empty", "Appears after the next Claude Code session on this computer", std::nullopt}},
               {"codex", {"ok", std::nullopt, "prolite"}},
               {"grok", {"error", std::nullopt, std::nullopt}},
               {"wispr", {"ok", std::nullopt, std::nullopt}}});
    QTest::newRow("no providers yet") << QByteArray(R"({"ai": {"providers": []}})") << std::optional(Providers{});
    QTest::newRow("no file") << QByteArray() << kept;
    QTest::newRow("not JSON") << QByteArray("{\"ai\": ") << kept;
    QTest::newRow("array") << QByteArray(R"([{"ai": {"providers": []}}])") << kept;
    QTest::newRow("no ai") << QByteArray(R"({"github": {}})") << kept;
    QTest::newRow("ai an array") << QByteArray(R"({"ai": [{"providers": []}]})") << kept;
    QTest::newRow("providers an object") << QByteArray(R"({"ai": {"providers": {"id": "codex"}}})") << kept;
}

void TestConnectionsState::readProviders()
{
    QFETCH(QByteArray, document);
    QFETCH(std::optional<Providers>, providers);

    const QString path = m_screens + QStringLiteral("/data.json");
    if (!document.isNull())
        QVERIFY(writeFile(path, document));
    const std::optional<Providers> actual = ConnectionsState::readProviders(path);
    QCOMPARE(actual.has_value(), providers.has_value());
    if (actual)
        QCOMPARE(*actual, *providers);
}

void TestConnectionsState::checkFindsToolsThroughTheLoginShell()
{
    const QString gh = tool(QStringLiteral("gh"), fakeGh(ghLog(), "mona"));
    const QString codex = tool(QStringLiteral("codex"));
    QVERIFY(writeFile(m_screens + QStringLiteral("/data.json"), fixture("connections/data-providers.json")));
    ConnectionsState state;
    QSignalSpy checking(&state, &ConnectionsState::isCheckingChanged);

    state.check(m_screens);

    QVERIFY(state.isChecking());
    QCOMPARE(state.claude(), ClaudeSetup::Status::claudeCodeMissing());
    QCOMPARE(state.provider(QStringLiteral("codex"))->plan, std::optional<QString>(QStringLiteral("prolite")));
    waitForProbe(state);
    QCOMPARE(checking.count(), 2);
    QCOMPARE(state.tools(), (ToolPaths{{"gh", gh}, {"codex", codex}}));
    QCOMPARE(state.ghLogin(), std::optional<QString>(QStringLiteral("mona")));
    QCOMPARE(row(state, "codex").detail,
             QStringLiteral("Signed in to ChatGPT (Pro Lite). Read through Codex on this computer."));
    QCOMPARE(row(state, "gemini").status, ConnectionStatus::notFound);
    QCOMPARE(gitHubRow(state).detail, QStringLiteral("Using the GitHub CLI’s login on this computer (mona)."));
}

void TestConnectionsState::twoQuickChecksStartOneProbe()
{
    tool(QStringLiteral("gh"), fakeGh(ghLog(), "mona"));
    ConnectionsState state;
    QSignalSpy checking(&state, &ConnectionsState::isCheckingChanged);

    state.check(m_screens);
    QVERIFY(writeFile(m_screens + QStringLiteral("/data.json"), fixture("connections/data-providers.json")));
    QVERIFY(writeFile(m_machine->path(QStringLiteral("home/.claude/settings.json")), "{}"));
    state.check(m_screens);

    // The second check read the disk again while the first probe was still running.
    QVERIFY(state.isChecking());
    QCOMPARE(state.providers().size(), 4);
    QCOMPARE(state.claude(), ClaudeSetup::Status::notSetUp());
    waitForProbe(state);
    QCOMPARE(probeRuns(), 1);
    QCOMPARE(checking.count(), 2);

    state.check(m_screens);
    waitForProbe(state);
    QCOMPARE(probeRuns(), 2);
}

void TestConnectionsState::unchangedResultsNotifyNobody()
{
    tool(QStringLiteral("gh"), fakeGh(ghLog(), "mona"));
    QVERIFY(writeFile(m_screens + QStringLiteral("/data.json"), fixture("connections/data-providers.json")));
    ConnectionsState state;
    QSignalSpy tools(&state, &ConnectionsState::toolsChanged);
    QSignalSpy login(&state, &ConnectionsState::ghLoginChanged);
    QSignalSpy providers(&state, &ConnectionsState::providersChanged);
    QSignalSpy claude(&state, &ConnectionsState::claudeChanged);

    for (int run = 0; run < 2; ++run) {
        state.check(m_screens);
        waitForProbe(state);
    }

    QCOMPARE(tools.count(), 1);
    QCOMPARE(login.count(), 1);
    QCOMPARE(providers.count(), 1);
    QCOMPARE(claude.count(), 1); // from the initial notSetUp to claudeCodeMissing
}

void TestConnectionsState::gitHubCliWithoutLogin()
{
    const QString gh = tool(QStringLiteral("gh"), fakeGh(ghLog(), ""));
    ConnectionsState state;

    state.check(m_screens);
    waitForProbe(state);

    QCOMPARE(state.tools(), (ToolPaths{{"gh", gh}}));
    QCOMPARE(state.ghLogin(), std::nullopt);
    QCOMPARE(probeRuns(), 1);
    QCOMPARE(gitHubRow(state).action, ConnectionRowState::Action::gitHubCliCopyCommand);
}

void TestConnectionsState::outputThatIsNotUtf8CountsAsEmpty()
{
    const QByteArray bin = QFile::encodeName(m_machine->path(QStringLiteral("tools-"))) + "\xff";
    QCOMPARE(::mkdir(bin.constData(), 0755), 0);
    // QTemporaryDir cannot name this folder, so it is removed here.
    const auto removeBin = qScopeGuard([bin] {
        ::unlink(QByteArray(bin + "/gh").constData());
        ::rmdir(bin.constData());
    });
    QVERIFY(writeRawScript(bin + "/gh", fakeGh(ghLog(), "mona")));
    qputenv("PATH", bin);
    ConnectionsState state;

    state.check(m_screens);
    waitForProbe(state);

    QCOMPARE(probeRuns(), 1);             // the fake CLI was found and run,
    QCOMPARE(state.tools(), ToolPaths{}); // but the probe's output could not be read
    QCOMPARE(state.ghLogin(), std::nullopt);
}

// A GitHub CLI that never answers holds the probe only until its time-out; the tools printed
// before it count, the login does not, and the state can check again.
void TestConnectionsState::probeThatHangsIsStopped()
{
    const QString gh = tool(QStringLiteral("gh"), "#!/bin/sh\n[ \"$1 $2\" = 'api user' ] && exec sleep 60\n");
    const QString codex = tool(QStringLiteral("codex"));
    ConnectionsState state;
    state.setProbeTimeout(std::chrono::milliseconds(500));

    state.check(m_screens);
    waitForProbe(state); // well before the CLI's minute is up
    QCOMPARE(state.tools(), (ToolPaths{{"gh", gh}, {"codex", codex}}));
    QCOMPARE(state.ghLogin(), std::nullopt);
    state.check(m_screens);
    QVERIFY(state.isChecking());
    waitForProbe(state);
}

// Whatever the login profile or the GitHub CLI prints around the probe's lines never makes a
// tool or a login out of nothing.
void TestConnectionsState::probeThatPrintsGarbage()
{
    QVERIFY(writeFile(m_machine->path(QStringLiteral("home/.zshenv")), "printf 'Welcome!\\n=\\n==\\n\\001\\002\\n'\n"));
    // A login preceded by blank lines leaves "ghlogin=" alone on its line, which is no login.
    const QString gh = tool(QStringLiteral("gh"), "#!/bin/sh\nprintf '\\n\\n  mona  \\n\\n'\n");
    ConnectionsState state;

    state.check(m_screens);
    waitForProbe(state);

    QCOMPARE(state.tools(), (ToolPaths{{"gh", gh}}));
    QCOMPARE(state.ghLogin(), std::nullopt);
}

void TestConnectionsState::badDataDocumentKeepsProviders()
{
    const QString data = m_screens + QStringLiteral("/data.json");
    QVERIFY(writeFile(data, fixture("connections/data-providers.json")));
    ConnectionsState state;
    state.check(m_screens);
    const Providers first = state.providers();
    QCOMPARE(first.size(), 4);

    for (const QByteArray &bad : {QByteArray("\xff\xfe"), QByteArray(R"({"ai": null})"), QByteArray("[]")}) {
        QVERIFY(writeFile(data, bad));
        state.check(m_screens);
        QCOMPARE(state.providers(), first);
    }
    QVERIFY(QFile::remove(data));
    state.check(m_screens);
    QCOMPARE(state.providers(), first);

    QVERIFY(writeFile(data, R"({"ai": {"providers": []}})"));
    state.check(m_screens);
    QCOMPARE(state.providers(), Providers{});
    QCOMPARE(row(state, "codex").status, ConnectionStatus::notFound);
    waitForProbe(state);
}

void TestConnectionsState::claudeActionsSetAndClearTheProblem()
{
    const QString settings = m_machine->path(QStringLiteral("home/.claude/settings.json"));
    const QByteArray ours = R"({"statusLine": {"type": "command", "command": "'/x/Tessarine/claude-statusline.sh'"}})";
    QVERIFY(writeFile(settings, "[]"));
    ConnectionsState state;
    QSignalSpy problem(&state, &ConnectionsState::problemChanged);

    QVERIFY(!state.removeClaude());
    QCOMPARE(state.problem(), std::optional<QString>(QStringLiteral(
                                  "Claude Code’s settings file isn’t valid JSON, so Tessarine left it alone.")));
    QCOMPARE(readFile(settings), QByteArray("[]"));

    // A check leaves the problem in place; only a later successful action clears it.
    state.check(m_screens);
    QVERIFY(state.problem());
    QVERIFY(writeFile(settings, ours));
    state.refreshClaude();
    QCOMPARE(state.claude(), ClaudeSetup::Status::connected());

    QVERIFY(state.removeClaude());
    QCOMPARE(state.problem(), std::nullopt);
    QCOMPARE(problem.count(), 2);
    QCOMPARE(state.claude(), ClaudeSetup::Status::notSetUp());
    QCOMPARE(row(state, "claude").action, ConnectionRowState::Action::setUpClaude);
    waitForProbe(state);
}

void TestConnectionsState::wisprInstalled()
{
    ConnectionsState state;
    QVERIFY(!state.wisprInstalled());
    QCOMPARE(row(state, "wispr").status, ConnectionStatus::notFound);

    QVERIFY(writeFile(m_machine->path(QStringLiteral("data/Wispr Flow/flow.sqlite")), "SQLite format 3"));

    QVERIFY(state.wisprInstalled());
    QCOMPARE(row(state, "wispr").status, ConnectionStatus::connected);
}

// Claude by its settings folder, the command-line tools by the probe, Wispr Flow by its database:
// each provider is found the way the providers table says, and only then.
void TestConnectionsState::everyProviderIsFoundItsOwnWay()
{
    const auto found = [](const ConnectionsState &state) {
        QStringList ids;
        for (const Provider &provider : Provider::all()) {
            if (state.isFound(provider))
                ids.append(provider.id);
        }
        return ids;
    };
    // The probe looks for the GitHub CLI and every provider's tool.
    for (const QString &name : QStringList{"gh", "claude", "codex", "grok", "gemini"})
        QVERIFY2(ConnectionsState::probeScript.contains(QLatin1Char(' ') + name + QLatin1Char(' ')) ||
                     ConnectionsState::probeScript.contains(QLatin1Char(' ') + name + QLatin1Char(';')),
                 qPrintable(name));

    ConnectionsState state;
    state.check(m_screens);
    waitForProbe(state);
    QCOMPARE(found(state), QStringList());

    // A "claude" program alone is not Claude Code: its settings folder is what counts.
    tool(QStringLiteral("claude"));
    tool(QStringLiteral("grok"));
    tool(QStringLiteral("gemini"));
    QVERIFY(writeFile(m_machine->path(QStringLiteral("data/Wispr Flow/flow.sqlite")), "SQLite format 3"));
    state.check(m_screens);
    waitForProbe(state);
    QCOMPARE(found(state), (QStringList{"grok", "gemini", "wispr"}));

    QVERIFY(QDir().mkpath(m_machine->path(QStringLiteral("home/.claude"))));
    tool(QStringLiteral("codex"));
    state.check(m_screens);
    waitForProbe(state);
    QCOMPARE(found(state), (QStringList{"claude", "codex", "grok", "gemini", "wispr"}));
}

// The window and its state may close while the probe runs; the probe's result is then dropped.
void TestConnectionsState::stateGoneBeforeTheProbeEnds()
{
    tool(QStringLiteral("gh"), fakeGh(ghLog(), "mona"));
    auto *state = new ConnectionsState;
    QPointer<ConnectionsState> watcher(state);
    state->check(m_screens);
    delete state;

    ConnectionsState later;
    later.check(m_screens);
    waitForProbe(later); // the first probe started earlier and has ended by now too
    QTRY_COMPARE_WITH_TIMEOUT(probeRuns(), 2, probeWaitMs);
    QVERIFY(watcher.isNull());
    QCOMPARE(later.ghLogin(), std::optional<QString>(QStringLiteral("mona")));
}

QTEST_GUILESS_MAIN(TestConnectionsState)
#include "TestConnectionsState.moc"
