// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How one source in the connections window stands, in the order the window's legend uses.
enum class ConnectionStatus
{
    connected,
    found,
    waiting,
    attention,
    noData,
    notConnected,
    notFound
};
