// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateRelease.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// The download URL is handed to the desktop to open, so only a secure web address is accepted:
// a feed must not be able to make Tessarine open a local file, some other kind of link, or a
// download anyone on the way could swap.
bool isSecureWebAddress(const QUrl &url)
{
    return url.isValid() && !url.host().isEmpty() && url.scheme().toLower() == QStringLiteral("https");
}

// The notes as shown: no control characters but line breaks and tabs, and no more than an alert
// can show.
QString shownNotes(const QString &notes)
{
    QString shown;
    for (const QChar character : notes) {
        const bool lineBreakOrTab = character == QLatin1Char('\n') || character == QLatin1Char('\t');
        if (lineBreakOrTab || character.category() != QChar::Other_Control)
            shown += character;
        if (shown.size() >= UpdateRelease::maxNotesLength)
            break;
    }
    return shown;
}

} // namespace

bool UpdateRelease::isVersion(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}(-[0-9A-Za-z.]{1,20})?$"));
    return pattern.match(text).hasMatch();
}

std::optional<UpdateRelease> UpdateRelease::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(QStringLiteral("version"));
    const QJsonValue url = object.value(QStringLiteral("url"));
    const QJsonValue notes = object.value(QStringLiteral("notes"));
    if (!version.isString() || !url.isString())
        return std::nullopt;
    if (!notes.isUndefined() && !notes.isNull() && !notes.isString())
        return std::nullopt;

    if (!isVersion(version.toString()))
        return std::nullopt;
    UpdateRelease release{version.toString(), QUrl(url.toString(), QUrl::StrictMode), std::nullopt};
    if (!isSecureWebAddress(release.url))
        return std::nullopt;
    if (notes.isString())
        release.notes = shownNotes(notes.toString());
    return release;
}
