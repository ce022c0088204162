// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QNetworkAccessManager;

// The application's one network access manager, shared by every request Tessarine makes so
// that connections and proxy settings are shared. Lives on the GUI thread.
namespace Network {

QNetworkAccessManager &manager();

} // namespace Network
