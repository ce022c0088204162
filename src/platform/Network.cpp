// SPDX-License-Identifier: GPL-3.0-or-later
#include "Network.h"

#include <QNetworkAccessManager>

namespace Network {

QNetworkAccessManager &manager()
{
    static QNetworkAccessManager *shared = new QNetworkAccessManager();
    return *shared;
}

} // namespace Network
