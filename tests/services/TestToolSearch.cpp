// SPDX-License-Identifier: GPL-3.0-or-later
// Where the tools are found: homes set up the way people's are, each with one tool in the folder
// its start files put on PATH, and both the connections window's probe and the refresh's reading
// must find it there.
#include "FakeTools.h"
#include "TestSupport.h"
#include "data/LocalSources.h"
#include "data/UserEnvironment.h"
#include "services/ConnectionsState.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using Files = QMap<QString, QByteArray>;

namespace {

constexpr int probeWaitMs = 20000;

// Debian's own start files, cut to what matters here: ~/.profile reads ~/.bashrc for bash, and
// ~/.bashrc stops at once when the shell is not interactive, above whatever installers append.
const QByteArray debianProfile = "if [ -n \"$BASH_VERSION\" ]; then\n"
                                 "    if [ -f \"$HOME/.bashrc\" ]; then . \"$HOME/.bashrc\"; fi\n"
                                 "fi\n";
const QByteArray interactiveOnly = "case $- in\n    *i*) ;;\n    *) return;;\nesac\n";

QString configHome()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

// A fake Grok CLI whose usage report the refresh reads as one window at 42 %.
const QByteArray fakeGrok = "#!/bin/sh\nprintf '{\"usedPercent\":42}'\n";

} // namespace

class TestToolSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes start files");
    }

    void toolsAreFoundWhereTheStartFilesPutThem_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::addColumn<Files>("files");
        QTest::addColumn<QString>("toolDir");
        QTest::addColumn<bool>("onSessionPath");

        const QByteArray nvm =
            "export NVM_DIR=\"$HOME/.nvm\"\nexport PATH=\"$NVM_DIR/versions/node/v22.12.0/bin:$PATH\"\n";
        QTest::newRow("bash, nvm in .bashrc")
            << "/bin/bash" << Files{{".profile", debianProfile}, {".bashrc", interactiveOnly + nvm}}
            << ".nvm/versions/node/v22.12.0/bin" << false;
        QTest::newRow("bash, .bash_profile present")
            << "/bin/bash"
            << Files{{".bash_profile", "[ -f ~/.bashrc ] && . ~/.bashrc\n"},
                     {".profile", "PATH=\"$HOME/.profile-only:$PATH\"\n"},
                     {".bashrc", interactiveOnly + "PATH=\"$HOME/.local/bin:$PATH\"\n"}}
            << ".local/bin" << false;
        QTest::newRow("sh, .profile") << "/bin/sh" << Files{{".profile", "PATH=\"$HOME/.local/bin:$PATH\"\n"}}
                                      << ".local/bin" << false;
        QTest::newRow("zsh, .zshrc") << "/bin/zsh" << Files{{".zshrc", "path=($HOME/.volta/bin $path)\n"}}
                                     << ".volta/bin" << false;
        QTest::newRow("fish, config.fish")
            << "/usr/bin/fish"
            << Files{{configHome() + "/fish/config.fish", "set -gx PATH $HOME/.npm-global/bin $PATH\n"}}
            << ".npm-global/bin" << false;
        QTest::newRow("a start file that prints")
            << "/bin/bash"
            << Files{{".bash_profile", "echo 'Welcome back'\n. ~/.bashrc\n"},
                     {".bashrc", "printf 'PATH=/nowhere\\0'\necho \"$(date)\"\nPATH=\"$HOME/.cargo/bin:$PATH\"\n"}}
            << ".cargo/bin" << false;
        // A start file that waits for ever: the deadline passes and the desktop session's own
        // environment serves, where the tool is too.
        QTest::newRow("a start file that hangs")
            << "/bin/bash" << Files{{".bashrc", "sleep 60\n"}, {".bash_profile", ". ~/.bashrc\n"}} << "session-bin"
            << true;
    }

    void toolsAreFoundWhereTheStartFilesPutThem()
    {
        QFETCH(QString, shell);
        QFETCH(Files, files);
        QFETCH(QString, toolDir);
        QFETCH(bool, onSessionPath);
        if (!QFileInfo(shell).isExecutable()) {
            if (FakeTools::inContinuousIntegration())
                QFAIL(qPrintable(shell + QStringLiteral(" is missing; scripts/install-deps installs it")));
            QSKIP("the shell of this row is not installed");
        }

        const QString home = QDir::homePath();
        const QByteArray sessionPath = qgetenv("PATH");
        const QString shellBefore = qEnvironmentVariable("SHELL");
        auto restore = qScopeGuard([&] {
            qputenv("PATH", sessionPath);
            qputenv("SHELL", shellBefore.toLocal8Bit());
            for (auto file = files.cbegin(); file != files.cend(); ++file)
                QFile::remove(QDir(home).absoluteFilePath(file.key()));
            QDir(QDir(home).absoluteFilePath(toolDir)).removeRecursively();
            UserEnvironment::instance().setDeadline(UserEnvironment::defaultDeadline);
        });
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            TestSupport::writeFile(QDir(home).absoluteFilePath(file.key()), file.value());
        const QString dir = QDir(home).absoluteFilePath(toolDir);
        const QString grok = TestSupport::writeScript(dir + QStringLiteral("/grok"), fakeGrok);
        if (onSessionPath) {
            qputenv("PATH", QByteArray(QFile::encodeName(dir) + ':' + sessionPath));
            UserEnvironment::instance().setDeadline(1s);
        }
        qputenv("SHELL", shell.toLocal8Bit());

        // The connections window, which asks the shell afresh when it checks.
        ConnectionsState state;
        state.check(home + QStringLiteral("/no-screens"));
        QTRY_VERIFY_WITH_TIMEOUT(!state.isChecking(), probeWaitMs);
        QCOMPARE(state.tools().value(QStringLiteral("grok")), grok);

        // The refresh, which reads the tool in the same environment.
        const LocalSources::Grok reading =
            QCoro::waitFor(LocalSources::grok(QDateTime::currentDateTimeUtc(), std::chrono::milliseconds(probeWaitMs)));
        QVERIFY2(reading.windows, qPrintable(reading.reason.value_or(QString())));
        QCOMPARE(reading.windows->size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestToolSearch)
#include "TestToolSearch.moc"
