// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One card per user session. The first Tessarine takes a lock file and listens on a local socket,
// both in the user's runtime directory (XDG_RUNTIME_DIR); a later one finds the lock taken,
// hands its launch arguments to the running one over the socket and exits. The lock, not the
// socket, decides who runs: a crashed instance leaves a lock whose process is gone, which the
// next start takes over, removing the dead socket with it.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Running,    // this process is the one instance; activated() reports later starts
        HandedOver, // another instance runs and has the arguments; this one should exit
        NoAnswer,   // another instance holds the lock but did not take the arguments
    };

    // `directory` holds the lock and the socket; by default the user's runtime directory.
    explicit SingleInstance(const QString &directory = defaultDirectory(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance, or hands `arguments` to the one that runs. The hand-over waits
    // (at most a few seconds) for the other instance to answer; it runs before this process shows
    // anything, so nothing on screen waits with it.
    Outcome start(const QStringList &arguments);

    QString socketPath() const;
    QString lockPath() const;

    static QString defaultDirectory();

Q_SIGNALS:
    // A later start asked for the card, with its launch arguments (possibly none).
    void activated(const QStringList &arguments);

private:
    bool listen();
    bool handOver(const QStringList &arguments) const;
    void accept();
    void read(QLocalSocket *socket);

    QString m_directory;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
