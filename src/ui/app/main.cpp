// SPDX-License-Identifier: GPL-3.0-or-later
#include "App.h"
#include "CommandLine.h"
#include "PlatformChoice.h"
#include "RefreshTest.h"
#include "RendererProcess.h"
#include "SingleInstance.h"
#include "Snapshot.h"
#include "platform/Configuration.h"
#include "platform/Paths.h"
#include "render/PageRenderer.h"
#include "render/RenderCommand.h"
#include "ui/card/CardAccessible.h"
#include "ui/common/LineEditAccessible.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

namespace {

QStringList argumentsAfterProgram(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// --help, --version and mistakes are answered before anything needs a display. Returns the exit
// status when the command line is answered here.
std::optional<int> answer(const CommandLine &commandLine, const Configuration &configuration)
{
    switch (commandLine.action()) {
    case CommandLine::Action::Help:
        QTextStream(stdout) << CommandLine::helpText(configuration);
        return 0;
    case CommandLine::Action::Version:
        QTextStream(stdout) << CommandLine::versionText() << Qt::endl;
        return 0;
    case CommandLine::Action::Fail:
        QTextStream(stderr) << "tessarine: " << commandLine.error() << Qt::endl << CommandLine::helpHint() << Qt::endl;
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    // The one reading of the TESSARINE_* variables; everything below is handed what it needs.
    const Configuration configuration = Configuration::fromEnvironment();
    // `tessarine render …` draws pages without the desktop.
    if (argc > 1 && qstrcmp(argv[1], "render") == 0) {
        RenderCommand::prepareProcess();
        // The web view the pages are drawn in is a widget, so the application is a widgets one.
        QApplication application(argc, argv);
        return RenderCommand::run(QApplication::arguments().mid(2), configuration.viewsDir);
    }
    // The card's own renderer process.
    if (RendererProcess::requested(argc, argv))
        return RendererProcess::main(argc, argv, configuration.viewsDir);
    const CommandLine commandLine = CommandLine::parse(argumentsAfterProgram(argc, argv));
    if (const std::optional<int> status = answer(commandLine, configuration))
        return *status;
    if (RefreshTest::requested())
        return RefreshTest::main(argc, argv, configuration);
    // Where no platform can show the card, the user is told why rather than Qt aborting.
    if (const PlatformChoice::Choice platform = PlatformChoice::apply(); !platform.failure.isEmpty()) {
        QTextStream(stderr) << "tessarine: " << platform.failure << Qt::endl;
        return 1;
    }
    PageRenderer::prepareEnvironment();
    CardAccessible::install(); // before the accessibility bridge first asks for the program
    QApplication application(argc, argv);
    // After the application, whose widgets' own interfaces would otherwise be asked first.
    LineEditAccessible::install();
    QApplication::setApplicationName(QStringLiteral("Tessarine"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tessarine"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARINE_VERSION));
    // Ties the windows to the installed desktop entry (its name and icon in docks and switchers),
    // and gives them the icon itself where the window system asks the window (X11): the installed
    // theme icon, else the source tree's for a build-tree run.
    const QString appId = QStringLiteral("app.tessarine.Tessarine");
    QGuiApplication::setDesktopFileName(appId);
    QApplication::setWindowIcon(
        QIcon::fromTheme(appId, QIcon(Paths::resourcesDir() + QLatin1Char('/') + appId + QStringLiteral(".svg"))));

    if (qEnvironmentVariableIsSet("APP_SNAPSHOT")) {
        App app(configuration);
        Snapshot::run(app.model(), qEnvironmentVariable("APP_SNAPSHOT"));
        return 0;
    }

    // A second start brings the running card forward instead of making another one.
    SingleInstance instance;
    switch (instance.start(commandLine.launchArguments())) {
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::NoAnswer:
        QTextStream(stderr) << "tessarine: another Tessarine is running but does not answer" << Qt::endl;
        return 1;
    case SingleInstance::Outcome::Running:
        break;
    }

    // The model exists from here on, before any of the launch below.
    App app(configuration);
    QObject::connect(&instance, &SingleInstance::activated, &app, &App::handOver);
    app.finishLaunching(commandLine.launchArguments());
    return QApplication::exec();
}
