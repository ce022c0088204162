// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OneAtATime.h"
#include "RenderJob.h"
#include "RenderStream.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

class QProcess;

// Draws page pictures in a renderer process of its own, so the card's process never creates a
// web view: the web engine's windows stay off the desktop and its memory is given back when the
// process ends. The process (this program with the render-helper subcommand, on the offscreen
// platform) is started on the first picture, draws any number of pictures one after another, and
// ends itself after a minute without work; the next picture starts a new one.
//
// A renderer process that crashes, is killed, does not answer within the time-out or answers
// something that is not a picture fails the picture being drawn with "The page renderer
// stopped: …"; it is ended, and the next picture starts a fresh one.
class RenderClient : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultAnswerTimeout{20'000};

    // `program` and `arguments` start the renderer process.
    RenderClient(QString program, QStringList arguments, QObject *parent = nullptr);
    ~RenderClient() override;

    // `program` (this program when empty) with the render-helper subcommand drawing from
    // `viewsDir`. The configuration's renderer names another program: tests and benchmarks are
    // not this program.
    static RenderClient *createDefault(const QString &program, const QString &viewsDir, QObject *parent = nullptr);

    void setAnswerTimeout(std::chrono::milliseconds timeout) { m_answerTimeout = timeout; }

    // The PNG file of page `page`, drawn as PageRenderer::render draws it. Throws Problem with
    // the renderer's reason when the picture cannot be drawn. Pictures are drawn one at a time; a
    // call made while another runs waits for it.
    QCoro::Task<QByteArray> render(QString dataJson, int page, QString mode, std::optional<QString> themeJson,
                                   int scale);
    // The same for `job`. `next`, the picture the caller asks for after this one, is sent along,
    // so the renderer process draws it while it encodes this one; a next call for another
    // picture lets its answer go.
    QCoro::Task<QByteArray> render(RenderJob job, std::optional<RenderJob> next = std::nullopt);
    // The PNG file and the page's text in reading order (empty when the page view gives none).
    struct Answer
    {
        QByteArray png;
        QString text;
    };
    QCoro::Task<Answer> renderWithText(RenderJob job, std::optional<RenderJob> next = std::nullopt);

    // The renderer process's id while one runs, else 0.
    qint64 processId() const;

Q_SIGNALS:
    // The renderer process wrote something or ended.
    void processChanged();
    // The renderer process took the next of the jobs sent to it and is drawing it. Told while a
    // picture is awaited.
    void jobTaken();

private:
    QCoro::Task<> ensureStarted();
    // An idle process exits with status 0; one that does so just as a job arrives has not
    // failed, and is reported as none so the job can go to a new process.
    enum class AfterIdleExit
    {
        Report,
        Fail
    };
    QCoro::Task<std::optional<Answer>> awaitAnswer(AfterIdleExit afterIdleExit);
    void stopProcess();
    [[noreturn]] void fail(const QString &reason);

    QString m_program;
    QStringList m_arguments;
    std::chrono::milliseconds m_answerTimeout = defaultAnswerTimeout;
    QProcess *m_process = nullptr;
    RenderStream m_answers;
    // The job sent ahead of the next call, and answers still to come that nobody waits for.
    std::optional<QByteArray> m_sentAhead;
    int m_unwantedAnswers = 0;
    OneAtATime m_turns;
    bool m_exited = false;
};
