// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "TestSupport.h"
#include "data/Shell.h"
#include "data/ShellProcess.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestShell : public QObject
{
    Q_OBJECT

private:
    static qint64 readPid(const QString &path) { return TestSupport::readFile(path).trimmed().toLongLong(); }

    // Waits for a converse call, failing (rather than hanging) if it does not end within `limit`.
    QHash<int, QJsonObject> converseWithin(const QString &command, const QString &input, const QSet<int> &until,
                                           std::chrono::milliseconds timeout, int limit)
    {
        bool done = false;
        QHash<int, QJsonObject> replies;
        QCoro::connect(Shell::converse(command, input, until, timeout), this, [&](QHash<int, QJsonObject> result) {
            replies = result;
            done = true;
        });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(done, limit); }();
        return replies;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes login profiles");
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    }

    void run_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("error");

        QTest::newRow("silent success") << "true" << 0 << ""
                                        << "";
        QTest::newRow("both streams and a status") << "echo out; echo err >&2; exit 3" << 3 << "out\n"
                                                   << "err\n";
        QTest::newRow("output not UTF-8") << "printf 'ok\\377\\376'; printf 'fine' >&2" << 0 << ""
                                          << "fine";
        QTest::newRow("UTF-8 kept") << "printf 'Grok\\342\\200\\231s'" << 0 << "Grok\u2019s"
                                    << "";
        QTest::newRow("ended by a signal") << "kill -KILL $$" << 9 << ""
                                           << "";
        QTest::newRow("missing tool") << "no-such-tool-here" << 127 << ""
                                      << "";
        QTest::newRow("standard input at its end") << "cat; echo done" << 0 << "done\n"
                                                   << "";
    }

    void run()
    {
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, error);

        const Shell::Result result = QCoro::waitFor(Shell::run(command, 10s));
        QCOMPARE(result.status, status);
        QCOMPARE(result.output, output);
        if (status != 127)
            QCOMPARE(result.error, error);
        else
            QVERIFY(result.error.contains(QStringLiteral("not found")));
    }

    void runFindsToolsOnTheProfilePath_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::newRow("sh") << "/bin/sh";
        QTest::newRow("bash") << "/bin/bash";
        QTest::newRow("zsh") << "/bin/zsh";
    }

    void runFindsToolsOnTheProfilePath()
    {
        QFETCH(QString, shell);
        FakeTools::useLoginShell(shell);
        FakeTools::install(QStringLiteral("fake-tool"), "echo \"fake $1\"\n");

        const Shell::Result result = QCoro::waitFor(Shell::run(QStringLiteral("fake-tool 'with arg'"), 10s));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.output, QStringLiteral("fake with arg\n"));

        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    }

    void loginShellChoice_data()
    {
        QTest::addColumn<QByteArray>("shellVariable");
        QTest::addColumn<bool>("fromVariable");
        QTest::newRow("SHELL set") << QByteArray("/bin/zsh") << true;
        QTest::newRow("SHELL empty") << QByteArray() << false;
        QTest::newRow("SHELL not a program") << QByteArray("/nonexistent/shell") << false;
    }

    void loginShellChoice()
    {
        QFETCH(QByteArray, shellVariable);
        QFETCH(bool, fromVariable);
        qputenv("SHELL", shellVariable);
        const QString shell = Shell::loginShell();
        if (fromVariable)
            QCOMPARE(shell, QString::fromLocal8Bit(shellVariable));
        else
            QVERIFY(QFileInfo(shell).isExecutable() && shell != QString::fromLocal8Bit(shellVariable));
        qputenv("SHELL", "/bin/sh");
    }

    void shellThatCannotStartEndsAtOnce()
    {
        ShellProcess process(QStringLiteral("true"));
        process.setProgram(QStringLiteral("/nonexistent/shell"));
        process.launch(60s);
        QTRY_VERIFY(process.hasEnded());
        QVERIFY(process.failedToStart());
    }

    void runDrainsLargeOutputOfBothStreams()
    {
        const Shell::Result result = QCoro::waitFor(Shell::run(
            QStringLiteral("head -c 3000000 /dev/zero | tr '\\0' e >&2; head -c 5000000 /dev/zero | tr '\\0' o"), 60s));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.output.size(), 5000000);
        QCOMPARE(result.error.size(), 3000000);
        QVERIFY(result.output.startsWith(QStringLiteral("ooo")));
    }

    void runStopsACommandAtTheTimeOut()
    {
        const Shell::Result result = QCoro::waitFor(Shell::run(QStringLiteral("echo before; sleep 30"), 300ms));
        QVERIFY(result.status != 0);
        QCOMPARE(result.output, QStringLiteral("before\n"));
    }

    void runKillsAChildThatIgnoresTermination()
    {
        const QString pidFile = QDir::homePath() + QStringLiteral("/sleeper.pid");
        const QString command =
            QStringLiteral("trap '' TERM; echo started; sleep 60 & echo $! > '%1'; wait $!").arg(pidFile);
        const Shell::Result result = QCoro::waitFor(Shell::run(command, 200ms));
        QVERIFY(result.status != 0);
        QCOMPARE(result.output, QStringLiteral("started\n"));
        const qint64 sleeper = readPid(pidFile);
        QVERIFY(sleeper > 0);
        QTRY_VERIFY(FakeTools::processGone(sleeper));
    }

    // A tool that ends normally takes what it left running with it: a refresh adds no processes.
    void runEndsWhatAToolLeftBehind()
    {
        const QString pidFile = QDir::homePath() + QStringLiteral("/helper.pid");
        const QString command = QStringLiteral("sleep 60 > /dev/null 2>&1 & echo $! > '%1'; echo done").arg(pidFile);
        const Shell::Result result = QCoro::waitFor(Shell::run(command, 20s));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.output, QStringLiteral("done\n"));
        const qint64 helper = readPid(pidFile);
        QVERIFY(helper > 0);
        QTRY_VERIFY(FakeTools::processGone(helper));
    }

    // What a tool writes is kept up to the output limit; a tool that writes more is killed at
    // once (not when its time-out comes) and reported as failed, its output dropped.
    void runStopsAToolThatWritesTooMuch()
    {
        const qint64 limit = ShellProcess::defaultOutputLimit;
        const Shell::Result within =
            QCoro::waitFor(Shell::run(QStringLiteral("head -c %1 /dev/zero | tr '\\0' o").arg(limit), 60s));
        QCOMPARE(within.status, 0);
        QCOMPARE(within.output.size(), limit);

        const QString flood =
            QStringLiteral("head -c %1 /dev/zero | tr '\\0' o; echo done >&2; sleep 30").arg(limit + 1);
        const Shell::Result over = QCoro::waitFor(Shell::run(flood, 120s));
        QCOMPARE(over.status, -1);
        QVERIFY(over.output.isEmpty());
        QCOMPARE(over.error, QStringLiteral("The command wrote more than 16 MB of output and was stopped."));
    }

    void outputLimitCountsBothStreams()
    {
        ShellProcess process(QStringLiteral("head -c 700000 /dev/zero >&2; head -c 700000 /dev/zero; sleep 30"));
        process.setOutputLimit(1000000);
        process.launch(120s);
        QTRY_VERIFY_WITH_TIMEOUT(process.hasEnded(), 20000);
        QVERIFY(process.overflowed());
    }

    // Tools run in a session of their own, so only the parent-death signal ends one that hangs
    // when Tessarine itself is killed.
    void toolDiesWithAKilledTessarine()
    {
        const QString pidFile = QDir::homePath() + QStringLiteral("/tool.pid");
        QFile::remove(pidFile);
        QProcess holder;
        holder.start(QStringLiteral(TESSARINE_SHELL_HOLDER),
                     {QStringLiteral("echo $$ > '%1'; exec sleep 300").arg(pidFile)});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(readPid(pidFile) > 0);
        const qint64 tool = readPid(pidFile);
        QVERIFY(!FakeTools::processGone(tool));

        holder.kill();
        QVERIFY(holder.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(FakeTools::processGone(tool), 10000);
    }

    void converseCollectsAwaitedReplies_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QList<int>>("ids");

        // Each server answers after reading the first request line, then keeps reading its
        // standard input, which stays open.
        QTest::newRow("ids 1, 2 and 3") << QByteArray("read line\n"
                                                      "echo '{\"id\":1,\"result\":{}}'\n"
                                                      "echo '{\"id\":2,\"result\":{\"n\":2}}'\n"
                                                      "echo '{\"id\":3,\"result\":{\"n\":3}}'\n"
                                                      "while read line; do :; done\n")
                                        << QList<int>{2, 3};
        QTest::newRow("notifications and noise first") << QByteArray("read line\n"
                                                                     "echo '{\"method\":\"note\"}'\n"
                                                                     "echo 'not json at all'\n"
                                                                     "echo '[2, 3]'\n"
                                                                     "echo '{\"id\":1,\"result\":{}}'\n"
                                                                     "echo '{\"id\":9,\"result\":{}}'\n"
                                                                     "echo '{\"id\":3,\"result\":{\"n\":3}}'\n"
                                                                     "echo '{\"id\":2,\"result\":{\"n\":2}}'\n"
                                                                     "while read line; do :; done\n")
                                                       << QList<int>{2, 3};
        QTest::newRow("reply without a newline before the end") << QByteArray("read line\n"
                                                                              "echo '{\"id\":3,\"result\":{}}'\n"
                                                                              "printf '{\"id\":2,\"result\":{}}'\n")
                                                                << QList<int>{2, 3};
        QTest::newRow("server ends without replies") << QByteArray("exit 1\n") << QList<int>{};
    }

    void converseCollectsAwaitedReplies()
    {
        QFETCH(QByteArray, server);
        QFETCH(QList<int>, ids);
        FakeTools::install(QStringLiteral("fake-server"), server);

        // A time-out far beyond the wait limit: the call must end because the replies are in.
        const QHash<int, QJsonObject> replies =
            converseWithin(QStringLiteral("exec fake-server"), QStringLiteral("{\"id\":1}\n"), {2, 3}, 600s, 20000);
        QList<int> keys = replies.keys();
        std::sort(keys.begin(), keys.end());
        QCOMPARE(keys, ids);
        for (int id : ids)
            QCOMPARE(replies.value(id).value(QStringLiteral("id")).toInt(), id);
    }

    void converseStopsTheServerOnceAnswered()
    {
        const QString pidFile = QDir::homePath() + QStringLiteral("/server.pid");
        FakeTools::install(QStringLiteral("fake-server"), "echo $$ > '" + pidFile.toUtf8() +
                                                              "'\n"
                                                              "echo '{\"id\":2}'\necho '{\"id\":3}'\n"
                                                              "while read line; do :; done\n");
        const QHash<int, QJsonObject> replies =
            converseWithin(QStringLiteral("exec fake-server"), QString(), {2, 3}, 600s, 20000);
        QCOMPARE(replies.size(), 2);
        QTRY_VERIFY(FakeTools::processGone(readPid(pidFile)));
    }

    void converseWritesTheInputAndKeepsStandardInputOpen()
    {
        // The server answers each request line it reads and would end at end of input.
        FakeTools::install(QStringLiteral("fake-server"), "n=0\n"
                                                          "while read line; do n=$((n+1)); "
                                                          "echo \"{\\\"id\\\":$n,\\\"line\\\":$line}\"; done\n"
                                                          "echo '{\"id\":3,\"eof\":true}'\n");
        const QString input = QStringLiteral("{\"a\":1}\n{\"b\":2}\n");
        const QHash<int, QJsonObject> replies =
            QCoro::waitFor(Shell::converse(QStringLiteral("exec fake-server"), input, {1, 2, 3}, 1500ms));
        QCOMPARE(replies.value(1).value(QStringLiteral("line")).toObject().value(QStringLiteral("a")).toInt(), 1);
        QCOMPARE(replies.value(2).value(QStringLiteral("line")).toObject().value(QStringLiteral("b")).toInt(), 2);
        QVERIFY(!replies.contains(3));
    }

    void converseReturnsWhatCameBeforeTheTimeOut_data()
    {
        QTest::addColumn<QByteArray>("server");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("only id 2") << QByteArray("echo '{\"id\":2}'\nwhile read line; do :; done\n") << QList<int>{2};
        QTest::newRow("string id not matched") << QByteArray("echo '{\"id\":\"2\"}'\necho '{\"id\":3}'\n"
                                                             "while read line; do :; done\n")
                                               << QList<int>{3};
        QTest::newRow("never answers, ignores termination")
            << QByteArray("trap '' TERM\nwhile read line; do :; done\n") << QList<int>{};
    }

    void converseReturnsWhatCameBeforeTheTimeOut()
    {
        QFETCH(QByteArray, server);
        QFETCH(QList<int>, ids);
        FakeTools::install(QStringLiteral("fake-server"), server);
        const QHash<int, QJsonObject> replies =
            QCoro::waitFor(Shell::converse(QStringLiteral("exec fake-server"), QString(), {2, 3}, 400ms));
        QList<int> keys = replies.keys();
        std::sort(keys.begin(), keys.end());
        QCOMPARE(keys, ids);
    }

    // A server line that never ends is not buffered without limit: past the output limit the
    // server is killed, and replies after the long line are never read.
    void converseStopsAtALineLongerThanTheLimit()
    {
        FakeTools::install(QStringLiteral("fake-server"), QStringLiteral("head -c %1 /dev/zero | tr '\\0' x\n"
                                                                         "echo; echo '{\"id\":2}'; echo '{\"id\":3}'\n"
                                                                         "sleep 60\n")
                                                              .arg(ShellProcess::defaultOutputLimit + 4096)
                                                              .toUtf8());
        const QHash<int, QJsonObject> replies =
            converseWithin(QStringLiteral("exec fake-server"), QString(), {2, 3}, 600s, 30000);
        QVERIFY(replies.isEmpty());
    }

    void converseLaterReplyReplacesEarlier()
    {
        FakeTools::install(QStringLiteral("fake-server"), "echo '{\"id\":3,\"v\":1}'\necho '{\"id\":3,\"v\":2}'\n"
                                                          "echo '{\"id\":2}'\n"
                                                          "while read line; do :; done\n");
        const QHash<int, QJsonObject> replies =
            converseWithin(QStringLiteral("exec fake-server"), QString(), {2, 3}, 600s, 20000);
        QCOMPARE(replies.value(3).value(QStringLiteral("v")).toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "TestShell.moc"
