// SPDX-License-Identifier: GPL-3.0-or-later
// The Codex reader against the real Codex CLI (pinned; `make test` installs it into the folder
// TESSARINE_TEST_TOOLS names), and the stand-in app server of the other tests checked against
// the protocol schema that binary prints.
#include "FakeTools.h"
#include "JsonSchemaCheck.h"
#include "TestSupport.h"
#include "data/JsonFields.h"
#include "data/LocalSources.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString realCodex()
{
    const QString codex = qEnvironmentVariable("TESSARINE_TEST_TOOLS") + QStringLiteral("/node_modules/.bin/codex");
    return qEnvironmentVariableIsEmpty("TESSARINE_TEST_TOOLS") || !QFileInfo(codex).isExecutable() ? QString() : codex;
}

// A private Codex home (inside the test's own HOME), and any network sent nowhere.
const QStringList privateVariables{QStringLiteral("CODEX_HOME=") + QDir::homePath() + QStringLiteral("/.codex"),
                                   QStringLiteral("HTTPS_PROXY=http://127.0.0.1:9"),
                                   QStringLiteral("HTTP_PROXY=http://127.0.0.1:9")};

bool runCodex(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess codex;
    codex.setEnvironment(QProcess::systemEnvironment() + privateVariables);
    codex.start(realCodex(), arguments);
    codex.write(input);
    codex.closeWriteChannel();
    return codex.waitForFinished(60000) && codex.exitStatus() == QProcess::NormalExit && codex.exitCode() == 0;
}

QJsonValue json(const QByteArray &text)
{
    return JsonFields::parse(text).value_or(QJsonValue());
}

} // namespace

class TestCodexAppServer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_schema;

    QStringList problems(const QString &schema, const QJsonValue &value) const
    {
        return JsonSchemaCheck(json(TestSupport::readFile(m_schema.filePath(schema))).toObject()).problems(value);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes a Codex home");
        if (realCodex().isEmpty() && FakeTools::inContinuousIntegration())
            QFAIL("TESSARINE_TEST_TOOLS names no folder with the Codex CLI (scripts/install-test-tools)");
        if (realCodex().isEmpty())
            QSKIP("the real Codex CLI is not installed (make test installs it)");
        QVERIFY(runCodex({"app-server", "generate-json-schema", "--out", m_schema.path()}));
        // The reader starts "codex" through the user's shell; this one runs the real binary.
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
        const QString exports = QStringLiteral("export ") + privateVariables.join(QLatin1Char(' '));
        FakeTools::install("codex", (exports + "\nexec '" + realCodex() + "' \"$@\"\n").toUtf8());
    }

    void realServerReasons_data()
    {
        QTest::addColumn<QByteArray>("apiKey"); // empty: signed out
        QTest::addColumn<QString>("reason");
        QTest::newRow("signed out") << QByteArray() << "Sign in to Codex on this computer";
        QTest::newRow("API key") << QByteArray("sk-made-up\n") << "Codex reports plan usage only for a ChatGPT sign-in";
    }

    // Framing, the notification sent before the replies and the error replies, read within the
    // reader's own deadline, end as the reason the widget shows.
    void realServerReasons()
    {
        QFETCH(QByteArray, apiKey);
        QFETCH(QString, reason);
        QDir(QDir::homePath() + "/.codex").removeRecursively();
        QVERIFY(QDir().mkpath(QDir::homePath() + "/.codex"));
        QVERIFY(apiKey.isEmpty() || runCodex({"login", "--with-api-key"}, apiKey));
        const LocalSources::CodexReading reading =
            QCoro::waitFor(LocalSources::codexReading(QDateTime::currentDateTimeUtc()));
        QVERIFY(!reading.codex);
        QCOMPARE(reading.reason, reason);
    }

    void protocolLines_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("requests") << LocalSources::codexRequests.toUtf8();
        const QString folder = QStringLiteral(TESSARINE_TEST_FIXTURES "/data/codex-app-server/");
        for (const QString &file : QDir(folder).entryList({"*.jsonl"}, QDir::Files))
            QTest::newRow(qPrintable(file)) << TestSupport::readFile(folder + file);
    }

    // Each request the reader sends and each line the stand-in prints is a message of the real
    // protocol, every member declared: a request or notification it takes, or a notification, an
    // error or the reply to the request with that id that it sends.
    void protocolLines()
    {
        QFETCH(QByteArray, lines);
        const QStringList replies{"v1/InitializeResponse.json", "v2/GetAccountRateLimitsResponse.json",
                                  "v2/GetAccountTokenUsageResponse.json"};
        const bool sent = QString::fromLatin1(QTest::currentDataTag()) == QStringLiteral("requests");
        for (const QByteArray &line : lines.trimmed().split('\n')) {
            QJsonObject message = json(line).toObject();
            message.remove("jsonrpc"); // the JSON-RPC envelope's marker, outside the server's schema
            const int id = message.value("id").toInt();
            QStringList found = message.contains("method") ? problems(sent && id ? "ClientRequest.json"
                                                                      : sent     ? "ClientNotification.json"
                                                                                 : "ServerNotification.json",
                                                                      message)
                                : message.contains("error") ? problems("JSONRPCError.json", message)
                                : id < 1 || id > 3          ? QStringList{"a reply to no request"}
                                                            : problems(replies.value(id - 1), message.value("result"));
            QVERIFY2(!message.isEmpty() && found.isEmpty(), qPrintable(line.left(80) + ": " + found.join("; ")));
        }
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestCodexAppServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestCodexAppServer.moc"
