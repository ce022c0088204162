// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// The user defaults store: one INI file (~/.config/Tessarine/Tessarine.ini) read through
// typed readers whose absent or unreadable values are false, 0 and none.
class Defaults
{
public:
    static bool boolValue(const QString &key);
    static int intValue(const QString &key);
    static double doubleValue(const QString &key);
    static std::optional<QString> stringValue(const QString &key);
    static bool contains(const QString &key);

    static void setValue(const QString &key, const QVariant &value);
    static void remove(const QString &key);
};
