// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RenderJob.h"
#include "RenderStream.h"

#include <QCoro/QCoroTask>
#include <QFuture>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <deque>

class PageRenderer;
class QSocketNotifier;

// The page renderer's side of the renderer process (`tessarine render-helper`, started by
// RenderClient). It reads render jobs from one file descriptor, draws them one after another
// with a PageRenderer that keeps the page view loaded between pictures, and writes each answer
// (the PNG file with the page's text, or the error text) to another, in the order of the jobs.
// A picture is encoded on a worker thread while the next job, when one is waiting, is drawn. It
// ends when its input closes (the card went away), when the input is not a job stream, or after
// a minute without work, so the web engine does not sit in memory between refreshes.
class RenderHelper : public QObject
{
    Q_OBJECT
public:
    static constexpr char subcommand[] = "render-helper";
    static constexpr std::chrono::milliseconds defaultIdleTime{60'000};

    // Exit statuses of the process.
    enum Status
    {
        Done = 0,
        BadInput = 3,
        OutputClosed = 4
    };

    RenderHelper(PageRenderer &renderer, int inputFd, int outputFd,
                 std::chrono::milliseconds idleTime = defaultIdleTime, QObject *parent = nullptr);
    ~RenderHelper() override;

Q_SIGNALS:
    // The helper has nothing more to do; the process should exit with `status`.
    void finished(int status);
    // Answers were written, or could not be.
    void answersWritten();

private:
    void readInput();
    void takeJobs();
    QCoro::Task<> work();
    QCoro::Task<QFuture<QByteArray>> answerTo(RenderJob job);
    void writeReadyAnswers();
    void restIfDone();
    bool writeAll(const QByteArray &bytes);
    void finish(int status);

    PageRenderer &m_renderer;
    int m_inputFd;
    int m_outputFd;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_idle;
    RenderStream m_input;
    std::deque<RenderJob> m_jobs;
    // Packed answers in the order of their jobs; pictures among them may still be encoding.
    std::deque<QFuture<QByteArray>> m_answers;
    bool m_working = false;
    bool m_inputClosed = false;
    bool m_finished = false;
};
