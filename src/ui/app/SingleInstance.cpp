// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

using namespace std::chrono_literals;

namespace {

// One message each way: the launch arguments as a JSON array of strings on one line, and "ok".
constexpr qint64 maximumMessage = 4096;
const QByteArray acknowledgement = QByteArrayLiteral("ok\n");

// How long a later start keeps trying: long enough for an instance that has just taken the lock
// to start listening, short enough that a hung one does not keep the user waiting.
constexpr auto handOverPatience = 5s;
constexpr int connectMs = 1000;
constexpr int answerMs = 3000;

QStringList decode(const QByteArray &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    QStringList arguments;
    for (const QJsonValue &value : document.array()) {
        if (value.isString())
            arguments.append(value.toString());
    }
    return arguments;
}

} // namespace

SingleInstance::SingleInstance(const QString &directory, QObject *parent)
    : QObject(parent)
    , m_directory(directory)
{}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("tessarine.socket"));
}

QString SingleInstance::lockPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("tessarine.lock"));
}

SingleInstance::Outcome SingleInstance::start(const QStringList &arguments)
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A running card holds its lock for days; only a lock whose process is gone is stale.
    m_lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(handOverPatience);
    while (true) {
        if (m_lock->tryLock(0)) {
            listen();
            return Outcome::Running;
        }
        // Without a usable runtime directory there is no way to meet another instance; the card
        // still runs.
        if (m_lock->error() != QLockFile::LockFailedError)
            return Outcome::Running;
        if (handOver(arguments))
            return Outcome::HandedOver;
        if (deadline.hasExpired())
            return Outcome::NoAnswer;
        QThread::msleep(100);
    }
}

bool SingleInstance::listen()
{
    // Holding the lock means no live instance listens here: a socket file left behind is dead.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return m_server->listen(socketPath());
}

bool SingleInstance::handOver(const QStringList &arguments) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectMs))
        return false;
    socket.write(QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(answerMs))
        return false;
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() < acknowledgement.size() && socket.waitForReadyRead(answerMs))
        answer += socket.read(acknowledgement.size() - answer.size());
    return answer == acknowledgement;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
    }
}

void SingleInstance::read(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        // Whatever talks here without ending its line soon is not a Tessarine.
        if (socket->bytesAvailable() > maximumMessage)
            socket->abort();
        return;
    }
    const QStringList arguments = decode(socket->readLine(maximumMessage));
    // Answer first: the windows opened below may take a moment, and the other start waits.
    socket->write(acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT activated(arguments);
}
