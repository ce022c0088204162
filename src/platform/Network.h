// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QNetworkReply>
#include <memory>

class QNetworkAccessManager;

// The application's one network access manager, shared by every request Tessarine makes so
// that connections and proxy settings are shared. Lives on the GUI thread.
namespace Network {

QNetworkAccessManager &manager();

// Ends a reply with deleteLater(): the coroutine that awaited it may resume while the reply is
// still inside its own finished signal, where deleting it at once would free it under Qt's feet.
struct DeleteReplyLater
{
    void operator()(QNetworkReply *reply) const { reply->deleteLater(); }
};

// How a request's code owns its reply, everywhere.
using OwnedReply = std::unique_ptr<QNetworkReply, DeleteReplyLater>;

} // namespace Network
