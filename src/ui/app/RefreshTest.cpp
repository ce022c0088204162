// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshTest.h"

#include "model/FirstStart.h"
#include "model/FrameModel.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QCoroTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTextStream>
#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto pollInterval = 100ms;

QtMessageHandler defaultMessageHandler = nullptr;

// The mode's whole output is its one line. The toolkit's and the web engine's notes about the
// missing display, graphics and sandbox would bury it, so only critical messages still reach
// standard error.
void keepCriticalMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if ((type == QtCriticalMsg || type == QtFatalMsg) && defaultMessageHandler)
        defaultMessageHandler(type, context, message);
}

// A newcomer on a computer without a display first gets the pages recommended for what is
// installed, rather than starting pages that need a GitHub account.
QCoro::Task<int> startThenRun(FrameModel &model, QTextStream &out)
{
    if (FirstStart::isNeeded(model))
        co_await FirstStart::run(model);
    co_return co_await RefreshTest::run(model, out);
}

} // namespace

bool RefreshTest::requested()
{
    return qEnvironmentVariableIsSet("APP_REFRESH_TEST");
}

int RefreshTest::main(int argc, char **argv, const Configuration &configuration)
{
    defaultMessageHandler = qInstallMessageHandler(keepCriticalMessages);
    PageRenderer::prepareEnvironment(PageRenderer::Platform::OffscreenWhenNoDisplay);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessarine"));

    FrameModel model(configuration);
    QTextStream out(stdout);
    QCoro::connect(startThenRun(model, out), &model, [](int status) {
        // Queued, so that the exit also lands when the refresh ended before the loop started.
        const auto exit = [status] { QCoreApplication::exit(status); };
        QMetaObject::invokeMethod(qApp, exit, Qt::QueuedConnection);
    });
    return QApplication::exec();
}

QCoro::Task<int> RefreshTest::run(FrameModel &model, QTextStream &out)
{
    const QPointer<FrameModel> guard(&model);
    QElapsedTimer clock;
    clock.start();
    // A refresh already under way (the one the first start asked for) is the one reported.
    if (!model.isRefreshing())
        model.refresh();
    while (guard && guard->isRefreshing())
        co_await QCoro::sleepFor(pollInterval);
    const std::optional<QString> error =
        guard ? guard->errorLine() : std::optional<QString>(QStringLiteral("The refresh was stopped."));
    const std::optional<QString> partial = guard ? guard->sourceProblem() : std::nullopt;
    out << resultLine(error, partial, double(clock.elapsed()) / 1000.0) << Qt::endl;
    co_return (error && !error->isEmpty()) ? 1 : 0;
}

QString RefreshTest::resultLine(const std::optional<QString> &errorLine, const std::optional<QString> &sourceProblem,
                                double seconds)
{
    const QString elapsed = QStringLiteral(" in ") + QString::asprintf("%.1f", seconds) + QLatin1Char('s');
    if (errorLine && !errorLine->isEmpty())
        return QStringLiteral("refresh failed: ") + *errorLine + elapsed;
    // Every page was drawn; the one source that failed is named.
    if (sourceProblem)
        return QStringLiteral("refresh ok (") + *sourceProblem + QLatin1Char(')') + elapsed;
    return QStringLiteral("refresh ok") + elapsed;
}
