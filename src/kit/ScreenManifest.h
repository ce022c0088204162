// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

class QJsonValue;

// The record of the last refresh in the screens directory ("manifest.json"): which pages were
// rendered, their titles and how the refresh went. The card, the page cycle and the menu work
// from its page names rather than from the page list, so they show what was last rendered.
struct ScreenManifest
{
    bool ok = false;
    std::optional<QString> updatedAt; // ISO 8601 internet date-time
    std::optional<QString> login;     // the GitHub login the refresh ran for
    QStringList pageNames;            // "page0", "page1", … in page order (the file's "views")
    std::optional<QStringList> titles;
    std::optional<QString> error;

    // The title listed for the page, or the page name itself when there is none.
    QString title(const QString &pageName) const;

    // updatedAt as a point in time (UTC), with or without fractional seconds; none when absent
    // or not an internet date-time (a plain calendar date is not one).
    std::optional<QDateTime> updatedDate() const;

    static std::optional<ScreenManifest> fromJson(const QJsonValue &json);
    // All six members; absent values are written as null.
    QJsonObject toJson() const;

    friend bool operator==(const ScreenManifest &, const ScreenManifest &) = default;
};
