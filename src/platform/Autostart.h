// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Starting Tessarine when the user logs in, through the desktop's XDG autostart folder: the
// entry ~/.config/autostart/tessarine.desktop (following XDG_CONFIG_HOME) starts it, and its
// absence does not. The file is the only state, so a change made by hand or by the desktop's
// own startup settings shows in the menu too.
class Autostart
{
public:
    // $XDG_CONFIG_HOME/autostart/tessarine.desktop.
    static QString entryPath();

    static bool isEnabled();

    // Writes the entry (atomically, starting `program`) or removes it. False when the file could
    // not be written or removed; the file is then as it was.
    static bool setEnabled(bool enabled, const QString &program);

    // The autostart entry that starts `program`.
    static QByteArray entry(const QString &program);

    // `program` as one argument of an Exec line, quoted where the desktop entry rules need it.
    static QString execArgument(const QString &program);
};
