// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

// One download of a subscribed calendar. Only https is fetched (webcal:// is read as https), the
// server's redirects are followed to https addresses only, the whole download is bounded in time
// and size, and the validators of the last good copy make the request conditional. The address
// is private: no text made here ever contains it.
class SubscriptionFetch
{
public:
    struct Limits
    {
        std::chrono::milliseconds timeout{15'000};
        qint64 maxBytes = 20 * 1024 * 1024;
    };

    struct Result
    {
        enum class Kind
        {
            Fetched,     // body holds a new calendar
            NotModified, // the cached copy is still current
            Failed,      // problem says why, for the user, without the address
        };
        Kind kind = Kind::Failed;
        QByteArray body;
        QByteArray etag;
        QByteArray lastModified;
        QString problem;
    };

    // The address to fetch for what the user typed: https as it is, webcal as https; none for any
    // other scheme or an address without a host.
    static std::optional<QUrl> normalisedAddress(const QString &text);

    static QCoro::Task<Result> run(QUrl address, QByteArray etag, QByteArray lastModified, Limits limits);

    // Lets tests serve calendars over plain http from 127.0.0.1; never set by the program.
    static void allowLoopbackHttpForTests(bool allowed);

private:
    static bool isFetchable(const QUrl &url);
};
