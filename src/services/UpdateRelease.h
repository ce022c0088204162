// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// A published release as the release feed describes it:
//   {"version": "1.4.2", "url": "https://…", "notes": "…"}
struct UpdateRelease
{
    QString version;
    QUrl url; // the download page or file
    std::optional<QString> notes;

    // None when the bytes are not a JSON object, "version" or "url" is missing or not a string,
    // "url" is not a web address, or "notes" is present with another type than string.
    static std::optional<UpdateRelease> fromJson(const QByteArray &json);

    bool operator==(const UpdateRelease &other) const = default;
};
