// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shell.h"

#include "JsonFields.h"
#include "ShellProcess.h"
#include "UserEnvironment.h"
#include "platform/SignalWait.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

// Gives the process back to itself when the calling task is done with it, however the task
// ends: a child that is still running goes on being stopped and deletes itself afterwards.
struct ReleaseProcess
{
    void operator()(ShellProcess *process) const { process->release(); }
};
using OwnedProcess = std::unique_ptr<ShellProcess, ReleaseProcess>;

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

QString passwdShell()
{
    const struct passwd *entry = ::getpwuid(::getuid());
    if (!entry || !entry->pw_shell)
        return {};
    return QString::fromLocal8Bit(entry->pw_shell);
}

// Reads every complete line (and, once the child has ended, the unterminated rest) and keeps
// the replies whose integer id is awaited. Lines that are not JSON objects are skipped.
void collectReplies(ShellProcess &process, const QSet<int> &until, QHash<int, QJsonObject> &replies)
{
    auto take = [&](const QByteArray &line) {
        const QString text = Shell::decodeUtf8(line);
        if (text.isEmpty())
            return;
        const std::optional<QJsonValue> value = JsonFields::parse(text.toUtf8());
        if (!value || !value->isObject())
            return;
        const QJsonObject reply = value->toObject();
        const std::optional<qint64> id = JsonFields::integer(reply.value(QStringLiteral("id")));
        if (id && *id >= INT_MIN && *id <= INT_MAX && until.contains(static_cast<int>(*id)))
            replies.insert(static_cast<int>(*id), reply);
    };
    while (process.canReadLine() && replies.size() < until.size())
        take(process.readLine());
    if (process.hasEnded() && replies.size() < until.size())
        take(process.readAll());
}

QString overflowMessage(qint64 limit)
{
    return QStringLiteral("The command wrote more than %1 MB of output and was stopped.").arg(limit / (1024 * 1024));
}

} // namespace

QString Shell::loginShell()
{
    const QString fromEnvironment = qEnvironmentVariable("SHELL");
    if (isExecutableFile(fromEnvironment))
        return fromEnvironment;
    const QString fromPasswd = passwdShell();
    if (isExecutableFile(fromPasswd))
        return fromPasswd;
    return QStringLiteral("/bin/sh");
}

QString Shell::decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return {};
    return text;
}

QCoro::Task<Shell::Result> Shell::run(QString command, std::chrono::milliseconds timeout)
{
    const QProcessEnvironment environment = co_await UserEnvironment::instance().environment();
    OwnedProcess process(new ShellProcess(command, environment));
    // A tool that reads standard input gets end of file rather than the terminal, if any, that
    // started Tessarine.
    process->setStandardInputFile(QProcess::nullDevice());
    process->launch(timeout);
    while (!process->hasEnded())
        co_await nextSignal(process.get(), &ShellProcess::ended);

    Result result;
    if (process->failedToStart()) {
        result.error = process->errorString();
        co_return result;
    }
    if (process->overflowed()) {
        result.error = overflowMessage(process->outputLimit());
        co_return result;
    }
    result.status = process->exitCode();
    result.output = decodeUtf8(process->readAllStandardOutput());
    result.error = decodeUtf8(process->readAllStandardError());
    co_return result;
}

QCoro::Task<QHash<int, QJsonObject>> Shell::converse(QString command, QString input, QSet<int> until,
                                                     std::chrono::milliseconds timeout)
{
    const QSet<int> awaited = std::move(until);
    const QProcessEnvironment environment = co_await UserEnvironment::instance().environment();
    OwnedProcess process(new ShellProcess(command, environment));
    process->setStandardErrorFile(QProcess::nullDevice());
    process->launch(timeout);
    QHash<int, QJsonObject> replies;
    if (process->failedToStart())
        co_return replies;
    process->write(input.toUtf8());

    while (true) {
        // A line longer than the output limit is never read: the server was killed for it.
        if (process->overflowed())
            break;
        collectReplies(*process, awaited, replies);
        if (replies.size() == awaited.size() || process->hasEnded())
            break;
        co_await process->nextChange();
    }
    process->stop();
    co_return replies;
}
