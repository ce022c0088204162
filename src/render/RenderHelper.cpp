// SPDX-License-Identifier: GPL-3.0-or-later
#include "RenderHelper.h"

#include "PageRenderer.h"
#include "PngEncoder.h"
#include "kit/Problem.h"
#include "platform/SignalWait.h"

#include <QPointer>
#include <QPromise>
#include <QSocketNotifier>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

// A future that already holds its result, built the same way on every Qt 6 release (the ready
// future helpers were renamed between them).
QFuture<QByteArray> finishedFuture(QByteArray result)
{
    QPromise<QByteArray> promise;
    QFuture<QByteArray> future = promise.future();
    promise.start();
    promise.addResult(std::move(result));
    promise.finish();
    return future;
}

constexpr qsizetype readChunk = 64 * 1024;
// One picture is drawn while the one before is encoded; more are not held.
constexpr std::size_t mostAnswersHeld = 2;

QByteArray packed(const RenderReply &reply)
{
    return RenderStream::pack(reply.toBytes());
}

QByteArray encodedAnswer(QImage picture, QString text)
{
    const QByteArray png = PngEncoder::encode(std::move(picture));
    return packed(png.isEmpty() ? RenderReply::failure(QStringLiteral("The picture could not be encoded as PNG."))
                                : RenderReply::picture(png, std::move(text)));
}

} // namespace

RenderHelper::RenderHelper(PageRenderer &renderer, int inputFd, int outputFd, std::chrono::milliseconds idleTime,
                           QObject *parent)
    : QObject(parent)
    , m_renderer(renderer)
    , m_inputFd(inputFd)
    , m_outputFd(outputFd)
{
    // Reads never block the event loop the web engine needs; answers are written whole.
    ::fcntl(m_inputFd, F_SETFL, ::fcntl(m_inputFd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(qintptr(m_inputFd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RenderHelper::readInput);
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleTime);
    connect(&m_idle, &QTimer::timeout, this, [this] { finish(Done); });
    m_idle.start();
}

RenderHelper::~RenderHelper() = default;

void RenderHelper::readInput()
{
    QByteArray chunk(readChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(m_inputFd, chunk.data(), size_t(chunk.size()));
        if (got > 0) {
            m_input.append(chunk.first(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // The card closed the pipe, or went away: nobody is left to answer.
            m_inputClosed = true;
            m_notifier->setEnabled(false);
        }
        break;
    }
    takeJobs();
    if (m_input.broken())
        return finish(BadInput);
    if (m_inputClosed)
        restIfDone();
}

void RenderHelper::takeJobs()
{
    while (std::optional<QByteArray> message = m_input.next()) {
        std::optional<RenderJob> job = RenderJob::fromBytes(*message);
        if (!job)
            return finish(BadInput);
        m_jobs.push_back(std::move(*job));
    }
    if (!m_jobs.empty() && !m_working)
        work();
}

QCoro::Task<> RenderHelper::work()
{
    const QPointer<RenderHelper> self(this);
    m_working = true;
    m_idle.stop();
    while (self && !m_finished && !m_jobs.empty()) {
        while (self && !m_finished && m_answers.size() >= mostAnswersHeld)
            co_await nextSignal(this, &RenderHelper::answersWritten);
        if (!self || m_finished)
            co_return;
        const RenderJob job = m_jobs.front();
        m_jobs.pop_front();
        if (!writeAll(RenderStream::pack(RenderReply::takenNotice()))) {
            finish(OutputClosed);
            co_return;
        }
        QFuture<QByteArray> answer = co_await answerTo(job);
        if (!self)
            co_return;
        m_answers.push_back(answer);
        answer.then(this, [this](const QByteArray &) { writeReadyAnswers(); });
    }
    if (!self)
        co_return;
    m_working = false;
    restIfDone();
}

QCoro::Task<QFuture<QByteArray>> RenderHelper::answerTo(RenderJob job)
{
    QString error;
    try {
        RenderedPage rendered =
            co_await m_renderer.renderWithText(job.dataJson, job.page, job.mode, job.themeJson, job.scale);
        co_return QtConcurrent::run(&encodedAnswer, std::move(rendered.picture), std::move(rendered.text));
    } catch (const Problem &failure) {
        error = failure.message();
    } catch (const std::exception &failure) {
        error = QString::fromLocal8Bit(failure.what());
    }
    co_return finishedFuture(packed(RenderReply::failure(error)));
}

void RenderHelper::writeReadyAnswers()
{
    while (!m_finished && !m_answers.empty() && m_answers.front().isFinished()) {
        const QByteArray bytes = m_answers.front().result();
        m_answers.pop_front();
        if (!writeAll(bytes))
            finish(OutputClosed);
    }
    // The pictures just sent were the largest blocks this process holds. The allocator keeps
    // freed blocks of their size for reuse rather than giving them back, which left the
    // process about 35 MB larger at the peak of a refresh than what it uses.
    ::malloc_trim(0);
    Q_EMIT answersWritten();
    restIfDone();
}

// With no job being drawn and every answer written, the helper waits for work, or ends when
// the card has closed its input.
void RenderHelper::restIfDone()
{
    if (m_finished || m_working || !m_answers.empty())
        return;
    if (m_inputClosed)
        finish(Done);
    else
        m_idle.start();
}

bool RenderHelper::writeAll(const QByteArray &bytes)
{
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_outputFd, next, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

void RenderHelper::finish(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    m_idle.stop();
    m_notifier->setEnabled(false);
    Q_EMIT finished(status);
}
