// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QHash>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <chrono>

// The one way the data side starts other programs: "/bin/sh -c" in the environment the user's
// terminal has (UserEnvironment), so that the directories their start files add to PATH count.
// Neither operation throws; every failure is a value the caller inspects.
class Shell
{
public:
    struct Result
    {
        // The exit status; the signal number for a child ended by a signal; -1 when the shell
        // could not be started or was killed for writing more output than is kept.
        int status = -1;
        // Standard output, decoded as UTF-8; empty when the bytes are not valid UTF-8.
        QString output;
        // Standard error, decoded the same way; the reason when the status is -1.
        QString error;

        bool succeeded() const { return status == 0; }
    };

    // The user's shell: $SHELL, else the user's passwd entry, else /bin/sh (the first of them
    // that is an executable file). UserEnvironment asks it for the user's environment.
    static QString loginShell();

    // Runs `command` to completion and hands back its status and whole output. At the time-out
    // the child is asked to terminate, and killed when it is still there after the grace
    // period; what it wrote until then is returned. A child that writes more than
    // ShellProcess::defaultOutputLimit is killed at once and its output dropped.
    static QCoro::Task<Result> run(QString command, std::chrono::milliseconds timeout);

    // Starts a line-delimited JSON server, writes `input` to it (standard input stays open), and
    // collects the reply objects whose integer "id" is in `until` until every one of them has
    // come, the child ends, the time-out passes or a line outgrows the output limit. The child
    // is then stopped.
    static QCoro::Task<QHash<int, QJsonObject>> converse(QString command, QString input, QSet<int> until,
                                                         std::chrono::milliseconds timeout);

    // Decodes bytes as UTF-8; bytes that are not valid UTF-8 give the empty string.
    static QString decodeUtf8(const QByteArray &bytes);
};
