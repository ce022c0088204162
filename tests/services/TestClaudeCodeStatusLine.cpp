// SPDX-License-Identifier: GPL-3.0-or-later
// Set Up and Remove checked against the real Claude Code (installed for the tests by
// scripts/install-test-tools): for each shape of settings file, Claude Code's own "claude doctor"
// finds no invalid setting afterwards, and the status line the user had prints the same bytes and
// ends with the same status through Tessarine's script as it did on its own.
//
// Claude Code 2.1 runs a status-line command with "/bin/sh -c <command>" (whatever the user's
// shell is), in the session's working directory, with its status as one line of JSON and a line
// break on standard input, which it then closes; runAsClaudeCode() does the same.
#include "FakeTools.h"
#include "TestSupport.h"
#include "data/UserEnvironment.h"
#include "services/ClaudeSetup.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

namespace {

constexpr int doctorWaitMs = 60000;

struct Run
{
    QByteArray output;
    int status = -1;
};

const QByteArray claudeStatus =
    "{\"session_id\":\"4f1c\",\"cwd\":\"%1\",\"model\":{\"id\":\"claude-opus-5\",\"display_name\":\"Opus\"},"
    "\"workspace\":{\"current_dir\":\"%1\",\"project_dir\":\"%1\"},\"version\":\"2.1.328\"}";

QString projectDir()
{
    return QDir::homePath() + QStringLiteral("/project");
}

Run runAsClaudeCode(const QString &command)
{
    QProcess process;
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({QStringLiteral("-c"), command});
    process.setWorkingDirectory(projectDir());
    process.start();
    process.write(QString::fromUtf8(claudeStatus).arg(projectDir()).toUtf8() + '\n');
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        return {};
    return {process.readAllStandardOutput(), process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1};
}

QString statusLineCommand(const QString &settingsPath)
{
    QFile file(settingsPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return QJsonDocument::fromJson(bytes)
        .object()
        .value(QStringLiteral("statusLine"))
        .toObject()
        .value(QStringLiteral("command"))
        .toString();
}

QString claudeProgram()
{
    return qEnvironmentVariable("TESSARINE_TEST_TOOLS") + QStringLiteral("/node_modules/.bin/claude");
}

// What "claude doctor" says about the settings, read offline from the test's own home (and
// $CLAUDE_CONFIG_DIR when the row sets it).
QString doctor()
{
    QProcess process;
    process.setWorkingDirectory(projectDir());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(claudeProgram(), {QStringLiteral("doctor")});
    if (!process.waitForFinished(doctorWaitMs)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("claude doctor did not finish");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestClaudeCodeStatusLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test edits Claude Code's settings");
        if (!QFileInfo(claudeProgram()).isExecutable()) {
            if (FakeTools::inContinuousIntegration())
                QFAIL("Claude Code is missing: TESSARINE_TEST_TOOLS must name the folder scripts/install-test-tools "
                      "prints");
            QSKIP("Claude Code for the tests is not installed (make test installs it)");
        }
        QDir().mkpath(projectDir());
        qputenv("CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC", "1");
        TestSupport::writeScript(QDir::homePath() + QStringLiteral("/bin/my-status.sh"),
                                 "#!/bin/sh\nprintf '%s|%s|' \"$0\" \"$PWD\"; wc -c\nexit 0\n");
    }

    void setUpAndRemoveKeepTheStatusLine_data()
    {
        QTest::addColumn<QByteArray>("settings"); // empty: no settings file
        QTest::addColumn<bool>("inConfigDir");

        QTest::newRow("no settings") << QByteArray() << false;
        QTest::newRow("a bash-syntax status line")
            << QByteArray("{\"statusLine\":{\"type\":\"command\",\"command\":\"input=$(cat); echo -e \\\"\\\\e[35m$(jq "
                          "-r .model.display_name <<<\\\"$input\\\")\\\\e[0m\\\"\"}}")
            << false;
        QTest::newRow("a script path") << QByteArray("{\"statusLine\": {\"type\": \"command\", \"command\": \"" +
                                                     QDir::homePath().toUtf8() +
                                                     "/bin/my-status.sh\"}}"
                                                     "\n")
                                       << false;
        QTest::newRow("padding and a status")
            << QByteArray("{\n  \"statusLine\": {\n    \"type\": \"command\",\n    "
                          "\"command\": \"wc -c; exit 3\",\n    \"padding\": 0\n  }\n}\n")
            << false;
        QTest::newRow("a $schema")
            << QByteArray("{\"$schema\":\"https://json.schemastore.org/claude-code-settings.json\","
                          "\"statusLine\":{\"type\":\"command\",\"command\":\"jq -r .model.display_name\"}}")
            << false;
        QTest::newRow("other keys") << QByteArray("{\n  \"model\": \"opus\",\n  \"permissions\": {\"allow\": "
                                                  "[\"Bash(ls:*)\"]},\n  \"env\": {\"FOO\": \"bar\"},\n  "
                                                  "\"statusLine\": {\"type\": \"command\", \"command\": \"cat\"}\n}\n")
                                    << false;
        QTest::newRow("a byte-order mark")
            << QByteArray(
                   "\xEF\xBB\xBF{\"statusLine\":{\"type\":\"command\",\"command\":\"printf '%s' \\\"$PWD\\\"\"}}\n")
            << false;
        QTest::newRow("CLAUDE_CONFIG_DIR") << QByteArray("{\"statusLine\":{\"type\":\"command\",\"command\":\"printf "
                                                         "'in %s' \\\"$(basename \\\"$PWD\\\")\\\"\"}}")
                                           << true;
    }

    void setUpAndRemoveKeepTheStatusLine()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, inConfigDir);

        const QString configDir = inConfigDir ? QDir::homePath() + QStringLiteral("/claude-config")
                                              : QDir::homePath() + QStringLiteral("/.claude");
        auto cleanUp = qScopeGuard([&] {
            QDir(configDir).removeRecursively();
            qunsetenv("CLAUDE_CONFIG_DIR");
            UserEnvironment::instance().forget();
        });
        if (inConfigDir)
            qputenv("CLAUDE_CONFIG_DIR", configDir.toLocal8Bit());
        // Tessarine finds Claude Code's folder in the environment its shell gives.
        UserEnvironment::instance().forget();
        QCoro::waitFor(UserEnvironment::instance().environment());
        QCOMPARE(ClaudeSetup::settingsPath(), configDir + QStringLiteral("/settings.json"));

        QVERIFY(QDir().mkpath(configDir));
        const QString settingsPath = configDir + QStringLiteral("/settings.json");
        if (!settings.isEmpty())
            QVERIFY(TestSupport::writeFile(settingsPath, settings));
        const QString previous = statusLineCommand(settingsPath);
        const Run before = previous.isEmpty() ? Run{{}, 0} : runAsClaudeCode(previous);

        const std::optional<ClaudeSetup::Problem> problem =
            ClaudeSetup::setUp(QStringLiteral(TESSARINE_TEST_RESOURCES "/claude-statusline.sh"));
        QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
        QCOMPARE(ClaudeSetup::status().kind, ClaudeSetup::Status::Kind::connected);
        const QString afterSetUp = doctor();
        QVERIFY2(afterSetUp.contains(QStringLiteral("Claude Code doctor")), qPrintable(afterSetUp));
        QVERIFY2(!afterSetUp.contains(QStringLiteral("Invalid settings")), qPrintable(afterSetUp));

        const Run through = runAsClaudeCode(statusLineCommand(settingsPath));
        QCOMPARE(through.output, before.output);
        QCOMPARE(through.status, before.status);

        QVERIFY(!ClaudeSetup::remove());
        if (!settings.isEmpty())
            QCOMPARE(TestSupport::readFile(settingsPath), settings);
        const QString afterRemove = doctor();
        QVERIFY2(!afterRemove.contains(QStringLiteral("Invalid settings")), qPrintable(afterRemove));
    }
};

QTEST_GUILESS_MAIN(TestClaudeCodeStatusLine)
#include "TestClaudeCodeStatusLine.moc"
