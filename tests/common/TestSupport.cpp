// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

namespace TestSupport {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QString fixturePath(const QString &relative)
{
    return QStringLiteral(TESSARINE_TEST_FIXTURES "/") + relative;
}

QByteArray fixture(const QString &relative)
{
    return readFile(fixturePath(relative));
}

QString writeScript(const QString &path, const QByteArray &body)
{
    writeFile(path, body);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                    QFileDevice::ExeOther);
    return path;
}

QSettings defaultsStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"),
                     QStringLiteral("Tessarine"));
}

void clearDefaults()
{
    defaultsStore().clear();
}

} // namespace TestSupport

FakeHttpServer::FakeHttpServer(QObject *parent)
    : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection())
            serve(socket);
    });
}

QString FakeHttpServer::start()
{
    listen(QHostAddress::LocalHost, 0);
    return baseUrl();
}

QString FakeHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort());
}

void FakeHttpServer::setReply(const QByteArray &methodAndPath, const Reply &reply)
{
    m_replies[methodAndPath] = {reply};
}

void FakeHttpServer::setReplies(const QByteArray &methodAndPath, const QList<Reply> &replies)
{
    m_replies[methodAndPath] = replies;
}

void FakeHttpServer::setHandler(const QByteArray &methodAndPath, Handler handler)
{
    m_handlers[methodAndPath] = std::move(handler);
}

QList<FakeHttpServer::Request> FakeHttpServer::requestsTo(const QByteArray &methodAndPath) const
{
    QList<Request> matching;
    for (const Request &request : m_requests) {
        const QByteArray path = request.path.split('?').first();
        if (request.method + ' ' + path == methodAndPath)
            matching.append(request);
    }
    return matching;
}

void FakeHttpServer::serve(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        m_buffers[socket].append(socket->readAll());
        tryAnswer(socket);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        m_buffers.remove(socket);
        socket->deleteLater();
    });
}

bool FakeHttpServer::tryAnswer(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    Request request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const int length = request.headers.value("content-length", "0").toInt();
    if (buffer.size() < headerEnd + 4 + length)
        return false;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.remove(0, headerEnd + 4 + length);
    m_requests.append(request);

    const Reply reply = replyFor(request);
    QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + " Fake\r\n";
    response += "Content-Type: " + reply.contentType + "\r\n";
    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    for (const auto &[name, value] : reply.headers)
        response += name + ": " + value + "\r\n";
    response += "Connection: close\r\n\r\n" + reply.body;

    auto send = [socket, response] {
        socket->write(response);
        socket->flush();
        socket->disconnectFromHost();
    };
    if (reply.delayMs > 0)
        QTimer::singleShot(reply.delayMs, socket, send);
    else
        send();
    return true;
}

FakeHttpServer::Reply FakeHttpServer::replyFor(const Request &request)
{
    const QByteArray route = request.method + ' ' + request.path.split('?').first();
    if (m_handlers.contains(route))
        return m_handlers[route](request);
    auto it = m_replies.find(route);
    if (it == m_replies.end() || it->isEmpty()) {
        Reply notFound;
        notFound.status = 404;
        notFound.body = R"({"message":"Not Found"})";
        return notFound;
    }
    if (it->size() > 1)
        return it->takeFirst();
    return it->first();
}
