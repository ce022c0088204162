// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <chrono>
#include <optional>

// The environment a command gets in the user's own terminal, read from the user's shell started
// as an interactive login shell ("$SHELL -i -l -c"). A program started from the desktop only has
// the desktop session's environment, and a login shell alone misses what the interactive start
// files add: on Debian a bash login shell stops reading ~/.bashrc at its "not interactive" line,
// which is exactly where nvm, volta and npm prefixes put their directories; zsh keeps them in
// ~/.zshrc; fish reads config.fish whatever it is. Every tool Tessarine starts gets this
// environment, so Connections and the card see the same tools the terminal does.
//
// The shell prints the environment between two markers of this run, so a start file that prints
// (a greeting, a fortune) cannot spoil it; standard input is closed and the shell is stopped after
// a short deadline, so a start file that waits cannot hold anything up. When the shell fails or
// runs out of time, the environment Tessarine was started with serves instead.
//
// Asked once and kept until forget(): the connections window and "Refresh Now" ask again, so a
// tool installed since is found. The answer lives in memory only and is never written anywhere;
// the shell is started with Tessarine's own environment, which holds no credential.
class UserEnvironment : public QObject
{
    Q_OBJECT
public:
    // Shells with slow start files (nvm) take a second or two; a shell that takes longer than
    // this is waiting for something that will not come.
    static constexpr std::chrono::milliseconds defaultDeadline{5000};

    static UserEnvironment &instance();

    // The user's environment; the shell is asked on the first call after forget(), and calls that
    // come while it runs share its answer.
    QCoro::Task<QProcessEnvironment> environment();
    // What was found last, or the inherited environment when nothing was asked yet. Never waits.
    QProcessEnvironment known() const;
    // Makes the next environment() ask the shell again; known() keeps the last answer meanwhile.
    void forget();

    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }

    // The command the shell runs: the marker, the environment NUL-separated, the marker again.
    // Plain enough for sh, bash, zsh and fish alike.
    static QString printCommand(const QByteArray &marker);
    // The environment printed between the two markers; none when either marker is missing.
    static std::optional<QProcessEnvironment> parse(const QByteArray &output, const QByteArray &marker);

Q_SIGNALS:
    // A shell's answer (or the fallback) has been taken in.
    void resolved();

private:
    explicit UserEnvironment(QObject *parent = nullptr);
    QCoro::Task<QProcessEnvironment> fromShell(QString shell);

    std::optional<QProcessEnvironment> m_known;
    bool m_stale = false;
    // The shell the known environment came from: another $SHELL asks again.
    QString m_knownShell;
    bool m_resolving = false;
    std::chrono::milliseconds m_deadline = defaultDeadline;
};
