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

    // The longest release notes shown; the rest is left out.
    static constexpr qsizetype maxNotesLength = 2000;

    // None when the bytes are not a JSON object, "version" or "url" is missing or not a string,
    // "version" is not a plain dotted version (isVersion), "url" is not an https address, or
    // "notes" is present with another type than string. Control characters are taken out of the
    // notes.
    static std::optional<UpdateRelease> fromJson(const QByteArray &json);

    // Whether the text is a version Tessarine shows as it stands: up to four dotted numbers and an
    // optional short suffix ("1.4.2", "2.0-beta.1"); nothing that could carry markup, control
    // characters or a page of text into the menu or an alert.
    static bool isVersion(const QString &text);

    bool operator==(const UpdateRelease &other) const = default;
};
