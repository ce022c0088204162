// SPDX-License-Identifier: GPL-3.0-or-later
// The Codex reader against the real Codex CLI (pinned, installed by `make test` into the folder
// TESSARINE_TEST_TOOLS names), and the stand-in app server the other tests use checked against
// the protocol schema that same binary prints.
#include "FakeTools.h"
#include "JsonSchemaCheck.h"
#include "TestSupport.h"
#include "data/JsonFields.h"
#include "data/LocalSources.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T09:15:42.120Z"), Qt::ISODateWithMs);

QString realCodex()
{
    const QString tools = qEnvironmentVariable("TESSARINE_TEST_TOOLS");
    const QString codex = tools + QStringLiteral("/node_modules/.bin/codex");
    return !tools.isEmpty() && QFileInfo(codex).isExecutable() ? codex : QString();
}

QString standInFolder()
{
    return QStringLiteral(TESSARINE_TEST_FIXTURES "/data/codex-app-server");
}

QJsonObject jsonFile(const QString &path)
{
    return JsonFields::parse(TestSupport::readFile(path)).value_or(QJsonValue()).toObject();
}

} // namespace

class TestCodexAppServer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_schema;

    // The environment the real server runs in: a private home (the test's own), and any network
    // it tries sent nowhere, so a signed-out server answers from what it has.
    static QStringList privateVariables()
    {
        return {QStringLiteral("CODEX_HOME=") + QDir::homePath() + QStringLiteral("/.codex"),
                QStringLiteral("HTTPS_PROXY=http://127.0.0.1:9"), QStringLiteral("HTTP_PROXY=http://127.0.0.1:9")};
    }

    static QStringList serverEnvironment() { return QProcess::systemEnvironment() + privateVariables(); }

    static bool runCodex(const QStringList &arguments, const QByteArray &input, const QString &folder = QString())
    {
        QProcess codex;
        codex.setEnvironment(serverEnvironment());
        if (!folder.isEmpty())
            codex.setWorkingDirectory(folder);
        codex.start(realCodex(), arguments);
        codex.write(input);
        codex.closeWriteChannel();
        return codex.waitForFinished(60000) && codex.exitStatus() == QProcess::NormalExit && codex.exitCode() == 0;
    }

    QJsonObject schema(const QString &name) const { return jsonFile(m_schema.filePath(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes a Codex home");
        if (realCodex().isEmpty()) {
            if (FakeTools::inContinuousIntegration())
                QFAIL("TESSARINE_TEST_TOOLS names no folder with the Codex CLI (scripts/install-test-tools)");
            QSKIP("the real Codex CLI is not installed (make test installs it)");
        }
        QVERIFY(m_schema.isValid());
        QVERIFY(runCodex({"app-server", "generate-json-schema", "--out", m_schema.path()}, {}));
        // The reader starts "codex" through the user's shell; this one is the real binary.
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
        QString script;
        for (const QString &variable : privateVariables())
            script += QStringLiteral("export ") + variable + QLatin1Char('\n');
        FakeTools::install("codex", (script + QStringLiteral("exec '") + realCodex() + "' \"$@\"\n").toUtf8());
    }

    void realServerReasons_data()
    {
        QTest::addColumn<QByteArray>("apiKey"); // empty: signed out
        QTest::addColumn<QString>("reason");
        QTest::newRow("signed out") << QByteArray() << "Sign in to Codex on this computer";
        QTest::newRow("signed in with an API key")
            << QByteArray("sk-tessarine-test-not-a-key\n") << "Codex reports plan usage only for a ChatGPT sign-in";
    }

    // Framing, the notification the server sends before its replies and its error replies, read
    // within the reader's own deadline, end as the reason the widget shows.
    void realServerReasons()
    {
        QFETCH(QByteArray, apiKey);
        QFETCH(QString, reason);
        QDir(QDir::homePath() + "/.codex").removeRecursively();
        QVERIFY(QDir().mkpath(QDir::homePath() + "/.codex"));
        if (!apiKey.isEmpty())
            QVERIFY(runCodex({"login", "--with-api-key"}, apiKey));

        const LocalSources::CodexReading reading = QCoro::waitFor(LocalSources::codexReading(now));
        QVERIFY(!reading.codex);
        QCOMPARE(reading.reason, reason);
    }

    // Every request the reader sends is one the real server knows, in the shape it takes.
    void requestsAreInTheProtocol()
    {
        const JsonSchemaCheck requests(schema("ClientRequest.json"));
        const JsonSchemaCheck notifications(schema("ClientNotification.json"));
        const QStringList lines = LocalSources::codexRequests.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        for (const QString &line : lines) {
            QJsonObject request = JsonFields::parse(line.toUtf8()).value_or(QJsonValue()).toObject();
            // The JSON-RPC version marker is the envelope's, which the server's schema leaves out.
            request.remove("jsonrpc");
            const QStringList problems =
                request.contains("id") ? requests.problems(request) : notifications.problems(request);
            QVERIFY2(problems.isEmpty(), qPrintable(line + ": " + problems.join("; ")));
        }
    }

    void standInFitsTheProtocol_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files = QDir(standInFolder()).entryList({"*.jsonl"}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 3);
        for (const QString &file : files)
            QTest::newRow(qPrintable(file)) << file;
    }

    // Each line the stand-in prints is a message the real server could send: a notification it
    // knows, an error reply, or the reply to the request with that id, every member declared.
    void standInFitsTheProtocol()
    {
        QFETCH(QString, file);
        const QHash<int, QString> replySchemas{{1, "v1/InitializeResponse.json"},
                                               {2, "v2/GetAccountRateLimitsResponse.json"},
                                               {3, "v2/GetAccountTokenUsageResponse.json"}};
        const QList<QByteArray> lines = TestSupport::readFile(standInFolder() + "/" + file).split('\n');
        int messages = 0;
        for (const QByteArray &line : lines) {
            if (line.trimmed().isEmpty())
                continue;
            const QJsonObject message = JsonFields::parse(line).value_or(QJsonValue()).toObject();
            QVERIFY2(!message.isEmpty(), line.constData());
            QStringList problems;
            if (message.contains("method")) {
                problems = JsonSchemaCheck(schema("ServerNotification.json")).problems(message);
            } else if (message.contains("error")) {
                problems = JsonSchemaCheck(schema("JSONRPCError.json")).problems(message);
            } else {
                problems = JsonSchemaCheck(schema("JSONRPCResponse.json")).problems(message);
                const int id = message.value("id").toInt();
                QVERIFY2(replySchemas.contains(id), line.constData());
                problems += JsonSchemaCheck(schema(replySchemas.value(id))).problems(message.value("result"));
            }
            QVERIFY2(problems.isEmpty(), qPrintable(QString::fromUtf8(line.left(80)) + ": " + problems.join("; ")));
            ++messages;
        }
        QVERIFY(messages >= 3);
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestCodexAppServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCodexAppServer.moc"
