// SPDX-License-Identifier: GPL-3.0-or-later
#include "RendererProcess.h"

#include "render/PageRenderer.h"
#include "render/RenderHelper.h"

#include <QApplication>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The answers' own copy of standard output; standard output itself then leads nowhere, so
// nothing the toolkit or the web engine might print can mix with the pictures.
int takeStandardOutput()
{
    const int answers = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDOUT_FILENO);
        ::close(nowhere);
    }
    return answers;
}

void silent(QtMsgType, const QMessageLogContext &, const QString &) {}

// Besides Chromium's own logging (off in every process that only draws), the web engine's Qt
// categories report its graphics set-up on standard error.
void silenceWebEngine()
{
    qputenv("QT_LOGGING_RULES", "*=false");
}

} // namespace

bool RendererProcess::requested(int argc, char **argv)
{
    return argc > 1 && std::strcmp(argv[1], RenderHelper::subcommand) == 0;
}

std::optional<RendererProcess::Options> RendererProcess::parse(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i + 1 >= arguments.size())
            return std::nullopt;
        const QString &value = arguments.at(++i);
        if (argument == QStringLiteral("--views")) {
            options.viewsDir = value;
        } else if (argument == QStringLiteral("--idle-ms")) {
            bool ok = false;
            const int milliseconds = value.toInt(&ok);
            if (!ok || milliseconds <= 0)
                return std::nullopt;
            options.idleTime = std::chrono::milliseconds(milliseconds);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

int RendererProcess::main(int argc, char **argv, const QString &viewsDir)
{
    const int answers = takeStandardOutput();
    qInstallMessageHandler(silent);
    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::optional<Options> options = parse(arguments);
    if (!options || answers < 0)
        return RenderHelper::BadInput;
    if (options->viewsDir.isEmpty())
        options->viewsDir = viewsDir;

    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    silenceWebEngine();
    PageRenderer::keepPageRendererInProcess();
    QApplication application(argc, argv);
    PageRenderer renderer(options->viewsDir);
    renderer.setKeepLoaded(true);
    RenderHelper helper(renderer, STDIN_FILENO, answers, options->idleTime);
    QObject::connect(&helper, &RenderHelper::finished, &application,
                     [](int status) { QCoreApplication::exit(status); });
    const int status = QApplication::exec();
    // Every answer is already written to the pipe, unbuffered. Tearing down the web engine's
    // in-process page renderer while it is still starting up has hung for a minute and more, so
    // the process ends here without it.
    ::_exit(status);
}
