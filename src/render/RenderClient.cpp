// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderClient.h"

#include "kit/Problem.h"
#include "platform/ChildEnvironment.h"
#include "platform/SignalWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

QString stoppedMessage(const QString &reason)
{
    return QStringLiteral("The page renderer stopped: ") + reason;
}

QString closedMessage()
{
    return QStringLiteral("The page renderer was closed before the picture was taken.");
}

// The renderer process draws on the offscreen platform whatever the card runs on, and is given
// only the environment it needs (no tokens or keys of the user's).
QProcessEnvironment rendererEnvironment()
{
    QProcessEnvironment environment = ChildEnvironment::minimal();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

} // namespace

RenderClient::RenderClient(QString program, QStringList arguments, QObject *parent)
    : QObject(parent)
    , m_program(std::move(program))
    , m_arguments(std::move(arguments))
{}

RenderClient::~RenderClient()
{
    stopProcess();
}

RenderClient *RenderClient::createDefault(const QString &program, const QString &viewsDir, QObject *parent)
{
    return new RenderClient(program.isEmpty() ? QCoreApplication::applicationFilePath() : program,
                            {QStringLiteral("render-helper"), QStringLiteral("--views"), viewsDir}, parent);
}

qint64 RenderClient::processId() const
{
    return m_process && m_process->state() != QProcess::NotRunning ? m_process->processId() : 0;
}

QCoro::Task<QByteArray> RenderClient::render(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                             int scale)
{
    co_return co_await render(RenderJob{dataJson, page, mode, themeJson, std::max(scale, 1)});
}

QCoro::Task<QByteArray> RenderClient::render(RenderJob job, std::optional<RenderJob> next)
{
    Answer answer = co_await renderWithText(std::move(job), std::move(next));
    co_return std::move(answer.png);
}

QCoro::Task<RenderClient::Answer> RenderClient::renderWithText(RenderJob job, std::optional<RenderJob> next)
{
    const QPointer<RenderClient> self(this);
    const std::optional<OneAtATime::Turn> turn = co_await m_turns.take();
    if (!turn)
        throw Problem(closedMessage());

    job.scale = std::max(job.scale, 1);
    const QByteArray bytes = RenderStream::pack(job.toBytes());
    const bool sentAlready = m_sentAhead == bytes && processId() != 0 && !m_exited;
    if (m_sentAhead && !sentAlready)
        ++m_unwantedAnswers;
    m_sentAhead.reset();
    if (!sentAlready) {
        co_await ensureStarted();
        if (!self)
            throw Problem(closedMessage());
        m_process->write(bytes);
    }
    if (next) {
        next->scale = std::max(next->scale, 1);
        m_sentAhead = RenderStream::pack(next->toBytes());
        m_process->write(*m_sentAhead);
    }
    std::optional<Answer> answer = co_await awaitAnswer(AfterIdleExit::Report);
    if (answer)
        co_return std::move(*answer);
    // The process ended for want of work just as this job was sent: a new one draws it.
    co_await ensureStarted();
    if (!self)
        throw Problem(closedMessage());
    m_process->write(bytes);
    std::optional<Answer> retried = co_await awaitAnswer(AfterIdleExit::Fail);
    co_return retried.value_or(Answer{});
}

QCoro::Task<> RenderClient::ensureStarted()
{
    if (m_process && !m_exited && m_process->state() != QProcess::NotRunning)
        co_return;
    stopProcess();
    const QPointer<RenderClient> self(this);
    auto *process = new QProcess(this);
    m_process = process;
    m_exited = false;
    m_answers = RenderStream();
    process->setProgram(m_program);
    process->setArguments(m_arguments);
    process->setProcessEnvironment(rendererEnvironment());
    process->setStandardErrorFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        m_answers.append(process->readAllStandardOutput());
        Q_EMIT processChanged();
    });
    connect(process, &QProcess::started, this, &RenderClient::processChanged);
    connect(process, &QProcess::finished, this, [this, process] {
        if (process != m_process)
            return;
        m_exited = true;
        Q_EMIT processChanged();
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process != m_process || error != QProcess::FailedToStart)
            return;
        m_exited = true;
        Q_EMIT processChanged();
    });
    process->start();
    while (self && m_process == process && !m_exited && process->state() == QProcess::Starting)
        co_await nextSignal(this, &RenderClient::processChanged, std::chrono::milliseconds(50));
    if (!self)
        co_return;
    if (m_process != process)
        throw Problem(closedMessage());
    if (process->error() == QProcess::FailedToStart) {
        const QString reason = process->errorString();
        stopProcess();
        throw Problem(QStringLiteral("The page renderer could not be started: ") + reason);
    }
}

QCoro::Task<std::optional<RenderClient::Answer>> RenderClient::awaitAnswer(AfterIdleExit afterIdleExit)
{
    const QPointer<RenderClient> self(this);
    const QDeadlineTimer deadline(m_answerTimeout);
    for (;;) {
        if (std::optional<QByteArray> message = m_answers.next()) {
            if (*message == RenderReply::takenNotice()) {
                Q_EMIT jobTaken();
                continue;
            }
            if (m_unwantedAnswers > 0) {
                --m_unwantedAnswers;
                continue;
            }
            const std::optional<RenderReply> reply = RenderReply::fromBytes(*message);
            if (!reply)
                fail(QStringLiteral("its answer could not be read."));
            if (!reply->png)
                throw Problem(reply->error);
            co_return Answer{*reply->png, reply->text};
        }
        if (m_answers.broken())
            fail(QStringLiteral("its answer could not be read."));
        if (m_exited || !m_process || m_process->state() == QProcess::NotRunning) {
            const bool crashed = m_process && m_process->exitStatus() == QProcess::CrashExit;
            const int code = m_process ? m_process->exitCode() : 0;
            if (!crashed && code == 0 && m_answers.pending() == 0 && afterIdleExit == AfterIdleExit::Report) {
                stopProcess();
                co_return std::nullopt;
            }
            fail(crashed ? QStringLiteral("it was ended by signal %1.").arg(code)
                         : QStringLiteral("it exited with status %1 before answering.").arg(code));
        }
        if (deadline.hasExpired())
            fail(QStringLiteral("it did not answer within %1 seconds.").arg(double(m_answerTimeout.count()) / 1000.0));
        co_await nextSignal(this, &RenderClient::processChanged,
                            std::chrono::milliseconds(std::max<qint64>(deadline.remainingTime(), 1)));
        if (!self)
            throw Problem(closedMessage());
    }
}

void RenderClient::fail(const QString &reason)
{
    // A process that broke its side of the pipe is not trusted with another picture.
    stopProcess();
    throw Problem(stoppedMessage(reason));
}

void RenderClient::stopProcess()
{
    QProcess *process = m_process;
    m_process = nullptr;
    m_exited = false;
    m_sentAhead.reset();
    m_unwantedAnswers = 0;
    if (!process)
        return;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        // Ended at once and reaped when it is gone; nothing waits for it here. It no longer
        // belongs to the client, whose end would otherwise destroy it while still running.
        process->setParent(nullptr);
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->kill();
        return;
    }
    process->deleteLater();
}
