// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "data/DataCollector.h"
#include "platform/AtomicFile.h"
#include "services/ClaudeSetup.h"
#include "services/JsonObjectText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <QCoro/QCoroTask>
#include <QTimeZone>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

const QString notAnObject = QStringLiteral("Claude Code’s settings file isn’t valid JSON, so Tessarine left it alone.");

QJsonObject parseObject(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

QJsonObject statusLine(const QString &command)
{
    return {{QStringLiteral("type"), QStringLiteral("command")}, {QStringLiteral("command"), command}};
}

} // namespace

class TestClaudeSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void status_data();
    void status();

    void setUpWithoutSettingsFile();
    void setUpKeepsTheRestAsWrittenWithPlainSlashes();
    void numbersAndStatusLineKeysSurviveSetUpAndRemove();
    void usersOwnScriptOfTheSameNameIsKept();
    void savedCommandIsAsPrivateAsTheSettings();
    void setUpReplacesAnOldScriptCopy();
    void setUpTwiceKeepsTheFirstSavedCommand();
    void removeGivesTheUsersStatusLineBack();
    void removeWithoutPreviousTakesTheStatusLineOut();
    void removeLeavesAStatusLineThatIsNotTessarines();
    void removeKeepsASavedCommandItCannotRead();

    void refusedSettingsAreLeftAlone_data();
    void refusedSettingsAreLeftAlone();
    void unreadableSettingsAreLeftAlone();
    void claudeFolderThatIsAFile();
    void applicationSupportThatCannotBeWritten();
    void missingShippedScript();

    void commandRunsFromAwkwardPaths_data();
    void commandRunsFromAwkwardPaths();

    void shippedScriptReportsAndKeepsTheUsersLine();

    void setUpThenRemoveGivesBackTheFile_data();
    void setUpThenRemoveGivesBackTheFile();
    void backupsAreOnePerVersionAndFew();
    void fullDiskChangesNothing();

private:
    void useDirectories(const QString &home, const QString &data);
    QString claudeDir() const { return m_home + QStringLiteral("/.claude"); }
    QString settingsFile() const { return claudeDir() + QStringLiteral("/settings.json"); }
    QString backupFile() const { return claudeDir() + QStringLiteral("/settings.json.bak-tessarine"); }
    QString installedScript() const { return m_data + QStringLiteral("/Tessarine/claude-statusline.sh"); }
    QString previousFile() const { return m_data + QStringLiteral("/Tessarine/claude-statusline-previous.txt"); }
    QString ownCommand() const { return QLatin1Char('\'') + installedScript() + QLatin1Char('\''); }
    QJsonObject settings() const { return parseObject(readFile(settingsFile())); }
    void setUpSucceeds();
    void removeSucceeds();
    QByteArray runStatusLine(const QByteArray &status);

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_home;
    QString m_data;
    QString m_shipped;
};

void TestClaudeSetup::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    useDirectories(m_root->filePath(QStringLiteral("home")), m_root->filePath(QStringLiteral("home/.local/share")));
    m_shipped = TestSupport::writeScript(m_root->filePath(QStringLiteral("shipped/claude-statusline.sh")),
                                         "#!/bin/sh\nprintf tessarine\n");
}

void TestClaudeSetup::useDirectories(const QString &home, const QString &data)
{
    m_home = home;
    m_data = data;
    QDir().mkpath(m_home);
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data));
}

void TestClaudeSetup::setUpSucceeds()
{
    const auto problem = ClaudeSetup::setUp(m_shipped);
    QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
}

void TestClaudeSetup::removeSucceeds()
{
    const auto problem = ClaudeSetup::remove();
    QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
}

void TestClaudeSetup::status_data()
{
    QTest::addColumn<bool>("hasClaudeDir");
    QTest::addColumn<QByteArray>("settings"); // null: no settings file
    QTest::addColumn<QByteArray>("report");   // null: no report file
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDateTime>("lastReport"); // invalid: none

    using Kind = ClaudeSetup::Status::Kind;
    const QByteArray ours = R"({"statusLine": {"type": "command", "command": "'/x/Tessarine/claude-statusline.sh'"}})";
    const QDateTime nineFifteen(QDate(2026, 3, 1), QTime(9, 15, 42), QTimeZone::utc());
    const QDateTime none;

    QTest::newRow("no .claude") << false << QByteArray() << QByteArray() << int(Kind::claudeCodeMissing) << none;
    QTest::newRow("no settings file") << true << QByteArray() << QByteArray() << int(Kind::notSetUp) << none;
    QTest::newRow("someone else's command")
        << true << QByteArray(R"({"statusLine": {"type": "command", "command": "~/bin/line.sh"}})") << QByteArray()
        << int(Kind::notSetUp) << none;
    QTest::newRow("the user's script of the same name")
        << true
        << QByteArray(R"({"statusLine": {"type": "command", "command": "bash ~/.claude/claude-statusline.sh"}})")
        << QByteArray() << int(Kind::notSetUp) << none;
    QTest::newRow("the name quoted, but not in a Tessarine folder")
        << true << QByteArray(R"({"statusLine": {"command": "'/opt/claude-statusline.sh'"}})") << QByteArray()
        << int(Kind::notSetUp) << none;
    QTest::newRow("ours with something after it")
        << true << QByteArray(R"({"statusLine": {"command": "'/x/Tessarine/claude-statusline.sh'; rm x"}})")
        << QByteArray() << int(Kind::notSetUp) << none;
    QTest::newRow("command not a string")
        << true << QByteArray(R"({"statusLine": {"command": ["claude-statusline.sh"]}})") << QByteArray()
        << int(Kind::notSetUp) << none;
    QTest::newRow("broken settings") << true << QByteArray("{\"statusLine\": ") << QByteArray() << int(Kind::notSetUp)
                                     << none;
    QTest::newRow("settings array") << true << QByteArray("[]") << QByteArray() << int(Kind::notSetUp) << none;
    QTest::newRow("ours, no report") << true << ours << QByteArray() << int(Kind::connected) << none;
    QTest::newRow("ours, report") << true << ours << QByteArray(R"({"savedAt": "2026-03-01T09:15:42Z"})")
                                  << int(Kind::connected) << nineFifteen;
    QTest::newRow("ours, report with offset")
        << true << ours << QByteArray(R"({"savedAt": "2026-03-01T10:15:42+01:00"})") << int(Kind::connected)
        << nineFifteen;
    QTest::newRow("ours, fractional seconds")
        << true << ours << QByteArray(R"({"savedAt": "2026-03-01T09:15:42.120Z"})") << int(Kind::connected) << none;
    QTest::newRow("ours, no zone") << true << ours << QByteArray(R"({"savedAt": "2026-03-01T09:15:42"})")
                                   << int(Kind::connected) << none;
    QTest::newRow("ours, savedAt a number")
        << true << ours << QByteArray(R"({"savedAt": 1772356542})") << int(Kind::connected) << none;
    QTest::newRow("ours, report not JSON") << true << ours << QByteArray("savedAt") << int(Kind::connected) << none;
}

void TestClaudeSetup::status()
{
    QFETCH(bool, hasClaudeDir);
    QFETCH(QByteArray, settings);
    QFETCH(QByteArray, report);
    QFETCH(int, kind);
    QFETCH(QDateTime, lastReport);

    if (hasClaudeDir)
        QVERIFY(QDir().mkpath(claudeDir()));
    if (!settings.isNull())
        QVERIFY(writeFile(settingsFile(), settings));
    if (!report.isNull())
        QVERIFY(writeFile(m_data + QStringLiteral("/Tessarine/claude.json"), report));

    const ClaudeSetup::Status status = ClaudeSetup::status();
    QCOMPARE(int(status.kind), kind);
    QCOMPARE(status.lastReport.has_value(), lastReport.isValid());
    if (lastReport.isValid())
        QCOMPARE(*status.lastReport, lastReport);
}

void TestClaudeSetup::setUpWithoutSettingsFile()
{
    setUpSucceeds();

    QCOMPARE(settings(), QJsonObject({{QStringLiteral("statusLine"), statusLine(ownCommand())}}));
    QVERIFY(!QFileInfo::exists(backupFile()));
    QVERIFY(!QFileInfo::exists(previousFile()));
    QCOMPARE(readFile(installedScript()), readFile(m_shipped));
    struct stat installed;
    QCOMPARE(::stat(QFile::encodeName(installedScript()).constData(), &installed), 0);
    QCOMPARE(installed.st_mode & 07777, mode_t(0755));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::connected());
}

void TestClaudeSetup::setUpKeepsTheRestAsWrittenWithPlainSlashes()
{
    const QByteArray original = "{\n"
                                "  \"z\": 1,\n"
                                "  \"a\": {\"y\": \"https://x.example/y\", \"b\": true},\n"
                                "  \"m\": [1, \"a/b\"]\n"
                                "}\n";
    QVERIFY(writeFile(settingsFile(), original));

    setUpSucceeds();

    const QString expected = QStringLiteral("{\n"
                                            "  \"statusLine\": {\n"
                                            "      \"command\": \"%1\",\n"
                                            "      \"type\": \"command\"\n"
                                            "  },\n"
                                            "  \"z\": 1,\n"
                                            "  \"a\": {\"y\": \"https://x.example/y\", \"b\": true},\n"
                                            "  \"m\": [1, \"a/b\"]\n"
                                            "}\n")
                                 .arg(ownCommand());
    QCOMPARE(QString::fromUtf8(readFile(settingsFile())), expected);
    QCOMPARE(readFile(backupFile()), original);
}

// Claude Code's settings are the user's: values Tessarine has no business with come back exactly
// as written, also numbers that a double cannot hold and keys of the status line it does not know.
void TestClaudeSetup::numbersAndStatusLineKeysSurviveSetUpAndRemove()
{
    const QByteArray original =
        "{\n"
        "    \"big\": 12345678901234567890,\n"
        "    \"ratio\": 1.50,\n"
        "    \"exp\": 1E+2,\n"
        "    \"statusLine\": {\"type\": \"command\", \"command\": \"~/line.sh\", \"padding\": 0},\n"
        "    \"list\": [\"}\", \"\\\"{\"]\n"
        "}\n";
    QVERIFY(writeFile(settingsFile(), original));

    setUpSucceeds();
    const QByteArray whileSetUp = readFile(settingsFile());
    for (const QByteArray &kept : {QByteArray("12345678901234567890"), QByteArray("1.50"), QByteArray("1E+2")})
        QVERIFY2(whileSetUp.contains(kept), whileSetUp.constData());
    const QJsonObject line = settings().value(QStringLiteral("statusLine")).toObject();
    QCOMPARE(line.value(QStringLiteral("command")).toString(), ownCommand());
    QCOMPARE(line.value(QStringLiteral("padding")), QJsonValue(0));

    removeSucceeds();
    QCOMPARE(readFile(settingsFile()), original);
}

// A status line of the user's own that runs a script of the same name as Tessarine's is the
// user's: Set Up keeps it, Remove gives it back, and no backup of another version is lost.
void TestClaudeSetup::usersOwnScriptOfTheSameNameIsKept()
{
    const QString own = QStringLiteral("bash ~/.claude/claude-statusline.sh");
    const QByteArray original = QJsonDocument(QJsonObject{{QStringLiteral("statusLine"), statusLine(own)}}).toJson();
    QVERIFY(writeFile(settingsFile(), original));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::notSetUp());

    setUpSucceeds();
    QCOMPARE(QString::fromUtf8(readFile(previousFile())), own);
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::connected());
    const QByteArray whileSetUp = readFile(settingsFile());

    removeSucceeds();
    QCOMPARE(settings().value(QStringLiteral("statusLine")).toObject(), statusLine(own));
    QVERIFY(!QFileInfo::exists(previousFile()));
    const QByteArray restored = readFile(settingsFile());

    // A second Remove finds the user's line and changes nothing.
    removeSucceeds();
    QCOMPARE(readFile(settingsFile()), restored);

    // Set Up again: every version of the settings the edits replaced is still in a backup.
    setUpSucceeds();
    QSet<QByteArray> backups;
    const QDir claude(claudeDir());
    for (const QString &name : claude.entryList({QStringLiteral("settings.json.bak-tessarine*")}, QDir::Files))
        backups.insert(readFile(claude.filePath(name)));
    QVERIFY(backups.contains(original));
    QVERIFY(backups.contains(whileSetUp));
    QVERIFY(backups.contains(restored));
}

void TestClaudeSetup::savedCommandIsAsPrivateAsTheSettings()
{
    QVERIFY(
        writeFile(settingsFile(), R"({"statusLine": {"type": "command", "command": "TOKEN=secret ~/bin/line.sh"}})"));
    QVERIFY(QFile::setPermissions(settingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    setUpSucceeds();

    struct stat saved;
    QCOMPARE(::stat(QFile::encodeName(previousFile()).constData(), &saved), 0);
    QCOMPARE(saved.st_mode & 07777, mode_t(0600));
    struct stat edited;
    QCOMPARE(::stat(QFile::encodeName(settingsFile()).constData(), &edited), 0);
    QCOMPARE(edited.st_mode & 07777, mode_t(0600));
}

void TestClaudeSetup::setUpReplacesAnOldScriptCopy()
{
    QVERIFY(writeFile(installedScript(), "old copy"));
    QVERIFY(QFile::setPermissions(installedScript(), QFileDevice::ReadOwner));

    setUpSucceeds();

    QCOMPARE(readFile(installedScript()), readFile(m_shipped));
    QVERIFY(QFileInfo(installedScript()).isExecutable());
}

void TestClaudeSetup::setUpTwiceKeepsTheFirstSavedCommand()
{
    const QString own = QStringLiteral("~/bin/my line.sh --colour 'always'");
    QVERIFY(writeFile(settingsFile(), QJsonDocument(QJsonObject{{QStringLiteral("statusLine"), statusLine(own)},
                                                                {QStringLiteral("model"), QStringLiteral("opus")}})
                                          .toJson()));

    setUpSucceeds();
    QCOMPARE(QString::fromUtf8(readFile(previousFile())), own);
    setUpSucceeds();
    QCOMPARE(QString::fromUtf8(readFile(previousFile())), own);

    QCOMPARE(settings().value(QStringLiteral("statusLine")).toObject(), statusLine(ownCommand()));
    QCOMPARE(settings().value(QStringLiteral("model")).toString(), QStringLiteral("opus"));
}

void TestClaudeSetup::removeGivesTheUsersStatusLineBack()
{
    const QString own = QStringLiteral("bash ~/.claude/line.sh  ");
    QVERIFY(writeFile(settingsFile(), QJsonDocument(QJsonObject{{QStringLiteral("statusLine"), statusLine(own)},
                                                                {QStringLiteral("theme"), QStringLiteral("dark")}})
                                          .toJson()));
    setUpSucceeds();
    const QByteArray whileSetUp = readFile(settingsFile());

    removeSucceeds();

    QCOMPARE(settings(), QJsonObject({{QStringLiteral("statusLine"), statusLine(own)},
                                      {QStringLiteral("theme"), QStringLiteral("dark")}}));
    QCOMPARE(readFile(backupFile()), whileSetUp);
    QVERIFY(!QFileInfo::exists(previousFile()));
    QVERIFY(QFileInfo::exists(installedScript()));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::notSetUp());
}

void TestClaudeSetup::removeWithoutPreviousTakesTheStatusLineOut()
{
    QVERIFY(writeFile(settingsFile(), R"({"theme": "dark"})"));
    setUpSucceeds();
    QVERIFY(!QFileInfo::exists(previousFile()));

    removeSucceeds();

    QCOMPARE(settings(), QJsonObject({{QStringLiteral("theme"), QStringLiteral("dark")}}));
}

// A second Remove (a double click) or one after the user put in a command of their own must not
// replace or delete the user's status line.
void TestClaudeSetup::removeLeavesAStatusLineThatIsNotTessarines()
{
    const QString own = QStringLiteral("~/bin/line.sh");
    const QByteArray original = QJsonDocument(QJsonObject{{QStringLiteral("statusLine"), statusLine(own)}}).toJson();
    QVERIFY(writeFile(settingsFile(), original));
    setUpSucceeds();
    removeSucceeds();
    const QByteArray restored = readFile(settingsFile());
    QVERIFY(QFile::remove(backupFile()));

    removeSucceeds();

    QCOMPARE(readFile(settingsFile()), restored);
    QCOMPARE(settings().value(QStringLiteral("statusLine")).toObject(), statusLine(own));
    QVERIFY(!QFileInfo::exists(backupFile()));
}

// The saved command is the only copy of the user's status line while Tessarine's is set up.
void TestClaudeSetup::removeKeepsASavedCommandItCannotRead()
{
    QVERIFY(writeFile(settingsFile(), QJsonDocument(QJsonObject{{QStringLiteral("statusLine"),
                                                                 statusLine(QStringLiteral("~/bin/line.sh"))}})
                                          .toJson()));
    setUpSucceeds();
    const QByteArray whileSetUp = readFile(settingsFile());
    const QByteArray backup = readFile(backupFile());
    QVERIFY(QFile::remove(previousFile()));
    QVERIFY(QDir().mkpath(previousFile()));

    const auto problem = ClaudeSetup::remove();

    QVERIFY(problem);
    QVERIFY2(problem->message.startsWith(QStringLiteral("Tessarine couldn’t read “") + previousFile()),
             qPrintable(problem->message));
    QCOMPARE(readFile(settingsFile()), whileSetUp);
    QCOMPARE(readFile(backupFile()), backup);
    QVERIFY(QFileInfo(previousFile()).isDir());
}

void TestClaudeSetup::refusedSettingsAreLeftAlone_data()
{
    QTest::addColumn<QByteArray>("contents"); // null: settings.json is a folder
    QTest::addColumn<QString>("message");     // the problem's message starts with this

    QTest::newRow("array") << QByteArray(R"([{"statusLine": {"command": "x"}}])") << notAnObject;
    QTest::newRow("scalar") << QByteArray("42") << notAnObject;
    QTest::newRow("string") << QByteArray(R"("statusLine")") << notAnObject;
    QTest::newRow("broken") << QByteArray(R"({"statusLine": {"command": "x"})")
                            << QStringLiteral("Claude Code’s settings file couldn’t be read as JSON: ");
    QTest::newRow("empty") << QByteArray("")
                           << QStringLiteral("Claude Code’s settings file couldn’t be read as JSON: ");
    QTest::newRow("huge") << QByteArray(9 * 1024 * 1024, ' ') + "{}"
                          << QStringLiteral("Claude Code’s settings file is too large, so Tessarine left it alone.");
    QTest::newRow("folder") << QByteArray() << QStringLiteral("Tessarine couldn’t read “");
}

void TestClaudeSetup::refusedSettingsAreLeftAlone()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, message);

    if (contents.isNull())
        QVERIFY(QDir().mkpath(settingsFile()));
    else
        QVERIFY(writeFile(settingsFile(), contents));
    QVERIFY(writeFile(previousFile(), "kept"));

    for (const auto &problem : {ClaudeSetup::setUp(m_shipped), ClaudeSetup::remove()}) {
        QVERIFY(problem);
        QVERIFY2(problem->message.startsWith(message), qPrintable(problem->message));
        if (contents.isNull())
            QVERIFY(QFileInfo(settingsFile()).isDir());
        else
            QCOMPARE(readFile(settingsFile()), contents);
        QVERIFY(!QFileInfo::exists(backupFile()));
        QCOMPARE(readFile(previousFile()), QByteArray("kept"));
    }
}

// A settings file that exists but cannot be read is not an empty one: writing over it would
// throw the user's settings away.
void TestClaudeSetup::unreadableSettingsAreLeftAlone()
{
    if (::geteuid() == 0)
        QSKIP("the superuser reads every file");
    const QByteArray original = R"({"theme": "dark"})";
    QVERIFY(writeFile(settingsFile(), original));
    QVERIFY(QFile::setPermissions(settingsFile(), QFileDevice::WriteOwner));

    for (const auto &problem : {ClaudeSetup::setUp(m_shipped), ClaudeSetup::remove()}) {
        QVERIFY(problem);
        QVERIFY2(problem->message.startsWith(QStringLiteral("Tessarine couldn’t read “")),
                 qPrintable(problem->message));
    }
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::notSetUp());
    QVERIFY(!QFileInfo::exists(backupFile()));
    QVERIFY(QFile::setPermissions(settingsFile(), QFileDevice::ReadOwner));
    QCOMPARE(readFile(settingsFile()), original);
}

void TestClaudeSetup::claudeFolderThatIsAFile()
{
    QVERIFY(writeFile(claudeDir(), "not a folder"));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::notSetUp());

    const auto problem = ClaudeSetup::setUp(m_shipped);

    QVERIFY(problem);
    QVERIFY2(problem->message.startsWith(QStringLiteral("Tessarine couldn’t create the folder “") + claudeDir()),
             qPrintable(problem->message));
    QCOMPARE(readFile(claudeDir()), QByteArray("not a folder"));
}

void TestClaudeSetup::applicationSupportThatCannotBeWritten()
{
    const QByteArray original = R"({"statusLine": {"type": "command", "command": "~/bin/line.sh"}})";
    QVERIFY(writeFile(settingsFile(), original));
    const QString blocked = m_root->filePath(QStringLiteral("blocked"));
    QVERIFY(writeFile(blocked, "a file where a folder should be"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocked));

    const auto problem = ClaudeSetup::setUp(m_shipped);

    QVERIFY(problem);
    QVERIFY2(problem->message.startsWith(QStringLiteral("Tessarine couldn’t create the folder")),
             qPrintable(problem->message));
    QCOMPARE(readFile(settingsFile()), original);
    QVERIFY(!QFileInfo::exists(backupFile()));
}

void TestClaudeSetup::missingShippedScript()
{
    const QByteArray original = R"({"theme": "dark"})";
    QVERIFY(writeFile(settingsFile(), original));

    const auto problem = ClaudeSetup::setUp(m_root->filePath(QStringLiteral("nowhere/claude-statusline.sh")));

    QCOMPARE(problem, ClaudeSetup::Problem{QStringLiteral("The status line script is missing from this build.")});
    QCOMPARE(readFile(settingsFile()), original);
    QVERIFY(!QFileInfo::exists(installedScript()));
}

void TestClaudeSetup::commandRunsFromAwkwardPaths_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("quotedFolder"); // as it must appear inside the command's quotes

    QTest::newRow("plain") << QStringLiteral("alex") << QStringLiteral("alex");
    QTest::newRow("spaces") << QStringLiteral("a b") << QStringLiteral("a b");
    QTest::newRow("quote") << QStringLiteral("o'brien") << QStringLiteral("o'\\''brien");
    QTest::newRow("quotes, spaces and a dollar")
        << QStringLiteral("it's '$HOME' `x`") << QStringLiteral("it'\\''s '\\''$HOME'\\'' `x`");
}

void TestClaudeSetup::commandRunsFromAwkwardPaths()
{
    QFETCH(QString, folder);
    QFETCH(QString, quotedFolder);
    const QString home = m_root->filePath(folder);
    useDirectories(home, home + QStringLiteral("/.local/share"));

    setUpSucceeds();

    const QString command = settings().value(QStringLiteral("statusLine")).toObject().value("command").toString();
    QCOMPARE(command,
             QStringLiteral("'%1/%2/.local/share/Tessarine/claude-statusline.sh'").arg(m_root->path(), quotedFolder));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::connected());

    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.exitCode(), 0);
    QCOMPARE(shell.readAllStandardOutput(), QByteArray("tessarine"));
}

// End to end with the script this build ships: Claude Code runs the installed command with its
// status on standard input; the script leaves the report that the next refresh's collector reads
// and prints the user's own status line, and Remove gives that line back.
void TestClaudeSetup::shippedScriptReportsAndKeepsTheUsersLine()
{
    if (QStandardPaths::findExecutable(QStringLiteral("jq")).isEmpty() &&
        QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("the shipped script needs jq or python3 to read Claude Code's status");
    const QString own = QStringLiteral("read -r status; printf 'my line (%s bytes)' \"${#status}\"");
    QVERIFY(writeFile(settingsFile(),
                      QJsonDocument(QJsonObject{{QStringLiteral("statusLine"), statusLine(own)}}).toJson()));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const qint64 resetsAt = now.toSecsSinceEpoch() + 3600;
    const QByteArray status = R"({"model": {"display_name": "Opus"}, "rate_limits": {"five_hour": )"
                              R"({"used_percentage": 12.5, "resets_at": )" +
                              QByteArray::number(resetsAt) + R"(}, "seven_day": {"used_percentage": 40}}})";

    const auto problem = ClaudeSetup::setUp();
    QVERIFY2(!problem, qPrintable(problem ? problem->message : QString()));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::connected());

    QCOMPARE(runStatusLine(status), QByteArray("my line (") + QByteArray::number(status.size()) + " bytes)");

    // What the next refresh puts in the data document for Claude.
    const QJsonObject entry = QCoro::waitFor(DataCollector::provider(QStringLiteral("claude"), now));
    QCOMPARE(entry.value("status").toString(), QStringLiteral("ok"));
    const QJsonArray windows = entry.value("windows").toArray();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows.at(0).toObject().value("usedPercent").toDouble(), 12.5);
    QCOMPARE(windows.at(0).toObject().value("resetsAt").toDouble(), double(resetsAt));
    QCOMPARE(windows.at(1).toObject().value("usedPercent").toDouble(), 40.0);

    // The connections window then tells when Claude Code last reported.
    const ClaudeSetup::Status reported = ClaudeSetup::status();
    QCOMPARE(reported.kind, ClaudeSetup::Status::Kind::connected);
    QVERIFY(reported.lastReport.has_value());
    QVERIFY(qAbs(reported.lastReport->secsTo(now)) < 120);

    const auto removal = ClaudeSetup::remove();
    QVERIFY2(!removal, qPrintable(removal ? removal->message : QString()));
    QCOMPARE(settings(), QJsonObject({{QStringLiteral("statusLine"), statusLine(own)}}));
    QCOMPARE(ClaudeSetup::status(), ClaudeSetup::Status::notSetUp());
    QCOMPARE(runStatusLine(status), QByteArray("my line (") + QByteArray::number(status.size()) + " bytes)");
}

// Runs the status-line command of Claude Code's settings as Claude Code does, with `status` on
// standard input, and returns what it printed.
QByteArray TestClaudeSetup::runStatusLine(const QByteArray &status)
{
    QProcess claudeCode;
    const QString command = settings().value(QStringLiteral("statusLine")).toObject().value("command").toString();
    claudeCode.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!claudeCode.waitForStarted())
        return {};
    claudeCode.write(status + '\n');
    claudeCode.closeWriteChannel();
    if (!claudeCode.waitForFinished() || claudeCode.exitCode() != 0)
        return {};
    return claudeCode.readAllStandardOutput();
}

void TestClaudeSetup::setUpThenRemoveGivesBackTheFile_data()
{
    QTest::addColumn<QByteArray>("original");
    const QByteArray line = R"({"type": "command", "command": "~/line.sh"})";
    const std::pair<const char *, QByteArray> shapes[] = {
        {"empty compact", "{}"},
        {"empty with line end", "{}\n"},
        {"empty on two lines", "{\n}\n"},
        {"blanks around", "  \n{ \"a\" : 1 }  \n\n"},
        {"compact", R"({"a":1,"b":[true,null]})"},
        {"no final line end", "{\n  \"a\": 1\n}"},
        {"CRLF", "{\r\n  \"a\": 1,\r\n  \"b\": [1, 2]\r\n}\r\n"},
        {"CRLF with a line",
         "{\r\n    \"statusLine\": {\r\n        \"type\": \"command\",\r\n        \"command\": \"x\"\r\n    "
         "},\r\n    \"a\": 1\r\n}\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF{\n  \"a\": 1\n}\n"},
        {"byte-order mark with a line", "\xEF\xBB\xBF{\"statusLine\": " + line + "}"},
        {"unicode escapes", R"({"n\u00e9": "\u2603", "statusLine": {"type": "command", "command": "echo \u00e9"}})"},
        {"escaped key", R"({"statusL\u0069ne": {"type": "command", "command": "x"}, "z": 0})"},
        {"duplicate keys", R"({"a": 1, "a": 2})"},
        {"duplicate lines", "{\"statusLine\": \"old\", \"statusLine\": " + line + "}"},
        {"line a string", R"({"statusLine": "echo hi"})"},
        {"line null", "{\"statusLine\": null,\n \"a\": 1}"},
        {"line a number", R"({"a": 1, "statusLine": 3})"},
        {"line an array", R"({"statusLine": ["a", {"b": "]"}]})"},
        {"line an empty object", R"({"statusLine": {}})"},
        {"line without command", R"({"statusLine": {"type": "command", "padding": 2}})"},
        {"line with empty command", R"({"statusLine": {"type": "command", "command": ""}})"},
        {"line with number command", R"({"statusLine": {"type": "command", "command": 42, "padding": 1}})"},
        {"line with nested values",
         R"({"statusLine": {"type": "command", "command": "x", "extra": {"a": [1, {"b": "}"}]}}})"},
        {"line indented with tabs",
         "{\n\t\"a\": 1,\n\t\"statusLine\": {\n\t\t\"type\": \"command\",\n\t\t\"command\": \"x\"\n\t}\n}\n"},
        {"line on many lines last", "{\n  \"a\": 1,\n  \"statusLine\": {\n    \"type\": \"command\",\n    \"command\": "
                                    "\"x\",\n    \"padding\": 0\n  }\n}\n"},
        {"line on many lines first", "{\n    \"statusLine\": {\n        \"command\": \"x\",\n        \"type\": "
                                     "\"command\"\n    },\n    \"b\": 2\n}\n"},
        {"big numbers", R"({"big": 12345678901234567890, "exp": 1E+2, "ratio": 1.50})"},
        {"strings with braces", R"({"s": "}{\"", "t": "\\", "statusLine": {"command": "a \"}\" b"}})"},
        {"only a line", "{\n    \"statusLine\": " + line + "\n}\n"},
    };
    for (const auto &[name, original] : shapes)
        QTest::newRow(name) << original;
}

// Every valid settings file comes back byte for byte: at once, and when the user changed another
// key while the status line was Tessarine's (then only the status line is given back). Set Up run
// again changes nothing, so nothing is indented deeper edit after edit.
void TestClaudeSetup::setUpThenRemoveGivesBackTheFile()
{
    QFETCH(QByteArray, original);
    QVERIFY(writeFile(settingsFile(), original));
    setUpSucceeds();
    const QByteArray whileSetUp = readFile(settingsFile());
    QJsonParseError error;
    const QJsonDocument parsed = QJsonDocument::fromJson(whileSetUp, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + whileSetUp));
    const QJsonObject line = parsed.object().value(QStringLiteral("statusLine")).toObject();
    QCOMPARE(line.value(QStringLiteral("command")).toString(), ownCommand());
    QCOMPARE(line.value(QStringLiteral("type")).toString(), QStringLiteral("command"));
    setUpSucceeds();
    QCOMPARE(readFile(settingsFile()), whileSetUp);
    removeSucceeds();
    QCOMPARE(readFile(settingsFile()), original);

    setUpSucceeds();
    JsonObjectText edited(readFile(settingsFile()));
    edited.set(QStringLiteral("userKey"), "1");
    QVERIFY(writeFile(settingsFile(), edited.text()));
    removeSucceeds();
    JsonObjectText expected(original);
    expected.set(QStringLiteral("userKey"), "1");
    QCOMPARE(readFile(settingsFile()), expected.text());
}

void TestClaudeSetup::backupsAreOnePerVersionAndFew()
{
    for (int version = 0; version < 8; ++version) {
        QVERIFY(writeFile(settingsFile(), "{\"version\": " + QByteArray::number(version) + "}\n"));
        for (int round = 0; round < 3; ++round) {
            setUpSucceeds();
            removeSucceeds();
        }
    }
    const QDir claude(claudeDir());
    const QStringList names = claude.entryList({QStringLiteral("settings.json.bak-tessarine*")}, QDir::Files);
    QCOMPARE(names.size(), 1 + ClaudeSetup::earlierBackupsKept);
    QSet<QByteArray> versions;
    for (const QString &name : names)
        versions.insert(readFile(claude.filePath(name)));
    QCOMPARE(versions.size(), names.size());
}

// On a full disk Set Up and Remove say so and leave every file as it was.
void TestClaudeSetup::fullDiskChangesNothing()
{
    const QByteArray original = "{\"statusLine\": {\"type\": \"command\", \"command\": \"mine\"}}";
    QVERIFY(writeFile(settingsFile(), original));
    AtomicFile::setFlushFailureForTesting(ENOSPC);
    const auto refused = ClaudeSetup::setUp(m_shipped);
    AtomicFile::setFlushFailureForTesting(0);
    QVERIFY(refused && AtomicFile::isDiskFull(refused->message));
    QCOMPARE(readFile(settingsFile()), original);
    QVERIFY(!QFileInfo::exists(previousFile()));

    setUpSucceeds();
    const QByteArray whileSetUp = readFile(settingsFile());
    AtomicFile::setFlushFailureForTesting(ENOSPC);
    const auto notRemoved = ClaudeSetup::remove();
    AtomicFile::setFlushFailureForTesting(0);
    QVERIFY(notRemoved && AtomicFile::isDiskFull(notRemoved->message));
    QCOMPARE(readFile(settingsFile()), whileSetUp);
    QCOMPARE(QString::fromUtf8(readFile(previousFile())), QStringLiteral("mine"));
}

QTEST_GUILESS_MAIN(TestClaudeSetup)
#include "TestClaudeSetup.moc"
