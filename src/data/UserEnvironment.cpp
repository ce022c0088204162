// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserEnvironment.h"

#include "Shell.h"
#include "ShellProcess.h"
#include "platform/SignalWait.h"

#include <QSet>
#include <QUuid>
#include <memory>

namespace {

struct ReleaseProcess
{
    void operator()(ShellProcess *process) const { process->release(); }
};

// Left by the shell that printed the environment, not by the user's start files.
bool isShellArtefact(const QString &name)
{
    return name == QStringLiteral("_") || name == QStringLiteral("SHLVL");
}

} // namespace

UserEnvironment::UserEnvironment(QObject *parent)
    : QObject(parent)
{}

UserEnvironment &UserEnvironment::instance()
{
    static UserEnvironment environment;
    return environment;
}

QString UserEnvironment::printCommand(const QByteArray &marker)
{
    const QString quoted = QLatin1Char('\'') + QString::fromLatin1(marker) + QLatin1Char('\'');
    // env by its full path: the start files may have left PATH without /usr/bin.
    return QStringLiteral("printf '%s' %1; /usr/bin/env -0; printf '%s' %1").arg(quoted);
}

std::optional<QProcessEnvironment> UserEnvironment::parse(const QByteArray &output, const QByteArray &marker)
{
    const qsizetype opening = output.indexOf(marker);
    if (marker.isEmpty() || opening < 0)
        return std::nullopt;
    // The closing marker is the last one: sh sets "_" to the last word of the command before, so
    // the environment itself holds the marker once.
    const qsizetype start = opening + marker.size();
    const qsizetype closing = output.lastIndexOf(marker);
    if (closing < start)
        return std::nullopt;
    // Built on the inherited environment, whose values Qt keeps as the exact bytes: a variable the
    // shell left as it was (a PATH that is not valid UTF-8, say) reaches the tools unchanged.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QSet<QString> printed;
    for (const QByteArray &entry : output.mid(start, closing - start).split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray name = entry.left(equals);
        const QByteArray value = entry.mid(equals + 1);
        printed.insert(QString::fromLocal8Bit(name));
        if (!qEnvironmentVariableIsSet(name.constData()) || qgetenv(name.constData()) != value)
            environment.insert(QString::fromLocal8Bit(name), QString::fromLocal8Bit(value));
    }
    // A shell that printed nothing between the markers gave no environment at all.
    if (printed.isEmpty())
        return std::nullopt;
    const QStringList names = environment.keys();
    for (const QString &name : names) {
        if (!printed.contains(name) || isShellArtefact(name))
            environment.remove(name);
    }
    return environment;
}

QProcessEnvironment UserEnvironment::known() const
{
    return m_known.value_or(QProcessEnvironment::systemEnvironment());
}

void UserEnvironment::forget()
{
    m_stale = true;
}

QCoro::Task<QProcessEnvironment> UserEnvironment::environment()
{
    while (m_resolving)
        co_await nextSignal(this, &UserEnvironment::resolved);
    const QString shell = Shell::loginShell();
    if (m_known && !m_stale && m_knownShell == shell)
        co_return *m_known;
    m_resolving = true;
    m_stale = false;
    const QProcessEnvironment found = co_await fromShell(shell);
    m_known = found;
    m_knownShell = shell;
    m_resolving = false;
    Q_EMIT resolved();
    co_return found;
}

QCoro::Task<QProcessEnvironment> UserEnvironment::fromShell(QString shell)
{
    const QProcessEnvironment inherited = QProcessEnvironment::systemEnvironment();
    const QByteArray marker = QUuid::createUuid().toByteArray(QUuid::Id128);
    const QStringList arguments{QStringLiteral("-i"), QStringLiteral("-l"), QStringLiteral("-c"), printCommand(marker)};
    std::unique_ptr<ShellProcess, ReleaseProcess> process(new ShellProcess(shell, arguments, inherited));
    // An interactive shell without a terminal says so on standard error; nothing there is wanted.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->launch(m_deadline);
    // The shell is stopped at the deadline, but an interactive shell ignores the polite request
    // and is killed only after the grace period: its answer is not waited for that long.
    if (!process->hasEnded())
        co_await nextSignal(process.get(), &ShellProcess::ended, m_deadline);
    if (!process->hasEnded() || process->failedToStart() || process->overflowed())
        co_return inherited;
    co_return parse(process->readAllStandardOutput(), marker).value_or(inherited);
}
