// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSettings>
#include <QString>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

namespace TestSupport {

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);
QString fixturePath(const QString &relative);
QByteArray fixture(const QString &relative);

// Writes an executable script (mode 0755) and returns its path.
QString writeScript(const QString &path, const QByteArray &body);

// The user defaults store the program reads through Defaults (Tessarine.ini under the test's own
// XDG_CONFIG_HOME), for tests that seed it or look into it.
QSettings defaultsStore();
// Forgets every key of the defaults store, as on a computer Tessarine never ran on.
void clearDefaults();

} // namespace TestSupport

// A loopback HTTP/1.1 server that plays GitHub, the release feed and the like in tests.
// Replies are looked up by "METHOD /path" (query string excluded); every request is recorded.
class FakeHttpServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;                       // with the query string
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        QList<QPair<QByteArray, QByteArray>> headers;
        int delayMs = 0;
    };
    using Handler = std::function<Reply(const Request &)>;

    explicit FakeHttpServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 on a free port; returns "http://127.0.0.1:<port>/".
    QString start();
    QString baseUrl() const;

    void setReply(const QByteArray &methodAndPath, const Reply &reply);
    // Replies given in order for the same route; the last one repeats.
    void setReplies(const QByteArray &methodAndPath, const QList<Reply> &replies);
    void setHandler(const QByteArray &methodAndPath, Handler handler);

    QList<Request> requests() const { return m_requests; }
    QList<Request> requestsTo(const QByteArray &methodAndPath) const;
    void clearRequests() { m_requests.clear(); }

private:
    void serve(QTcpSocket *socket);
    bool tryAnswer(QTcpSocket *socket);
    Reply replyFor(const Request &request);

    QHash<QByteArray, QList<Reply>> m_replies;
    QHash<QByteArray, Handler> m_handlers;
    QList<Request> m_requests;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
