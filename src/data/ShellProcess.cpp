// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShellProcess.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

ShellProcess::ShellProcess(const QString &command, const QProcessEnvironment &environment, QObject *parent)
    : ShellProcess(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}, environment, parent)
{}

ShellProcess::ShellProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                           QObject *parent)
    : QProcess(parent)
{
    setProgram(program);
    setArguments(arguments);
    setProcessEnvironment(environment);
    // A session of its own gives the child its own process group (so the whole tree can be
    // signalled) and no controlling terminal (so reading an inherited terminal never stops it).
    // Being in its own session, nothing would stop it when Tessarine is killed; the parent-death
    // signal does, and a Tessarine that died before the signal was armed is caught by the check
    // of the parent that follows.
    const pid_t tessarine = ::getpid();
    setChildProcessModifier([tessarine] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != tessarine)
            ::_exit(127);
    });

    m_timeout.setSingleShot(true);
    m_grace.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &ShellProcess::stop);
    connect(&m_grace, &QTimer::timeout, this, [this] { signalGroup(SIGKILL); });
    connect(this, &QProcess::readyReadStandardOutput, this, &ShellProcess::noteChange);
    connect(this, &QProcess::readyReadStandardOutput, this, &ShellProcess::checkOutputLimit);
    connect(this, &QProcess::readyReadStandardError, this, &ShellProcess::checkOutputLimit);
    connect(this, &QProcess::finished, this, &ShellProcess::markEnded);
    connect(this, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_failedToStart = true;
        markEnded();
    });
}

void ShellProcess::launch(std::chrono::milliseconds timeout)
{
    start();
    m_group = processId();
    if (!m_ended)
        m_timeout.start(timeout);
}

void ShellProcess::stop()
{
    if (m_stopping || m_ended)
        return;
    m_stopping = true;
    signalGroup(SIGTERM);
    m_grace.start(gracePeriod);
}

void ShellProcess::noteChange()
{
    m_unseenChange = true;
    if (!m_waiting)
        return;
    const std::coroutine_handle<> awaiting = std::exchange(m_waiting, {});
    const auto resume = [awaiting] { awaiting.resume(); };
    QMetaObject::invokeMethod(this, resume, Qt::QueuedConnection);
}

void ShellProcess::checkOutputLimit()
{
    if (m_overflowed || m_ended || unreadBytes() <= m_outputLimit)
        return;
    m_overflowed = true;
    // Killed at once rather than asked: a grace period would let a flood go on filling memory,
    // and nothing more it writes is wanted.
    m_stopping = true;
    m_timeout.stop();
    signalGroup(SIGKILL);
}

qint64 ShellProcess::unreadBytes()
{
    const ProcessChannel current = readChannel();
    setReadChannel(StandardOutput);
    const qint64 output = bytesAvailable();
    setReadChannel(StandardError);
    const qint64 error = bytesAvailable();
    setReadChannel(current);
    return output + error;
}

void ShellProcess::release()
{
    m_released = true;
    m_waiting = {};
    if (m_ended)
        deleteLater();
}

void ShellProcess::signalGroup(int signal)
{
    if (m_group <= 0)
        return;
    // Until the child has made its own session, its group does not exist yet.
    if (::kill(-static_cast<pid_t>(m_group), signal) != 0 && !m_ended)
        ::kill(static_cast<pid_t>(m_group), signal);
}

void ShellProcess::markEnded()
{
    if (m_ended)
        return;
    m_ended = true;
    m_timeout.stop();
    m_grace.stop();
    // What the command started ends with it, whether it was stopped or ended by itself: a tool
    // that leaves a helper behind would otherwise add one running process at every refresh. The
    // group is signalled at once, while its id cannot have been given to anyone else.
    signalGroup(SIGKILL);
    Q_EMIT ended();
    noteChange();
    if (m_released)
        deleteLater();
}
