// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// "themes.json" in the views directory: one theme per look and appearance, keyed "mono-light",
// "mono-dark", "colour-light" and "colour-dark", each handed to the page view unchanged.
class ThemeFile
{
public:
    // The themes, or an empty object when the file is missing, unreadable or not an object.
    static QJsonObject read(const QString &viewsDir);

    // The theme for a look ("mono" or "colour") as compact JSON text; none when it is missing.
    static std::optional<QString> themeJson(const QJsonObject &themes, const QString &look, bool dark);
};
