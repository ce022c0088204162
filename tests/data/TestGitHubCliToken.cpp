// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "TestSupport.h"
#include "data/GitHubCliToken.h"
#include "data/Shell.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QTest>
#include <chrono>

using namespace std::chrono_literals;

// The token the refresh takes from "gh auth token" when no one signed in through Tessarine: the
// last line of the output, and only when it is made of a token's characters, so nothing else
// ever reaches a request header.
class TestGitHubCliToken : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromOutput_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("token"); // empty: none

        QTest::newRow("no greeting") << "gho_fromcli\n"
                                     << "gho_fromcli";
        QTest::newRow("a greeting line") << "Welcome back, octo!\ngho_fromcli\n"
                                         << "gho_fromcli";
        QTest::newRow("blank lines and a notice") << "\n  Mail waits  \n\ngho_fromcli\n"
                                                  << "gho_fromcli";
        QTest::newRow("carriage returns") << "hello\r\ngho_fromcli\r\n"
                                          << "gho_fromcli";
        QTest::newRow("the longest token")
            << QString(QString(GitHubCliToken::maxLength, u'a') + u'\n') << QString(GitHubCliToken::maxLength, u'a');
        QTest::newRow("longer than a token") << QString(GitHubCliToken::maxLength + 1, u'a') << "";
        QTest::newRow("a header after a line feed") << "gho_fromcli\nX-Injected: yes\n"
                                                    << "";
        QTest::newRow("a header after a carriage return") << "gho_fromcli\rX-Injected: yes"
                                                          << "";
        QTest::newRow("a sentence") << "You are not logged in to any GitHub hosts\n"
                                    << "";
        QTest::newRow("an escape sequence") << "gho_\033[31mred\n"
                                            << "";
        QTest::newRow("nothing") << "\n \n"
                                 << "";
    }

    void fromOutput()
    {
        QFETCH(QString, output);
        QFETCH(QString, token);
        QCOMPARE(GitHubCliToken::fromOutput(output).value_or(QString()), token);
    }

    // What a login profile prints comes first in what the shell hands back; the token is still
    // found after it.
    void tokenAfterAProfileGreeting()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes login profiles");
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
        const QString profile = QDir::homePath() + QStringLiteral("/.profile");
        TestSupport::writeFile(profile, TestSupport::readFile(profile) + "echo 'Welcome back, octo!'\n");
        FakeTools::install(QStringLiteral("gh"), "[ \"$1 $2\" = \"auth token\" ] && printf 'gho_fromcli\\n'\n");

        const Shell::Result result = QCoro::waitFor(Shell::run(QStringLiteral("gh auth token"), 10s));
        QVERIFY(result.succeeded());
        QCOMPARE(GitHubCliToken::fromOutput(result.output), QStringLiteral("gho_fromcli"));
    }
};

QTEST_GUILESS_MAIN(TestGitHubCliToken)
#include "TestGitHubCliToken.moc"
