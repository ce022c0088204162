// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString script = QStringLiteral(TESSARINE_TEST_RESOURCES "/claude-statusline.sh");

// What Claude Code hands its status line, usage included.
const QByteArray claudeStatus = R"({"session_id":"4f1c","transcript_path":"/tmp/t.jsonl","cwd":"/home/a/src",
"model":{"id":"claude-opus-4","display_name":"Opus"},"workspace":{"current_dir":"/home/a/src","project_dir":"/home/a/src"},
"version":"2.0.1","cost":{"total_cost_usd":0.42},
"rate_limits":{"five_hour":{"used_percentage":42.5,"resets_at":1773915600},"seven_day":{"used_percentage":67,"resets_at":1774200000}}})";

struct Run
{
    QByteArray output;
    int status = -1;
};

} // namespace

// The shipped status-line script, run as Claude Code runs it: status JSON on standard input.
class TestClaudeStatusLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void writesTheReport_data();
    void writesTheReport();
    void keepsOnlyTheWindowsGiven();
    void inputWithoutUsageLeavesTheReport_data();
    void inputWithoutUsageLeavesTheReport();
    void runsThePreviousCommandWithTheSameInput();
    void withoutJqOrPythonStillRunsThePreviousCommand();
    void withoutPreviousCommandPrintsNothing();
    void installedCopyWritesBesideItself();

private:
    QString report() const { return m_data->filePath(QStringLiteral("Tessarine/claude.json")); }
    QString previous() const { return m_data->filePath(QStringLiteral("Tessarine/claude-statusline-previous.txt")); }
    // A PATH holding the basic tools and, when named, jq or python3 as well.
    QString toolPath(const QString &tool);
    Run run(const QByteArray &input, const QString &path, const QString &scriptPath = script);

    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<QTemporaryDir> m_bin;
};

void TestClaudeStatusLine::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    m_bin = std::make_unique<QTemporaryDir>();
}

QString TestClaudeStatusLine::toolPath(const QString &tool)
{
    const QString dir = m_bin->filePath(tool.isEmpty() ? QStringLiteral("plain") : tool);
    QDir().mkpath(dir);
    for (const QString &name : {QStringLiteral("cat"), QStringLiteral("date"), QStringLiteral("mkdir"),
                                QStringLiteral("mv"), QStringLiteral("rm"), QStringLiteral("tr")}) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            QFile::link(found, dir + QLatin1Char('/') + name);
    }
    if (tool == QStringLiteral("jq")) {
        const QString jq = QStandardPaths::findExecutable(QStringLiteral("jq"));
        if (jq.isEmpty())
            return {};
        QFile::link(jq, dir + QStringLiteral("/jq"));
    } else if (tool == QStringLiteral("python3")) {
        // A version manager's shim needs its own PATH, so link the interpreter itself.
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"), QStringLiteral("import sys; print(sys.executable)")});
        if (!python.waitForFinished(20000) || python.exitCode() != 0)
            return {};
        QFile::link(QString::fromUtf8(python.readAllStandardOutput()).trimmed(), dir + QStringLiteral("/python3"));
    }
    return dir;
}

Run TestClaudeStatusLine::run(const QByteArray &input, const QString &path, const QString &scriptPath)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_data->path());
    environment.insert(QStringLiteral("PATH"), path);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("/bin/sh"), {scriptPath});
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000))
        return {};
    return {process.readAllStandardOutput(), process.exitCode()};
}

void TestClaudeStatusLine::writesTheReport_data()
{
    QTest::addColumn<QString>("tool");
    QTest::newRow("jq") << QStringLiteral("jq");
    QTest::newRow("python3") << QStringLiteral("python3");
}

void TestClaudeStatusLine::writesTheReport()
{
    QFETCH(QString, tool);
    const QString path = toolPath(tool);
    if (path.isEmpty())
        QSKIP("this tool is not installed here");
    const Run result = run(claudeStatus, path);
    QCOMPARE(result.status, 0);
    const QJsonObject saved = QJsonDocument::fromJson(TestSupport::readFile(report())).object();
    QCOMPARE(saved.keys(), (QStringList{"fiveHour", "savedAt", "sevenDay"}));
    QCOMPARE(saved.value("fiveHour").toObject().value("used_percentage").toDouble(), 42.5);
    QCOMPARE(saved.value("fiveHour").toObject().value("resets_at").toInteger(), 1773915600);
    QCOMPARE(saved.value("sevenDay").toObject().value("used_percentage").toInt(), 67);
    QCOMPARE(saved.value("sevenDay").toObject().value("resets_at").toInteger(), 1774200000);
    // ISO 8601 without fractional seconds, so the connections window can read it.
    const QString savedAt = saved.value("savedAt").toString();
    QVERIFY2(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$")).match(savedAt).hasMatch(),
        qPrintable(savedAt));
    QVERIFY(QDateTime::fromString(savedAt, Qt::ISODate).isValid());
    QCOMPARE(QDir(m_data->filePath(QStringLiteral("Tessarine"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("claude.json")});
}

void TestClaudeStatusLine::keepsOnlyTheWindowsGiven()
{
    const QString path = toolPath(QStringLiteral("jq"));
    if (path.isEmpty())
        QSKIP("jq is not installed here");
    run(R"({"rate_limits":{"five_hour":{"used_percentage":3},"seven_day":{"used_percentage":"lots"}}})", path);
    const QJsonObject saved = QJsonDocument::fromJson(TestSupport::readFile(report())).object();
    QCOMPARE(saved.keys(), (QStringList{"fiveHour", "savedAt"}));
    QCOMPARE(saved.value("fiveHour").toObject().keys(), QStringList{"used_percentage"});
}

void TestClaudeStatusLine::inputWithoutUsageLeavesTheReport_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("input");
    for (const QString &tool : {QStringLiteral("jq"), QStringLiteral("python3")}) {
        QTest::addRow("%s: no rate_limits", qPrintable(tool)) << tool << QByteArray(R"({"model":{"id":"x"}})");
        QTest::addRow("%s: no windows", qPrintable(tool)) << tool << QByteArray(R"({"rate_limits":{}})");
        QTest::addRow("%s: windows without numbers", qPrintable(tool))
            << tool << QByteArray(R"({"rate_limits":{"five_hour":{"resets_at":5},"seven_day":null}})");
        QTest::addRow("%s: not JSON", qPrintable(tool)) << tool << QByteArray("status {");
        QTest::addRow("%s: empty input", qPrintable(tool)) << tool << QByteArray();
    }
}

void TestClaudeStatusLine::inputWithoutUsageLeavesTheReport()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, input);
    const QString path = toolPath(tool);
    if (path.isEmpty())
        QSKIP("this tool is not installed here");
    const QByteArray earlier = R"({"fiveHour":{"used_percentage":12},"savedAt":"2026-03-01T09:15:42Z"})";
    TestSupport::writeFile(report(), earlier);
    const Run result = run(input, path);
    QCOMPARE(result.status, 0);
    QCOMPARE(TestSupport::readFile(report()), earlier);
}

void TestClaudeStatusLine::runsThePreviousCommandWithTheSameInput()
{
    const QString path = toolPath(QStringLiteral("jq"));
    if (path.isEmpty())
        QSKIP("jq is not installed here");
    // The stored command is the user's own status line, run by the shell with the same input.
    TestSupport::writeFile(previous(), "tr 'a-z' 'A-Z'; echo ' (mine)'");
    const Run result = run(claudeStatus, path);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.output, claudeStatus.toUpper() + " (mine)\n");
    QVERIFY(QFile::exists(report()));

    // Its exit status is the status line's.
    TestSupport::writeFile(previous(), "cat >/dev/null; echo failing; exit 3");
    const Run failing = run(claudeStatus, path);
    QCOMPARE(failing.output, QByteArray("failing\n"));
    QCOMPARE(failing.status, 3);
}

void TestClaudeStatusLine::withoutJqOrPythonStillRunsThePreviousCommand()
{
    const QString path = toolPath(QString());
    TestSupport::writeFile(previous(), "tr 'a-z' 'A-Z'");
    const Run result = run(R"({"rate_limits":{"five_hour":{"used_percentage":5}}})", path);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.output, QByteArray(R"({"RATE_LIMITS":{"FIVE_HOUR":{"USED_PERCENTAGE":5}}})"));
    QVERIFY(!QFile::exists(report()));
}

void TestClaudeStatusLine::withoutPreviousCommandPrintsNothing()
{
    const QString path = toolPath(QStringLiteral("jq"));
    if (path.isEmpty())
        QSKIP("jq is not installed here");
    const Run result = run(claudeStatus, path);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.output, QByteArray());
}

// Claude Code may run with another XDG_DATA_HOME than Tessarine; the installed copy still
// writes where Tessarine reads and runs the previous command kept beside it.
void TestClaudeStatusLine::installedCopyWritesBesideItself()
{
    const QString path = toolPath(QStringLiteral("jq"));
    if (path.isEmpty())
        QSKIP("jq is not installed here");
    const QTemporaryDir install;
    const QString folder = install.filePath(QStringLiteral("data/Tessarine"));
    QVERIFY(QDir().mkpath(folder));
    const QString installed = folder + QStringLiteral("/claude-statusline.sh");
    QVERIFY(QFile::copy(script, installed));
    TestSupport::writeFile(folder + QStringLiteral("/claude-statusline-previous.txt"), "printf mine");

    const Run result = run(claudeStatus, path, installed);
    QCOMPARE(result.output, QByteArray("mine"));
    QVERIFY(QFile::exists(folder + QStringLiteral("/claude.json")));
    QVERIFY(!QFile::exists(report()));
}

QTEST_GUILESS_MAIN(TestClaudeStatusLine)
#include "TestClaudeStatusLine.moc"
