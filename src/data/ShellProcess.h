// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QTimer>
#include <chrono>
#include <coroutine>

// One command started as "/bin/sh -c <command>" in the user's environment (UserEnvironment), or
// any program with its arguments. The commands are shell text for sh whatever the user's own
// shell is, so a fish or csh user's tools run the same way; the environment carries the PATH
// their terminal has. The child runs in a session and process group of its own, so that stopping it also stops whatever
// the command started, and a child that ignores the polite terminate request is killed after a grace period instead of
// hanging the caller for ever.
//
// QProcess reads the pipes into its own buffers as data arrives, so a child that writes more
// than a pipe holds never stalls. What it keeps unread is capped: a child that floods its output
// is killed rather than allowed to fill memory. The child also dies with Tessarine, so a hung
// tool never outlives a Tessarine that was killed.
class ShellProcess : public QProcess
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds gracePeriod{2000};
    // Far more than any tool's report; standard output and standard error together.
    static constexpr qint64 defaultOutputLimit = 16 * 1024 * 1024;

    explicit ShellProcess(const QString &command,
                          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                          QObject *parent = nullptr);
    ShellProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                 QObject *parent = nullptr);

    // Starts the child and stops it once the time-out has passed.
    void launch(std::chrono::milliseconds timeout);

    bool hasEnded() const { return m_ended; }
    bool failedToStart() const { return m_failedToStart; }

    // The most unread output (both streams) kept before the child is killed.
    void setOutputLimit(qint64 bytes) { m_outputLimit = bytes; }
    qint64 outputLimit() const { return m_outputLimit; }
    // True once the child was killed for writing more than the limit.
    bool overflowed() const { return m_overflowed; }

    // Asks the child's process group to terminate, then kills it after the grace period.
    void stop();

    // Awaitable that resumes the awaiting task, from the event loop, once new standard output
    // has arrived or the child has ended; at once when that happened since the last wait.
    // (Unlike awaiting a signal, several changes before the task runs again wake it only once.)
    struct ChangeAwaiter
    {
        ShellProcess *process;
        bool await_ready() const noexcept { return process->m_unseenChange; }
        void await_suspend(std::coroutine_handle<> awaiting) noexcept { process->m_waiting = awaiting; }
        void await_resume() const noexcept { process->m_unseenChange = false; }
    };
    ChangeAwaiter nextChange() { return ChangeAwaiter{this}; }

    // Hands the process over to itself: it deletes itself once the child has ended, so that
    // a caller may return before a stopped child is gone.
    void release();

Q_SIGNALS:
    // Emitted once, when the child has finished or could not be started.
    void ended();

private:
    void signalGroup(int signal);
    void markEnded();
    void noteChange();
    void checkOutputLimit();
    qint64 unreadBytes();

    QTimer m_timeout;
    QTimer m_grace;
    qint64 m_group = 0;
    qint64 m_outputLimit = defaultOutputLimit;
    bool m_ended = false;
    bool m_failedToStart = false;
    bool m_stopping = false;
    bool m_released = false;
    bool m_unseenChange = false;
    bool m_overflowed = false;
    std::coroutine_handle<> m_waiting;
};
