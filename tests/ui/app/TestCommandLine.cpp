// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "render/RenderCommand.h"
#include "ui/app/CommandLine.h"

#include <QProcess>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program as a terminal would, without any display: --help, --version and mistakes
// must be answered before a window system is needed.
Run runProgram(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TESSARINE_BINARY), arguments);
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    const int code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    return {code, QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
    void helpNamesWhatAUserNeeds();
    void programAnswersHelpAndVersion();
    void programRefusesAnUnknownArgument_data();
    void programRefusesAnUnknownArgument();
};

void TestCommandLine::parses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QStringList>("launch");
    QTest::addColumn<QString>("error");

    using A = CommandLine::Action;
    QTest::newRow("nothing") << QStringList{} << A::Run << QStringList{} << QString();
    QTest::newRow("welcome") << QStringList{"--welcome"} << A::Run << QStringList{"--welcome"} << QString();
    QTest::newRow("all three, repeated") << QStringList{"--connections", "--edit-layout", "--connections", "--welcome"}
                                         << A::Run << QStringList{"--connections", "--edit-layout", "--welcome"}
                                         << QString();
    QTest::newRow("help") << QStringList{"--help"} << A::Help << QStringList{} << QString();
    QTest::newRow("short help after a launch argument")
        << QStringList{"--welcome", "-h"} << A::Help << QStringList{} << QString();
    QTest::newRow("version") << QStringList{"--version"} << A::Version << QStringList{} << QString();
    QTest::newRow("short version") << QStringList{"-v"} << A::Version << QStringList{} << QString();
    QTest::newRow("Qt's options with their values")
        << QStringList{"-platform", "offscreen", "--style=Fusion", "-reverse", "--edit-layout"} << A::Run
        << QStringList{"--edit-layout"} << QString();

    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << A::Fail << QStringList{}
                                    << "unknown argument '--frobnicate'";
    QTest::newRow("a word") << QStringList{"welcome"} << A::Fail << QStringList{} << "unknown argument 'welcome'";
    QTest::newRow("a launch argument with a value")
        << QStringList{"--welcome=yes"} << A::Fail << QStringList{} << "unknown argument '--welcome=yes'";
    QTest::newRow("the first mistake wins over help")
        << QStringList{"--frobnicate", "--help"} << A::Fail << QStringList{} << "unknown argument '--frobnicate'";
    QTest::newRow("a Qt option without its value")
        << QStringList{"--welcome", "-platform"} << A::Fail << QStringList{} << "'-platform' needs a value";
}

void TestCommandLine::parses()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QStringList, launch);
    QFETCH(QString, error);

    const CommandLine commandLine = CommandLine::parse(arguments);
    QCOMPARE(commandLine.action(), action);
    QCOMPARE(commandLine.error(), error);
    if (action == CommandLine::Action::Run)
        QCOMPARE(commandLine.launchArguments(), launch);
}

void TestCommandLine::helpNamesWhatAUserNeeds()
{
    const Configuration configuration = TestSupport::configuration();
    const QString help = CommandLine::helpText(configuration);
    const QStringList needed{"--welcome",
                             "--edit-layout",
                             "--connections",
                             "--help",
                             "--version",
                             "APP_REFRESH_TEST",
                             "APP_SNAPSHOT",
                             "TESSARINE_SCREENS",
                             "TESSARINE_VIEWS",
                             "TESSARINE_WELCOME_STEP",
                             "TESSARINE_EDITOR_SLOT",
                             "TESSARINE_GITHUB_API",
                             "TESSARINE_GITHUB_WEB",
                             "TESSARINE_UPDATE_FEED",
                             configuration.settingsFile(),
                             configuration.screensDir,
                             configuration.viewsDir};
    for (const QString &text : needed)
        QVERIFY2(help.contains(text), qPrintable(text));
    // The render command's usage as that command gives it, wrapped.
    QVERIFY(help.simplified().contains(RenderCommand::usage().section(QStringLiteral("usage: "), 1)));
}

void TestCommandLine::programAnswersHelpAndVersion()
{
    const Run help = runProgram({"--help"});
    QCOMPARE(help.exitCode, 0);
    QCOMPARE(help.out, CommandLine::helpText(TestSupport::configuration()));
    QCOMPARE(help.err, QString());

    const Run version = runProgram({"--welcome", "--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QStringLiteral("Tessarine " TESSARINE_VERSION "\n"));
}

void TestCommandLine::programRefusesAnUnknownArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "tessarine: unknown argument '--frobnicate'";
    QTest::newRow("after a good one") << QStringList{"--connections", "extra"} << "tessarine: unknown argument 'extra'";
}

void TestCommandLine::programRefusesAnUnknownArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runProgram(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, message + QStringLiteral("\nTry 'tessarine --help' for more information.\n"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
